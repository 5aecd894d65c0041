// Language files come from translators: any bytes must load, and every message of the
// program must come out of the lookup and its formatting without harm.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "fuzz_check.h"
#include "localisation/lang_text.h"
#include "localisation/language_file.h"
#include "localisation/message_table.h"

using kelmora::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kelmora::fuzz::kMaxTextInput) return 0;
  using namespace kelmora;
  const std::string_view text = kelmora::fuzz::AsText(data, size);

  auto language = std::make_shared<const LanguageFile>(LanguageFile::Parse(text));
  SetCurrentLanguage(language);
  for (const MessageText& message : kMessages) {
    const std::optional<std::string> value = language->Read("Misc", message.key);
    const std::string looked_up = GetLangText(message.id);
    // A key the file lacks gives the empty text, except the program's own later additions,
    // which fall back to their built-in text.
    if (!value.has_value()) {
      Check(message.id >= kFirstAddedMessage ? looked_up == message.default_text
                                             : looked_up.empty());
    }
    const std::string filled = GetLangText(message.id, {"folder", int64_t{7}, int64_t{-3}});
    (void)filled;
  }
  (void)language->ReadString("KM", "KM.ButtonQuit.Caption", "fsdef");
  SetCurrentLanguage(nullptr);
  return 0;
}
