#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "settings/km_class.h"

namespace kelmora {

// The one table of the settings record's stored fields. Load, save and the window limits
// all loop over it, so a field is added in exactly one place.

using SettingsField =
    std::variant<std::string KM_Class::*, int32_t KM_Class::*, SortMethod KM_Class::*,
                 SubtitleKind KM_Class::*, bool KM_Class::*, std::vector<std::string> KM_Class::*>;

// What the window's control for a field can hold (see ApplyWindowLimits).
enum class FieldLimit {
  kNone,           // the control holds any value of the field
  kClamp,          // a number held within low..high
  kFilterIndex,    // an entry of the window's filter list, which lists the resampling filters;
                   // anything else selects nothing (-1)
  kPageExtension,  // ".htm" or ".html" in any letter case becomes that entry exactly
};

struct SettingsKey {
  std::string_view section;
  std::string_view key;  // empty for a template: its section holds Line0, Line1, ...
  SettingsField field;
  int32_t default_number;         // numbers, colours and switches (0 or 1)
  std::string_view default_text;  // texts
  bool KM_Class::*lock;           // while set, loading leaves the field alone
  FieldLimit limit;
  int32_t low;  // the range of kClamp
  int32_t high;
};

// The highest number of each numbered choice: its radio group holds one entry per choice.
inline constexpr int32_t kLastSortMethod = static_cast<int32_t>(SortMethod::kNameDescending);
inline constexpr int32_t kLastSubtitleKind = static_cast<int32_t>(SubtitleKind::kCaptureDate);

// clang-format off
// In the order saving writes them, which is the order of a newly created file.
inline constexpr SettingsKey kSettingsKeys[] = {
  // section         key                   field                          number    text     lock                       limit                       low high
  {"Files",          "InputPath",          &KM_Class::InputPath,          0,        "",      &KM_Class::LockInputPath,  FieldLimit::kNone,          0,  0},
  {"Files",          "OutputPath",         &KM_Class::OutputPath,         0,        "",      &KM_Class::LockOutputPath, FieldLimit::kNone,          0,  0},
  {"Files",          "AdditionalPath",     &KM_Class::AdditionalPath,     0,        "",      nullptr,                   FieldLimit::kNone,          0,  0},
  {"Files",          "ThumbPagesName",     &KM_Class::ThumbPagesName,     0,        "page",  nullptr,                   FieldLimit::kNone,          0,  0},
  {"Files",          "ImagePagesName",     &KM_Class::ImagePagesName,     0,        "image", nullptr,                   FieldLimit::kNone,          0,  0},
  {"Files",          "WebSiteExtension",   &KM_Class::WebSiteExtension,   0,        ".htm",  nullptr,                   FieldLimit::kPageExtension, 0,  0},
  {"Files",          "ConvertFileNames",   &KM_Class::ConvertFileNames,   0,        "",      nullptr,                   FieldLimit::kNone,          0,  0},
  {"ThumbsNImages",  "QualityImages",      &KM_Class::QualityImages,      90,       "",      nullptr,                   FieldLimit::kClamp,         1,  100},
  {"ThumbsNImages",  "MaxWidthImage",      &KM_Class::MaxWidthImage,      800,      "",      nullptr,                   FieldLimit::kClamp,         0,  9999},
  {"ThumbsNImages",  "MaxHeightImage",     &KM_Class::MaxHeightImage,     600,      "",      nullptr,                   FieldLimit::kClamp,         0,  9999},
  {"ThumbsNImages",  "FilterIndex",        &KM_Class::FilterIndex,        5,        "",      nullptr,                   FieldLimit::kFilterIndex,   0,  0},
  {"ThumbsNImages",  "QualityThumbnails",  &KM_Class::QualityThumbnails,  90,       "",      nullptr,                   FieldLimit::kClamp,         1,  100},
  {"ThumbsNImages",  "MaxSizeThumbnails",  &KM_Class::MaxSizeThumbnails,  160,      "",      nullptr,                   FieldLimit::kClamp,         0,  999},
  {"ThumbsNImages",  "SortingMethodIndex", &KM_Class::SortingMethodIndex, 0,        "",      nullptr,                   FieldLimit::kClamp,         -1, kLastSortMethod},
  {"ThumbsNImages",  "UseExif",            &KM_Class::UseExif,            1,        "",      nullptr,                   FieldLimit::kNone,          0,  0},
  {"ThumbsNImages",  "CreateOnlyWebpages", &KM_Class::CreateOnlyWebpages, 0,        "",      nullptr,                   FieldLimit::kNone,          0,  0},
  {"ThumbsNImages",  "CopyOrgSizedImages", &KM_Class::CopyOrgSizedImages, 0,        "",      nullptr,                   FieldLimit::kNone,          0,  0},
  {"ThumbsNImages",  "AutoRotate",         &KM_Class::AutoRotate,         0,        "",      nullptr,                   FieldLimit::kNone,          0,  0},
  {"ThumbsNImages",  "StripLocation",      &KM_Class::StripLocation,      0,        "",      nullptr,                   FieldLimit::kNone,          0,  0},
  {"MoreLayout",     "BackgroundColor",    &KM_Class::BackgroundColor,    16777215, "",      nullptr,                   FieldLimit::kNone,          0,  0},
  {"MoreLayout",     "TextColor",          &KM_Class::TextColor,          0,        "",      nullptr,                   FieldLimit::kNone,          0,  0},
  {"MoreLayout",     "LinkColor",          &KM_Class::LinkColor,          16711680, "",      nullptr,                   FieldLimit::kNone,          0,  0},
  {"MoreLayout",     "VisitedLinkColor",   &KM_Class::VisitedLinkColor,   8388736,  "",      nullptr,                   FieldLimit::kNone,          0,  0},
  {"MoreLayout",     "RowsCount",          &KM_Class::RowsCount,          4,        "",      nullptr,                   FieldLimit::kNone,          0,  0},
  {"MoreLayout",     "ColsCount",          &KM_Class::ColsCount,          4,        "",      nullptr,                   FieldLimit::kNone,          0,  0},
  {"MoreLayout",     "Title",              &KM_Class::Title,              0,        "",      nullptr,                   FieldLimit::kNone,          0,  0},
  {"MoreLayout",     "SubtitleIndex",      &KM_Class::SubtitleIndex,      0,        "",      nullptr,                   FieldLimit::kClamp,         -1, kLastSubtitleKind},
  {"HTMLThumbnails", "",                   &KM_Class::HTMLThumbnails,     0,        "",      nullptr,                   FieldLimit::kNone,          0,  0},
  {"HTMLImages",     "",                   &KM_Class::HTMLImages,         0,        "",      nullptr,                   FieldLimit::kNone,          0,  0},
  {"GoCreate",       "AutoBrowserStart",   &KM_Class::AutoBrowserStart,   1,        "",      nullptr,                   FieldLimit::kNone,          0,  0},
};
// clang-format on

// The entries of the page-extension list of the window.
inline constexpr std::string_view kPageExtensions[] = {".htm", ".html"};

// Template lines are stored behind this letter, which shields their leading blanks and
// quotes from the value rules; loading drops the first character whatever it is.
inline constexpr std::string_view kTemplateLinePrefix = "d";

}  // namespace kelmora
