#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <ostream>
#include <string>

#include "common/errors.h"
#include "platform/file_system.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

size_t EntriesIn(const fs::path& folder) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {}));
}

void Write(const std::string& path, const std::string& text, LinkHandling links) {
  ReplaceFileContent(path, text.data(), text.size(), {.links = links});
}

// What stands where a file is written, and what must become of it and of the file a link
// names.
struct StandingCase {
  const char* name;
  LinkHandling links;
  bool link_to_victim;  // a link "out" -> "victim" stands at the path
  bool folder;          // a folder stands at the path
  mode_t mode;          // permissions of a file standing at the path (0: none there)
  bool succeeds;
  const char* out_text;  // what reading "out" gives afterwards
  const char* victim_text;
};

void PrintTo(const StandingCase& c, std::ostream* out) {
  *out << c.name;
}

class ReplaceFileContentTest : public testing::TestWithParam<StandingCase> {};

TEST_P(ReplaceFileContentTest, WritesWholeFilesAndNeverThroughALinkOrOverAProtectedFile) {
  const StandingCase& c = GetParam();
  test::TempDir dir;
  const std::string out = dir / "out";
  const std::string victim = dir / "victim";
  test::WriteText(victim, "victim");
  if (c.link_to_victim) fs::create_symlink(victim, out);
  if (c.folder) fs::create_directory(out);
  if (c.mode != 0) {
    test::WriteText(out, "old");
    ASSERT_EQ(::chmod(out.c_str(), c.mode), 0);
  }
  if (c.succeeds) {
    EXPECT_NO_THROW(Write(out, "new", c.links));
  } else {
    EXPECT_THROW(Write(out, "new", c.links), EFileError);
  }
  if (c.folder) {
    EXPECT_TRUE(fs::is_directory(out));
  } else {
    EXPECT_EQ(test::ReadText(out), c.out_text);
  }
  EXPECT_EQ(test::ReadText(victim), c.victim_text);
  if (c.mode != 0) {
    struct stat info {};
    ASSERT_EQ(::stat(out.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, c.mode);
  }
  // No temporary file is left, whatever happened.
  EXPECT_EQ(EntriesIn(dir.Path()), 2u);
}

constexpr auto kReplace = LinkHandling::kReplaceLink;
constexpr auto kTarget = LinkHandling::kWriteToTarget;

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, ReplaceFileContentTest, testing::Values(
    StandingCase{"NewFile",               kReplace, false, false, 0,     true,  "new", "victim"},
    StandingCase{"FileKeepsItsMode",      kReplace, false, false, 0640,  true,  "new", "victim"},
    StandingCase{"LinkIsReplaced",        kReplace, true,  false, 0,     true,  "new", "victim"},
    StandingCase{"LinkTargetIsWritten",   kTarget,  true,  false, 0,     true,  "new", "new"},
    StandingCase{"FolderInTheWay",        kReplace, false, true,  0,     false, "",    "victim"},
    StandingCase{"WriteProtectedFile",    kReplace, false, false, 0444,  false, "old", "victim"},
    StandingCase{"WriteProtectedSettings",kTarget,  false, false, 0444,  false, "old", "victim"}),
    [](const auto& item) { return std::string(item.param.name); });
// clang-format on

TEST(ReplaceFileContent, ReplacedFileKeepsOwnerAndGroup) {
  if (::geteuid() != 0) GTEST_SKIP() << "only a privileged process may give files away";
  test::TempDir dir;
  const std::string path = dir / "settings.km2";
  test::WriteText(path, "old");
  ASSERT_EQ(::chown(path.c_str(), 1234, 5678), 0);
  ASSERT_TRUE(WriteFileAtomically(path, "new"));
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 1234u);
  EXPECT_EQ(info.st_gid, 5678u);
}

TEST(ReplaceFileContent, NameAsLongAsTheFileSystemAllows) {
  test::TempDir dir;
  const std::string path = dir / (std::string(251, 'n') + ".km2");
  ASSERT_TRUE(WriteFileAtomically(path, "first"));
  ASSERT_TRUE(WriteFileAtomically(path, "second"));
  EXPECT_EQ(test::ReadText(path), "second");
}

// A file-size limit makes writes fail as a full disk does (the signal it would send is
// ignored, as no full disk sends one).
class FullDisk {
 public:
  explicit FullDisk(rlim_t bytes) {
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &old_limit_);
    struct rlimit limit = old_limit_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FullDisk() {
    ::setrlimit(RLIMIT_FSIZE, &old_limit_);
    std::signal(SIGXFSZ, old_handler_);
  }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

 private:
  struct rlimit old_limit_ {};
  void (*old_handler_)(int) = nullptr;
};

TEST(ReplaceFileContent, FullDiskKeepsTheOldFileWhole) {
  test::TempDir dir;
  const std::string page = dir / "page1.htm";
  const std::string copy = dir / "n_a.jpg";
  const std::string source = dir / "a.jpg";
  test::WriteText(page, "old page");
  test::WriteText(copy, "old copy");
  test::WriteText(source, std::string(64 * 1024, 's'));
  {
    FullDisk full(4096);
    const std::string big(64 * 1024, 'x');
    EXPECT_THROW(WriteFileBytes(page, big.data(), big.size()), EFileError);
    EXPECT_THROW(CopyFileReplacing(source, copy), EFileError);
    EXPECT_FALSE(WriteFileAtomically(page, big));
  }
  EXPECT_EQ(test::ReadText(page), "old page");
  EXPECT_EQ(test::ReadText(copy), "old copy");
  EXPECT_EQ(EntriesIn(dir.Path()), 3u);
}

TEST(CopyFileReplacing, CopiesBytesAndRefusesWhatIsNoRegularFile) {
  test::TempDir dir;
  std::string bytes;
  for (int i = 0; i < 3 * 1024 * 1024 + 17; ++i) bytes.push_back(static_cast<char>(i * 7));
  test::WriteText(dir / "a.jpg", bytes);
  // Through a link standing at the target: the link goes, its target stays.
  test::WriteText(dir / "victim", "victim");
  fs::create_symlink(dir / "victim", dir / "n_a.jpg");
  CopyFileReplacing(dir / "a.jpg", dir / "n_a.jpg");
  EXPECT_FALSE(fs::is_symlink(dir / "n_a.jpg"));
  EXPECT_EQ(test::ReadText(dir / "n_a.jpg"), bytes);
  EXPECT_EQ(test::ReadText(dir / "victim"), "victim");

  // A FIFO would wait for a writer for ever; a folder cannot be copied; a missing file.
  ASSERT_EQ(::mkfifo((dir / "fifo.jpg").c_str(), 0600), 0);
  fs::create_directory(dir / "folder.jpg");
  for (const char* source : {"fifo.jpg", "folder.jpg", "missing.jpg"}) {
    SCOPED_TRACE(source);
    try {
      CopyFileReplacing(dir / source, dir / "copy.jpg");
      ADD_FAILURE() << "no error";
    } catch (const EFileError& error) {
      EXPECT_NE(std::string(error.what()).find(source), std::string::npos) << error.what();
    }
    EXPECT_FALSE(fs::exists(dir / "copy.jpg"));
  }
}

}  // namespace
}  // namespace kelmora
