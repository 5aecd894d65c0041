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
constexpr MacroId kDirectiveIds[] = {MacroId::kIof, MacroId::kOof, MacroId::kIol, MacroId::kOol,
                                     MacroId::kIgnore};

// Value macros in the order they are applied: a value brings in macros that only the ones
// after it expand.
constexpr MacroId kValueMacroIds[] = {
    MacroId::kCp,        MacroId::kTp,          MacroId::kNext,         MacroId::kPrev,
    MacroId::kFirst,     MacroId::kLast,        MacroId::kBgColor,      MacroId::kTextColor,
    MacroId::kLinkColor, MacroId::kVlinkColor,  MacroId::kImageSmaller, MacroId::kImageBig,
    MacroId::kImageOrg,  MacroId::kImageOrgExt, MacroId::kExifComment,  MacroId::kThumbs,
    MacroId::kTitle,     MacroId::kCaptureDate, MacroId::kCamera,       MacroId::kExposure,
};

// What each macro of an order is replaced with, found by the macro's id.
template <typename Value, const auto& Order>
class MacroValues {
 public:
  Value& operator[](MacroId id) { return values_.at(SlotOf(id)); }
  const Value& At(size_t slot) const { return values_[slot]; }
  static constexpr size_t kCount = std::size(Order);

 private:
  static constexpr size_t SlotOf(MacroId id) {
    for (size_t slot = 0; slot < kCount; ++slot) {
      if (Order[slot] == id) return slot;
    }
    return kCount;  // not of this order: operator[] raises
  }
  std::array<Value, kCount> values_{};
};

using DirectiveValues = MacroValues<std::string_view, kDirectiveIds>;
using ValueMacroValues = MacroValues<std::string, kValueMacroIds>;

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

ValueMacroValues ValuesForPage(const KM_List& list, int total_pages, int current_page,
                               const std::string& page_name) {
  const KM_Class& settings = list.Settings;
  const std::string& extension = settings.WebSiteExtension;
  const int next = current_page < total_pages ? current_page + 1 : 1;
  const int previous = current_page != 1 ? current_page - 1 : total_pages;
  ValueMacroValues values;
  values[MacroId::kCp] = std::to_string(current_page);
  values[MacroId::kTp] = std::to_string(total_pages);
  values[MacroId::kNext] = PageFileName(page_name, next, extension);
  values[MacroId::kPrev] = PageFileName(page_name, previous, extension);
  values[MacroId::kFirst] = PageFileName(page_name, 1, extension);
  values[MacroId::kLast] = PageFileName(page_name, total_pages, extension);
  values[MacroId::kBgColor] = ColorToHtml(settings.BackgroundColor);
  values[MacroId::kTextColor] = ColorToHtml(settings.TextColor);
  values[MacroId::kLinkColor] = ColorToHtml(settings.LinkColor);
  values[MacroId::kVlinkColor] = ColorToHtml(settings.VisitedLinkColor);
  // Everything taken from an image file is escaped: a name or comment must not be able to
  // break or inject markup. Title and templates are the user's own HTML and stay raw.
  if (current_page >= 1 && current_page <= list.Count()) {
    const KM_ListElement& entry = list.Entry(current_page - 1);
    values[MacroId::kImageSmaller] = HtmlEscape(entry.NormalName);
    values[MacroId::kImageBig] = HtmlEscape(entry.BigName);
    values[MacroId::kImageOrg] = HtmlEscape(WithoutLastExtension(entry.FileName));
    values[MacroId::kImageOrgExt] = HtmlEscape(entry.FileName);
    values[MacroId::kExifComment] = HtmlEscape(entry.ExifComment);
    values[MacroId::kCaptureDate] = CaptureDateText(entry.details.capture_date);
    values[MacroId::kCamera] =
        HtmlEscape(CameraText(entry.details.camera_make, entry.details.camera_model));
    values[MacroId::kExposure] = HtmlEscape(ExposureText(entry.details));
  }
  const int64_t per_page = int64_t{settings.ColsCount} * settings.RowsCount;
  values[MacroId::kThumbs] =
      PageFileName(settings.ThumbPagesName, ThumbnailPageOf(current_page, per_page), extension);
  values[MacroId::kTitle] = settings.Title;
  return values;
}

}  // namespace

void KM_List::ProcessTemplate(const std::vector<std::string>& template_lines,
                              std::vector<std::string>& page, int total_pages, int current_page,
                              const std::string& page_name) const {
  page.assign(template_lines.begin(), template_lines.end());

  DirectiveValues directive_values;
  directive_values[MacroId::kIof] = current_page == 1 ? kDeleteLine : "";
  directive_values[MacroId::kOof] = current_page != 1 ? kDeleteLine : "";
  directive_values[MacroId::kIol] = current_page == total_pages ? kDeleteLine : "";
  directive_values[MacroId::kOol] = current_page != total_pages ? kDeleteLine : "";
  directive_values[MacroId::kIgnore] = kDeleteLine;
  const ValueMacroValues values = ValuesForPage(*this, total_pages, current_page, page_name);

  // Lines below table_end come from an inserted table: they are expanded like template
  // lines but never start another table.
  size_t table_end = 0;
  for (size_t i = 0; i < page.size(); ++i) {
    std::string& line = page[i];
    if (line.find('@') == std::string::npos) continue;  // no macro can match
    for (size_t slot = 0; slot < DirectiveValues::kCount; ++slot) {
      ReplaceMacro(line, MacroText(kDirectiveIds[slot]), directive_values.At(slot));
    }
    for (size_t slot = 0; slot < ValueMacroValues::kCount; ++slot) {
      ReplaceMacro(line, MacroText(kValueMacroIds[slot]), values.At(slot));
    }
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
