#pragma once

#include "gallery/capture_details.h"
#include "metadata/image_info.h"

namespace kelmora {

// The orientation, camera and exposure values of a walked EXIF directory set, taken from
// the raw bytes of its tag records (the first record of each tag, maker notes left out).
// capture_date stays 0. Values of an unexpected type or size count as absent.
CaptureDetails CaptureDetailsOf(const TImageInfo& info);

}  // namespace kelmora
