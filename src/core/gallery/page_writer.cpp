#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "common/errors.h"
#include "gallery/file_names.h"
#include "gallery/km_list.h"
#include "gallery/template_helpers.h"
#include "platform/file_system.h"

namespace kelmora {
namespace {

// Whether the file at path holds exactly these bytes; false when it cannot be read.
bool HoldsBytes(const std::string& path, const std::string& bytes) {
  try {
    const std::vector<uint8_t> old = ReadFileHead(path, bytes.size() + 1);
    return old.size() == bytes.size() && std::equal(old.begin(), old.end(), bytes.begin());
  } catch (const EKelmora&) {
    return false;
  }
}

// Every line ends in CR LF, the last one too, so pages read the same on every system.
void SavePage(const std::vector<std::string>& page, std::string& buffer, const std::string& path,
              PageWriting writing) {
  buffer.clear();
  for (const std::string& line : page) {
    buffer += line;
    buffer += "\r\n";
  }
  if (writing == PageWriting::kKeepUnchanged && HoldsBytes(path, buffer)) return;
  WriteFileText(path, buffer);
}

}  // namespace

void KM_List::CreateWebPages() const {
  CreateWebPages(PageWriting::kReplaceAll);
}

void KM_List::CreateWebPages(PageWriting writing) const {
  const KM_Class& s = Settings;
  if (s.ColsCount < 1 || s.RowsCount < 1) {
    throw EKelmora("The thumbnail pages need at least one row and one column");
  }
  const int64_t per_page = int64_t{s.ColsCount} * s.RowsCount;
  const int count = Count();
  const int thumbnail_pages = static_cast<int>(count / per_page + (count % per_page > 0 ? 1 : 0));
  const std::string folder = PathWithDelimiter(s.OutputPath);

  std::vector<std::string> page;
  std::string buffer;
  for (int k = 1; k <= thumbnail_pages; ++k) {
    ProcessTemplate(s.HTMLThumbnails, page, thumbnail_pages, k, s.ThumbPagesName);
    SavePage(page, buffer, folder + PageFileName(s.ThumbPagesName, k, s.WebSiteExtension), writing);
  }
  for (int n = 1; n <= count; ++n) {
    ProcessTemplate(s.HTMLImages, page, count, n, s.ImagePagesName);
    SavePage(page, buffer, folder + PageFileName(s.ImagePagesName, n, s.WebSiteExtension), writing);
  }
}

}  // namespace kelmora
