#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "settings/ini_file.h"

namespace kelmora {

// What the language-file generator writes: keys and values of the window sections (a
// window's section is named after the window; its keys name the window or one of its
// components and a text of it) and the file itself.

// The file the language-file generator writes into the program folder.
inline constexpr std::string_view kCustomLanguageFileName = "Custom.ln";

// form + ".Caption".
std::string FormCaptionKey(std::string_view form);
// form + "." + component + "." + prop, for instance "KM.ButtonQuit.Hint".
std::string TextPropKey(std::string_view form, std::string_view component, std::string_view prop);
// form + "." + component + "." + list + "[" + index + "]", for instance "KM.SortMode.Items[2]".
std::string ListItemKey(std::string_view form, std::string_view component, std::string_view list,
                        size_t index);

// A value stands on one line of the file: a line break of a window text is written as the
// marker "*|*" (CR LF, LF and a lone CR alike) and read back as a line feed, the break
// widgets use.
std::string WindowTextToValue(std::string_view text);
std::string WindowTextFromValue(std::string_view value);

// The generator's file, to be updated key by key: the file at path when it exists (its
// other keys, sections and lines stay), an empty one otherwise.
IniFile LoadLanguageFileForUpdate(const std::string& path);

// Writes the whole file or nothing; raises EFileError naming path when it cannot.
void SaveLanguageFile(const IniFile& file, const std::string& path);

}  // namespace kelmora
