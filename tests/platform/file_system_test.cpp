#include "platform/file_system.h"

#include "common/errors.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/test_support.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

TEST(WriteFileAtomically, ReplacesContentAndKeepsPermissions) {
  test::TempDir dir;
  const std::string path = dir / "settings.km2";
  test::WriteText(path, "old");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(WriteFileAtomically(path, "new content"));
  EXPECT_EQ(test::ReadText(path), "new content");
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  // No temporary file is left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

TEST(WriteFileAtomically, WritesThroughALinkToItsTarget) {
  test::TempDir dir;
  const std::string target = dir / "real.km2";
  const std::string link = dir / "link.km2";
  test::WriteText(target, "old");
  fs::create_symlink(target, link);
  ASSERT_TRUE(WriteFileAtomically(link, "new"));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(test::ReadText(target), "new");
}

TEST(WriteFileAtomically, FailureLeavesNothingBehind) {
  test::TempDir dir;
  EXPECT_FALSE(WriteFileAtomically(dir / "missing-folder/file.km2", "x"));
  const std::string folder = dir / "a-folder";
  fs::create_directory(folder);
  EXPECT_FALSE(WriteFileAtomically(folder, "x"));
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

TEST(CreateFolderWithParents, CreatesNestedFoldersAndRejectsFiles) {
  test::TempDir dir;
  EXPECT_TRUE(CreateFolderWithParents(dir / "a/b/c"));
  EXPECT_TRUE(IsExistingFolder(dir / "a/b/c"));
  test::WriteText(dir / "file", "x");
  EXPECT_FALSE(CreateFolderWithParents(dir / "file"));
  EXPECT_FALSE(CreateFolderWithParents(""));
}

TEST(ReadFileBytes, NamesThePathWhenTheFileIsMissing) {
  test::TempDir dir;
  try {
    ReadFileBytes(dir / "nothing.jpg");
    FAIL() << "no error raised";
  } catch (const EFileError& error) {
    EXPECT_NE(std::string(error.what()).find("nothing.jpg"), std::string::npos);
  }
}

}  // namespace
}  // namespace kelmora
