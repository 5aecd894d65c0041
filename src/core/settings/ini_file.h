#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kelmora {

// Longest value a read returns; the rest of a longer value is cut off, as the profile
// functions of the system the settings files come from do.
inline constexpr size_t kMaxIniValueLength = 2047;

// Decimal (optional sign) or hexadecimal with "$", "0x" or "0X" (up to 32 bits, so system
// colours like $80000005 read as the negative values they are stored as). Anything else,
// including an out-of-range decimal, is no integer.
std::optional<int32_t> ParseIniInteger(std::string_view text);

// An INI profile file held as its lines, so that rewriting it changes only the keys that
// are written and keeps everything else (comments, foreign sections and keys, blank lines,
// odd lines) exactly where and as it was.
//
// Reading rules: lines are trimmed of blanks; a line "[name]" starts a section; a line
// holding "=" whose trimmed text before the "=" is not empty is a key; lines starting with
// ";" are comments; lines before the first section belong to no section. Section and key
// names compare without regard to letter case, and where a section or a key occurs twice
// the first one counts. A value is the text after the first "=" up to a NUL byte, trimmed, with one
// enclosing pair of double or single quotes removed, cut at kMaxIniValueLength.
class IniFile {
 public:
  IniFile() = default;

  static IniFile Parse(std::string_view text);
  // No file at path gives an empty profile (a write then creates it); a file that exists but
  // cannot be read raises EFileError.
  static IniFile Load(const std::string& path);

  // Every line ended by CR LF, no byte-order mark.
  std::string Serialise() const;

  std::optional<std::string> Read(std::string_view section, std::string_view key) const;
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view default_value) const;
  // A value that is not an integer reads as the default.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t default_value) const;
  // Any integer other than 0 is true; a value that is not an integer reads as the default.
  bool ReadBool(std::string_view section, std::string_view key, bool default_value) const;

  // Replaces an existing key where it stands, adds a new key after the last key of its
  // section, and a new section at the end. Line breaks inside value become blanks: written
  // verbatim they would end the line and turn the rest into lines of their own.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int32_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

  // Removes every line of the key in the section.
  void DeleteKey(std::string_view section, std::string_view key);

  // Number of different keys the section holds, whatever their names.
  size_t CountKeys(std::string_view section) const;
  bool SectionExists(std::string_view section) const;

 private:
  struct Line {
    std::string text;
    bool deleted = false;
  };
  struct Section {
    std::string header;
    std::vector<Line> lines;
    // Lower-case key → indices of its lines in file order; the first is the one that counts.
    std::unordered_map<std::string, std::vector<size_t>> keys;
    // One past the last line that ever held a key: new keys go here, so existing key lines
    // never move.
    size_t end_of_keys = 0;
  };

  const Section* FindSection(std::string_view name) const;
  Section& FindOrAddSection(std::string_view name);
  const std::string* FindLine(std::string_view section, std::string_view key) const;

  std::vector<std::string> preamble_;
  std::vector<Section> sections_;
  std::unordered_map<std::string, size_t> section_index_;
};

}  // namespace kelmora
