#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace kelmora {

// An interface language file (".ln"), read completely into memory when it is opened; later
// changes on disk are not seen.
//
// Reading rules: every line is trimmed of blanks; empty lines and lines starting with ";"
// are skipped; "[name]" starts a section; lines before the first section are ignored; any
// other line holding "=" defines a key (the trimmed text before the first "=") with the
// trimmed text after it as value, quotes and all; a line without "=" defines nothing.
// Section and key names compare without regard to letter case; where a key occurs twice in
// a section, the first one counts.
class LanguageFile {
 public:
  static LanguageFile Parse(std::string_view text);

  std::optional<std::string> Read(std::string_view section, std::string_view key) const;
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view default_value) const;

 private:
  // Lower-case section → lower-case key → value.
  std::unordered_map<std::string, std::unordered_map<std::string, std::string>> sections_;
};

// Opens the language file file_name in folder. No regular file of that name gives nullptr
// (an empty name, which names the folder itself, included); a file that exists but cannot
// be read raises EFileError.
std::shared_ptr<const LanguageFile> OpenLanguageFile(const std::string& folder,
                                                     const std::string& file_name);

}  // namespace kelmora
