#include "settings/km_class.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include "settings/ini_file.h"
#include "support/default_settings.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

KM_Class LoadText(const std::string& text) {
  test::TempDir dir;
  test::WriteText(dir / "s.km2", text);
  KM_Class settings;
  EXPECT_TRUE(settings.LoadFromFile(dir / "s.km2"));
  return settings;
}

TEST(KM_Class, MissingFileGivesTheDefaultsAndEmptyTemplates) {
  KM_Class settings;
  settings.InputPath = settings.Title = "old";
  settings.HTMLImages = {"old"};
  EXPECT_TRUE(settings.LoadFromFile("/nonexistent/folder/default.km2"));
  EXPECT_EQ(settings, test::DefaultGallerySettings());
}

TEST(KM_Class, CheckedLoadingTellsMissingFromUnreadableFiles) {
  test::TempDir dir;
  test::WriteText(dir / "good.km2", "[MoreLayout]\r\nTitle=Mine\r\n");
  std::filesystem::create_directory(dir.Path() / "folder.km2");
  test::WriteText(dir / "huge.km2", "[MoreLayout]\r\nTitle=Mine\r\n");
  std::filesystem::resize_file(dir.Path() / "huge.km2", (size_t{8} << 20) + 1);
  struct Case {
    std::string path;
    SettingsFileState state;
    std::string reason;
  };
  const Case cases[] = {
      {dir / "good.km2", SettingsFileState::kLoaded, ""},
      {dir / "missing.km2", SettingsFileState::kMissing, ""},
      {dir / "folder.km2", SettingsFileState::kUnreadable, "not a regular file"},
      {dir / "huge.km2", SettingsFileState::kUnreadable, "larger than 8388608 bytes"},
  };
  for (const Case& c : cases) {
    KM_Class settings;
    settings.Title = "old";
    const SettingsFileStatus status = settings.LoadFromFileChecked(c.path);
    EXPECT_EQ(status.state, c.state) << c.path;
    EXPECT_EQ(status.reason, c.reason) << c.path;
    // Whatever went wrong, the record holds the defaults, as loading never fails.
    EXPECT_EQ(settings.Title, c.state == SettingsFileState::kLoaded ? "Mine" : "") << c.path;
  }
}

TEST(KM_Class, LoadsAFileWithEveryField) {
  const KM_Class s = LoadText(
      "[Files]\r\nInputPath=/photos/in\r\nOutputPath=/photos/out\r\nAdditionalPath=/extra\r\n"
      "ThumbPagesName=index\r\nImagePagesName=bild\r\nWebSiteExtension=.html\r\n"
      "ConvertFileNames=1\r\n"
      "[ThumbsNImages]\r\nQualityImages=75\r\nMaxWidthImage=1024\r\nMaxHeightImage=768\r\n"
      "FilterIndex=2\r\nQualityThumbnails=60\r\nMaxSizeThumbnails=120\r\n"
      "SortingMethodIndex=3\r\nUseExif=0\r\nCreateOnlyWebpages=1\r\nCopyOrgSizedImages=1\r\n"
      "[MoreLayout]\r\nBackgroundColor=65280\r\nTextColor=255\r\nLinkColor=16776960\r\n"
      "VisitedLinkColor=-2147483643\r\nRowsCount=3\r\nColsCount=-5\r\nTitle=My Holiday\r\n"
      "SubtitleIndex=4\r\n"
      "[HTMLThumbnails]\r\nLine0=d<html>\r\nLine1=d  <body>\r\n"
      "[HTMLImages]\r\nLine0=d<p>\r\n"
      "[GoCreate]\r\nAutoBrowserStart=0\r\n");
  EXPECT_EQ(s.InputPath, "/photos/in");
  EXPECT_EQ(s.OutputPath, "/photos/out");
  EXPECT_EQ(s.AdditionalPath, "/extra");
  EXPECT_EQ(s.ThumbPagesName, "index");
  EXPECT_EQ(s.ImagePagesName, "bild");
  EXPECT_EQ(s.WebSiteExtension, ".html");
  EXPECT_TRUE(s.ConvertFileNames);
  EXPECT_EQ(s.QualityImages, 75);
  EXPECT_EQ(s.MaxWidthImage, 1024);
  EXPECT_EQ(s.MaxHeightImage, 768);
  EXPECT_EQ(s.FilterIndex, 2);
  EXPECT_EQ(s.QualityThumbnails, 60);
  EXPECT_EQ(s.MaxSizeThumbnails, 120);
  EXPECT_EQ(s.SortingMethodIndex, SortMethod::kNameDescending);
  EXPECT_FALSE(s.UseExif);
  EXPECT_TRUE(s.CreateOnlyWebpages);
  EXPECT_TRUE(s.CopyOrgSizedImages);
  EXPECT_EQ(s.BackgroundColor, 65280);
  EXPECT_EQ(s.TextColor, 255);
  EXPECT_EQ(s.LinkColor, 16776960);
  EXPECT_EQ(s.VisitedLinkColor, static_cast<int32_t>(0x80000005u));
  EXPECT_EQ(s.RowsCount, 3);
  EXPECT_EQ(s.ColsCount, -5);
  EXPECT_EQ(s.Title, "My Holiday");
  EXPECT_EQ(s.SubtitleIndex, SubtitleKind::kImageNumber);
  EXPECT_EQ(s.HTMLThumbnails, (std::vector<std::string>{"<html>", "  <body>"}));
  EXPECT_EQ(s.HTMLImages, (std::vector<std::string>{"<p>"}));
  EXPECT_FALSE(s.AutoBrowserStart);
}

