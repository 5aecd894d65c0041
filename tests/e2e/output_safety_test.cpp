#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include "e2e/child_process.h"
#include "e2e/cli_fixture.h"
#include "gallery/build_record.h"
#include "imaging/bitmap.h"
#include "imaging/jpeg_image.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;
using test::ChildResult;
using test::CliTest;
using test::CountFiles;
using test::WriteGrainyJpeg;

using FileContents = std::map<std::string, std::vector<uint8_t>>;

// Every regular file below a folder with its bytes; links by their target.
FileContents Snapshot(const fs::path& folder) {
  FileContents files;
  for (const auto& item : fs::recursive_directory_iterator(folder)) {
    const std::string name = fs::relative(item.path(), folder).string();
    if (item.is_symlink()) {
      const std::string target = fs::read_symlink(item.path()).string();
      files[name] = std::vector<uint8_t>(target.begin(), target.end());
    } else if (item.is_regular_file()) {
      files[name] = test::ReadBytes(item.path());
    }
  }
  return files;
}

// Every link and picture of every page leads to a file of the gallery.
void ExpectEveryReferenceResolves(const fs::path& folder) {
  const std::regex reference(R"re((?:href|src)="([^"]*)")re");
  for (const fs::directory_entry& item : fs::directory_iterator(folder)) {
    if (item.path().extension() != ".htm") continue;
    const std::string page = test::ReadText(item.path());
    for (std::sregex_iterator it(page.begin(), page.end(), reference), end; it != end; ++it) {
      EXPECT_TRUE(fs::is_regular_file(folder / (*it)[1].str()))
          << item.path().filename() << " refers to " << (*it)[1];
    }
  }
}

class OutputSafetyTest : public CliTest {
 protected:
  ChildResult RunGallery(const std::vector<std::string>& changes) const {
    return Run({"--quiet", Settings(changes), In().string(), Out().string()});
  }
};

// Settings files may come from anyone: names that lead out of the output folder or clash
// end the run before anything is written.
struct HostileCase {
  const char* name;
  std::vector<std::string> changes;
  std::string message;
};

void PrintTo(const HostileCase& c, std::ostream* out) {
  *out << c.name;
}

class HostileSettingsTest : public OutputSafetyTest,
                            public testing::WithParamInterface<HostileCase> {};

TEST_P(HostileSettingsTest, EndTheRunBeforeAnythingIsWritten) {
  WriteGrainyJpeg(In() / "img01.jpg", 64, 48, 1);
  const FileContents before = Snapshot(dir_.Path());
  const ChildResult result = RunGallery(GetParam().changes);
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.err.find(GetParam().message), std::string::npos) << result.err;
  EXPECT_FALSE(fs::exists(Out()));
  FileContents after = Snapshot(dir_.Path());
  after.erase("gallery.km2");
  EXPECT_EQ(after, before);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, HostileSettingsTest, testing::Values(
    HostileCase{"PageOutsideTheFolder", {"ImagePagesName=../../x", "WebSiteExtension=.sh"},
                "ImagePagesName \"../../x\" must not hold a folder separator"},
    HostileCase{"ControlCharacter", {"ThumbPagesName=pa\x1bge"},
                "ThumbPagesName \"pa\x1bge\" must not hold"},
    HostileCase{"EqualPageNames", {"ThumbPagesName=gallery", "ImagePagesName=gallery"},
                "Thumbnail pages and image pages need different names"},
    HostileCase{"EmptyPageNames", {"ThumbPagesName=", "ImagePagesName="},
                "Thumbnail pages and image pages need different names"}),
    [](const auto& item) { return std::string(item.param.name); });
// clang-format on

TEST_F(OutputSafetyTest, OutputThatWouldReplaceAnInputEndsTheRun) {
  WriteGrainyJpeg(In() / "a.jpg", 64, 48, 1);
  WriteGrainyJpeg(In() / "n_a.jpg", 64, 48, 2);
  const FileContents before = Snapshot(In());
  const ChildResult result = Run({"--quiet", Settings({}), In().string(), In().string()});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.err.find("Input and output folder are the same"), std::string::npos);
  EXPECT_NE(result.err.find("the output \"" + (In() / "n_a.jpg").string() + "\" of \"" +
                            (In() / "a.jpg").string() + "\""),
            std::string::npos)
      << result.err;
  EXPECT_EQ(Snapshot(In()), before);
}

// Two pictures with equal output names each keep their own files; the later one in the
// gallery's order is renamed, and the run says so.
struct CollisionCase {
  const char* name;
  std::vector<std::string> files;  // in gallery (name) order
  std::string convert;
  std::vector<std::string> resized;  // the resized images' names, in the same order
};

