#include "common/byte_reader.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace kelmora {
namespace {

constexpr std::array<uint8_t, 6> kBytes = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xFF};

TEST(ByteReader, CombinesBytesInEitherOrder) {
  const ByteReader little(kBytes, ByteOrder::kLittle);
  const ByteReader big(kBytes, ByteOrder::kBig);
  EXPECT_EQ(little.U8(5), 0xFF);
  EXPECT_EQ(little.U16(0), 0x3412);
  EXPECT_EQ(big.U16(0), 0x1234);
  EXPECT_EQ(little.U32(1), 0x9A785634u);
  EXPECT_EQ(big.U32(1), 0x3456789Au);
  EXPECT_EQ(big.S16(4), static_cast<int16_t>(0x9AFF));
  EXPECT_EQ(little.S32(2), static_cast<int32_t>(0xFF9A7856u));
  EXPECT_EQ(big.Text(1, 2), "\x34\x56");
  const ByteReader sub = big.Sub(2, 4);
  EXPECT_EQ(sub.Size(), 4u);
  EXPECT_EQ(sub.Order(), ByteOrder::kBig);
  EXPECT_EQ(sub.U16(0), 0x5678);
}

// Every read that would touch a byte outside the data raises, also where offset + length
// wraps around in 64 bits.
TEST(ByteReader, RefusesEveryReadOutsideTheData) {
  const ByteReader reader(kBytes, ByteOrder::kBig);
  struct Case {
    uint64_t offset;
    uint64_t length;
    bool inside;
  };
  const Case cases[] = {
      {0, 6, true},           {6, 0, true},           {5, 1, true},
      {5, 2, false},          {6, 1, false},          {7, 0, false},
      {UINT64_MAX, 1, false}, {1, UINT64_MAX, false}, {UINT64_MAX - 2, 4, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(reader.Contains(c.offset, c.length), c.inside) << c.offset << "+" << c.length;
    if (c.inside) {
      EXPECT_NO_THROW(reader.Bytes(c.offset, c.length));
    } else {
      EXPECT_THROW(reader.Bytes(c.offset, c.length), EOutOfBounds);
      EXPECT_THROW(reader.Sub(c.offset, c.length), EOutOfBounds);
    }
  }
  EXPECT_THROW(reader.U8(6), EOutOfBounds);
  EXPECT_THROW(reader.U16(5), EOutOfBounds);
  EXPECT_THROW(reader.U32(3), EOutOfBounds);
  EXPECT_THROW(reader.S32(UINT64_MAX - 1), EOutOfBounds);
  EXPECT_THROW(ByteReader().U8(0), EOutOfBounds);
}

}  // namespace
}  // namespace kelmora
