#pragma once

#include <cstddef>
#include <iterator>
#include <string_view>

#include "localisation/message_table.h"

namespace kelmora {

// The macros of the page templates, in the order the window's macro tables list them.
enum class MacroId {
  kCp,
  kTp,
  kNext,
  kPrev,
  kFirst,
  kLast,
  kIof,
  kIol,
  kOof,
  kOol,
  kIgnore,
  kBgColor,
  kTextColor,
  kLinkColor,
  kVlinkColor,
  kThumbTable,
  kTitle,
  kThumbs,
  kImageSmaller,
  kImageBig,
  kImageOrg,
  kImageOrgExt,
  kExifComment,
};

// Which template family a macro belongs to (its macro table in the window).
enum class MacroPages { kBoth, kThumbnailPages, kImagePages };

struct MacroInfo {
  MacroId id;
  std::string_view macro;  // exactly as written into a template
  MessageKey description;  // text of the macro tables
  MacroPages pages;
};

// clang-format off
inline constexpr MacroInfo kMacros[] = {
  {MacroId::kCp,           "@cp@",            MessageKey::Macro1Expl,       MacroPages::kBoth},
  {MacroId::kTp,           "@tp@",            MessageKey::Macro2Expl,       MacroPages::kBoth},
  {MacroId::kNext,         "@next@",          MessageKey::Macro3Expl,       MacroPages::kBoth},
  {MacroId::kPrev,         "@prev@",          MessageKey::Macro4Expl,       MacroPages::kBoth},
  {MacroId::kFirst,        "@first@",         MessageKey::Macro5Expl,       MacroPages::kBoth},
  {MacroId::kLast,         "@last@",          MessageKey::Macro6Expl,       MacroPages::kBoth},
  {MacroId::kIof,          "@iof@",           MessageKey::Macro7Expl,       MacroPages::kBoth},
  {MacroId::kIol,          "@iol@",           MessageKey::Macro8Expl,       MacroPages::kBoth},
  {MacroId::kOof,          "@oof@",           MessageKey::Macro9Expl,       MacroPages::kBoth},
  {MacroId::kOol,          "@ool@",           MessageKey::Macro10Expl,      MacroPages::kBoth},
  {MacroId::kIgnore,       "@ignore@",        MessageKey::Macro11Expl,      MacroPages::kBoth},
  {MacroId::kBgColor,      "@bg_color@",      MessageKey::Macro12Expl,      MacroPages::kBoth},
  {MacroId::kTextColor,    "@text_color@",    MessageKey::Macro13Expl,      MacroPages::kBoth},
  {MacroId::kLinkColor,    "@link_color@",    MessageKey::Macro14Expl,      MacroPages::kBoth},
  {MacroId::kVlinkColor,   "@vlink_color@",   MessageKey::Macro15Expl,      MacroPages::kBoth},
  {MacroId::kThumbTable,   "@thumbtable@",    MessageKey::MacroThumbs1Expl, MacroPages::kThumbnailPages},
  {MacroId::kTitle,        "@title@",         MessageKey::MacroThumbs2Expl, MacroPages::kThumbnailPages},
  {MacroId::kThumbs,       "@thumbs@",        MessageKey::MacroImages1Expl, MacroPages::kImagePages},
  {MacroId::kImageSmaller, "@image_smaller@", MessageKey::MacroImages2Expl, MacroPages::kImagePages},
  {MacroId::kImageBig,     "@image_big@",     MessageKey::MacroImages3Expl, MacroPages::kImagePages},
  {MacroId::kImageOrg,     "@image_org@",     MessageKey::MacroImages4Expl, MacroPages::kImagePages},
  {MacroId::kImageOrgExt,  "@image_org_ext@", MessageKey::MacroImages5Expl, MacroPages::kImagePages},
  {MacroId::kExifComment,  "@exifcomment@",   MessageKey::MacroImages6Expl, MacroPages::kImagePages},
};
// clang-format on

constexpr bool MacrosFollowIdOrder() {
  for (size_t i = 0; i < std::size(kMacros); ++i) {
    if (static_cast<size_t>(kMacros[i].id) != i) return false;
  }
  return true;
}
static_assert(MacrosFollowIdOrder(), "kMacros must list every MacroId in order");
static_assert(std::size(kMacros) == static_cast<size_t>(MacroId::kExifComment) + 1);

constexpr std::string_view MacroText(MacroId id) {
  return kMacros[static_cast<size_t>(id)].macro;
}

// Whether a macro belongs in the macro table of thumbnail pages (or else of image pages).
constexpr bool MacroListedFor(const MacroInfo& info, bool thumbnail_pages) {
  return info.pages == MacroPages::kBoth ||
         info.pages == (thumbnail_pages ? MacroPages::kThumbnailPages : MacroPages::kImagePages);
}

}  // namespace kelmora
