#include <gtest/gtest.h>

#include "imaging/bitmap.h"

namespace kelmora {
namespace {

// Reshape keeps the memory a bitmap holds when the new picture fits it, and frees it first
// when it does not.
TEST(BitmapReshape, ReusesMemoryThatIsLargeEnough) {
  struct Step {
    int32_t width, height;
    PixelFormat format;
    bool same_memory;
  };
  const Step steps[] = {
      {400, 300, PixelFormat::k24Bit, false},  // first memory
      {300, 400, PixelFormat::k24Bit, true},   // the same bytes, turned
      {100, 100, PixelFormat::k8Bit, true},    // smaller, another format
      {401, 300, PixelFormat::k24Bit, false},  // larger than anything held
      {0, 0, PixelFormat::k24Bit, true},       // empty keeps the memory for the next one
      {401, 300, PixelFormat::k32Bit, false},  // a third more bytes per pixel
  };
  TBitmap bitmap;
  const uint8_t* memory = nullptr;
  size_t capacity = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(std::to_string(step.width) + " x " + std::to_string(step.height));
    bitmap.Reshape(step.width, step.height, step.format);
    EXPECT_EQ(bitmap.Width(), step.width);
    EXPECT_EQ(bitmap.Height(), step.height);
    EXPECT_EQ(bitmap.Format(), step.format);
    EXPECT_EQ(
        bitmap.BytesPerRow(),
        (static_cast<size_t>(step.width) * static_cast<size_t>(BitsPerPixel(step.format)) + 31) /
            32 * 4);
    EXPECT_TRUE(bitmap.Palette().empty());
    if (step.same_memory) {
      EXPECT_EQ(bitmap.Capacity(), capacity);
      if (step.height > 0) {
        EXPECT_EQ(bitmap.ScanLine(0), memory);
      }
    } else {
      EXPECT_GE(bitmap.Capacity(), bitmap.BytesPerRow() * static_cast<size_t>(step.height));
      capacity = bitmap.Capacity();
      memory = bitmap.ScanLine(0);
      // Every byte of the picture can be written.
      for (int32_t y = 0; y < step.height; ++y) {
        std::fill_n(bitmap.ScanLine(y), bitmap.BytesPerRow(), uint8_t{0xAB});
      }
    }
  }
  // Copies and moves carry the capacity with them.
  TBitmap copy = bitmap;
  EXPECT_EQ(copy.ScanLine(299)[0], 0xAB);
  TBitmap moved = std::move(bitmap);
  EXPECT_EQ(moved.Capacity(), capacity);
  EXPECT_EQ(bitmap.Capacity(), 0u);
  moved.Release();
  EXPECT_EQ(moved.Capacity(), 0u);
  EXPECT_EQ(moved.Width(), 0);
  EXPECT_THROW(moved.Reshape(-1, 5, PixelFormat::k24Bit), std::exception);
  EXPECT_THROW(moved.Reshape(1 << 30, 1 << 30, PixelFormat::k24Bit), std::exception);
}

}  // namespace
}  // namespace kelmora
