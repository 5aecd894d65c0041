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

TEST_F(LangText, KeysTheProgramAddedFallBackToTheirDefault) {
  // A language file made for the original keys lacks the added ones: they keep their
  // built-in text instead of going blank; a translation of them is used when present.
  Use("[Misc]\nTextImageXofY=Bild %d von %d\nNotEnoughMemory=Zu wenig Speicher\n");
  EXPECT_EQ(GetLangText(MessageKey::ThumbnailGridError, {0, 4}),
            "Thumbnail pages need at least 1 row and 1 column (rows: 0, columns: 4)");
  EXPECT_EQ(GetLangText(MessageKey::SettingsFileMissing, {""}),
            "Missing settings file: \"\" is not the full path of a \".km2\" file");
  EXPECT_EQ(GetLangText(MessageKey::ImageTooLarge, {1, 2, 3}),
            "Image too large: 1 x 2 pixels (at most 3 pixels can be read)");
  EXPECT_EQ(GetLangText(MessageKey::NotEnoughMemory), "Zu wenig Speicher");
  EXPECT_EQ(GetLangText(MessageKey::TextImageXofY, {1, 2}), "Bild 1 von 2");
  EXPECT_EQ(GetLangText(MessageKey::InputFolderError), "");
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
