#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "e2e/child_process.h"
#include "e2e/cli_fixture.h"
#include "gallery/build_record.h"
#include "gallery/image_export.h"
#include "metadata/gps_strip.h"
#include "support/jpeg_reference.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;
using test::ChildOptions;
using test::ChildResult;
using test::CliTest;
using test::CountFiles;
using test::JpegFileSize;
using test::SettingsText;
using test::Size;
using test::SourceSize;
using test::TempDir;
using test::WriteGrainyJpeg;

// Photos of several cameras and sizes, two TIFFs and awkward names.
const char* const kPhotos[] = {
    "jpg/exif-org/canon-ixus.jpg",     // 640 x 480: fits, copied
    "jpg/exif-org/nikon-e950.jpg",     // 800 x 600: fits exactly
    "jpg/exif-org/ricoh-rdc5300.jpg",  // 896 x 600: only the width exceeds
    "jpg/exif-org/fujifilm-dx10.jpg",  // 1024 x 768
    "jpg/Fujifilm_FinePix_E500.jpg",   // 59 x 100, portrait
    "jpg/WWL_(Polaroid)_ION230.jpg",   // brackets in the name
    "jpg/Canon_40D.jpg",               // 100 x 68
    "tiff/DudleyLeavittUtah.tiff",     // TIFF, encoded
    "tiff/Crémieux11.tiff",            // TIFF with an accented name
};

