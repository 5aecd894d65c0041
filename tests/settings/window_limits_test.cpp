#include "settings/window_limits.h"

#include <gtest/gtest.h>

namespace kelmora {
namespace {

struct LimitCase {
  const char* name;
  int32_t KM_Class::*field;
  int32_t stored;
  int32_t expected;
};

TEST(ApplyWindowLimits, NumberFieldsTakeWhatTheirControlsCanHold) {
  const LimitCase cases[] = {
      {"QualityImages", &KM_Class::QualityImages, 0, 1},
      {"QualityImages", &KM_Class::QualityImages, 250, 100},
      {"QualityImages", &KM_Class::QualityImages, 1, 1},
      {"QualityImages", &KM_Class::QualityImages, 100, 100},
      {"QualityImages", &KM_Class::QualityImages, INT32_MIN, 1},
      {"QualityThumbnails", &KM_Class::QualityThumbnails, -3, 1},
      {"QualityThumbnails", &KM_Class::QualityThumbnails, 101, 100},
      {"MaxWidthImage", &KM_Class::MaxWidthImage, 9999, 9999},
      {"MaxWidthImage", &KM_Class::MaxWidthImage, 10000, 9999},
      {"MaxWidthImage", &KM_Class::MaxWidthImage, -1, 0},
      {"MaxHeightImage", &KM_Class::MaxHeightImage, 0, 0},
      {"MaxHeightImage", &KM_Class::MaxHeightImage, INT32_MAX, 9999},
      {"MaxSizeThumbnails", &KM_Class::MaxSizeThumbnails, 999, 999},
      {"MaxSizeThumbnails", &KM_Class::MaxSizeThumbnails, 1000, 999},
      {"MaxSizeThumbnails", &KM_Class::MaxSizeThumbnails, -20, 0},
      {"FilterIndex", &KM_Class::FilterIndex, 0, 0},
      {"FilterIndex", &KM_Class::FilterIndex, 6, 6},
      {"FilterIndex", &KM_Class::FilterIndex, 7, -1},
      {"FilterIndex", &KM_Class::FilterIndex, 9, -1},
      {"FilterIndex", &KM_Class::FilterIndex, -1, -1},
      {"FilterIndex", &KM_Class::FilterIndex, -2, -1},
      {"SortingMethodIndex", &KM_Class::SortingMethodIndex, 7, 3},
      {"SortingMethodIndex", &KM_Class::SortingMethodIndex, -5, -1},
      {"SortingMethodIndex", &KM_Class::SortingMethodIndex, 2, 2},
      {"SubtitleIndex", &KM_Class::SubtitleIndex, -5, -1},
      {"SubtitleIndex", &KM_Class::SubtitleIndex, 6, 5},
      {"SubtitleIndex", &KM_Class::SubtitleIndex, 5, 5},
      {"SubtitleIndex", &KM_Class::SubtitleIndex, 3, 3},
      {"RowsCount", &KM_Class::RowsCount, -7, -7},
      {"ColsCount", &KM_Class::ColsCount, 0, 0},
      {"ColsCount", &KM_Class::ColsCount, 123456, 123456},
      {"BackgroundColor", &KM_Class::BackgroundColor, -2147483643, -2147483643},
      {"LinkColor", &KM_Class::LinkColor, 0x123456, 0x123456},
  };
  for (const auto& c : cases) {
    KM_Class settings;
    settings.*c.field = c.stored;
    ApplyWindowLimits(settings);
    EXPECT_EQ(settings.*c.field, c.expected) << c.name << " " << c.stored;
  }
}

TEST(ApplyWindowLimits, PageExtensionBecomesItsListEntry) {
  const std::pair<const char*, const char*> cases[] = {
      {".HTML", ".html"}, {".HtM", ".htm"}, {".htm", ".htm"},     {".php", ".php"},
      {"", ""},           {"htm", "htm"},   {".html ", ".html "},
  };
  for (const auto& [stored, expected] : cases) {
    KM_Class settings;
    settings.WebSiteExtension = stored;
    ApplyWindowLimits(settings);
    EXPECT_EQ(settings.WebSiteExtension, expected) << stored;
  }
}

TEST(ApplyWindowLimits, EverythingElsePassesUnchangedAndTheLocksEndFalse) {
  KM_Class settings;
  settings.InputPath = " /in ";
  settings.OutputPath = "/out";
  settings.AdditionalPath = "/add";
  settings.ThumbPagesName = "p";
  settings.ImagePagesName = "i";
  settings.ConvertFileNames = true;
  settings.LockInputPath = true;
  settings.LockOutputPath = true;
  settings.QualityImages = 50;
  settings.QualityThumbnails = 60;
  settings.MaxWidthImage = 640;
  settings.MaxHeightImage = 480;
  settings.MaxSizeThumbnails = 100;
  settings.FilterIndex = 3;
  settings.UseExif = true;
  settings.CreateOnlyWebpages = true;
  settings.CopyOrgSizedImages = true;
  settings.Title = "T";
  settings.HTMLThumbnails = {"  a", std::string(5000, 'w')};
  settings.HTMLImages = {""};
  settings.AutoBrowserStart = true;
  KM_Class expected = settings;
  expected.LockInputPath = false;
  expected.LockOutputPath = false;
  ApplyWindowLimits(settings);
  EXPECT_EQ(settings, expected);
}

}  // namespace
}  // namespace kelmora
