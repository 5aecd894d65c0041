#pragma once

#include <cstdint>

#include "imaging/bitmap.h"

namespace kelmora {

// Turns a bitmap upright by an EXIF orientation: 1 as stored, 2 mirrored left-right, 3 turned
// half round, 4 mirrored top-bottom, 5 mirrored along the main diagonal, 6 turned a quarter
// clockwise, 7 mirrored along the other diagonal, 8 turned a quarter anticlockwise. 5 to 8
// swap width and height. Any other value leaves the bitmap as it is. Pixels keep their
// values and format (1- and 4-bit palette pictures become 8-bit palette pictures with the
// same palette).
void OrientUpright(TBitmap& bitmap, int32_t orientation);

}  // namespace kelmora
