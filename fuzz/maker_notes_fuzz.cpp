// Decodes arbitrary bytes as the maker note of each known make.
//
// Input: byte 0 picks the make, byte 1 holds flags (bit 0 big-endian EXIF, bit 1 TIFF-type
// file, bits 2-4 choose model and Exif version for the Nikon layouts), bytes 2-3 the
// big-endian position of the note in the EXIF data, the rest is the EXIF data; the note runs
// from that position to the end.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "metadata/image_info.h"
#include "metadata/maker_notes.h"

namespace {

constexpr size_t kMaxInput = 1 << 17;  // an APP1 segment holds at most 64 KiB; TIFF 256000 B
constexpr size_t kHeader = 4;

constexpr std::array<const char*, 10> kMakes = {
    "NIKON CORPORATION", "OLYMPUS OPTICAL", "CASIO",       "FUJIFILM",       "Canon",
    "SEIKO EPSON",       "SANYO Electric",  "Minolta Co.", "KONICA MINOLTA", "PENTAX"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kHeader || size > kMaxInput) return 0;
  kelmora::TImageInfo info(kelmora::DetailLevel::kAll);
  const uint8_t flags = data[1];
  info.CameraMake = kMakes[data[0] % kMakes.size()];
  info.CameraModel = (flags & 4) ? "NIKON D2X" : "E990";
  info.ExifVersion = (flags & 8) ? "0220" : (flags & 16) ? "" : "0210";
  info.BigEndian = flags & 1;
  const bool reading_tiff = flags & 2;
  const std::string exif(reinterpret_cast<const char*>(data) + kHeader, size - kHeader);

  size_t position = static_cast<size_t>(data[2]) << 8 | data[3];
  if (position > exif.size()) position = exif.size();
  info.MakerNoteRaw = exif.substr(position);
  info.MakerNotePos = static_cast<int64_t>(position) + 1;

  const bool big_endian = info.BigEndian;
  kelmora::TmsInfo decoder(reading_tiff, info);
  decoder.DecodeMakerNote(exif);
  // The note is read through its own reader: the byte order of the EXIF data stays.
  if (info.BigEndian != big_endian) __builtin_trap();
  return 0;
}
