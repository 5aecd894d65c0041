#include "localisation/lang_text.h"

#include <gtest/gtest.h>

#include <set>

namespace kelmora {
namespace {

class LangText : public ::testing::Test {
 protected:
  void Use(const std::string& text) {
    SetCurrentLanguage(std::make_shared<const LanguageFile>(LanguageFile::Parse(text)));
  }
  void TearDown() override { SetCurrentLanguage(nullptr); }
};

TEST_F(LangText, WithoutALanguageEveryTextIsItsDefault) {
  SetCurrentLanguage(nullptr);
  EXPECT_EQ(GetLangText(MessageKey::TextImageXofY), "Image %d of %d");
  EXPECT_EQ(GetLangText("any default", "NoSuchKey"), "any default");
  EXPECT_EQ(GetLangText(MessageKey::InputFolderError, {"/photos"}),
            "Incorrect path for input: \"/photos\"");
  EXPECT_EQ(GetLangText(MessageKey::TextImageXofY, {3, 20}), "Image 3 of 20");
}

TEST_F(LangText, AKeyMissingFromTheLanguageGivesTheEmptyText) {
  Use("[Misc]\nOther=x\n[KM]\nTextImageXofY=wrong section\n");
  EXPECT_EQ(GetLangText(MessageKey::TextImageXofY), "");
}

TEST_F(LangText, LineBreakMarkers) {
  const std::pair<const char*, const char*> cases[] = {
      {"one*|*two*|*three", "one\r\ntwo\r\nthree"},
      {"*|**|*text", "\r\n\r\ntext"},
      {"ends*|*", "ends\r\n"},
      {"*|*", "\r\n"},
      {"*|*|*", "\r\n|*"},
      {"half *| marker", "half *| marker"},
      {"plain", "plain"},
  };
  for (const auto& [value, expected] : cases) {
    Use(std::string("[Misc]\nTextColor=") + value + "\n");
    EXPECT_EQ(GetLangText(MessageKey::TextColor), expected) << value;
  }
}

TEST_F(LangText, KeyAndSectionMatchInAnyLetterCase) {
  for (const char* file :
       {"[misc]\ntextimagexofy=Bild %d von %d\n", "[MISC]\nTEXTIMAGEXOFY=Bild %d von %d\n",
        "[Misc]\n  TextImageXofY  =  Bild %d von %d   \n"}) {
    Use(file);
    EXPECT_EQ(GetLangText(MessageKey::TextImageXofY, {4, 9}), "Bild 4 von 9") << file;
  }
}

TEST_F(LangText, TranslationsWithWrongPlaceholdersAreFilledSafely) {
  Use("[Misc]\nInputFolderError=%s %s %d %n %x %% \"%s\"\nTextImageXofY=%d\n");
  EXPECT_EQ(GetLangText(MessageKey::InputFolderError, {"/in"}), "/in %s %d %n %x % \"%s\"");
  EXPECT_EQ(GetLangText(MessageKey::TextImageXofY, {1, 2}), "1");
}

TEST(MessageTable, KeysAreUniqueAndEveryMessageHasADefault) {
  std::set<std::string> keys;
  for (const MessageText& message : kMessages) {
    EXPECT_TRUE(keys.insert(std::string(message.key)).second) << message.key;
    EXPECT_FALSE(message.default_text.empty()) << message.key;
  }
}

}  // namespace
}  // namespace kelmora
