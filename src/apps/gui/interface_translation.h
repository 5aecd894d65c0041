#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/program_folders.h"

class Form;
class QWidget;

namespace kelmora {

class LanguageFile;

// The window side of the language files: the translation writes a language file's texts
// into the windows, the generator writes the windows' texts into a language file. Both walk
// each window's component list in creation order and address every component by its name.
//
// Text properties: "Caption" is the text of a button, label, check box or radio button, the
// title of a group box or radio group, the tab text of a tab page and the title of a window;
// "Hint" is the tool tip, which every component has. Lines are the lines of a multi-line
// text control; items are the entries of a radio group or a combo box.

// Translates each window of forms (nullptr entries are skipped) from the window's section of
// language_file: the window's caption, each component's caption and hint when the file
// gives a non-empty value, each existing line whose key is present (an empty value empties
// the line; lines are never added or removed), each existing item given a non-empty value.
// Everything else keeps the text it has.
void TranslateForms(const std::vector<Form*>& forms, const LanguageFile& language_file);

// True when the component has the text property prop_name and a component name.
bool HasTextProp(const QWidget* component, std::string_view prop_name);
// The text of the property (UTF-8), or the empty text when the component has none.
std::string GetTextProp(const QWidget* component, std::string_view prop_name);
// Sets the property from a language-file value (UTF-8, or Windows-1252 from older files;
// "*|*" is a line break), but only when value is not empty and the component has it.
void SetTextProp(QWidget* component, std::string_view prop_name, const std::string& value);

// The language-file generator: every translatable text of forms as they show now (their
// sections, in the order of forms) and every message the declaration files of the program
// folders declare (section "Misc"). Components whose name begins with "out" hold data,
// not interface texts, and are left out.
//
// WriteLanguageFile updates "Custom.ln" of the write folder key by key: keys it writes get
// their new values in place, everything else in an existing file stays.
// RegenerateLanguageFile replaces that file by a new one holding only what the generator
// writes. Both write the whole file or nothing and raise EFileError when a declaration file
// cannot be read or the file cannot be written.
void WriteLanguageFile(const std::vector<Form*>& forms, const ProgramFolders& folders);
void RegenerateLanguageFile(const std::vector<Form*>& forms, const ProgramFolders& folders);

}  // namespace kelmora