void PrintTo(const CollisionCase& c, std::ostream* out) {
  *out << c.name;
}

class CollisionTest : public OutputSafetyTest, public testing::WithParamInterface<CollisionCase> {};

TEST_P(CollisionTest, LaterPictureGetsANumberedSuffix) {
  const CollisionCase& c = GetParam();
  for (size_t i = 0; i < c.files.size(); ++i) {
    WriteGrainyJpeg(In() / c.files[i], 64, 48, static_cast<uint32_t>(i + 1));
  }
  const ChildResult result = RunGallery({"SortingMethodIndex=2", "ConvertFileNames=" + c.convert});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_NE(result.err.find("would have the same output files"), std::string::npos) << result.err;
  for (size_t i = 0; i < c.files.size(); ++i) {
    EXPECT_EQ(test::ReadBytes(Out() / c.resized[i]), test::ReadBytes(In() / c.files[i]))
        << c.resized[i];
    const std::string page = test::ReadText(Out() / ("image" + std::to_string(i + 1) + ".htm"));
    EXPECT_NE(page.find("src=\"" + c.resized[i] + "\""), std::string::npos) << page;
  }
  EXPECT_EQ(CountFiles(Out(), "t_"), static_cast<int>(c.files.size()));
  ExpectEveryReferenceResolves(Out());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, CollisionTest, testing::Values(
    CollisionCase{"SameBaseName", {"pic.jpeg", "pic.jpg"}, "0", {"n_pic.jpg", "n_pic-2.jpg"}},
    CollisionCase{"ConvertedNames", {"A B.jpg", "a_b.jpg"}, "1", {"n_a_b.jpg", "n_a_b-2.jpg"}}),
    [](const auto& item) { return std::string(item.param.name); });
// clang-format on

TEST_F(OutputSafetyTest, GalleryWithoutCollisionsSaysNothing) {
  WriteGrainyJpeg(In() / "pic.jpg", 64, 48, 1);
  WriteGrainyJpeg(In() / "Pic.jpg", 64, 48, 2);
  const ChildResult result = RunGallery({});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_TRUE(fs::exists(Out() / "n_pic.jpg"));
  EXPECT_TRUE(fs::exists(Out() / "n_Pic.jpg"));
}

TEST_F(OutputSafetyTest, LongNamesAreShortenedInsteadOfEndingTheRun) {
  const std::string base(251, 'p');
  WriteGrainyJpeg(In() / (base + ".jpg"), 64, 48, 1);
  WriteGrainyJpeg(In() / "short.jpg", 64, 48, 2);
  const ChildResult result = RunGallery({"CopyOrgSizedImages=1"});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_NE(result.err.find("too long for the file system"), std::string::npos) << result.err;
  EXPECT_EQ(CountFiles(Out(), "n_" + std::string(240, 'p') + "-"), 1);
  EXPECT_EQ(CountFiles(Out(), "b_"), 2);
  ExpectEveryReferenceResolves(Out());
}

// A link standing in the output folder is replaced by the gallery's file; the file it
// names is never written.
TEST_F(OutputSafetyTest, LinksInTheOutputFolderAreReplacedNotWrittenThrough) {
  WriteGrainyJpeg(In() / "img01.jpg", 64, 48, 1);
  fs::create_directory(Out());
  const char* const names[] = {"page1.htm", "image1.htm", "t_img01.jpg", "n_img01.jpg"};
  for (const char* name : names) {
    const fs::path victim = dir_.Path() / (std::string("victim-") + name);
    test::WriteText(victim, "precious");
    fs::create_symlink(victim, Out() / name);
  }
  const ChildResult result = RunGallery({});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  for (const char* name : names) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(fs::is_symlink(Out() / name));
    EXPECT_TRUE(fs::is_regular_file(Out() / name));
    EXPECT_EQ(test::ReadText(dir_.Path() / (std::string("victim-") + name)), "precious");
  }
  EXPECT_EQ(test::ReadBytes(Out() / "n_img01.jpg"), test::ReadBytes(In() / "img01.jpg"));
}

// A write or copy that fails fails the run, naming the file; it is never "Gallery written".
struct FailedWriteCase {
  const char* name;
  std::vector<std::string> changes;
  const char* blocked;  // an output with a folder in its way
};

void PrintTo(const FailedWriteCase& c, std::ostream* out) {
  *out << c.name;
}

class FailedWriteTest : public OutputSafetyTest,
                        public testing::WithParamInterface<FailedWriteCase> {};

