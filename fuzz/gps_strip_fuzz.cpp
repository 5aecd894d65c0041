// GPS removal on arbitrary JPEG bytes: it must stay inside the bytes, change nothing from the
// start-of-scan marker on and never change the file's length; a second pass finds nothing
// more to remove in the EXIF data.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "metadata/gps_strip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) return 0;
  std::vector<uint8_t> bytes(data, data + size);
  kelmora::StripGpsPosition(bytes);
  if (bytes.size() != size) std::abort();
  // The TIFF and XMP parts on their own, as a segment's payload would reach them.
  std::vector<uint8_t> tiff(data, data + size);
  kelmora::StripGpsFromTiff(tiff);
  if (kelmora::StripGpsFromTiff(tiff)) std::abort();  // an emptied directory stays empty
  std::vector<uint8_t> xmp(data, data + size);
  kelmora::StripGpsFromXmp(xmp);
  return 0;
}
