#pragma once

#include <cstdint>
#include <optional>

#include "gallery/km_list_element.h"
#include "imaging/bitmap.h"
#include "settings/km_class.h"

namespace kelmora {

struct ImageSize {
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const ImageSize&) const = default;
};

// The thumbnail's size: the source size when it fits a square of `max_size`, otherwise the
// longer side becomes max_size and the other follows the aspect ratio (rounded half to
// even; never below 1).
ImageSize ThumbnailSize(int32_t width, int32_t height, int32_t max_size);

// The resized image's size when the source exceeds either bound: the longer side takes its
// bound and the other follows the aspect ratio; when that overshoots the other bound, the
// other bound decides instead, so the result always fits. Never below 1 pixel a side.
ImageSize ResizedImageSize(int32_t width, int32_t height, int32_t max_width, int32_t max_height);

// The bytes of the 24-bit picture that decoding the entry's source will hold, from the size
// its header declares; nullopt when the header cannot be read or found.
std::optional<uint64_t> DeclaredSourceBytes(const KM_ListElement& entry);

// Writes the entry's output files from its decoded source: the full-size copy (with
// CopyOrgSizedImages), the thumbnail (always Lanczos3, always re-encoded) and the resized
// image (the filter of FilterIndex, or a byte copy of a JPEG that already fits). With
// AutoRotate the source is first turned upright by the entry's orientation, so sizes and
// bounds are those of the upright picture (byte copies keep the file's own orientation tag);
// with StripLocation the byte copies leave out the GPS position. Sets the entry's Width and
// Height (upright). `source` is converted to 24-bit on the way. Every file is written whole
// or not at all; a copy or write that fails raises EFileError naming it.
void WriteExportedImages(const KM_Class& settings, KM_ListElement& entry, TBitmap& source);

// Both steps for one entry.
void ExportImage(const KM_Class& settings, KM_ListElement& entry);

}  // namespace kelmora