struct HandEditCase {
  const char* file;
  std::function<int64_t(const KM_Class&)> field;
  int64_t expected;
};

TEST(KM_Class, HandEditedValues) {
  const auto background = [](const KM_Class& s) { return s.BackgroundColor; };
  const auto use_exif = [](const KM_Class& s) { return s.UseExif; };
  const auto convert = [](const KM_Class& s) { return s.ConvertFileNames; };
  const auto quality = [](const KM_Class& s) { return s.QualityImages; };
  const HandEditCase cases[] = {
      {"[MoreLayout]\nBackgroundColor=$00FF00\n", background, 65280},
      {"[MoreLayout]\nBackgroundColor=0x00FF00\n", background, 65280},
      {"[morelayout]\nbackgroundcolor = '0X00ff00' \n", background, 65280},
      {"[MoreLayout]\nBackgroundColor=green\n", background, 16777215},
      {"[ThumbsNImages]\nUseExif=2\n", use_exif, true},
      {"[ThumbsNImages]\nUseExif=yes\n", use_exif, true},
      {"[ThumbsNImages]\nUseExif=0\n", use_exif, false},
      {"[Files]\nConvertFileNames=yes\n", convert, false},
      {"[Files]\nConvertFileNames=-1\n", convert, true},
      {"[ThumbsNImages]\nQualityImages=250\n", quality, 250},
      {"[ThumbsNImages]\nQualityImages=\n", quality, 90},
      {"[ThumbsNImages]\nQualityImages=9999999999\n", quality, 90},
      // The key belongs to another section: the field takes its default.
      {"[Files]\nQualityImages=10\n", quality, 90},
  };
  for (const auto& c : cases) EXPECT_EQ(c.field(LoadText(c.file)), c.expected) << c.file;
}

TEST(KM_Class, TemplateLinesAreReadByPositionWithTheirFirstCharacterDropped) {
  const KM_Class s = LoadText(
      "[HTMLImages]\nLine0=d<img>\nLine2=dnever read\n"
      "[HTMLThumbnails]\nLine0=\"d  quoted\"\nLine1=\nLine2=d\nLine3=abc\nline4=  d x  \n");
  EXPECT_EQ(s.HTMLImages, (std::vector<std::string>{"<img>", ""}));
  EXPECT_EQ(s.HTMLThumbnails, (std::vector<std::string>{"  quoted", "", "", "bc", " x"}));
}

TEST(KM_Class, TemplateLinesSurviveSavingAndLoading) {
  test::TempDir dir;
  KM_Class saved;
  saved.HTMLThumbnails = {
      "  leading blanks", "\"in double quotes\"", "",           "'single'", "d", "a=b",
      "; not a comment",  "[not a section]",      "trailing   "};
  saved.HTMLImages = {"<p>@image_smaller@</p>"};
  ASSERT_TRUE(saved.SaveToFile(dir / "t.km2"));
  KM_Class loaded;
  loaded.LoadFromFile(dir / "t.km2");
  std::vector<std::string> expected = saved.HTMLThumbnails;
  expected.back() = "trailing";  // trailing blanks of a line are not kept
  EXPECT_EQ(loaded.HTMLThumbnails, expected);
  EXPECT_EQ(loaded.HTMLImages, saved.HTMLImages);
  EXPECT_NE(test::ReadText(dir / "t.km2").find("Line0=d  leading blanks\r\n"), std::string::npos);
}

