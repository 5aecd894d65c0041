#include "metadata/gps_strip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace kelmora {
namespace {

using Bytes = std::vector<uint8_t>;

// Where the JPEG's start-of-scan marker is: the picture data begins there.
size_t ScanStart(const Bytes& jpeg) {
  size_t at = 2;
  while (at + 4 <= jpeg.size() && jpeg[at + 1] != 0xDA) {
    at += 2 + (size_t{jpeg[at + 2]} << 8 | jpeg[at + 3]);
  }
  return at;
}

// Every exiftool line except those of the GPS directory, the GPS properties of XMP and the
// composite values made from them, and the file's own facts (name, dates, size).
std::string TagsBesidesLocation(const std::string& listing) {
  std::string kept;
  size_t from = 0;
  while (from < listing.size()) {
    const size_t end = listing.find('\n', from);
    const std::string line = listing.substr(from, end - from);
    from = end == std::string::npos ? listing.size() : end + 1;
    const bool location = line.find("GPS") != std::string::npos;
    const bool file_fact = line.rfind("[System]", 0) == 0 || line.rfind("[ExifTool]", 0) == 0;
    if (!location && !file_fact) kept += line + "\n";
  }
  return kept;
}

struct StripCase {
  const char* file;   // under tests/data
  bool has_position;  // the source carries a position exiftool can read
  bool has_gps;       // the source has GPS entries besides the version
};

class StripGpsSampleTest : public testing::TestWithParam<StripCase> {};

TEST_P(StripGpsSampleTest, ExiftoolFindsNoPositionAndEverythingElseStays) {
  const StripCase& c = GetParam();
  test::TempDir dir;
  const Bytes source = test::ReadBytes(test::DataDir() / c.file);
  const std::string position_tags = "-a -s3 -GPSLatitude -GPSLongitude -GPSAltitude -GPSPosition";
  ASSERT_EQ(test::ExiftoolOutput(position_tags, test::DataDir() / c.file).empty(), !c.has_position);

  Bytes stripped = source;
  EXPECT_EQ(StripGpsPosition(stripped), c.has_gps);
  test::WriteBytes(dir / "out.jpg", stripped);

  EXPECT_EQ(test::ExiftoolOutput(position_tags, dir / "out.jpg"), "");
  // Of the GPS directory at most the version stays, which says nothing about the place.
  const std::string gps = test::ExiftoolOutput("-a -s -G1 -gps:all", dir / "out.jpg");
  EXPECT_TRUE(gps.empty() || gps.rfind("[GPS]           GPSVersionID", 0) == 0) << gps;
  EXPECT_EQ(std::count(gps.begin(), gps.end(), '\n'), gps.empty() ? 0 : 1) << gps;
  // The picture and every byte from the scan on are unchanged, and so is every other tag.
  ASSERT_EQ(stripped.size(), source.size());
  const size_t scan = ScanStart(source);
  EXPECT_TRUE(std::equal(source.begin() + ptrdiff_t(scan), source.end(),
                         stripped.begin() + ptrdiff_t(scan)));
  EXPECT_EQ(TagsBesidesLocation(test::ExiftoolOutput("-a -s -G1 -e", dir / "out.jpg")),
            TagsBesidesLocation(test::ExiftoolOutput("-a -s -G1 -e", test::DataDir() / c.file)));
  // A second pass finds nothing more.
  EXPECT_FALSE(StripGpsPosition(stripped));
}

INSTANTIATE_TEST_SUITE_P(Samples, StripGpsSampleTest,
                         testing::Values(StripCase{"made/nikon-e950-gps.jpg", true, true},
                                         StripCase{"samples/jpg/Kodak_CX7530.jpg", true, true},
                                         StripCase{"samples/jpg/exif-org/nikon-e950.jpg", false,
                                                   false},
                                         StripCase{"samples/jpg/Canon_40D.jpg", false, false}));

// A little-endian TIFF structure with IFD0 (one GPSInfo entry) and a GPS directory of one
// latitude entry whose three rationals lie behind it.
Bytes TiffWithGps(uint32_t gps_offset) {
  Bytes t = {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x25, 0x88, 4, 0, 1, 0, 0, 0, uint8_t(gps_offset),
             0,   0,   0,  0, 0, 0, 0};
  t.resize(std::max<size_t>(t.size(), gps_offset), 0xEE);
  const Bytes gps = {1, 0, 2, 0, 5, 0, 3, 0, 0, 0, uint8_t(gps_offset + 18), 0, 0, 0, 0, 0, 0, 0};
  t.insert(t.end(), gps.begin(), gps.end());
  for (int i = 0; i < 24; ++i) t.push_back(uint8_t(i + 1));
  return t;
}

Bytes Truncated(Bytes bytes, size_t size) {
  bytes.resize(size);
  return bytes;
}

TEST(StripGpsFromTiff, EmptiesTheDirectoryAndLeavesDamagedDataAlone) {
  Bytes good = TiffWithGps(26);
  ASSERT_TRUE(StripGpsFromTiff(good));
  EXPECT_EQ(Truncated(good, 26), Truncated(TiffWithGps(26), 26));
  EXPECT_TRUE(std::all_of(good.begin() + 26, good.end(), [](uint8_t b) { return b == 0; }));

  // With a version entry first, the directory keeps that entry alone.
  Bytes versioned = TiffWithGps(26);
  versioned[26] = 2;  // two entries: the version, then the latitude
  const Bytes version = {0, 0, 1, 0, 4, 0, 0, 0, 2, 3, 0, 0};
  versioned.insert(versioned.begin() + 28, version.begin(), version.end());
  versioned[28 + 12 + 8] += 12;  // the latitude's values moved with the insertion
  Bytes kept = versioned;
  ASSERT_TRUE(StripGpsFromTiff(kept));
  Bytes expected = Truncated(versioned, 40);
  expected[26] = 1;
  expected.resize(versioned.size(), 0);
  EXPECT_EQ(kept, expected);
  EXPECT_FALSE(StripGpsFromTiff(kept));

  const struct {
    const char* name;
    Bytes bytes;
  } damaged[] = {
      {"no byte order", Bytes{'X', 'X', 42, 0, 8, 0, 0, 0}},
      {"IFD0 beyond the end", Bytes{'I', 'I', 42, 0, 200, 0, 0, 0}},
      {"GPS directory beyond the end", Truncated(TiffWithGps(26), 30)},
      {"GPS directory over IFD0", TiffWithGps(8)},
      {"GPS directory over the header", TiffWithGps(2)},
      {"empty", Bytes{}},
  };
  for (const auto& d : damaged) {
    Bytes bytes = d.bytes;
    EXPECT_FALSE(StripGpsFromTiff(bytes)) << d.name;
    EXPECT_EQ(bytes, d.bytes) << d.name;
  }
}

TEST(StripGpsFromXmp, BlanksGpsPropertiesInBothForms) {
  const struct {
    std::string in;
    std::string blanked;  // the part that becomes blanks; empty: nothing changes
  } cases[] = {
      {R"(<rdf:Description exif:GPSLatitude="48,51N" dc:x="1"/>)", R"(exif:GPSLatitude="48,51N")"},
      {"<rdf:Description\n exif:GPSLongitude = '2,17E'/>", "exif:GPSLongitude = '2,17E'"},
      {"<a><exif:GPSAltitude>35/1</exif:GPSAltitude><b>2</b></a>",
       "<exif:GPSAltitude>35/1</exif:GPSAltitude>"},
      {"<a><exif:GPSLongitude/></a>", "<exif:GPSLongitude/>"},
      // Text that only mentions GPS, and an unclosed property, stay.
      {"<a>see:GPS maps</a>", ""},
      {"<a><exif:GPSLatitude>48", ""},
      {"<a x:GPSAltitude></a>", ""},
  };
  for (const auto& c : cases) {
    std::string expected = c.in;
    if (!c.blanked.empty()) {
      const size_t at = expected.find(c.blanked);
      ASSERT_NE(at, std::string::npos);
      expected.replace(at, c.blanked.size(), std::string(c.blanked.size(), ' '));
    }
    Bytes bytes(c.in.begin(), c.in.end());
    EXPECT_EQ(StripGpsFromXmp(bytes), !c.blanked.empty()) << c.in;
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected) << c.in;
  }
}

TEST(StripGpsPosition, LeavesFilesThatAreNoJpegAlone) {
  for (const Bytes& bytes :
       {Bytes{}, Bytes{0xFF}, Bytes{0xFF, 0xD8, 0xFF, 0xE1, 0, 1},
        Bytes{0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xFF, 'E'}, Bytes{'I', 'I', 42, 0}}) {
    Bytes copy = bytes;
    EXPECT_FALSE(StripGpsPosition(copy));
    EXPECT_EQ(copy, bytes);
  }
}

}  // namespace
}  // namespace kelmora
