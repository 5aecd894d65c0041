// The language files that ship in the program folder against what the program asks for:
// every key the language-file generator writes, every message, and in each text the
// placeholders and the accelerator of the built-in one.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "localisation/message_table.h"
#include "settings/ini_text.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

// "section\nkey" (lower case, as the lookup compares them) → value, in file order; a key
// given twice is reported.
struct KeyedFile {
  std::map<std::string, std::string> values;
  std::vector<std::string> duplicates;
};

KeyedFile ReadKeys(const std::string& text) {
  KeyedFile file;
  std::string section;
  for (std::string_view line : ini_text::SplitLines(text)) {
    line = ini_text::TrimBlanks(line);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      section = ini_text::ToLowerAscii(line.substr(1, line.size() - 2));
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string key =
        section + "\n" + ini_text::ToLowerAscii(ini_text::TrimBlanks(line.substr(0, equals)));
    if (!file.values.emplace(key, ini_text::TrimBlanks(line.substr(equals + 1))).second) {
      file.duplicates.push_back(key);
    }
  }
  return file;
}

// The "%s" and "%d" of a text, in order.
std::string Placeholders(std::string_view text) {
  std::string found;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '%') continue;
    if (text[i + 1] == 's' || text[i + 1] == 'd') found += text.substr(i, 2);
    ++i;
  }
  return found;
}

// Accelerator markers: "&" before a character other than "&".
int Accelerators(std::string_view text) {
  int count = 0;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] != '&') ++count;
    ++i;
  }
  return count;
}

bool IsUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const size_t length = c < 0x80           ? 1
                          : (c >> 5) == 0x6  ? 2
                          : (c >> 4) == 0xE  ? 3
                          : (c >> 3) == 0x1E ? 4
                                             : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

std::vector<std::filesystem::path> ShippedLanguageFiles() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry :
       std::filesystem::directory_iterator(test::DataDir().parent_path().parent_path() / "data")) {
    if (entry.path().extension() == ".ln") files.push_back(entry.path());
  }
  return files;
}

TEST(ShippedLanguages, EnglishHoldsTheBuiltInTexts) {
  const KeyedFile generated =
      ReadKeys(test::ReadText(test::DataDir() / "localisation" / "custom_builtin.ln"));
  const KeyedFile english =
      ReadKeys(test::ReadText(test::DataDir().parent_path().parent_path() / "data" / "English.ln"));
  std::vector<std::string> left_empty;
  for (const auto& [key, value] : english.values) {
    if (value.empty()) {
      left_empty.push_back(key);
    } else {
      EXPECT_EQ(value, generated.values.at(key)) << key;
    }
  }
  // The texts the program keeps whatever the language: values shown, the manual's name.
  EXPECT_EQ(left_empty, (std::vector<std::string>{"km\nkm.labelhomepagelink.caption",
                                                  "km\nkm.labelimagequality.caption",
                                                  "km\nkm.labelthumbquality.caption"}));
}

TEST(ShippedLanguages, EnglishGermanAndFrenchShip) {
  std::vector<std::string> names;
  for (const auto& path : ShippedLanguageFiles()) names.push_back(path.filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_TRUE(std::binary_search(names.begin(), names.end(), "Deutsch.ln"));
  EXPECT_TRUE(std::binary_search(names.begin(), names.end(), "Francais.ln"));
  EXPECT_TRUE(std::binary_search(names.begin(), names.end(), "English.ln"));
}

TEST(ShippedLanguages, EveryKeyEveryPlaceholderAndAccelerator) {
  // What the generator writes for the built-in texts (a GUI test keeps this file current).
  const KeyedFile generated =
      ReadKeys(test::ReadText(test::DataDir() / "localisation" / "custom_builtin.ln"));
  for (const MessageText& message : kMessages) {
    const std::string key = "misc\n" + ini_text::ToLowerAscii(message.key);
    ASSERT_TRUE(generated.values.contains(key)) << message.key;
  }

  for (const auto& path : ShippedLanguageFiles()) {
    SCOPED_TRACE(path.filename().string());
    const std::string text = test::ReadText(path);
    EXPECT_TRUE(IsUtf8(text));
    const KeyedFile shipped = ReadKeys(text);
    EXPECT_EQ(shipped.duplicates, std::vector<std::string>{});
    for (const auto& [key, english] : generated.values) {
      const auto found = shipped.values.find(key);
      if (found == shipped.values.end()) {
        ADD_FAILURE() << "missing " << key;
        continue;
      }
      EXPECT_EQ(Placeholders(found->second), Placeholders(english)) << key;
      // An empty value keeps the built-in text, accelerator and all.
      if (!found->second.empty()) {
        EXPECT_EQ(Accelerators(found->second), Accelerators(english)) << key;
      }
    }
    for (const auto& [key, value] : shipped.values) {
      EXPECT_TRUE(generated.values.contains(key)) << "unknown key " << key;
    }
  }
}

}  // namespace
}  // namespace kelmora