TEST(KM_Class, ANewFileHoldsTheKeysInOrderWithCrLf) {
  test::TempDir dir;
  KM_Class s;
  s.InputPath = "/in";
  s.ThumbPagesName = "page";
  s.QualityImages = 90;
  s.BackgroundColor = 16777215;
  s.VisitedLinkColor = -1;
  s.UseExif = true;
  s.Title = "Tübingen";
  s.HTMLThumbnails = {"<html>", ""};
  s.HTMLImages = {"x"};
  ASSERT_TRUE(s.SaveToFile(dir / "new.km2"));
  EXPECT_EQ(test::ReadText(dir / "new.km2"),
            "[Files]\r\nInputPath=/in\r\nOutputPath=\r\nAdditionalPath=\r\n"
            "ThumbPagesName=page\r\nImagePagesName=\r\nWebSiteExtension=\r\n"
            "ConvertFileNames=0\r\n"
            "[ThumbsNImages]\r\nQualityImages=90\r\nMaxWidthImage=0\r\nMaxHeightImage=0\r\n"
            "FilterIndex=0\r\nQualityThumbnails=0\r\nMaxSizeThumbnails=0\r\n"
            "SortingMethodIndex=0\r\nUseExif=1\r\nCreateOnlyWebpages=0\r\n"
            "CopyOrgSizedImages=0\r\nAutoRotate=0\r\nStripLocation=0\r\n"
            "[MoreLayout]\r\nBackgroundColor=16777215\r\nTextColor=0\r\nLinkColor=0\r\n"
            "VisitedLinkColor=-1\r\nRowsCount=0\r\nColsCount=0\r\nTitle=Tübingen\r\n"
            "SubtitleIndex=0\r\n"
            "[HTMLThumbnails]\r\nLine0=d<html>\r\nLine1=d\r\n"
            "[HTMLImages]\r\nLine0=dx\r\n"
            "[GoCreate]\r\nAutoBrowserStart=0\r\n");
}

TEST(KM_Class, SavingOverAFileKeepsForeignSectionsAndKeys) {
  test::TempDir dir;
  test::WriteText(dir / "s.km2",
                  "; my gallery\n[Foreign]\nX=1\n[Files]\n; note\ninputpath=/old\nMyKey=mine\n"
                  "[GoCreate]\nAutoBrowserStart=1\nLater=2\n");
  KM_Class s;
  s.LoadFromFile(dir / "s.km2");
  s.InputPath = "/new";
  ASSERT_TRUE(s.SaveToFile(dir / "s.km2"));
  const std::string text = test::ReadText(dir / "s.km2");
  EXPECT_EQ(text.rfind("; my gallery\r\n[Foreign]\r\nX=1\r\n[Files]\r\n; note\r\n"
                       "InputPath=/new\r\nMyKey=mine\r\nOutputPath=\r\n",
                       0),
            0u);
  EXPECT_NE(text.find("[GoCreate]\r\nAutoBrowserStart=1\r\nLater=2\r\n"), std::string::npos);
  KM_Class reloaded;
  reloaded.LoadFromFile(dir / "s.km2");
  EXPECT_EQ(reloaded, s);
}

TEST(KM_Class, AShorterTemplateRemovesTheOldLinesButNotForeignKeys) {
  test::TempDir dir;
  std::string file = "[HTMLThumbnails]\n";
  for (int i = 0; i < 10; ++i) {
    file += "Line" + std::to_string(i) + "=dold " + std::to_string(i) + "\n";
    if (i == 4) file += "Note=keep me\n";
  }
  file += "[HTMLImages]\nLine0=dimage\n";
  test::WriteText(dir / "s.km2", file);
  KM_Class s;
  s.LoadFromFile(dir / "s.km2");
  ASSERT_EQ(s.HTMLThumbnails.size(), 11u);
  s.HTMLThumbnails = {"a", "b", "c", "d", "e"};
  ASSERT_TRUE(s.SaveToFile(dir / "s.km2"));

  const IniFile ini = IniFile::Load(dir / "s.km2");
  for (int i = 5; i < 10; ++i) EXPECT_FALSE(ini.Read("HTMLThumbnails", "Line" + std::to_string(i)));
  EXPECT_EQ(ini.ReadString("HTMLThumbnails", "Note", ""), "keep me");
  KM_Class reloaded;
  reloaded.LoadFromFile(dir / "s.km2");
  EXPECT_EQ(reloaded.HTMLThumbnails, (std::vector<std::string>{"a", "b", "c", "d", "e", ""}));
  EXPECT_EQ(reloaded.HTMLImages, (std::vector<std::string>{"image"}));
}