TEST_F(CliTest, GalleryFromRealPhotos) {
  for (const char* photo : kPhotos) {
    fs::copy_file(test::SamplesDir() / photo, In() / fs::path(photo).filename());
  }
  const std::string settings = Settings({"RowsCount=2", "ColsCount=2"});
  const ChildResult result = Run({settings, In().string(), Out().string()});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_NE(result.out.find("Gallery written: " + (Out() / "page1.htm").string()),
            std::string::npos)
      << result.out;

  const int count = static_cast<int>(std::size(kPhotos));
  EXPECT_EQ(CountFiles(Out(), "page"), 3);  // 9 images at 2 x 2 a page
  EXPECT_EQ(CountFiles(Out(), "image"), count);
  EXPECT_EQ(CountFiles(Out(), "t_"), count);
  EXPECT_EQ(CountFiles(Out(), "n_"), count);
  EXPECT_EQ(CountFiles(Out(), "b_"), 0);

  for (const char* photo : kPhotos) {
    const fs::path source = In() / fs::path(photo).filename();
    SCOPED_TRACE(source.filename().string());
    const std::string base = source.stem().string();
    const Size size = SourceSize(source);
    const ImageSize thumbnail = ThumbnailSize(size.width, size.height, 160);
    EXPECT_EQ(JpegFileSize(Out() / ("t_" + base + ".jpg")),
              (Size{thumbnail.width, thumbnail.height}));
    const fs::path normal = Out() / ("n_" + base + ".jpg");
    if (size.width <= 800 && size.height <= 600) {
      EXPECT_EQ(JpegFileSize(normal), size);
      if (source.extension() == ".jpg") {
        // The shipped settings publish copies without a GPS position.
        std::vector<uint8_t> expected = test::ReadBytes(source);
        StripGpsPosition(expected);
        EXPECT_EQ(test::ReadBytes(normal), expected);
      }
    } else {
      const ImageSize resized = ResizedImageSize(size.width, size.height, 800, 600);
      EXPECT_EQ(JpegFileSize(normal), (Size{resized.width, resized.height}));
    }
  }

  // Every link and picture of every page leads to a file of the gallery.
  const std::regex reference(R"re((?:href|src)="([^"]*)")re");
  std::set<std::string> referenced;
  for (const fs::directory_entry& item : fs::directory_iterator(Out())) {
    if (item.path().extension() != ".htm") continue;
    const std::string page = test::ReadText(item.path());
    int found = 0;
    for (std::sregex_iterator it(page.begin(), page.end(), reference), end; it != end; ++it) {
      const std::string target = (*it)[1];
      EXPECT_TRUE(fs::is_regular_file(Out() / target))
          << item.path().filename() << " refers to " << target;
      referenced.insert(target);
      ++found;
    }
    EXPECT_GT(found, 0) << item.path().filename();
  }
  // ... and every file of the gallery is reachable (the record of what made them is the
  // program's own).
  for (const fs::directory_entry& item : fs::directory_iterator(Out())) {
    if (item.path().filename() == kBuildRecordName) continue;
    EXPECT_TRUE(referenced.count(item.path().filename().string())) << item.path().filename();
  }
}

struct ModeCase {
  const char* mode;
  int exported;
};

class CliModeTest : public CliTest, public testing::WithParamInterface<ModeCase> {};

TEST_P(CliModeTest, WritesEveryPageAndTheImagesOfTheMode) {
  AddNoisyImages(6, 64, 48);
  const std::string settings = Settings({"RowsCount=2", "ColsCount=2"});
  const ChildResult result =
      Run({"--mode", GetParam().mode, "--quiet", settings, In().string(), Out().string()});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(CountFiles(Out(), "page"), 2);
  EXPECT_EQ(CountFiles(Out(), "image"), 6);
  EXPECT_EQ(CountFiles(Out(), "t_"), GetParam().exported);
  EXPECT_EQ(CountFiles(Out(), "n_"), GetParam().exported);
}

INSTANTIATE_TEST_SUITE_P(Modes, CliModeTest,
                         testing::Values(ModeCase{"all", 6}, ModeCase{"first-page", 4},
                                         ModeCase{"pages", 0}),
                         [](const auto& item) {
                           std::string name = item.param.mode;
                           name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
                           return name;
                         });

TEST_F(CliTest, OneLinePerImageWhenNotOnATerminal) {
  AddNoisyImages(2, 64, 48);
  const ChildResult result = Run({Settings({}), In().string(), Out().string()});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(result.out, "Image 1 of 2\nImage 2 of 2\nGallery written: " +
                            (Out() / "page1.htm").string() + "\n");
}

TEST_F(CliTest, MissingOutputFolderIsCreatedWithItsParents) {
  AddNoisyImages(1, 64, 48);
  const fs::path deep = Out() / "a" / "b";
  const ChildResult result = Run({"--quiet", Settings({}), In().string(), deep.string()});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_TRUE(fs::is_regular_file(deep / "page1.htm"));
  EXPECT_TRUE(fs::is_regular_file(deep / "t_img01.jpg"));
}

TEST_F(CliTest, FoldersFromTheSettingsFileWhenNotGiven) {
  AddNoisyImages(1, 64, 48);
  const std::string settings =
      Settings({"InputPath=" + In().string(), "OutputPath=" + Out().string()});
  const ChildResult result = Run({"--quiet", settings});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_TRUE(fs::is_regular_file(Out() / "n_img01.jpg"));
}

TEST_F(CliTest, CorruptJpegEndsTheRunNamingTheFile) {
  AddNoisyImages(3, 64, 48);
  const fs::path broken = In() / "img04.jpg";
  test::WriteText(broken, "\xFF\xD8 this is not the rest of a picture");
  WriteGrainyJpeg(In() / "img05.jpg", 64, 48, 5);
  const std::string settings = Settings({"SortingMethodIndex=2"});
  const ChildResult result = Run({"--quiet", settings, In().string(), Out().string()});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.err.find(broken.string()), std::string::npos) << result.err;
  EXPECT_EQ(CountFiles(Out(), "image"), 5);
  for (const char* name : {"t_img01.jpg", "t_img02.jpg", "t_img03.jpg", "n_img03.jpg"}) {
    EXPECT_TRUE(fs::is_regular_file(Out() / name)) << name;
  }
  for (const char* name : {"t_img04.jpg", "n_img04.jpg", "t_img05.jpg", "n_img05.jpg"}) {
    EXPECT_FALSE(fs::exists(Out() / name)) << name;
  }
}

TEST_F(CliTest, FailedChecksExitWithOneAndSayWhy) {
  test::WriteText(dir_.Path() / "a file", "x");
  fs::create_directory(dir_.Path() / "empty");
  test::WriteText(dir_.Path() / "empty" / "notes.txt", "no pictures");
  WriteGrainyJpeg(In() / "img01.jpg", 64, 48, 1);
  const std::string settings = Settings({});
  const std::string missing = (dir_.Path() / "missing").string();
  const std::string file = (dir_.Path() / "a file").string();
  struct Case {
    std::string input, output, message;
  };
  const Case cases[] = {
      {missing, Out().string(), "Incorrect path for input: \"" + missing + "\""},
      {(dir_.Path() / "empty").string(), Out().string(), "No Images could be found"},
      {In().string(), file, "Failed to create output folder: \"" + file + "\""},
      // The system's reason follows.
      {In().string(), file + "/sub",
       "Failed to create output folder: \"" + file + "/sub\": Not a directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const ChildResult result = Run({settings, c.input, c.output});
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
  }
  EXPECT_FALSE(fs::exists(Out()));
  EXPECT_EQ(test::ReadText(file), "x");
}

TEST_F(CliTest, HelpRequestsPrintTheThreeLines) {
  const std::string help =
      "1st param is full path of \".km2\" file to use\n"
      "2nd param is path for input files\n"
      "3rd param is path for output files\n";
  ChildOptions in_temp_folder;
  in_temp_folder.working_folder = dir_.Path().string();
  for (const char* request : {"/?", "-?", "/HELP", "/Help", "-help"}) {
    SCOPED_TRACE(request);
    const ChildResult result = Run({request, In().string(), Out().string()}, in_temp_folder);
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.out, help);
    EXPECT_FALSE(fs::exists(Out()));
  }
  // In capitals it is the name of a settings file, which is not there: empty folders.
  const ChildResult result = Run({"-HELP"}, in_temp_folder);
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.err.find("Incorrect path for input: \"\""), std::string::npos) << result.err;
}

