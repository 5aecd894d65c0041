#include "shell/startup.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "localisation/lang_text.h"
#include "settings/ini_file.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

class StartUpTest : public ::testing::Test {
 protected:
  void TearDown() override { SetCurrentLanguage(nullptr); }
  std::string Folder() const { return dir_.Path().string() + "/"; }
  test::TempDir dir_;
};

TEST(ProgramFolder, IsTheExecutablesFolderWithASeparator) {
  EXPECT_EQ(ProgramFolder(), test::BinDir().string() + "/");
}

TEST_F(StartUpTest, LanguageChoiceFromKmIni) {
  EXPECT_EQ(ReadLanguageChoice(Folder()), "Custom.ln");
  test::WriteText(dir_ / "km.ini", "[settings]\r\nlanguage = Deutsch.ln \r\n");
  EXPECT_EQ(ReadLanguageChoice(Folder()), "Deutsch.ln");
  test::WriteText(dir_ / "km.ini", "[Other]\r\nLanguage=Deutsch.ln\r\n");
  EXPECT_EQ(ReadLanguageChoice(Folder()), "Custom.ln");
}

TEST_F(StartUpTest, SavingTheLanguageChoiceKeepsTheRestOfKmIni) {
  test::WriteText(dir_ / "km.ini", "; mine\n[Settings]\nLanguage=Old.ln\nOther=1\n");
  ASSERT_TRUE(SaveLanguageChoice(Folder(), "Deutsch.ln"));
  EXPECT_EQ(test::ReadText(dir_ / "km.ini"),
            "; mine\r\n[Settings]\r\nLanguage=Deutsch.ln\r\nOther=1\r\n");
  EXPECT_EQ(ReadLanguageChoice(Folder()), "Deutsch.ln");
  EXPECT_FALSE(SaveLanguageChoice(Folder() + "missing/", "Deutsch.ln"));
  // A write-protected km.ini stays as it is.
  std::filesystem::permissions(dir_ / "km.ini", std::filesystem::perms::owner_read);
  EXPECT_FALSE(SaveLanguageChoice(Folder(), "English.ln"));
  EXPECT_EQ(ReadLanguageChoice(Folder()), "Deutsch.ln");
}

TEST_F(StartUpTest, WithoutAnyFilesEverythingIsBuiltIn) {
  KM_Class settings;
  const StartupState state = StartUp(settings, Folder());
  EXPECT_EQ(state.ProgramFolder, Folder());
  EXPECT_EQ(state.LanguageFile, "Custom.ln");
  EXPECT_FALSE(state.language_loaded);
  EXPECT_FALSE(CurrentLanguage());
  EXPECT_EQ(GetLangText(MessageKey::NothingToProcessError), "No Images could be found");
  EXPECT_EQ(settings.ImagePagesName, "image");
  EXPECT_TRUE(settings.HTMLThumbnails.empty());
  EXPECT_TRUE(settings.HTMLImages.empty());
}

TEST_F(StartUpTest, LoadsTheChosenLanguageAndTheDefaultSettings) {
  test::WriteText(dir_ / "km.ini", "[Settings]\r\nLanguage=deutsch.ln\r\n");
  test::WriteText(dir_ / "deutsch.ln", "[Misc]\r\nNothingToProcessError=Keine Bilder\r\n");
  test::WriteText(dir_ / "default.km2",
                  "[MoreLayout]\r\nTitle=Urlaub\r\n[HTMLImages]\r\nLine0=dx\r\n");
  KM_Class settings;
  const StartupState state = StartUp(settings, Folder());
  EXPECT_EQ(state.LanguageFile, "deutsch.ln");
  EXPECT_TRUE(state.language_loaded);
  EXPECT_EQ(GetLangText(MessageKey::NothingToProcessError), "Keine Bilder");
  EXPECT_EQ(settings.Title, "Urlaub");
  EXPECT_EQ(settings.HTMLImages, std::vector<std::string>{"x"});
}

TEST_F(StartUpTest, LanguageFileIsMatchedExactlyFirstThenInAnyLetterCase) {
  test::WriteText(dir_ / "Deutsch.ln", "[Misc]\r\nTextColor=Textfarbe\r\n");
  test::WriteText(dir_ / "deutsch.ln", "[Misc]\r\nTextColor=textfarbe\r\n");
  test::WriteText(dir_ / "English.ln", "[Misc]\r\nTextColor=Text colour\r\n");
  struct Case {
    const char* named;
    const char* opened;
    const char* text;
  };
  const Case cases[] = {
      {"Deutsch.ln", "Deutsch.ln", "Textfarbe"},
      {"deutsch.ln", "deutsch.ln", "textfarbe"},
      {"ENGLISH.LN", "English.ln", "Text colour"},
      {"Francais.ln", "Francais.ln", "Text color"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindLanguageFileName(Folder(), c.named), c.opened) << c.named;
    test::WriteText(dir_ / "km.ini", std::string("[Settings]\r\nLanguage=") + c.named + "\r\n");
    KM_Class settings;
    StartUp(settings, Folder());
    EXPECT_EQ(GetLangText(MessageKey::TextColor), c.text) << c.named;
  }
}

TEST_F(StartUpTest, ALanguageThatIsNotThereLeavesTheBuiltInTexts) {
  test::WriteText(dir_ / "de.ln", "[Misc]\r\nTextColor=Textfarbe\r\n");
  ASSERT_TRUE(LoadLanguage(Folder(), "de.ln"));
  // Choosing a missing language replaces the earlier one with none.
  for (const char* choice : {"Missing.ln", ""}) {
    test::WriteText(dir_ / "km.ini", std::string("[Settings]\r\nLanguage=") + choice + "\r\n");
    KM_Class settings;
    const StartupState state = StartUp(settings, Folder());
    EXPECT_EQ(state.LanguageFile, choice);
    EXPECT_FALSE(state.language_loaded);
    EXPECT_EQ(GetLangText(MessageKey::TextColor), "Text color");
  }
}

}  // namespace
}  // namespace kelmora
