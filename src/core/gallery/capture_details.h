#pragma once

#include <cstdint>
#include <string>

namespace kelmora {

// A rational value as the file stores it; absent while the denominator is 0.
struct ExifRational {
  int64_t numerator = 0;
  int64_t denominator = 0;
  bool Present() const { return denominator != 0 && numerator > 0 && denominator > 0; }
  double Value() const { return static_cast<double>(numerator) / static_cast<double>(denominator); }
  bool operator==(const ExifRational&) const = default;
};

// What the camera recorded about one picture besides its comment: how to turn it upright,
// when it was taken, with what and how. Every part is optional; an image without EXIF data
// has the defaults.
struct CaptureDetails {
  int32_t orientation = 1;     // EXIF orientation 1-8; 1 = upright as stored
  double capture_date = 0;     // the EXIF capture date as a day number; 0 = none
  std::string camera_make;     // without padding
  std::string camera_model;    // without padding
  ExifRational exposure_time;  // seconds
  ExifRational f_number;
  ExifRational focal_length;  // millimetres
  int64_t iso = 0;            // 0 = not recorded
  bool operator==(const CaptureDetails&) const = default;
};

// An orientation value as it may be used: 1 to 8 as they are, anything else 1.
int32_t UsableOrientation(int64_t value);

// True for the orientations whose upright picture is the stored one turned a quarter: the
// upright width is the stored height.
bool OrientationSwapsSides(int32_t orientation);

// "YYYY-MM-DD HH:MM" of a day number (seconds dropped); empty for 0 and for values that are
// no date.
std::string CaptureDateText(double day_number);

// Make and model joined by a blank; the make is left out when the model already begins with
// it (ignoring letter case). Either alone when the other is empty.
std::string CameraText(const std::string& make, const std::string& model);

// Exposure time, f-number, ISO and focal length of the parts present, joined by " · ", for
// example "1/250 s · f/8 · ISO 100 · 50 mm". Plain text (not escaped).
std::string ExposureText(const CaptureDetails& details);

}  // namespace kelmora
