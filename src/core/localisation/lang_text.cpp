#include "localisation/lang_text.h"

#include <mutex>

#include "localisation/line_break_marker.h"

namespace kelmora {
namespace {

// The language is switched from the window while work threads may be composing messages;
// the lock guards only the swap, and a lookup keeps the file alive through its copy.
std::mutex current_language_mutex;
std::shared_ptr<const LanguageFile> current_language;

}  // namespace

std::shared_ptr<const LanguageFile> CurrentLanguage() {
  const std::lock_guard<std::mutex> lock(current_language_mutex);
  return current_language;
}

void SetCurrentLanguage(std::shared_ptr<const LanguageFile> language) {
  const std::lock_guard<std::mutex> lock(current_language_mutex);
  current_language = std::move(language);
}

std::string GetLangText(std::string_view default_text, std::string_view key) {
  const std::shared_ptr<const LanguageFile> language = CurrentLanguage();
  if (!language) return std::string(default_text);
  return ExpandLineBreakMarkers(language->ReadString("Misc", key, ""), "\r\n");
}

std::string GetLangText(MessageKey key) {
  const MessageText& message = MessageOf(key);
  if (key >= kFirstAddedMessage) {
    const std::shared_ptr<const LanguageFile> language = CurrentLanguage();
    if (language && !language->Read("Misc", message.key)) return std::string(message.default_text);
  }
  return GetLangText(message.default_text, message.key);
}

std::string GetLangText(MessageKey key, std::initializer_list<FormatArg> args) {
  return FormatText(GetLangText(key), args);
}

}  // namespace kelmora
