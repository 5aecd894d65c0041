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
  // src_ holds: a.txt, .hidden, sub/b.txt, sub/deeper/c.txt
  void SetUp() override {
    fs::create_directories(src_ / "sub" / "deeper");
    test::WriteText(src_ / "a.txt", "a");
    test::WriteText(src_ / ".hidden", "h");
    test::WriteText(src_ / "sub" / "b.txt", "b");
    test::WriteText(src_ / "sub" / "deeper" / "c.txt", "c");
  }
  static std::string Mask(const fs::path& folder) { return (folder / "*.*").string(); }
  test::TempDir dir_;
  fs::path src_ = dir_.Path() / "src";
  fs::path out_ = dir_.Path() / "out";
};

TEST_F(ShellFiles, DeleteEmptiesTheFolderButKeepsIt) {
  EXPECT_TRUE(ShellDeleteFiles(Mask(src_)));
  EXPECT_TRUE(fs::is_directory(src_));
  EXPECT_TRUE(fs::is_empty(src_));
  EXPECT_TRUE(ShellDeleteFiles(Mask(src_))) << "nothing left to match";
  EXPECT_FALSE(ShellDeleteFiles(Mask(dir_.Path() / "missing")));
  EXPECT_FALSE(ShellDeleteFiles("/*.*")) << "the root folder is never emptied";
}

TEST_F(ShellFiles, DeleteOneFileOrByPattern) {
  EXPECT_TRUE(ShellDeleteFiles((src_ / "sub" / "*.txt").string()));
  EXPECT_TRUE(fs::exists(src_ / "sub" / "deeper" / "c.txt"));
  EXPECT_FALSE(fs::exists(src_ / "sub" / "b.txt"));
  EXPECT_TRUE(ShellDeleteFiles((src_ / "a.txt").string()));
  EXPECT_FALSE(ShellDeleteFiles((src_ / "a.txt").string())) << "already gone";
  EXPECT_TRUE(fs::exists(src_ / ".hidden"));
}

TEST_F(ShellFiles, CopyReplacesFilesAndMergesFolders) {
  fs::create_directories(out_ / "sub");
  test::WriteText(out_ / "sub" / "b.txt", "old b");
  test::WriteText(out_ / "sub" / "kept.txt", "k");
  test::WriteText(dir_.Path() / "victim", "v");
  fs::create_symlink(dir_.Path() / "victim", out_ / "a.txt");
  EXPECT_TRUE(ShellCopyFiles(Mask(src_), out_.string(), false));
  EXPECT_EQ(test::ReadText(out_ / "a.txt"), "a");
  EXPECT_EQ(test::ReadText(dir_.Path() / "victim"), "v")
      << "a link is replaced, not written through";
  EXPECT_EQ(test::ReadText(out_ / "sub" / "b.txt"), "b");
  EXPECT_EQ(test::ReadText(out_ / ".hidden"), "h");
  EXPECT_EQ(test::ReadText(out_ / "sub" / "deeper" / "c.txt"), "c");
  EXPECT_EQ(test::ReadText(out_ / "sub" / "kept.txt"), "k");
  EXPECT_EQ(test::ReadText(src_ / "a.txt"), "a") << "the source stays";
  EXPECT_FALSE(ShellCopyFiles(Mask(dir_.Path() / "missing"), out_.string(), false));
}

TEST_F(ShellFiles, CopyNeverWritesThroughAFolderLinkInTheDestination) {
  const fs::path elsewhere = dir_.Path() / "elsewhere";
  fs::create_directories(elsewhere);
  fs::create_directories(out_);
  fs::create_directory_symlink(elsewhere, out_ / "sub");
  EXPECT_TRUE(ShellCopyFiles(Mask(src_), out_.string(), false));
  EXPECT_FALSE(fs::is_symlink(out_ / "sub"));
  EXPECT_EQ(test::ReadText(out_ / "sub" / "deeper" / "c.txt"), "c");
  EXPECT_TRUE(fs::is_empty(elsewhere)) << "the linked folder is left alone";
}

TEST_F(ShellFiles, CopyRenamesOnCollisionWhenAsked) {
  fs::create_directories(out_);
  test::WriteText(out_ / "a.txt", "old a");
  test::WriteText(out_ / "a (2).txt", "old a2");
  EXPECT_TRUE(ShellCopyFiles((src_ / "a.txt").string(), out_.string(), true));
  EXPECT_TRUE(ShellCopyFiles((src_ / "sub").string(), out_.string(), true));
  EXPECT_TRUE(ShellCopyFiles((src_ / "sub").string(), out_.string(), true));
  EXPECT_EQ(test::ReadText(out_ / "a.txt"), "old a");
  EXPECT_EQ(test::ReadText(out_ / "a (3).txt"), "a");
  EXPECT_EQ(test::ReadText(out_ / "sub (2)" / "deeper" / "c.txt"), "c");
}

TEST_F(ShellFiles, CopyNeverRunsIntoItself) {
  fs::create_directory_symlink(src_, src_ / "sub" / "loop");
  EXPECT_FALSE(ShellCopyFiles(Mask(src_), (src_ / "sub" / "inner").string(), false));
  EXPECT_FALSE(ShellCopyFiles(Mask(src_ / "sub"), out_.string(), false)) << "the link loop";
  EXPECT_EQ(test::ReadText(out_ / "loop" / "a.txt"), "a") << "followed once";
  EXPECT_FALSE(ShellCopyFiles((src_ / "a.txt").string(), src_.string(), false));
  EXPECT_EQ(test::ReadText(src_ / "a.txt"), "a");
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
  test::WriteText(src_ / "B.txt", "");
  test::WriteText(src_ / "\xC3\xA4.txt", "");
  fs::create_symlink(src_ / "a.txt", src_ / "link");
  fs::create_symlink(src_ / "missing", src_ / "dangling");
  std::vector<std::string> names;
  for (const FolderFile& file : ListFolderFiles(src_.string())) names.push_back(file.Name);
  EXPECT_EQ(names, (std::vector<std::string>{"B.txt", "a.txt", "link", "\xC3\xA4.txt"}));
  EXPECT_EQ(ListFolderFiles(src_.string(), true).front().Name, ".hidden");
  EXPECT_TRUE(ListFolderFiles((dir_.Path() / "missing").string()).empty());
}

}  // namespace
}  // namespace kelmora
