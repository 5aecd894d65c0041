#include <gtest/gtest.h>
#include <zlib.h>

#include "imaging/packbits.h"
#include "imaging/tiff_deflate.h"
#include "imaging/tiff_directory.h"
#include "imaging/tiff_lzw.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadAll(StripDecoder& decoder, size_t capacity) {
  Bytes out(capacity);
  out.resize(decoder.Read(out));
  return out;
}

TEST(PackBits, DecodesRunsAndStopsAtTheBuffersEnd) {
  struct Case {
    Bytes input;
    size_t capacity;
    Bytes output;
  };
  const Case cases[] = {
      {{0x02, 'a', 'b', 'c'}, 10, {'a', 'b', 'c'}},
      {{0xFD, 'x'}, 10, {'x', 'x', 'x', 'x'}},
      {{0x80, 0x00, 'q'}, 10, {'q'}},                          // -128 is skipped without output
      {{0x01, 'a', 'b', 0xFE, 'z'}, 4, {'a', 'b', 'z', 'z'}},  // the run is cut at the end
      {{0x04, 'a', 'b'}, 10, {'a', 'b'}},                      // literal cut by the end of the data
      {{0xFF}, 10, {}},                                        // repeat without its byte
      {{0x81, 'r'}, 200, Bytes(128, 'r')},
  };
  for (const Case& c : cases) {
    Bytes out(c.capacity, 0xEE);
    out.resize(PackBitsDecode(c.input, out));
    EXPECT_EQ(out, c.output) << testing::PrintToString(c.input);
  }
}

// Packs 9-bit codes as TIFF's LZW writes them, or as the oldest encoders did.
Bytes PackCodes(const std::vector<int>& codes, bool lsb_first) {
  Bytes out;
  uint32_t bits = 0, count = 0;
  for (int code : codes) {
    bits = lsb_first ? bits | static_cast<uint32_t>(code) << count : bits << 9 | code;
    count += 9;
    while (count >= 8) {
      out.push_back(static_cast<uint8_t>(lsb_first ? bits : bits >> (count - 8)));
      if (lsb_first) bits >>= 8;
      count -= 8;
    }
  }
  if (count > 0) out.push_back(static_cast<uint8_t>(lsb_first ? bits : bits << (8 - count)));
  return out;
}

TEST(TIFFLZW, DecodesBothBitOrdersAndTheCodeBeingDefined) {
  struct Case {
    std::vector<int> codes;
    bool lsb_first;
    std::string text;
  };
  const Case cases[] = {
      {{256, 'A', 'B', 258, 257}, false, "ABAB"},
      {{256, 'A', 'B', 258, 257}, true, "ABAB"},
      {{256, 'A', 258, 259, 257}, false, "AAAAAA"},         // each code is the one being defined
      {{256, 'A', 'B', 256, 'C', 259, 257}, false, "ABC"},  // beyond the table: damage
      {{256, 300, 'A', 257}, false, ""},
  };
  for (const Case& c : cases) {
    const Bytes packed = PackCodes(c.codes, c.lsb_first);
    TiffLzwDecoder decoder(packed);
    const Bytes out = ReadAll(decoder, 100);
    EXPECT_EQ(std::string(out.begin(), out.end()), c.text) << testing::PrintToString(c.codes);
  }
}

// The compressed bytes of a file's first strip.
Bytes FirstStrip(const std::string& name) {
  const Bytes file = test::ReadBytes(test::DataDir() / "tiff-expected" / name);
  const MemoryByteSource source(file);
  TiffDirectory directory(source);
  std::vector<uint32_t> offsets, counts;
  directory.ReadTagArray(273, offsets);
  directory.ReadTagArray(279, counts);
  return Bytes(file.begin() + offsets[0], file.begin() + offsets[0] + counts[0]);
}

TEST(TIFFStripDecoders, GiveTheSameBytesWhateverPiecesTheyAreReadIn) {
  // A strip of a real LZW file, and its decoded bytes deflated again by zlib.
  const Bytes lzw = FirstStrip("arbitro-lzw-le.tiff");
  const size_t strip_size = 174 * 4 * 16;
  TiffLzwDecoder whole_lzw(lzw);
  const Bytes expected = ReadAll(whole_lzw, strip_size + 1000);
  ASSERT_EQ(expected.size(), strip_size);

  Bytes deflated(compressBound(strip_size));
  uLongf deflated_size = deflated.size();
  ASSERT_EQ(compress(deflated.data(), &deflated_size, expected.data(), strip_size), Z_OK);
  deflated.resize(deflated_size);

  for (size_t piece : {1, 7, 696, 4099}) {
    TiffLzwDecoder lzw_decoder(lzw);
    TiffDeflateDecoder deflate_decoder(deflated);
    for (StripDecoder* decoder : {static_cast<StripDecoder*>(&lzw_decoder),
                                   static_cast<StripDecoder*>(&deflate_decoder)}) {
      Bytes joined, buffer(piece);
      for (size_t got; (got = decoder->Read(buffer)) > 0;) {
        joined.insert(joined.end(), buffer.begin(), buffer.begin() + got);
      }
      EXPECT_EQ(joined, expected) << piece;
    }
  }
  // Damaged data ends the strip early instead of failing or overrunning.
  deflated.resize(deflated.size() / 2);
  TiffDeflateDecoder cut(deflated);
  EXPECT_LT(ReadAll(cut, strip_size).size(), strip_size);
}

}  // namespace
}  // namespace kelmora
