#include "shell/startup.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "localisation/lang_text.h"
#include "settings/ini_file.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

class StartUpTest : public ::testing::Test {
 protected:
  void TearDown() override { SetCurrentLanguage(nullptr); }
  std::string Folder() const { return dir_.Path().string() + "/"; }
  ProgramFolders Folders() const { return SingleProgramFolder(Folder()); }
  test::TempDir dir_;
};

TEST(LocateProgramFolders, TheBuildFolderIsReadAndWritten) {
  const ProgramFolders folders = LocateProgramFolders();
  EXPECT_EQ(folders.read_folders, std::vector<std::string>{test::BinDir().string() + "/"});
  EXPECT_EQ(folders.write_folder, test::BinDir().string() + "/");
}

TEST_F(StartUpTest, LanguageChoiceFromKmIni) {
  EXPECT_EQ(ReadLanguageChoice(Folders()), "Custom.ln");
  test::WriteText(dir_ / "km.ini", "[settings]\r\nlanguage = Deutsch.ln \r\n");
  EXPECT_EQ(ReadLanguageChoice(Folders()), "Deutsch.ln");
  test::WriteText(dir_ / "km.ini", "[Other]\r\nLanguage=Deutsch.ln\r\n");
  EXPECT_EQ(ReadLanguageChoice(Folders()), "Custom.ln");
}

TEST_F(StartUpTest, SavingTheLanguageChoiceKeepsTheRestOfKmIni) {
  test::WriteText(dir_ / "km.ini", "; mine\n[Settings]\nLanguage=Old.ln\nOther=1\n");
  ASSERT_TRUE(SaveLanguageChoice(Folders(), "Deutsch.ln"));
  EXPECT_EQ(test::ReadText(dir_ / "km.ini"),
            "; mine\r\n[Settings]\r\nLanguage=Deutsch.ln\r\nOther=1\r\n");
  EXPECT_EQ(ReadLanguageChoice(Folders()), "Deutsch.ln");
  // A file standing where the folder should be: km.ini cannot be written.
  test::WriteText(dir_ / "blocked", "");
  EXPECT_FALSE(SaveLanguageChoice(SingleProgramFolder(Folder() + "blocked/"), "Deutsch.ln"));
  // A write-protected km.ini stays as it is.
  std::filesystem::permissions(dir_ / "km.ini", std::filesystem::perms::owner_read);
  EXPECT_FALSE(SaveLanguageChoice(Folders(), "English.ln"));
  EXPECT_EQ(ReadLanguageChoice(Folders()), "Deutsch.ln");
}

TEST_F(StartUpTest, WithoutAnyFilesEverythingIsBuiltIn) {
  KM_Class settings;
  const StartupState state = StartUp(settings, Folders());
  EXPECT_EQ(state.folders.write_folder, Folder());
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
  const StartupState state = StartUp(settings, Folders());
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
      {"Francais.ln", "", "Text color"},
  };
  for (const Case& c : cases) {
    const std::string expected = *c.opened ? Folder() + c.opened : "";
    EXPECT_EQ(FindLanguageFile(Folders(), c.named), expected) << c.named;
    test::WriteText(dir_ / "km.ini", std::string("[Settings]\r\nLanguage=") + c.named + "\r\n");
    KM_Class settings;
    StartUp(settings, Folders());
    EXPECT_EQ(GetLangText(MessageKey::TextColor), c.text) << c.named;
  }
}

TEST_F(StartUpTest, ALanguageThatIsNotThereLeavesTheBuiltInTexts) {
  test::WriteText(dir_ / "de.ln", "[Misc]\r\nTextColor=Textfarbe\r\n");
  ASSERT_TRUE(LoadLanguage(Folders(), "de.ln"));
  // Choosing a missing language replaces the earlier one with none.
  for (const char* choice : {"Missing.ln", ""}) {
    test::WriteText(dir_ / "km.ini", std::string("[Settings]\r\nLanguage=") + choice + "\r\n");
    KM_Class settings;
    const StartupState state = StartUp(settings, Folders());
    EXPECT_EQ(state.LanguageFile, choice);
    EXPECT_FALSE(state.language_loaded);
    EXPECT_EQ(GetLangText(MessageKey::TextColor), "Text color");
  }
}

// An installed program: shared data beside the executables' folder, user files apart.
class InstalledStartUpTest : public ::testing::Test {
 protected:
  InstalledStartUpTest() {
    fs::create_directories(dir_ / "usr/bin");
    fs::create_directories(Shared());
    test::WriteText(Shared() + "default.km2", "[MoreLayout]\r\nTitle=Shared\r\n");
    test::WriteText(Shared() + "Deutsch.ln", "[Misc]\r\nTextColor=Textfarbe\r\n");
    test::WriteText(Shared() + "Francais.ln", "[Misc]\r\nTextColor=Couleur du texte\r\n");
    folders_ = LocateProgramFolders(dir_ / "usr/bin/", User());
  }
  void TearDown() override { SetCurrentLanguage(nullptr); }
  std::string Shared() const { return dir_ / "usr/share/kelmora/"; }
  std::string User() const { return dir_ / "home/.config/kelmora/"; }
  static std::vector<std::string> Names(const std::vector<ProgramFile>& files) {
    std::vector<std::string> names;
    for (const ProgramFile& file : files) names.push_back(file.Name);
    return names;
  }
  test::TempDir dir_;
  ProgramFolders folders_;
};

