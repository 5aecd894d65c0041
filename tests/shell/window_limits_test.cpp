#include "shell/window_limits.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <variant>

#include "imaging/filters.h"
#include "settings/settings_keys.h"

namespace kelmora {
namespace {

struct LimitCase {
  std::string_view key;
  int32_t stored;
  int32_t expected;
};

// The number a field holds, the choices (sort method, subtitle kind) by their numbers.
class NumberField {
 public:
  explicit NumberField(std::string_view key) {
    for (const SettingsKey& entry : kSettingsKeys) {
      if (entry.key == key) field_ = entry.field;
    }
  }
  void Set(KM_Class& settings, int32_t value) const {
    std::visit(
        [&](auto member) {
          using Field = std::remove_reference_t<decltype(settings.*member)>;
          if constexpr (std::is_same_v<Field, int32_t> || std::is_enum_v<Field>) {
            settings.*member = static_cast<Field>(value);
          } else {
            ADD_FAILURE() << "not a number field";
          }
        },
        field_);
  }
  int32_t Get(const KM_Class& settings) const {
    return std::visit(
        [&](auto member) {
          using Field = std::remove_cvref_t<decltype(settings.*member)>;
          if constexpr (std::is_same_v<Field, int32_t> || std::is_enum_v<Field>) {
            return static_cast<int32_t>(settings.*member);
          } else {
            ADD_FAILURE() << "not a number field";
            return 0;
          }
        },
        field_);
  }

 private:
  SettingsField field_ = &KM_Class::InputPath;
};

TEST(ApplyWindowLimits, NumberFieldsTakeWhatTheirControlsCanHold) {
  constexpr int32_t kLastFilter = std::tuple_size_v<decltype(kFilters)> - 1;
  const LimitCase cases[] = {
      {"QualityImages", 0, 1},
      {"QualityImages", 250, 100},
      {"QualityImages", 1, 1},
      {"QualityImages", 100, 100},
      {"QualityImages", INT32_MIN, 1},
      {"QualityThumbnails", -3, 1},
      {"QualityThumbnails", 101, 100},
      {"MaxWidthImage", 9999, 9999},
      {"MaxWidthImage", 10000, 9999},
      {"MaxWidthImage", -1, 0},
      {"MaxHeightImage", 0, 0},
      {"MaxHeightImage", INT32_MAX, 9999},
      {"MaxSizeThumbnails", 999, 999},
      {"MaxSizeThumbnails", 1000, 999},
      {"MaxSizeThumbnails", -20, 0},
      {"FilterIndex", 0, 0},
      {"FilterIndex", kLastFilter, kLastFilter},  // the list is the table of filters
      {"FilterIndex", kLastFilter + 1, -1},
      {"FilterIndex", 9, -1},
      {"FilterIndex", -1, -1},
      {"FilterIndex", -2, -1},
      {"SortingMethodIndex", 7, 3},
      {"SortingMethodIndex", -5, -1},
      {"SortingMethodIndex", 2, 2},
      {"SubtitleIndex", -5, -1},
      {"SubtitleIndex", 6, 5},
      {"SubtitleIndex", 5, 5},
      {"SubtitleIndex", 3, 3},
      {"RowsCount", -7, -7},
      {"ColsCount", 0, 0},
      {"ColsCount", 123456, 123456},
      {"BackgroundColor", -2147483643, -2147483643},
      {"LinkColor", 0x123456, 0x123456},
  };
  for (const auto& c : cases) {
    const NumberField field(c.key);
    KM_Class settings;
    field.Set(settings, c.stored);
    ApplyWindowLimits(settings);
    EXPECT_EQ(field.Get(settings), c.expected) << c.key << " " << c.stored;
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