TEST(KM_Class, LockedPathsKeepTheirValues) {
  test::TempDir dir;
  test::WriteText(dir / "s.km2", "[Files]\nInputPath=/theirs/in\nOutputPath=/theirs/out\n");
  KM_Class s;
  s.InputPath = "/mine/in";
  s.OutputPath = "/mine/out";
  s.LockInputPath = true;
  s.LoadFromFile(dir / "s.km2");
  EXPECT_EQ(s.InputPath, "/mine/in");
  EXPECT_EQ(s.OutputPath, "/theirs/out");
  s.LockOutputPath = true;
  s.LoadFromFile(dir / "missing.km2");
  EXPECT_EQ(s.InputPath, "/mine/in");
  EXPECT_EQ(s.OutputPath, "/theirs/out");
  s.LockInputPath = false;
  s.LoadFromFile(dir / "missing.km2");
  EXPECT_EQ(s.InputPath, "");
}

TEST(KM_Class, AMissingKeyResetsTheFieldToItsDefault) {
  KM_Class s = LoadText("[MoreLayout]\nTitle=First\nRowsCount=9\n");
  ASSERT_EQ(s.Title, "First");
  test::TempDir dir;
  test::WriteText(dir / "b.km2", "[MoreLayout]\nColsCount=2\n");
  s.LoadFromFile(dir / "b.km2");
  EXPECT_EQ(s.Title, "");
  EXPECT_EQ(s.RowsCount, 4);
  EXPECT_EQ(s.ColsCount, 2);
}

TEST(KM_Class, BadFilesLoadWithoutHarm) {
  std::string junk;
  for (int i = 0; i < 50000; ++i) junk.push_back(static_cast<char>((i * 131) % 256));
  EXPECT_EQ(LoadText(junk), test::DefaultGallerySettings());
  EXPECT_EQ(LoadText("InputPath=/no/section\n"), test::DefaultGallerySettings());
  KM_Class long_line = test::DefaultGallerySettings();
  long_line.HTMLImages = {""};
  EXPECT_EQ(LoadText("[HTMLImages]\n" + std::string(1 << 20, 'x') + "=1\n"), long_line);
  KM_Class cr_only = test::DefaultGallerySettings();
  cr_only.InputPath = "/cr-only";
  cr_only.OutputPath = "/o";
  EXPECT_EQ(LoadText("[Files]\rInputPath=/cr-only\rOutputPath=/o"), cr_only);
}

// A failed save must leave the previous file exactly as it was, however far the writing got.
TEST(KM_Class, AFailedSaveReturnsFalseAndLeavesTheOldFileUntouched) {
  test::TempDir dir;
  const std::string path = dir / "s.km2";
  const std::string old_content = "[Files]\r\nInputPath=/old\r\n[Mine]\r\nKeep=1\r\n";
  test::WriteText(path, old_content);
  KM_Class s;
  s.InputPath = "/new";
  s.HTMLThumbnails.assign(2000, std::string(100, 'x'));

  // A file size limit makes the write fail part way, as a full disk would, even for root.
  struct rlimit old_limit {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small_limit = old_limit;
  small_limit.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small_limit), 0);
  const bool saved = s.SaveToFile(path);
  setrlimit(RLIMIT_FSIZE, &old_limit);
  std::signal(SIGXFSZ, old_handler);

  EXPECT_FALSE(saved);
  EXPECT_EQ(test::ReadText(path), old_content);
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1u) << "the temporary file is left behind";
}

TEST(KM_Class, SavingWhereNoFileCanBeWrittenReturnsFalse) {
  test::TempDir dir;
  std::filesystem::create_directory(dir / "folder.km2");
  KM_Class s;
  EXPECT_FALSE(s.SaveToFile(dir / "missing-folder/s.km2"));
  EXPECT_FALSE(std::filesystem::exists(dir / "missing-folder"));
  EXPECT_FALSE(s.SaveToFile(dir / "folder.km2"));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.km2"));
  EXPECT_FALSE(s.SaveToFile("/proc/version"));
}

// A write-protected settings file is not replaced, although its folder would allow it.
TEST(KM_Class, SavingOverAWriteProtectedFileReturnsFalse) {
  test::TempDir dir;
  const std::string path = dir / "s.km2";
  test::WriteText(path, "[Files]\r\nInputPath=/old\r\n");
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  KM_Class s;
  EXPECT_FALSE(s.SaveToFile(path));
  EXPECT_EQ(test::ReadText(path), "[Files]\r\nInputPath=/old\r\n");
}

TEST(KM_Class, SavingIntoAReadOnlyFolderReturnsFalse) {
  if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
  test::TempDir dir;
  const std::string path = dir / "s.km2";
  test::WriteText(path, "[Files]\r\nInputPath=/old\r\n");
  std::filesystem::permissions(
      dir.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  KM_Class s;
  EXPECT_FALSE(s.SaveToFile(path));
  EXPECT_EQ(test::ReadText(path), "[Files]\r\nInputPath=/old\r\n");
}

}  // namespace
}  // namespace kelmora
