#include "settings/ini_text.h"

#include <filesystem>

#include "common/errors.h"
#include "platform/regular_file.h"

namespace kelmora::ini_text {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string_view SkipByteOrderMark(std::string_view text) {
  constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
  while (text.starts_with(kUtf8Mark)) text.remove_prefix(kUtf8Mark.size());
  return text;
}

std::string_view TrimBlanks(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::string ToLowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = LowerAscii(c);
  return lower;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

std::optional<std::string> ReadFile(const std::string& path, OtherFileKinds other_kinds) {
  if (other_kinds == OtherFileKinds::kAreAbsent) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
      return std::nullopt;
    }
  }
  const std::optional<RegularFile> file = RegularFile::OpenIfExists(path);
  if (!file) return std::nullopt;
  const std::vector<uint8_t> bytes = file->ReadHead(kMaxFileBytes + 1);
  if (bytes.size() > kMaxFileBytes) {
    throw EFileError("Cannot read file", path,
                     "larger than " + std::to_string(kMaxFileBytes) + " bytes");
  }
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace kelmora::ini_text
