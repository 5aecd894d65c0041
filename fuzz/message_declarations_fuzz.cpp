// Message declaration files lie in the program folder, where anyone may put one: any bytes
// must collect and write into a language file without harm.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "localisation/message_declarations.h"
#include "settings/ini_file.h"

using kelmora::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kelmora::fuzz::kMaxTextInput) return 0;
  using namespace kelmora;
  const std::string_view text = kelmora::fuzz::AsText(data, size);

  std::vector<DeclarationLine> lines;
  CollectDeclarationLines(text, lines);
  const size_t collected = lines.size();
  const std::vector<DeclaredMessage> messages = ParseDeclaredMessages(std::move(lines));
  Check(messages.size() <= collected);
  IniFile file;
  for (const DeclaredMessage& message : messages) {
    Check(!message.name.empty());
    file.WriteString("Misc", message.name, message.value);
  }
  (void)file.Serialise();
  return 0;
}