TEST_P(FailedWriteTest, FailsTheRunNamingTheFile) {
  WriteGrainyJpeg(In() / "img01.jpg", 1200, 900, 1);
  WriteGrainyJpeg(In() / "img02.jpg", 64, 48, 2);
  fs::create_directories(Out() / GetParam().blocked);
  const ChildResult result = Run({Settings(GetParam().changes), In().string(), Out().string()});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.err.find((Out() / GetParam().blocked).string()), std::string::npos)
      << result.err;
  EXPECT_EQ(result.out.find("Gallery written"), std::string::npos) << result.out;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, FailedWriteTest, testing::Values(
    FailedWriteCase{"SmallJpegCopy", {}, "n_img02.jpg"},
    FailedWriteCase{"FullSizeCopy", {"CopyOrgSizedImages=1"}, "b_img01.jpg"},
    FailedWriteCase{"EncodedImage", {}, "n_img01.jpg"},
    FailedWriteCase{"Page", {}, "image2.htm"}),
    [](const auto& item) { return std::string(item.param.name); });
// clang-format on

// A full disk in the middle of a run leaves every file of the gallery made before either
// as it was or complete, never cut short. The disk is made full by a file-size limit whose
// signal is ignored, so writes fail as on a full disk.
TEST_F(OutputSafetyTest, FullDiskNeverLeavesAFileCutShort) {
  for (int i = 1; i <= 3; ++i) {
    WriteGrainyJpeg(In() / ("img0" + std::to_string(i) + ".jpg"), 640, 480, i);
  }
  ASSERT_EQ(RunGallery({}).exit_code, 0);
  const FileContents before = Snapshot(Out());
  for (int i = 1; i <= 3; ++i) {
    WriteGrainyJpeg(In() / ("img0" + std::to_string(i) + ".jpg"), 640, 480, 10 + i);
  }
  const std::string command = "trap '' XFSZ; ulimit -f 64; exec \"$0\" \"$@\"";
  const ChildResult result = test::RunChild({"/bin/sh", "-c", command, test::Cli(), "--quiet",
                                             Settings({}), In().string(), Out().string()});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.err.find(Out().string()), std::string::npos) << result.err;
  const FileContents after = Snapshot(Out());
  ASSERT_EQ(after.size(), before.size());
  for (const auto& [name, bytes] : after) {
    SCOPED_TRACE(name);
    const bool old = before.at(name) == bytes;
    const bool copied = name.rfind("n_", 0) == 0 && bytes == test::ReadBytes(In() / name.substr(2));
    const bool complete_page =
        name.ends_with(".htm") && test::ReadText(Out() / name).ends_with("</html>\r\n");
    const bool complete_jpeg = name.ends_with(".jpg") && bytes.size() > 2 &&
                               bytes[bytes.size() - 2] == 0xFF && bytes.back() == 0xD9;
    const bool complete_record =
        name == kBuildRecordName &&
        BuildRecord::FromText(test::ReadText(Out() / name)).Text() == test::ReadText(Out() / name);
    EXPECT_TRUE(old || copied || complete_page || complete_jpeg || complete_record);
  }
}

TEST_F(OutputSafetyTest, DefaultTemplateShowsAPictureNamedDelete) {
  WriteGrainyJpeg(In() / "delete.jpg", 64, 48, 1);
  ASSERT_EQ(RunGallery({}).exit_code, 0);
  const std::string page = test::ReadText(Out() / "image1.htm");
  EXPECT_NE(page.find("<img src=\"n_delete.jpg\""), std::string::npos) << page;
}

// Two pictures that together exceed the read-ahead's memory budget are decoded one after
// the other, so the peak holds one of them, not both.
TEST_F(OutputSafetyTest, ReadAheadNeverHoldsTwoBigPicturesAtOnce) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer's own memory hides the program's peak";
#endif
  constexpr int32_t kSide = 7000;  // 147 MB as a 24-bit bitmap; two exceed the budget
  for (int i = 1; i <= 2; ++i) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(PixelFormat::k24Bit);
    bitmap.SetSize(kSide, kSide);
    for (int32_t y = 0; y < kSide; ++y) {
      uint8_t* row = bitmap.ScanLine(y);
      for (int32_t x = 0; x < 3 * kSide; ++x) row[x] = static_cast<uint8_t>((x / 97 + y / 89) * i);
    }
    TJPEGImage jpeg;
    jpeg.Assign(bitmap);
    jpeg.SaveToFile((In() / ("big" + std::to_string(i) + ".jpg")).string());
  }
  const ChildResult result = RunGallery({});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  const long picture_kib = long{kSide} * kSide * 3 / 1024;
  EXPECT_LT(result.max_rss_kb, picture_kib * 3 / 2);
  EXPECT_GT(result.max_rss_kb, picture_kib);
}

}  // namespace
}  // namespace kelmora
