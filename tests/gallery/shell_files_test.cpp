#include "platform/shell_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/folder_listing.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

class ShellFiles : public ::testing::Test {
 protected:
  // src holds: a.txt, .hidden, sub/b.txt, sub/deeper/c.txt
  void SetUp() override {
    fs::create_directories(src / "sub" / "deeper");
    test::WriteText(src / "a.txt", "a");
    test::WriteText(src / ".hidden", "h");
    test::WriteText(src / "sub" / "b.txt", "b");
    test::WriteText(src / "sub" / "deeper" / "c.txt", "c");
  }
  static std::string Mask(const fs::path& folder) { return (folder / "*.*").string(); }
  test::TempDir dir;
  fs::path src = dir.Path() / "src";
  fs::path out = dir.Path() / "out";
};

TEST_F(ShellFiles, DeleteEmptiesTheFolderButKeepsIt) {
  EXPECT_TRUE(ShellDeleteFiles(Mask(src)));
  EXPECT_TRUE(fs::is_directory(src));
  EXPECT_TRUE(fs::is_empty(src));
  EXPECT_TRUE(ShellDeleteFiles(Mask(src))) << "nothing left to match";
  EXPECT_FALSE(ShellDeleteFiles(Mask(dir.Path() / "missing")));
  EXPECT_FALSE(ShellDeleteFiles("/*.*")) << "the root folder is never emptied";
}

TEST_F(ShellFiles, DeleteOneFileOrByPattern) {
  EXPECT_TRUE(ShellDeleteFiles((src / "sub" / "*.txt").string()));
  EXPECT_TRUE(fs::exists(src / "sub" / "deeper" / "c.txt"));
  EXPECT_FALSE(fs::exists(src / "sub" / "b.txt"));
  EXPECT_TRUE(ShellDeleteFiles((src / "a.txt").string()));
  EXPECT_FALSE(ShellDeleteFiles((src / "a.txt").string())) << "already gone";
  EXPECT_TRUE(fs::exists(src / ".hidden"));
}

TEST_F(ShellFiles, CopyReplacesFilesAndMergesFolders) {
  fs::create_directories(out / "sub");
  test::WriteText(out / "sub" / "b.txt", "old b");
  test::WriteText(out / "sub" / "kept.txt", "k");
  test::WriteText(dir.Path() / "victim", "v");
  fs::create_symlink(dir.Path() / "victim", out / "a.txt");
  EXPECT_TRUE(ShellCopyFiles(Mask(src), out.string(), false));
  EXPECT_EQ(test::ReadText(out / "a.txt"), "a");
  EXPECT_EQ(test::ReadText(dir.Path() / "victim"), "v")
      << "a link is replaced, not written through";
  EXPECT_EQ(test::ReadText(out / "sub" / "b.txt"), "b");
  EXPECT_EQ(test::ReadText(out / ".hidden"), "h");
  EXPECT_EQ(test::ReadText(out / "sub" / "deeper" / "c.txt"), "c");
  EXPECT_EQ(test::ReadText(out / "sub" / "kept.txt"), "k");
  EXPECT_EQ(test::ReadText(src / "a.txt"), "a") << "the source stays";
  EXPECT_FALSE(ShellCopyFiles(Mask(dir.Path() / "missing"), out.string(), false));
}

TEST_F(ShellFiles, CopyNeverWritesThroughAFolderLinkInTheDestination) {
  const fs::path elsewhere = dir.Path() / "elsewhere";
  fs::create_directories(elsewhere);
  fs::create_directories(out);
  fs::create_directory_symlink(elsewhere, out / "sub");
  EXPECT_TRUE(ShellCopyFiles(Mask(src), out.string(), false));
  EXPECT_FALSE(fs::is_symlink(out / "sub"));
  EXPECT_EQ(test::ReadText(out / "sub" / "deeper" / "c.txt"), "c");
  EXPECT_TRUE(fs::is_empty(elsewhere)) << "the linked folder is left alone";
}

TEST_F(ShellFiles, CopyRenamesOnCollisionWhenAsked) {
  fs::create_directories(out);
  test::WriteText(out / "a.txt", "old a");
  test::WriteText(out / "a (2).txt", "old a2");
  EXPECT_TRUE(ShellCopyFiles((src / "a.txt").string(), out.string(), true));
  EXPECT_TRUE(ShellCopyFiles((src / "sub").string(), out.string(), true));
  EXPECT_TRUE(ShellCopyFiles((src / "sub").string(), out.string(), true));
  EXPECT_EQ(test::ReadText(out / "a.txt"), "old a");
  EXPECT_EQ(test::ReadText(out / "a (3).txt"), "a");
  EXPECT_EQ(test::ReadText(out / "sub (2)" / "deeper" / "c.txt"), "c");
}

TEST_F(ShellFiles, CopyNeverRunsIntoItself) {
  fs::create_directory_symlink(src, src / "sub" / "loop");
  EXPECT_FALSE(ShellCopyFiles(Mask(src), (src / "sub" / "inner").string(), false));
  EXPECT_FALSE(ShellCopyFiles(Mask(src / "sub"), out.string(), false)) << "the link loop";
  EXPECT_EQ(test::ReadText(out / "loop" / "a.txt"), "a") << "followed once";
  EXPECT_FALSE(ShellCopyFiles((src / "a.txt").string(), src.string(), false));
  EXPECT_EQ(test::ReadText(src / "a.txt"), "a");
}

TEST(MatchesMask, WindowsWildcards) {
  const std::tuple<std::string, std::string, bool> cases[] = {
      {"noext", "*.*", true},    {"a.txt", "*.txt", true}, {"a.txt.bak", "*.txt", false},
      {"ab", "a?", true},        {"a", "a?", false},       {"abcb", "a*b", true},
      {"A.TXT", "*.txt", false}, {"", "*", true},          {"x", "", false},
  };
  for (const auto& [name, pattern, match] : cases) {
    EXPECT_EQ(MatchesMask(name, pattern), match) << name << " ~ " << pattern;
  }
}

TEST_F(ShellFiles, FolderListingIsSortedAndSkipsHiddenAndFolders) {
  test::WriteText(src / "B.txt", "");
  test::WriteText(src / "\xC3\xA4.txt", "");
  fs::create_symlink(src / "a.txt", src / "link");
  fs::create_symlink(src / "missing", src / "dangling");
  std::vector<std::string> names;
  for (const FolderFile& file : ListFolderFiles(src.string())) names.push_back(file.Name);
  EXPECT_EQ(names, (std::vector<std::string>{"B.txt", "a.txt", "link", "\xC3\xA4.txt"}));
  EXPECT_EQ(ListFolderFiles(src.string(), true).front().Name, ".hidden");
  EXPECT_TRUE(ListFolderFiles((dir.Path() / "missing").string()).empty());
}

}  // namespace
}  // namespace kelmora