TEST_F(InstalledStartUpTest, TheExecutablesFolderDecidesTheLayout) {
  EXPECT_EQ(folders_.read_folders, (std::vector<std::string>{User(), Shared()}));
  EXPECT_EQ(folders_.write_folder, User());
  // default.km2 beside the executables (a build folder, an unpacked tree): one folder.
  test::WriteText(dir_ / "usr/bin/default.km2", "");
  EXPECT_EQ(LocateProgramFolders(dir_ / "usr/bin/", User()).read_folders,
            std::vector<std::string>{dir_ / "usr/bin/"});
  EXPECT_EQ(LocateProgramFolders(dir_ / "usr/bin", User()).write_folder, dir_ / "usr/bin/");
}

TEST_F(InstalledStartUpTest, ReadsSharedFilesAndWritesOnlyTheUsersFolder) {
  KM_Class settings;
  StartupState state = StartUp(settings, folders_);
  EXPECT_EQ(state.LanguageFile, "Custom.ln");
  EXPECT_FALSE(state.language_loaded);
  EXPECT_EQ(settings.Title, "Shared");
  EXPECT_FALSE(fs::exists(User())) << "start-up must not create the user's folder";

  // A language change creates the user's folder and km.ini there.
  ASSERT_TRUE(LoadLanguage(folders_, "Deutsch.ln"));
  EXPECT_EQ(GetLangText(MessageKey::TextColor), "Textfarbe");
  ASSERT_TRUE(SaveLanguageChoice(folders_, "Deutsch.ln"));
  EXPECT_EQ(test::ReadText(User() + "km.ini"), "[Settings]\r\nLanguage=Deutsch.ln\r\n");

  // "Save as default" goes to the user's folder; the shared file stays as it was.
  settings.Title = "Mine";
  ASSERT_TRUE(settings.SaveToFile(ProgramFileForWriting(folders_, kDefaultSettingsName)));
  EXPECT_EQ(test::ReadText(Shared() + "default.km2"), "[MoreLayout]\r\nTitle=Shared\r\n");

  // A user's language file of a shared name replaces it; the list shows each name once.
  test::WriteText(User() + "Deutsch.ln", "[Misc]\r\nTextColor=Meine Textfarbe\r\n");
  test::WriteText(User() + "Custom.ln", "[Misc]\r\n");
  test::WriteText(User() + "Upper.LN", "[Misc]\r\n");
  test::WriteText(User() + "notes.txt", "");
  EXPECT_EQ(Names(ListLanguageFiles(folders_)),
            (std::vector<std::string>{"Custom.ln", "Deutsch.ln", "Francais.ln", "Upper.LN"}));
  EXPECT_EQ(ListLanguageFiles(folders_)[1].path, User() + "Deutsch.ln");

  KM_Class again;
  state = StartUp(again, folders_);
  EXPECT_EQ(state.LanguageFile, "Deutsch.ln");
  EXPECT_TRUE(state.language_loaded);
  EXPECT_EQ(GetLangText(MessageKey::TextColor), "Meine Textfarbe");
  EXPECT_EQ(again.Title, "Mine");
}

TEST_F(InstalledStartUpTest, KmIniOfTheSharedFolderIsKeptWhenTheUserChangesLanguage) {
  test::WriteText(Shared() + "km.ini", "[Settings]\r\nLanguage=Francais.ln\r\nOther=1\r\n");
  EXPECT_EQ(ReadLanguageChoice(folders_), "Francais.ln");
  ASSERT_TRUE(SaveLanguageChoice(folders_, "Deutsch.ln"));
  EXPECT_EQ(test::ReadText(User() + "km.ini"), "[Settings]\r\nLanguage=Deutsch.ln\r\nOther=1\r\n");
  EXPECT_EQ(test::ReadText(Shared() + "km.ini"),
            "[Settings]\r\nLanguage=Francais.ln\r\nOther=1\r\n");
}

TEST_F(InstalledStartUpTest, LanguageFilesAreFoundFolderByFolderExactNameFirst) {
  fs::create_directories(User());
  test::WriteText(User() + "deutsch.LN", "[Misc]\r\nTextColor=Benutzer\r\n");
  // The exact name in any folder first, then any letter case, the user's folder first.
  const struct {
    const char* name;
    std::string expected;
  } cases[] = {{"deutsch.LN", User() + "deutsch.LN"},
               {"DEUTSCH.ln", User() + "deutsch.LN"},
               {"Deutsch.ln", Shared() + "Deutsch.ln"},
               {"francais.ln", Shared() + "Francais.ln"},
               {"Missing.ln", ""},
               {"../kelmora/Deutsch.ln", ""}};
  for (const auto& c : cases) EXPECT_EQ(FindLanguageFile(folders_, c.name), c.expected) << c.name;
}

TEST_F(InstalledStartUpTest, ALanguageNameWithAFolderIsNeverOpened) {
  test::WriteText(dir_ / "usr/share/Outside.ln", "[Misc]\r\nTextColor=Outside\r\n");
  for (const char* name : {"../Outside.ln", "/etc/passwd", ""}) {
    EXPECT_FALSE(LoadLanguage(folders_, name)) << name;
    EXPECT_EQ(GetLangText(MessageKey::TextColor), "Text color");
  }
}

TEST_F(InstalledStartUpTest, WithoutAUserFolderWritesFailAndReadsStillWork) {
  const ProgramFolders folders = LocateProgramFolders(dir_ / "usr/bin/", "");
  KM_Class settings;
  StartUp(settings, folders);
  EXPECT_EQ(settings.Title, "Shared");
  EXPECT_FALSE(SaveLanguageChoice(folders, "Deutsch.ln"));
  EXPECT_EQ(ProgramFileForWriting(folders, kDefaultSettingsName), "");
}

}  // namespace
}  // namespace kelmora
