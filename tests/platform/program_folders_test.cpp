#include "platform/program_folders.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

struct UserFolderCase {
  const char* name;
  const char* xdg_config_home;
  const char* home;
  const char* account_home;
  const char* expected;
};

class UserConfigFolderTest : public ::testing::TestWithParam<UserFolderCase> {};

TEST_P(UserConfigFolderTest, FollowsTheEnvironment) {
  const UserFolderCase& c = GetParam();
  EXPECT_EQ(UserConfigFolder("kelmora", c.xdg_config_home, c.home, c.account_home), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UserConfigFolderTest,
    ::testing::Values(
        UserFolderCase{"XdgWins", "/x/conf", "/home/u", "", "/x/conf/kelmora/"},
        UserFolderCase{"XdgWithSeparator", "/x/conf/", "/home/u", "", "/x/conf/kelmora/"},
        UserFolderCase{"XdgUnset", nullptr, "/home/u", "", "/home/u/.config/kelmora/"},
        UserFolderCase{"XdgEmpty", "", "/home/u/", "", "/home/u/.config/kelmora/"},
        // A relative XDG_CONFIG_HOME is invalid and ignored, never taken from the
        // working folder.
        UserFolderCase{"XdgRelative", "conf", "/home/u", "", "/home/u/.config/kelmora/"},
        UserFolderCase{"XdgDotted", "/x/a/../conf", "/home/u", "", "/x/conf/kelmora/"},
        UserFolderCase{"HomeUnset", nullptr, nullptr, "/home/acct", "/home/acct/.config/kelmora/"},
        UserFolderCase{"HomeRelative", nullptr, "rel", "/home/acct", "/home/acct/.config/kelmora/"},
        UserFolderCase{"NoHomeAtAll", nullptr, nullptr, "", ""},
        UserFolderCase{"XdgAloneIsEnough", "/x", nullptr, "", "/x/kelmora/"}),
    [](const ::testing::TestParamInfo<UserFolderCase>& item) {
      return std::string(item.param.name);
    });

TEST(IsPlainFileName, AcceptsOnlyNamesWithoutFolder) {
  for (const char* name : {"km.ini", "Deutsch.ln", ".hidden", "a b.ln", "..ln"}) {
    EXPECT_TRUE(IsPlainFileName(name)) << name;
  }
  for (const char* name : {"", ".", "..", "../km.ini", "/etc/passwd", "sub/x.ln", "x.ln/"}) {
    EXPECT_FALSE(IsPlainFileName(name)) << name;
  }
  EXPECT_FALSE(IsPlainFileName(std::string_view("a\0b", 3)));
}

TEST(ProgramFolders, SingleFolderIsReadAndWritten) {
  const ProgramFolders folders = SingleProgramFolder("/opt/k/bin");
  EXPECT_EQ(folders.read_folders, std::vector<std::string>{"/opt/k/bin/"});
  EXPECT_EQ(folders.write_folder, "/opt/k/bin/");
  EXPECT_EQ(SingleProgramFolder("").write_folder, "./");
}

TEST(ProgramFolders, InstalledReadsUserThenSharedAndWritesUser) {
  ProgramFolders folders =
      InstalledProgramFolders("/home/u/.config/kelmora", "/usr/bin/../share/kelmora/");
  EXPECT_EQ(folders.read_folders,
            (std::vector<std::string>{"/home/u/.config/kelmora/", "/usr/share/kelmora/"}));
  EXPECT_EQ(folders.write_folder, "/home/u/.config/kelmora/");
  // The same folder twice is searched once.
  folders = InstalledProgramFolders("/usr/share/kelmora/", "/usr/share/x/../kelmora");
  EXPECT_EQ(folders.read_folders, std::vector<std::string>{"/usr/share/kelmora/"});
  // Without a user folder nothing can be written.
  folders = InstalledProgramFolders("", "/usr/share/kelmora/");
  EXPECT_EQ(folders.read_folders, std::vector<std::string>{"/usr/share/kelmora/"});
  EXPECT_EQ(folders.write_folder, "");
  EXPECT_EQ(ProgramFileForWriting(folders, "km.ini"), "");
}

class ProgramFilesTest : public ::testing::Test {
 protected:
  ProgramFilesTest() {
    fs::create_directories(Shared());
    fs::create_directories(User());
    folders_ = InstalledProgramFolders(User(), Shared());
  }
  std::string User() const { return dir_ / "user/"; }
  std::string Shared() const { return dir_ / "shared/"; }
  test::TempDir dir_;
  ProgramFolders folders_;
};

TEST_F(ProgramFilesTest, TheUsersFileHidesTheSharedOne) {
  test::WriteText(Shared() + "default.km2", "shared");
  test::WriteText(Shared() + "Deutsch.ln", "shared");
  test::WriteText(User() + "Deutsch.ln", "user");
  fs::create_directory(User() + "km.ini");  // a folder is no file
  test::WriteText(Shared() + "km.ini", "shared");

  EXPECT_EQ(FindProgramFile(folders_, "default.km2"), Shared() + "default.km2");
  EXPECT_EQ(FindProgramFile(folders_, "Deutsch.ln"), User() + "Deutsch.ln");
  EXPECT_EQ(FindProgramFile(folders_, "km.ini"), Shared() + "km.ini");
  EXPECT_EQ(FindProgramFile(folders_, "Missing.ln"), "");
  EXPECT_EQ(FindProgramFile(folders_, "../shared/default.km2"), "");
  EXPECT_EQ(FindProgramFile(folders_, ""), "");
}

TEST_F(ProgramFilesTest, ListsEachNameOnceFromTheEarliestFolder) {
  for (const char* name : {"Deutsch.ln", "Francais.ln", "default.km2", "messages.pas"}) {
    test::WriteText(Shared() + name, "shared");
  }
  for (const char* name : {"Deutsch.ln", "Custom.ln", ".hidden.ln"}) {
    test::WriteText(User() + name, "user");
  }
  fs::create_directory(User() + "Folder.ln");
  const std::vector<ProgramFile> files = ListProgramFiles(folders_, "*.ln");
  std::vector<std::pair<std::string, std::string>> got;
  for (const ProgramFile& file : files) got.emplace_back(file.Name, file.path);
  EXPECT_EQ(got, (std::vector<std::pair<std::string, std::string>>{
                     {"Custom.ln", User() + "Custom.ln"},
                     {"Deutsch.ln", User() + "Deutsch.ln"},
                     {"Francais.ln", Shared() + "Francais.ln"}}));
  ASSERT_EQ(ListProgramFiles(folders_, "*.pas").size(), 1u);
  // A read folder that does not exist (the user's, before the first write) lists nothing.
  const ProgramFolders fresh = InstalledProgramFolders(dir_ / "none", Shared());
  EXPECT_EQ(ListProgramFiles(fresh, "*.ln").size(), 2u);
}

TEST_F(ProgramFilesTest, WritingCreatesTheUsersFolderWithItsParents) {
  const ProgramFolders folders = InstalledProgramFolders(dir_ / "home/.config/kelmora", Shared());
  EXPECT_FALSE(fs::exists(dir_ / "home"));
  const std::string path = ProgramFileForWriting(folders, "km.ini");
  EXPECT_EQ(path, dir_ / "home/.config/kelmora/km.ini");
  EXPECT_TRUE(fs::is_directory(dir_ / "home/.config/kelmora"));
  EXPECT_EQ(ProgramFileForWriting(folders, "../km.ini"), "");
  // A file standing where the folder should be makes the write fail.
  test::WriteText(dir_ / "blocked", "x");
  EXPECT_EQ(
      ProgramFileForWriting(InstalledProgramFolders(dir_ / "blocked/kelmora", Shared()), "km.ini"),
      "");
}

TEST(ExecutableFolder, IsTheTestsOwnFolder) {
  EXPECT_EQ(ExecutableFolder(), test::BinDir().string() + "/");
}

}  // namespace
}  // namespace kelmora
