#include "settings/ini_file.h"

#include <algorithm>

#include "settings/ini_text.h"

namespace kelmora {
namespace {

std::optional<std::string_view> SectionNameOfLine(std::string_view trimmed) {
  if (trimmed.size() < 2 || trimmed.front() != '[' || trimmed.back() != ']') return std::nullopt;
  return ini_text::TrimBlanks(trimmed.substr(1, trimmed.size() - 2));
}

std::optional<std::string_view> KeyOfLine(std::string_view line) {
  const std::string_view trimmed = ini_text::TrimBlanks(line);
  if (trimmed.empty() || trimmed.front() == ';') return std::nullopt;
  const size_t equals = trimmed.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  const std::string_view key = ini_text::TrimBlanks(trimmed.substr(0, equals));
  if (key.empty()) return std::nullopt;
  return key;
}

std::string ValueOfLine(std::string_view line) {
  std::string_view raw = line.substr(line.find('=') + 1);
  // Values are C strings to the programs that write these files: a NUL byte ends one.
  raw = raw.substr(0, raw.find('\0'));
  std::string_view value = ini_text::TrimBlanks(raw);
  if (value.size() >= 2 && value.front() == value.back() &&
      (value.front() == '"' || value.front() == '\'')) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value.substr(0, kMaxIniValueLength));
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<int32_t> ParseIniInteger(std::string_view text) {
  if (text.starts_with('$') || text.starts_with("0x") || text.starts_with("0X")) {
    const std::string_view digits = text.substr(text.starts_with('$') ? 1 : 2);
    if (digits.empty()) return std::nullopt;
    uint64_t value = 0;
    for (char c : digits) {
      const int digit = HexDigit(c);
      if (digit < 0) return std::nullopt;
      value = value * 16 + static_cast<uint64_t>(digit);
      if (value > UINT32_MAX) return std::nullopt;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(value));
  }
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > int64_t{INT32_MAX} + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

IniFile IniFile::Parse(std::string_view text) {
  IniFile ini;
  Section* current = nullptr;
  for (std::string_view line : ini_text::SplitLines(ini_text::SkipByteOrderMark(text))) {
    if (const auto name = SectionNameOfLine(ini_text::TrimBlanks(line))) {
      ini.sections_.push_back(Section{std::string(line), {}, {}, 0});
      ini.section_index_.try_emplace(ini_text::ToLowerAscii(*name), ini.sections_.size() - 1);
      current = &ini.sections_.back();
      continue;
    }
    if (!current) {
      ini.preamble_.emplace_back(line);
      continue;
    }
    current->lines.push_back(Line{std::string(line), false});
    if (const auto key = KeyOfLine(line)) {
      current->keys[ini_text::ToLowerAscii(*key)].push_back(current->lines.size() - 1);
      current->end_of_keys = current->lines.size();
    }
  }
  return ini;
}

IniFile IniFile::Load(const std::string& path) {
  const std::optional<std::string> text = ini_text::ReadFile(path);
  return text ? Parse(*text) : IniFile();
}

std::string IniFile::Serialise() const {
  std::string text;
  for (const std::string& line : preamble_) text.append(line).append("\r\n");
  for (const Section& section : sections_) {
    text.append(section.header).append("\r\n");
    for (const Line& line : section.lines) {
      if (!line.deleted) text.append(line.text).append("\r\n");
    }
  }
  return text;
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
  const auto found = section_index_.find(ini_text::ToLowerAscii(name));
  return found == section_index_.end() ? nullptr : &sections_[found->second];
}

IniFile::Section& IniFile::FindOrAddSection(std::string_view name) {
  const auto [found, added] =
      section_index_.try_emplace(ini_text::ToLowerAscii(name), sections_.size());
  if (added) sections_.push_back(Section{"[" + std::string(name) + "]", {}, {}, 0});
  return sections_[found->second];
}

const std::string* IniFile::FindLine(std::string_view section, std::string_view key) const {
  const Section* found_section = FindSection(section);
  if (!found_section) return nullptr;
  const auto found = found_section->keys.find(ini_text::ToLowerAscii(key));
  if (found == found_section->keys.end()) return nullptr;
  return &found_section->lines[found->second.front()].text;
}

std::optional<std::string> IniFile::Read(std::string_view section, std::string_view key) const {
  const std::string* line = FindLine(section, key);
  if (!line) return std::nullopt;
  return ValueOfLine(*line);
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view default_value) const {
  std::optional<std::string> value = Read(section, key);
  return value ? std::move(*value) : std::string(default_value);
}

int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                             int32_t default_value) const {
  const std::optional<std::string> value = Read(section, key);
  if (!value) return default_value;
  return ParseIniInteger(*value).value_or(default_value);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool default_value) const {
  const std::optional<std::string> value = Read(section, key);
  if (!value) return default_value;
  const std::optional<int32_t> number = ParseIniInteger(*value);
  return number ? *number != 0 : default_value;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  std::string text = std::string(key) + "=" + std::string(value);
  std::replace(text.begin(), text.end(), '\r', ' ');
  std::replace(text.begin(), text.end(), '\n', ' ');
  Section& target = FindOrAddSection(section);
  const auto [found, added] = target.keys.try_emplace(ini_text::ToLowerAscii(key));
  if (!added) {
    target.lines[found->second.front()].text = std::move(text);
    return;
  }
  const size_t at = target.end_of_keys;
  target.lines.insert(target.lines.begin() + static_cast<std::ptrdiff_t>(at),
                      Line{std::move(text), false});
  found->second.push_back(at);
  target.end_of_keys = at + 1;
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void IniFile::DeleteKey(std::string_view section, std::string_view key) {
  const auto found_section = section_index_.find(ini_text::ToLowerAscii(section));
  if (found_section == section_index_.end()) return;
  Section& target = sections_[found_section->second];
  const auto found = target.keys.find(ini_text::ToLowerAscii(key));
  if (found == target.keys.end()) return;
  for (size_t index : found->second) target.lines[index].deleted = true;
  target.keys.erase(found);
}

size_t IniFile::CountKeys(std::string_view section) const {
  const Section* found = FindSection(section);
  return found ? found->keys.size() : 0;
}

bool IniFile::SectionExists(std::string_view section) const {
  return FindSection(section) != nullptr;
}

}  // namespace kelmora
