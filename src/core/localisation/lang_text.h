#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "common/text_format.h"
#include "localisation/language_file.h"
#include "localisation/message_table.h"

namespace kelmora {

// The one current language of the process, or none (nullptr): every lookup then gives its
// default text. Choosing a language whose file is missing makes it none as well.
std::shared_ptr<const LanguageFile> CurrentLanguage();
void SetCurrentLanguage(std::shared_ptr<const LanguageFile> language);

// The translation lookup: without a current language, default_text; otherwise the value of
// key in the section "Misc" of the current language, the empty text when the file lacks
// the key, with every "*|*" turned into CR LF.
std::string GetLangText(std::string_view default_text, std::string_view key);

// The same lookup for a message of the table, with its built-in default; a key the program
// added (kFirstAddedMessage on) that the language file lacks gives its default.
std::string GetLangText(MessageKey key);

// Looks the message up and fills its "%s" and "%d" in order from args. A translation
// with placeholders missing or extra never reads past args (see FormatText).
std::string GetLangText(MessageKey key, std::initializer_list<FormatArg> args);

}  // namespace kelmora
