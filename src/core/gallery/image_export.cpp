#include "gallery/image_export.h"

#include <algorithm>
#include <utility>

#include "common/errors.h"
#include "common/rounding.h"
#include "gallery/file_names.h"
#include "gallery/prepared_export.h"
#include "imaging/declared_size.h"
#include "imaging/filters.h"
#include "imaging/orientation.h"
#include "imaging/pixel_limit.h"
#include "imaging/resample.h"
#include "platform/atomic_file.h"
#include "platform/regular_file.h"

namespace kelmora {
namespace {

// The side that follows the aspect ratio, rounded half to even in extended precision. A
// picture so thin that the side would vanish keeps one pixel.
int32_t FollowingSide(long double value) {
  return std::max<int32_t>(1, RoundHalfEven(value));
}

int32_t AtLeastOne(int32_t side) {
  return std::max<int32_t>(1, side);
}

}  // namespace

ImageSize ThumbnailSize(int32_t width, int32_t height, int32_t max_size) {
  if (width <= max_size && height <= max_size) return {AtLeastOne(width), AtLeastOne(height)};
  const double ratio = static_cast<double>(width) / static_cast<double>(height);
  if (width > height) {
    return {AtLeastOne(max_size), FollowingSide(static_cast<long double>(max_size) / ratio)};
  }
  return {FollowingSide(static_cast<long double>(max_size) * ratio), AtLeastOne(max_size)};
}

ImageSize ResizedImageSize(int32_t width, int32_t height, int32_t max_width, int32_t max_height) {
  const double ratio = static_cast<double>(width) / static_cast<double>(height);
  const auto from_width = [&] {
    return ImageSize{AtLeastOne(max_width),
                     FollowingSide(static_cast<long double>(max_width) / ratio)};
  };
  const auto from_height = [&] {
    return ImageSize{FollowingSide(static_cast<long double>(max_height) * ratio),
                     AtLeastOne(max_height)};
  };
  // The longer side's bound first; the other bound only where that one overshoots it.
  if (width > height) {
    const ImageSize size = from_width();
    return size.height > max_height ? from_height() : size;
  }
  const ImageSize size = from_height();
  return size.width > max_width ? from_width() : size;
}

std::optional<uint64_t> DeclaredSourceBytes(const KM_ListElement& entry) {
  if (const std::optional<DeclaredSize> size = ReadDeclaredSize(entry.FullPath)) {
    return WorkingBitmapBytes(size->width, size->height);
  }
  return std::nullopt;  // the decoder meets the same problem and reports it
}

// One implementation of the outputs for a run and for a single picture: worked out in
// memory, then written in order.
void WriteExportedImages(const KM_Class& settings, KM_ListElement& entry, TBitmap& source) {
  ExportWorkspace workspace;
  std::swap(workspace.source, source);
  PreparedExport prepared = PrepareDecodedExport(settings, entry, OutputSelection{}, workspace);
  std::swap(workspace.source, source);
  CommitExport(settings, entry, prepared);
}

void ExportImage(const KM_Class& settings, KM_ListElement& entry) {
  ExportWorkspace workspace;
  CommitExport(settings, entry, PrepareExport(settings, entry, OutputSelection{}, workspace));
}

}  // namespace kelmora
