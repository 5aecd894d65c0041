#include "localisation/message_declarations.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "common/ascii_text.h"
#include "localisation/line_break_marker.h"
#include "platform/file_system.h"
#include "platform/program_folders.h"
#include "settings/ini_file.h"

namespace kelmora {
namespace {

constexpr std::string_view kDeclarationMark = "='";
constexpr std::string_view kLiteralJoin = "'+";
constexpr std::string_view kDeclarationExtension = ".pas";

// Every "'+" ends a literal: from its quote up to the next quote (the opening quote of the
// next literal) everything goes, and that next quote becomes the marker. With no next
// quote the rest of the text goes.
void ReplaceLiteralJoins(std::string& value) {
  for (size_t at; (at = value.find(kLiteralJoin)) != std::string::npos;) {
    const size_t next_quote = value.find('\'', at + 1);
    if (next_quote == std::string::npos) {
      value.erase(at);
      return;
    }
    value.replace(at, next_quote - at + 1, kLineBreakMarker);
  }
}

bool IsDeclarationFileName(std::string_view name) {
  return name.size() > kDeclarationExtension.size() &&
         EqualIgnoringCase(name.substr(name.size() - kDeclarationExtension.size()),
                           kDeclarationExtension);
}

// Writes text as Pascal literals: quotes doubled, each line break as '+#13#10 at the end of
// a line and the next part on a line of its own beginning with +'.
std::string DeclarationOf(std::string_view name, std::string_view text) {
  std::string declaration = "  " + std::string(name) + "='";
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      declaration += "'+#13#10\r\n    +'";
    } else if (c == '\'') {
      declaration += "''";
    } else {
      declaration += c;
    }
  }
  declaration += "';\r\n";
  return declaration;
}

}  // namespace

void CollectDeclarationLines(std::string_view file_text, std::vector<DeclarationLine>& lines) {
  for (std::string_view line : SplitLines(file_text)) {
    // a source line's indentation and line end may hold tabs or stray carriage returns
    line = TrimSpaceAndControls(line);
    if (line.find(kDeclarationMark) != std::string_view::npos) {
      lines.push_back({std::string(line), false});
    }
    if (!line.empty() && (line.front() == '\'' || line.front() == '+' || line.front() == '#')) {
      lines.push_back({std::string(line), true});
    }
  }
}

std::vector<DeclaredMessage> ParseDeclaredMessages(std::vector<DeclarationLine> lines) {
  // Join from the last line backwards, so a chain of continuations ends up in one piece.
  for (size_t i = lines.size(); i-- > 1;) {
    if (!lines[i].continuation) continue;
    lines[i - 1].text += lines[i].text;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
  }
  if (!lines.empty() && lines.front().continuation) lines.erase(lines.begin());

  std::vector<DeclaredMessage> messages;
  messages.reserve(lines.size());
  // Name → value of its first declaration, before the literal joins are replaced.
  std::unordered_map<std::string, std::string> first_values;
  for (DeclarationLine& line : lines) {
    std::string& entry = line.text;
    entry.erase(entry.size() - std::min<size_t>(2, entry.size()));  // closing "';"
    const size_t equals = entry.find('=');
    if (equals == std::string::npos) continue;                  // "='" was the closing pair itself
    if (equals + 1 < entry.size()) entry.erase(equals + 1, 1);  // opening quote
    // Only the value's quotes are undoubled, so that the name and the position of "=" stay.
    for (size_t doubled; (doubled = entry.find("''", equals + 1)) != std::string::npos;) {
      entry.erase(doubled, 1);
    }
    std::string name = entry.substr(0, equals);
    if (name.empty()) continue;  // "=value" would define no key when read back
    std::string value = first_values.try_emplace(name, entry.substr(equals + 1)).first->second;
    ReplaceLiteralJoins(value);
    messages.push_back({std::move(name), std::move(value)});
  }
  return messages;
}

void CollectMessages(IniFile& ini_file, const ProgramFolders& folders) {
  std::vector<DeclarationLine> lines;
  for (const ProgramFile& file : ListProgramFiles(folders, "*")) {
    if (!IsDeclarationFileName(file.Name) || file.Name == kSkippedDeclarationFile) continue;
    // A file that vanished since the listing declares nothing.
    if (const std::optional<std::string> text = ReadProfileFile(file.path)) {
      CollectDeclarationLines(*text, lines);
    }
  }
  for (const DeclaredMessage& message : ParseDeclaredMessages(std::move(lines))) {
    ini_file.WriteString("Misc", message.name, message.value);
  }
}

std::string MessageDeclarationFileText(std::span<const MessageText> messages) {
  std::string text =
      "unit messages;\r\n"
      "\r\n"
      "{ The messages of Kelmora with their built-in English texts, made by the build from\r\n"
      "  the message table of the program. The language-file generator reads them here. }\r\n"
      "\r\n"
      "interface\r\n"
      "\r\n"
      "const\r\n";
  for (const MessageText& message : messages) {
    text += DeclarationOf(message.key, message.default_text);
  }
  text +=
      "\r\n"
      "implementation\r\n"
      "\r\n"
      "end.\r\n";
  return text;
}

}  // namespace kelmora
