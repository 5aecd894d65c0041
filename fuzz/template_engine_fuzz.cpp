// Page expansion from arbitrary templates, file names, comments and titles. The input is
// split at 0xFF bytes: the first part sets the grid and the subtitle kind, the next is the
// title, then come template lines (split at '\n') and, after a 0xFE byte, image names and
// comments in pairs.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "gallery/km_list.h"
#include "gallery/template_helpers.h"

namespace {

std::vector<std::string> Split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == separator) {
      parts.emplace_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4 || size > 16384) return 0;
  kelmora::KM_Class settings;
  settings.ColsCount = data[0] % 5 + 1;
  settings.RowsCount = data[1] % 5 + 1;
  settings.SubtitleIndex = static_cast<kelmora::SubtitleKind>(static_cast<int8_t>(data[2]) % 7);
  settings.ThumbPagesName = "page";
  settings.ImagePagesName = "image";
  settings.WebSiteExtension = ".htm";
  settings.BackgroundColor = static_cast<int32_t>(static_cast<uint32_t>(data[3]) << 24 | data[3]);
  const std::string_view rest(reinterpret_cast<const char*>(data) + 4, size - 4);
  const std::vector<std::string> parts = Split(rest, '\xFF');
  settings.Title = parts[0];
  const std::vector<std::string> sections = Split(parts.size() > 1 ? parts[1] : "", '\xFE');
  settings.HTMLThumbnails = Split(sections[0], '\n');
  settings.HTMLImages = settings.HTMLThumbnails;

  kelmora::KM_List list(settings);
  const std::vector<std::string> images = Split(sections.size() > 1 ? sections[1] : "", '\n');
  for (size_t i = 0; i + 1 < images.size() && list.Count() < 40; i += 2) {
    kelmora::KM_ListElement entry;
    entry.FileName = images[i];
    entry.ThumbName = "t_" + images[i];
    entry.NormalName = "n_" + images[i];
    entry.BigName = "b_" + images[i];
    entry.ExifComment = images[i + 1];
    list.AddEntry(std::move(entry));
  }
  if (list.Count() == 0) list.AddEntry({});

  std::vector<std::string> page;
  const int total = list.Count();
  for (int current = 1; current <= total; ++current) {
    list.ProcessTemplate(settings.HTMLImages, page, total, current, settings.ImagePagesName);
    // Lines are only ever added (tables), never removed.
    if (page.size() < settings.HTMLImages.size()) std::abort();
  }
  std::string line = settings.Title;
  kelmora::ReplaceMacro(line, "@title@", settings.Title);
  return 0;
}