TEST_F(CliTest, UsageErrorsExitWithTwo) {
  const std::vector<std::vector<std::string>> usages = {
      {}, {"--mode", "fast", "x.km2"}, {"--mode"}, {"--frobnicate", "x.km2"}, {""}};
  for (const auto& args : usages) {
    const ChildResult result = Run(args);
    EXPECT_EQ(result.exit_code, 2) << (args.empty() ? "" : args[0]);
    EXPECT_FALSE(result.err.empty());
  }
  EXPECT_EQ(Run({"--help"}).exit_code, 0);
  EXPECT_EQ(Run({"--version"}).exit_code, 0);
}

TEST_F(CliTest, ExifReportShowsTheCaptureDateTheGalleryUses) {
  // The camera's DateTime (IFD0) wins over DateTimeOriginal 2008:05:30 15:56:01.
  const std::string photo = (test::SamplesDir() / "jpg/Canon_40D.jpg").string();
  const ChildResult result = Run({"--exif", photo});
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_NE(result.out.find("File: " + photo + "\n"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("Capture date: 2008-07-31 10:38:11\n"), std::string::npos);
  EXPECT_NE(result.out.find("Model = Canon EOS 40D\n"), std::string::npos);

  // A file that cannot be read is reported on stderr; the others are still shown.
  const ChildResult missing = Run({"--exif", (In() / "nothing.jpg").string(), photo});
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_NE(missing.err.find("nothing.jpg"), std::string::npos) << missing.err;
  EXPECT_NE(missing.out.find("Capture date: 2008-07-31 10:38:11\n"), std::string::npos);
}

TEST_F(CliTest, InterruptStopsBeforeTheNextImageAndKeepsTheWorkDone) {
  constexpr int kCount = 24;
  AddNoisyImages(kCount, 640, 480);
  const std::string settings = Settings({"SortingMethodIndex=2"});
  ChildOptions options;
  options.interrupt_when = [](const std::string& out) {
    return out.find("Image 3 of") != std::string::npos;
  };
  const ChildResult result = Run({settings, In().string(), Out().string()}, options);
  EXPECT_EQ(result.exit_code, 1) << result.err;
  EXPECT_NE(result.err.find("cancelled"), std::string::npos) << result.err;

  // The last label shows the image before which the run stopped.
  const std::regex label(R"(Image (\d+) of 24\n$)");
  std::smatch match;
  ASSERT_TRUE(std::regex_search(result.out, match, label)) << result.out;
  const int stopped_before = std::stoi(match[1]);
  ASSERT_GE(stopped_before, 3);
  ASSERT_LT(stopped_before, kCount);
  EXPECT_EQ(CountFiles(Out(), "page"), 2);
  EXPECT_EQ(CountFiles(Out(), "image"), kCount);
  for (int i = 1; i <= kCount; ++i) {
    const std::string base = (i < 10 ? "img0" : "img") + std::to_string(i);
    const bool expected = i < stopped_before;
    EXPECT_EQ(fs::exists(Out() / ("t_" + base + ".jpg")), expected) << base;
    EXPECT_EQ(fs::exists(Out() / ("n_" + base + ".jpg")), expected) << base;
  }
}

// --- Files that cannot be read, hostile headers, signals and closed pipes -----------------

// A path to something that exists but cannot be read: reading /proc/self/mem at offset 0
// fails with an I/O error, whoever runs the test.
fs::path UnreadableLink(const fs::path& folder, const std::string& name) {
  const fs::path link = folder / name;
  fs::create_symlink("/proc/self/mem", link);
  return link;
}

TEST_F(CliTest, SettingsFileThatCannotBeReadEndsTheRunBeforeAnythingIsWritten) {
  WriteGrainyJpeg(In() / "img01.jpg", 64, 48, 1);
  const fs::path folder = dir_.Path() / "folder.km2";
  fs::create_directory(folder);
  const fs::path fifo = dir_.Path() / "fifo.km2";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const fs::path huge = dir_.Path() / "huge.km2";
  test::WriteText(huge, test::SettingsText({}));
  fs::resize_file(huge, (size_t{8} << 20) + 1);  // one byte over the limit, mostly a hole
  struct Case {
    fs::path path;
    std::string reason;
  };
  const Case cases[] = {
      {folder, "not a regular file"},
      {fifo, "not a regular file"},
      {huge, "larger than 8388608 bytes"},
      {UnreadableLink(dir_.Path(), "io.km2"), "Input/output error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.string());
    const ChildResult result = Run({c.path.string(), In().string(), Out().string()});
    EXPECT_FALSE(result.timed_out);
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_NE(
        result.err.find("Settings file \"" + c.path.string() + "\" cannot be read: " + c.reason),
        std::string::npos)
        << result.err;
    EXPECT_FALSE(fs::exists(Out()));
  }
}

TEST_F(CliTest, MissingSettingsFileAndEmptyTemplatesAreWarnedAbout) {
  WriteGrainyJpeg(In() / "img01.jpg", 64, 48, 1);
  const std::string missing = (dir_.Path() / "missing.km2").string();
  const fs::path no_templates = dir_.Path() / "plain.km2";
  test::WriteText(no_templates, "[MoreLayout]\r\nTitle=Plain\r\n");
  struct Case {
    std::string settings;
    std::vector<std::string> warnings;
  };
  const std::string empty = "Both page templates are empty: the pages will be empty";
  const Case cases[] = {
      {missing, {"Settings file \"" + missing + "\" not found; using the defaults", empty}},
      {no_templates.string(), {empty}},
      {Settings({}), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings);
    fs::remove_all(Out());
    const ChildResult result = Run({c.settings, In().string(), Out().string()});
    EXPECT_EQ(result.exit_code, 0) << result.err;
    std::string expected;
    for (const std::string& warning : c.warnings) expected += "kelmora-cli: " + warning + "\n";
    EXPECT_EQ(result.err, expected);
    EXPECT_TRUE(fs::exists(Out() / "t_img01.jpg"));
  }
}

TEST_F(CliTest, ExifReportOfFilesThatCannotBeReadGivesTheReason) {
  const std::string photo = (test::SamplesDir() / "jpg/Canon_40D.jpg").string();
  const fs::path fifo = In() / "fifo.jpg";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_directory(In() / "folder.jpg");
  struct Case {
    fs::path path;
    std::string reason;
  };
  const Case cases[] = {
      {In() / "nothing.jpg", "No such file or directory"},
      {fifo, "not a regular file"},
      {In() / "folder.jpg", "not a regular file"},
      {UnreadableLink(In(), "io.jpg"), "Input/output error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.string());
    const ChildResult result = Run({"--exif", c.path.string(), photo});
    EXPECT_FALSE(result.timed_out);
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_NE(result.err.find("\"" + c.path.string() + "\": " + c.reason), std::string::npos)
        << result.err;
    // The other files are still reported.
    EXPECT_NE(result.out.find("Capture date: 2008-07-31 10:38:11\n"), std::string::npos);
  }
}

TEST_F(CliTest, ExifReportGoesOnAfterAValueWithNulBytes) {
  using Bytes = std::string;
  const auto segment = [](uint8_t marker, const Bytes& payload) {
    const size_t size = payload.size() + 2;
    return Bytes{'\xFF', char(marker), char(size >> 8), char(size)} + payload;
  };
  // IFD0 with a UNICODE UserComment (type UNDEFINED, 14 bytes at offset 26), then IPTC.
  Bytes tiff("II\x2A\0\x08\0\0\0\x01\0", 10);
  tiff += Bytes("\x86\x92\x07\0\x0E\0\0\0\x1A\0\0\0", 12) + Bytes(4, '\0');
  tiff += Bytes("UNICODE\0H\0i\0!\0", 14);
  const Bytes iptc =
      Bytes("Photoshop 3.0\08BIM\x04\x04\0\0\0\0\0\x09", 26) + Bytes("\x1C\x02\x5A\0\x04Oslo", 9);
  const fs::path photo = In() / "unicode.jpg";
  test::WriteText(photo, Bytes("\xFF\xD8", 2) + segment(0xE1, Bytes("Exif\0\0", 6) + tiff) +
                             segment(0xED, iptc) + segment(0xDA, Bytes(6, '\0')));
  const ChildResult result = Run({"--exif", photo.string()});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_NE(result.out.find("UserComment = H\\x00i\\x00!\n"), std::string::npos) << result.out;
  EXPECT_TRUE(result.out.ends_with("IPTC:\nCity = Oslo\n")) << result.out;
  EXPECT_EQ(result.out.find('\0'), std::string::npos);
}

// A JPEG of a few hundred bytes whose frame header declares width x height.
std::string JpegDeclaring(uint16_t width, uint16_t height) {
  const std::vector<uint8_t> bytes = test::WithDeclaredSize(
      test::EncodeReference({8, 8, 3, std::vector<uint8_t>(8 * 8 * 3)}, {}), width, height);
  return std::string(bytes.begin(), bytes.end());
}

TEST_F(CliTest, PictureDeclaringMorePixelsThanTheLimitFailsAtOnceNamingTheFile) {
  const fs::path bomb = In() / "bomb.jpg";
  test::WriteText(bomb, JpegDeclaring(37800, 37800));
  ASSERT_LT(fs::file_size(bomb), 1000u);
  const ChildResult result = Run({Settings({}), In().string(), Out().string()});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(
      result.err.find(bomb.string() + ": Image too large: 37800 x 37800 pixels (at most 268435456 "
                                      "pixels can be read)"),
      std::string::npos)
      << result.err;
  EXPECT_LT(result.max_rss_kb, 1L << 20);  // nothing near the 4.3 GB the header asks for
  EXPECT_FALSE(fs::exists(Out() / "t_bomb.jpg"));
}

TEST_F(CliTest, LargeFilesAreReadPieceByPieceNotWhole) {
  // Pictures followed by 3 GiB of hole: read whole, each would take 3 GiB of memory.
  constexpr uintmax_t kFileSize = uintmax_t{3} << 30;
  const char* const sources[] = {"jpg/exif-org/fujifilm-dx10.jpg", "tiff/DudleyLeavittUtah.tiff"};
  for (const char* source : sources) {
    const fs::path copy = In() / fs::path(source).filename();
    fs::copy_file(test::SamplesDir() / source, copy);
    fs::resize_file(copy, kFileSize);
  }
  const fs::path bmp = In() / "plain.bmp";
  fs::copy_file(test::DataDir() / "bmp" / "rgb24_v3.bmp", bmp);
  fs::resize_file(bmp, kFileSize);
  const ChildResult result = Run({Settings({}), In().string(), Out().string()});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(CountFiles(Out(), "t_"), 3);
  EXPECT_LT(result.max_rss_kb, 1L << 20) << "peak memory in KiB";
}

TEST_F(CliTest, SecondInterruptEndsTheProgramAtOnce) {
  // Pictures large enough that the second interrupt comes while one is still exported.
  AddNoisyImages(4, 3000, 2000);
  ChildOptions options;
  options.interrupt_when = [](const std::string& out) {
    return out.find("Image 2 of") != std::string::npos;
  };
  // Once the first one has been taken as a cancel request.
  options.interrupt_again_when = [](const std::string& err) {
    return err.find("Cancelling") != std::string::npos;
  };
  // A run that finished its cancel before the second interrupt reached it (the first one
  // landed between the label and the cancel check, or a busy machine delivered the second
  // late) proves nothing either way and is repeated.
  ChildResult result;
  for (int attempt = 0; attempt < 5; ++attempt) {
    fs::remove_all(Out());
    result = Run({Settings({}), In().string(), Out().string()}, options);
    if (result.err.find("cancelled") == std::string::npos) break;
  }
  EXPECT_EQ(result.signal, SIGINT) << "exit " << result.exit_code << "\n" << result.err;
  EXPECT_EQ(result.err.find("cancelled"), std::string::npos) << result.err;
}

TEST_F(CliTest, ClosedOutputPipeLetsTheRunFinish) {
  constexpr int kCount = 6;
  AddNoisyImages(kCount, 320, 240);
  ChildOptions options;
  options.close_output_when = [](const std::string& out) {
    return out.find("Image 1 of") != std::string::npos;
  };
  const ChildResult result = Run({Settings({}), In().string(), Out().string()}, options);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(CountFiles(Out(), "t_"), kCount);
  EXPECT_EQ(CountFiles(Out(), "n_"), kCount);
}

}  // namespace
}  // namespace kelmora
