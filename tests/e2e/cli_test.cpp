#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "e2e/child_process.h"
#include "e2e/cli_fixture.h"
#include "gallery/image_export.h"
#include "imaging/jpeg_image.h"
#include "imaging/tiff_file.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;
using test::ChildOptions;
using test::ChildResult;
using test::CliTest;
using test::CountFiles;
using test::JpegFileSize;
using test::Size;
using test::SourceSize;
using test::TempDir;
using test::WriteNoisyJpeg;

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
        EXPECT_EQ(test::ReadBytes(normal), test::ReadBytes(source));
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
  // ... and every file of the gallery is reachable.
  for (const fs::directory_entry& item : fs::directory_iterator(Out())) {
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
  WriteNoisyJpeg(In() / "img05.jpg", 64, 48, 5);
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
  WriteNoisyJpeg(In() / "img01.jpg", 64, 48, 1);
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
      "1st param is full path of \".km2\" file to use\r\n"
      "2nd param is path for input files\r\n"
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

}  // namespace
}  // namespace kelmora
