#include "localisation/language_file.h"

#include "settings/ini_text.h"

namespace kelmora {

LanguageFile LanguageFile::Parse(std::string_view text) {
  LanguageFile file;
  std::unordered_map<std::string, std::string>* section = nullptr;
  for (std::string_view line : ini_text::SplitLines(ini_text::SkipByteOrderMark(text))) {
    line = ini_text::TrimBlanks(line);
    if (line.empty() || line.front() == ';') continue;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      section = &file.sections_[ini_text::ToLowerAscii(
          ini_text::TrimBlanks(line.substr(1, line.size() - 2)))];
      continue;
    }
    const size_t equals = line.find('=');
    if (!section || equals == std::string_view::npos) continue;
    section->try_emplace(ini_text::ToLowerAscii(ini_text::TrimBlanks(line.substr(0, equals))),
                         ini_text::TrimBlanks(line.substr(equals + 1)));
  }
  return file;
}

std::optional<std::string> LanguageFile::Read(std::string_view section,
                                              std::string_view key) const {
  const auto found_section = sections_.find(ini_text::ToLowerAscii(section));
  if (found_section == sections_.end()) return std::nullopt;
  const auto found = found_section->second.find(ini_text::ToLowerAscii(key));
  if (found == found_section->second.end()) return std::nullopt;
  return found->second;
}

std::string LanguageFile::ReadString(std::string_view section, std::string_view key,
                                     std::string_view default_value) const {
  std::optional<std::string> value = Read(section, key);
  return value ? std::move(*value) : std::string(default_value);
}

std::shared_ptr<const LanguageFile> OpenLanguageFile(const std::string& folder,
                                                     const std::string& file_name) {
  std::string path = folder;
  if (!path.empty() && path.back() != '/') path.push_back('/');
  path += file_name;
  const std::optional<std::string> text =
      ini_text::ReadFile(path, ini_text::OtherFileKinds::kAreAbsent);
  if (!text) return nullptr;
  return std::make_shared<const LanguageFile>(LanguageFile::Parse(*text));
}

}  // namespace kelmora
