#include <array>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "gallery/capture_details.h"
#include "gallery/image_names.h"
#include "gallery/km_list.h"
#include "gallery/macro_table.h"
#include "gallery/template_helpers.h"

namespace kelmora {
namespace {

constexpr std::string_view kThumbTable = MacroText(MacroId::kThumbTable);

// Line directives in the order they are applied.
enum Directive { kIof, kOof, kIol, kOol, kIgnore, kDirectiveCount };
constexpr std::string_view kDirectives[] = {MacroText(MacroId::kIof), MacroText(MacroId::kOof),
                                            MacroText(MacroId::kIol), MacroText(MacroId::kOol),
                                            MacroText(MacroId::kIgnore)};
static_assert(std::size(kDirectives) == kDirectiveCount);

// Value macros in the order they are applied: a value brings in macros that only the ones
// after it expand.
enum ValueMacro {
  kCp,
  kTp,
  kNext,
  kPrev,
  kFirst,
  kLast,
  kBgColor,
  kTextColor,
  kLinkColor,
  kVlinkColor,
  kImageSmaller,
  kImageBig,
  kImageOrg,
  kImageOrgExt,
  kExifComment,
  kThumbs,
  kTitle,
  kCaptureDate,
  kCamera,
  kExposure,
  kValueMacroCount
};
constexpr MacroId kValueMacroIds[] = {
    MacroId::kCp,        MacroId::kTp,          MacroId::kNext,         MacroId::kPrev,
    MacroId::kFirst,     MacroId::kLast,        MacroId::kBgColor,      MacroId::kTextColor,
    MacroId::kLinkColor, MacroId::kVlinkColor,  MacroId::kImageSmaller, MacroId::kImageBig,
    MacroId::kImageOrg,  MacroId::kImageOrgExt, MacroId::kExifComment,  MacroId::kThumbs,
    MacroId::kTitle,     MacroId::kCaptureDate, MacroId::kCamera,       MacroId::kExposure,
};
static_assert(std::size(kValueMacroIds) == kValueMacroCount);

constexpr std::string_view kDeleteLine = "delete";

// The thumbnail page that shows image number image_number, for a grid of per_page cells.
int64_t ThumbnailPageOf(int64_t image_number, int64_t per_page) {
  if (per_page < 1) return 1;
  return image_number / per_page + (image_number % per_page > 0 ? 1 : 0);
}

// Position of the first cell on page number page, held at count when it lies beyond the
// last entry (every comparison with the count then comes out the same).
int64_t FirstCellPosition(int64_t page, int64_t per_page, int64_t count) {
  if (page <= 1) return 0;
  int64_t first = 0;
  if (__builtin_mul_overflow(page - 1, per_page, &first) || first > count) return count;
  return first;
}

std::string SubtitleLine(const KM_ListElement& entry, int64_t position, SubtitleKind kind) {
  std::string line = "    ";
  switch (kind) {
    case SubtitleKind::kFileName:
      line += "<br>" + HtmlEscape(entry.FileName);
      break;
    case SubtitleKind::kFileNameWithoutExtension:
      line += "<br>" + HtmlEscape(WithoutLastExtension(entry.FileName));
      break;
    case SubtitleKind::kExifComment:
      line += "<br>" + HtmlEscape(entry.ExifComment);
      break;
    case SubtitleKind::kImageNumber:  // the position, so the first image is 0
      line += "<br>" + std::to_string(position);
      break;
    case SubtitleKind::kCaptureDate:
      line += "<br>" + CaptureDateText(entry.details.capture_date);
      break;
    default:  // kNone, and numbers no kind has
      break;
  }
  return line;
}

// The rows of thumbnail cells for page number page. A grid without rows or columns has no
// cells and gives no lines.
std::vector<std::string> ThumbnailTable(const KM_List& list, int page) {
  const KM_Class& settings = list.Settings;
  std::vector<std::string> lines;
  const int64_t cols = settings.ColsCount;
  const int64_t rows = settings.RowsCount;
  if (cols < 1 || rows < 1) return lines;
  const int64_t count = list.Count();
  const int64_t first = FirstCellPosition(page, cols * rows, count);
  for (int64_t row = 0; row < rows; ++row) {
    // A row is written while the row before it was full; positions only grow, so once a
    // row is left out every later one is too.
    if (row > 0 && first + row * cols - 1 >= count) break;
    lines.emplace_back("  <tr>");
    for (int64_t col = 0; col < cols; ++col) {
      const int64_t position = first + row * cols + col;
      if (position >= count) break;
      const KM_ListElement& entry = list.Entry(static_cast<int>(position));
      lines.emplace_back("   <td class=\"thumbcells\">");
      lines.push_back("    <a href=\"" + settings.ImagePagesName + std::to_string(position + 1) +
                      settings.WebSiteExtension + "\">");
      lines.push_back("    <img src=\"" + HtmlEscape(entry.ThumbName) + "\" border=0 alt=\"" +
                      HtmlEscape(entry.FileName) + "\"></a>");
      lines.push_back(SubtitleLine(entry, position, settings.SubtitleIndex));
      lines.emplace_back("   </td>");
    }
    lines.emplace_back("  </tr>");
  }
  return lines;
}

std::array<std::string, kValueMacroCount> ValueMacroValues(const KM_List& list, int total_pages,
                                                           int current_page,
                                                           const std::string& page_name) {
  const KM_Class& settings = list.Settings;
  const std::string& extension = settings.WebSiteExtension;
  const int next = current_page < total_pages ? current_page + 1 : 1;
  const int previous = current_page != 1 ? current_page - 1 : total_pages;
  std::array<std::string, kValueMacroCount> values;
  values[kCp] = std::to_string(current_page);
  values[kTp] = std::to_string(total_pages);
  values[kNext] = PageFileName(page_name, next, extension);
  values[kPrev] = PageFileName(page_name, previous, extension);
  values[kFirst] = PageFileName(page_name, 1, extension);
  values[kLast] = PageFileName(page_name, total_pages, extension);
  values[kBgColor] = ColorToHtml(settings.BackgroundColor);
  values[kTextColor] = ColorToHtml(settings.TextColor);
  values[kLinkColor] = ColorToHtml(settings.LinkColor);
  values[kVlinkColor] = ColorToHtml(settings.VisitedLinkColor);
  // Everything taken from an image file is escaped: a name or comment must not be able to
  // break or inject markup. Title and templates are the user's own HTML and stay raw.
  if (current_page >= 1 && current_page <= list.Count()) {
    const KM_ListElement& entry = list.Entry(current_page - 1);
    values[kImageSmaller] = HtmlEscape(entry.NormalName);
    values[kImageBig] = HtmlEscape(entry.BigName);
    values[kImageOrg] = HtmlEscape(WithoutLastExtension(entry.FileName));
    values[kImageOrgExt] = HtmlEscape(entry.FileName);
    values[kExifComment] = HtmlEscape(entry.ExifComment);
    values[kCaptureDate] = CaptureDateText(entry.details.capture_date);
    values[kCamera] = HtmlEscape(CameraText(entry.details.camera_make, entry.details.camera_model));
    values[kExposure] = HtmlEscape(ExposureText(entry.details));
  }
  const int64_t per_page = int64_t{settings.ColsCount} * settings.RowsCount;
  values[kThumbs] =
      PageFileName(settings.ThumbPagesName, ThumbnailPageOf(current_page, per_page), extension);
  values[kTitle] = settings.Title;
  return values;
}

}  // namespace

void KM_List::ProcessTemplate(const std::vector<std::string>& template_lines,
                              std::vector<std::string>& page, int total_pages, int current_page,
                              const std::string& page_name) const {
  page.assign(template_lines.begin(), template_lines.end());

  std::array<std::string_view, kDirectiveCount> directive_values;
  directive_values[kIof] = current_page == 1 ? kDeleteLine : "";
  directive_values[kOof] = current_page != 1 ? kDeleteLine : "";
  directive_values[kIol] = current_page == total_pages ? kDeleteLine : "";
  directive_values[kOol] = current_page != total_pages ? kDeleteLine : "";
  directive_values[kIgnore] = kDeleteLine;
  const auto values = ValueMacroValues(*this, total_pages, current_page, page_name);

  // Lines below table_end come from an inserted table: they are expanded like template
  // lines but never start another table.
  size_t table_end = 0;
  for (size_t i = 0; i < page.size(); ++i) {
    std::string& line = page[i];
    if (line.find('@') == std::string::npos) continue;  // no macro can match
    for (int d = 0; d < kDirectiveCount; ++d) {
      ReplaceMacro(line, kDirectives[d], directive_values[d]);
    }
    for (int v = 0; v < kValueMacroCount; ++v)
      ReplaceMacro(line, MacroText(kValueMacroIds[v]), values[v]);
    if (i < table_end || line.find(kThumbTable) == std::string::npos) continue;

    const bool was_last_line = i + 1 == page.size();
    std::vector<std::string> table = ThumbnailTable(*this, current_page);
    line.clear();
    page.insert(page.begin() + static_cast<ptrdiff_t>(i), std::make_move_iterator(table.begin()),
                std::make_move_iterator(table.end()));
    // A table in place of the last line is left as generated.
    if (was_last_line) break;
    table_end = i + table.size();
  }
}

}  // namespace kelmora
