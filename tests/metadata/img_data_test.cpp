// The JPEG segment scan and the TIFF-type read of the metadata container, over files built
// segment by segment.
#include "metadata/img_data.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/day_number.h"
#include "support/byte_builders.h"
#include "support/param_names.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

using Bytes = std::string;

using test::JpegSegment;

// A little-endian TIFF with one IFD0 entry: DateTime, its value behind the directory.
Bytes TiffWithDateTime(const Bytes& date) {
  Bytes tiff("II\x2A\0\x08\0\0\0", 8);
  tiff += Bytes("\x01\0\x32\x01\x02\0\x14\0\0\0\x1A\0\0\0\0\0\0\0", 18);
  return tiff + date + Bytes(1, '\0');
}

Bytes App1Exif(const Bytes& date = "2004:05:06 07:08:09") {
  return JpegSegment(0xE1, Bytes("Exif\0\0", 6) + TiffWithDateTime(date));
}
Bytes App1Xmp() {
  return JpegSegment(0xE1, "http://ns.adobe.com/xap/1.0/\0<x:xmpmeta/>");
}
Bytes App0() {
  return JpegSegment(0xE0, Bytes("JFIF\0\1\1\0\0\1\0\1\0\0", 14));
}
Bytes Dqt() {
  return JpegSegment(0xDB, Bytes(65, '\1'));
}
Bytes Sof() {
  return JpegSegment(0xC0, Bytes("\x08\0\x10\0\x10\x01\x01\x11\0", 9));
}
Bytes Dht() {
  return JpegSegment(0xC4, Bytes(20, '\0'));
}
Bytes Sos() {
  return JpegSegment(0xDA, Bytes("\x01\x01\0\0\x3F\0", 6)) + Bytes("\x12\x34\xFF\xD9", 4);
}
Bytes Com(const Bytes& text) {
  return JpegSegment(0xFE, text);
}
Bytes App13(const Bytes& body) {
  return JpegSegment(0xED, Bytes("Photoshop 3.0\0", 14) + body);
}

Bytes Jpeg(const std::vector<Bytes>& segments) {
  Bytes file("\xFF\xD8", 2);
  for (const Bytes& s : segments) file += s;
  return file;
}

struct ScanCase {
  const char* name;
  std::vector<Bytes> segments;
  bool result;
  bool exif;
  bool comment;
  bool iptc;
};

class ScanTest : public testing::TestWithParam<ScanCase> {
 protected:
  test::TempDir dir_;
};

TEST_P(ScanTest, FindsTheMetadataSegments) {
  const ScanCase& c = GetParam();
  const std::string path = dir_ / "photo.jpg";
  const Bytes jpeg = Jpeg(c.segments);
  test::WriteText(path, jpeg);
  TimgData meta(DetailLevel::kAll);
  EXPECT_EQ(meta.ReadImageFile(path), c.result) << c.name;
  EXPECT_EQ(meta.StatusText, c.result ? "<none>" : "Not an EXIF file") << c.name;
  EXPECT_EQ(meta.ExifPresent(), c.exif) << c.name;
  EXPECT_EQ(meta.CommentPresent(), c.comment) << c.name;
  EXPECT_EQ(meta.IptcInfo != nullptr, c.iptc) << c.name;
}

const Bytes kFill("\xFF\xFF\xFF", 3);

INSTANTIATE_TEST_SUITE_P(
    Segments, ScanTest,
    testing::Values(
        ScanCase{"no metadata, decided at the fifth",
                 {App0(), Dqt(), Dqt(), Sof(), Dht(), Sos()},
                 false,
                 false,
                 false,
                 false},
        ScanCase{"no metadata before start of scan",
                 {App0(), Dqt(), Sof(), Sos()},
                 false,
                 false,
                 false,
                 false},
        ScanCase{
            "APP0, APP1, COM", {App0(), App1Exif(), Com("hi"), Sos()}, true, true, true, false},
        ScanCase{"comment as fifth segment",
                 {App0(), Dqt(), Dqt(), Sof(), Com("late"), Sos()},
                 false,
                 false,
                 false,
                 false},
        ScanCase{"APP1 as sixth segment is dropped",
                 {Com("c"), Dqt(), Dqt(), Sof(), Dht(), App1Exif(), Sos()},
                 true,
                 false,
                 true,
                 false},
        ScanCase{"fill bytes before markers",
                 {kFill + App1Exif(), kFill + Sos()},
                 true,
                 true,
                 false,
                 false},
        ScanCase{"marker without its 0xFF",
                 {App0(), App1Exif().substr(1), Sos()},
                 true,
                 true,
                 false,
                 false},
        ScanCase{"IPTC only", {App0(), App13("8BIM"), Sos()}, true, false, false, true},
        ScanCase{"XMP only still counts as the EXIF segment",
                 {App0(), App1Xmp(), Sos()},
                 true,
                 true,
                 false,
                 false},
        ScanCase{"file ends inside a segment",
                 {App0(), Com("kept"), Dqt().substr(0, 30)},
                 true,
                 false,
                 true,
                 false},
        ScanCase{"file ends inside the only metadata",
                 {App0(), App1Exif().substr(0, 20)},
                 false,
                 false,
                 false,
                 false},
        ScanCase{"file ends after the metadata", {App1Exif()}, true, true, false, false},
        ScanCase{"length below 2 is damage",
                 {Com("c"), Bytes("\xFF\xDB\x00\x01", 4), Sos()},
                 false,
                 false,
                 true,
                 false},
        ScanCase{"start of image only", {}, false, false, false, false},
        ScanCase{"end of image ends the scan",
                 {Com("c"), Bytes("\xFF\xD9", 2)},
                 true,
                 false,
                 true,
                 false}),
    test::NameOfCase());

class ContainerTest : public testing::Test {
 protected:
  std::string Write(const std::string& name, const Bytes& bytes) {
    const std::string path = dir_ / name;
    test::WriteText(path, bytes);
    return path;
  }
  test::TempDir dir_;
  TimgData meta_{DetailLevel::kAll};
};

TEST_F(ContainerTest, NotStartingWithStartOfImage) {
  EXPECT_FALSE(meta_.ReadImageFile(Write("a.jpg", "GIF89a" + Com("c"))));
  EXPECT_EQ(meta_.StatusText, "Not an EXIF file");
}

TEST_F(ContainerTest, MissingFileLeavesTheStatusEmpty) {
  EXPECT_FALSE(meta_.ReadImageFile(dir_ / "missing.jpg"));
  EXPECT_EQ(meta_.StatusText, "");
  EXPECT_EQ(meta_.SourcePath, "");
}

TEST_F(ContainerTest, ExtensionsDecideTheReader) {
  const Bytes jpeg = Jpeg({App1Exif(), Sos()});
  struct Case {
    const char* name;
    bool result;
  };
  for (const Case& c : {Case{"a.JPG", true}, Case{"b.jpeg", true}, Case{"c.Jpe", true},
                        Case{"d.bmp", false}, Case{"e", false}, Case{"f.jpg.png", false}}) {
    EXPECT_EQ(meta_.ReadImageFile(Write(c.name, jpeg)), c.result) << c.name;
    if (!c.result) {
      EXPECT_EQ(meta_.StatusText, "Not an EXIF file") << c.name;
    }
  }
}

TEST_F(ContainerTest, UnreadableFileIsAnIllegalConstruction) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads files without permission";
  const std::string path = Write("locked.jpg", Jpeg({App1Exif(), Sos()}));
  chmod(path.c_str(), 0);
  EXPECT_FALSE(meta_.ReadImageFile(path));
  EXPECT_EQ(meta_.StatusText, "Illegal Exif construction");
}

TEST_F(ContainerTest, OnlyRegularFilesAreOpened) {
  const std::string pipe = dir_ / "pipe.jpg";  // opening it for reading would wait for a writer
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const std::string folder = dir_ / "folder.tif";
  ASSERT_TRUE(std::filesystem::create_directory(folder));
  for (const std::string& path : {pipe, folder}) {
    EXPECT_FALSE(meta_.ReadImageFile(path)) << path;
    EXPECT_EQ(meta_.StatusText, "Illegal Exif construction") << path;
  }
}

TEST_F(ContainerTest, RecordsTheFileFacts) {
  const Bytes jpeg = Jpeg({App1Exif(), Sos()});
  const std::string path = Write("a.jpg", jpeg);
  struct stat facts {};
  ASSERT_EQ(stat(path.c_str(), &facts), 0);
  ASSERT_TRUE(meta_.ReadImageFile(path));
  EXPECT_EQ(meta_.SourcePath, path);
  EXPECT_EQ(meta_.SourceSize, int64_t(jpeg.size()));
  EXPECT_DOUBLE_EQ(meta_.SourceDate, FileTimeToDayNumber(facts.st_mtime));
  EXPECT_DOUBLE_EQ(meta_.ExifInfo->CaptureDateTime(), EncodeDayNumber(2004, 5, 6, 7, 8, 9));
}

TEST_F(ContainerTest, CommentLosesItsLastByte) {
  struct Case {
    std::vector<Bytes> segments;
    const char* expected;
  };
  for (const Case& c : {Case{{Com(Bytes("abc\0", 4))}, "abc"}, Case{{Com("abc")}, "ab"},
                        Case{{Com("first"), Com("second!")}, "second"}, Case{{Com("")}, ""}}) {
    std::vector<Bytes> segments = c.segments;
    segments.push_back(Sos());
    ASSERT_TRUE(meta_.ReadImageFile(Write("c.jpg", Jpeg(segments))));
    EXPECT_EQ(meta_.CommentText(), c.expected);
  }
}

// The file is read in growing pieces; where the segments end or fail must not depend on
// where a piece ends. Large segments put the metadata and the end of the scan far beyond the
// first piece; the same bytes given directly must read alike.
TEST_F(ContainerTest, SegmentsFarIntoTheFileReadLikeNearOnes) {
  const Bytes big(65000, 'p');
  struct Case {
    const char* name;
    std::vector<Bytes> segments;
    bool result;
    bool exif;
    const char* comment;
  };
  const Case cases[] = {
      {"exif behind two large segments",
       {JpegSegment(0xE2, big), JpegSegment(0xE2, big), App1Exif(), Sos()},
       true,
       true,
       ""},
      {"comment behind large fill runs",
       {JpegSegment(0xE2, big), Bytes(300000, '\xFF') + Com("far.").substr(1), Sos()},
       true,
       false,
       "far"},
      {"no metadata decided after large segments",
       {JpegSegment(0xE2, big), JpegSegment(0xE2, big), JpegSegment(0xE2, big),
        JpegSegment(0xE2, big), App1Exif(), Sos()},
       false,
       false,
       ""},
      {"large segment cut off by the end of the file",
       {JpegSegment(0xE2, big), Com("kept."), Bytes("\xFF\xE2\xFF\xF0", 4) + Bytes(1000, 'p')},
       true,
       false,
       "kept"},
  };
  for (const Case& c : cases) {
    const Bytes jpeg = Jpeg(c.segments);
    EXPECT_EQ(meta_.ReadImageFile(Write("far.jpg", jpeg)), c.result) << c.name;
    EXPECT_EQ(meta_.ExifPresent(), c.exif) << c.name;
    EXPECT_EQ(meta_.CommentText(), c.comment) << c.name;
    if (c.exif) {
      EXPECT_DOUBLE_EQ(meta_.ExifInfo->CaptureDateTime(), EncodeDayNumber(2004, 5, 6, 7, 8, 9));
    }
    const std::vector<uint8_t> bytes(jpeg.begin(), jpeg.end());
    TimgData direct(DetailLevel::kAll);
    EXPECT_EQ(direct.ReadImageBytes("far.JPG", bytes), c.result) << c.name;
    EXPECT_EQ(direct.ExifPresent(), c.exif) << c.name;
    EXPECT_EQ(direct.CommentText(), c.comment) << c.name;
    EXPECT_EQ(direct.StatusText, meta_.StatusText) << c.name;
    EXPECT_EQ(direct.SourcePath, "") << c.name;
  }
}

TEST_F(ContainerTest, AtMostTwentySegmentsAreRead) {
  std::vector<Bytes> segments;
  for (int i = 1; i <= 25; ++i) segments.push_back(Com("c" + std::to_string(i) + "."));
  ASSERT_TRUE(meta_.ReadImageFile(Write("many.jpg", Jpeg(segments))));
  EXPECT_EQ(meta_.SegmentCount, 20);
  EXPECT_EQ(meta_.CommentText(), "c20");
}

TEST_F(ContainerTest, DroppedApp1SegmentsGiveTheirSlotBack) {
  std::vector<Bytes> segments = {Com("a."), Dqt(), Dqt(), Sof(), Dht()};
  for (int i = 0; i < 30; ++i) segments.push_back(App1Exif());
  segments.push_back(Com("late."));
  segments.push_back(Sos());
  ASSERT_TRUE(meta_.ReadImageFile(Write("drop.jpg", Jpeg(segments))));
  EXPECT_FALSE(meta_.ExifPresent());
  EXPECT_EQ(meta_.CommentText(), "late");
}

TEST_F(ContainerTest, XmpAfterExifKeepsTheExifData) {
  ASSERT_TRUE(meta_.ReadImageFile(Write("x.jpg", Jpeg({App0(), App1Exif(), App1Xmp(), Sos()}))));
  EXPECT_DOUBLE_EQ(meta_.ExifInfo->CaptureDateTime(), EncodeDayNumber(2004, 5, 6, 7, 8, 9));
}

TEST_F(ContainerTest, LaterExifReplacesEarlierApp1) {
  ASSERT_TRUE(meta_.ReadImageFile(
      Write("x.jpg", Jpeg({App1Xmp(), App1Exif("2001:01:01 00:00:00"), App1Exif(), Sos()}))));
  EXPECT_DOUBLE_EQ(meta_.ExifInfo->CaptureDateTime(), EncodeDayNumber(2004, 5, 6, 7, 8, 9));
}

TEST_F(ContainerTest, FirstApp13IsTheIptcSegment) {
  ASSERT_TRUE(meta_.ReadImageFile(Write("i.jpg", Jpeg({App13("one"), App13("two"), Sos()}))));
  ASSERT_NE(meta_.IptcSegRef, 0);
  EXPECT_NE(meta_.SegmentData(meta_.IptcSegRef).find("one"), std::string::npos);
}

TEST_F(ContainerTest, DamagedIfd0FailsTheRead) {
  Bytes broken = App1Exif();
  broken.resize(broken.size() - 32);  // the directory entry runs past the segment
  broken[2] = 0;
  broken[3] = char(broken.size() - 2);
  EXPECT_FALSE(meta_.ReadImageFile(Write("b.jpg", Jpeg({broken, Sos()}))));
  EXPECT_EQ(meta_.StatusText, "Not an EXIF file");
}

TEST_F(ContainerTest, NextReadStartsFromScratch) {
  ASSERT_TRUE(meta_.ReadImageFile(Write("a.jpg", Jpeg({App1Exif(), Com("x."), Sos()}))));
  ASSERT_TRUE(meta_.ReadImageFile(Write("b.jpg", Jpeg({App13("i"), Sos()}))));
  EXPECT_FALSE(meta_.ExifPresent());
  EXPECT_FALSE(meta_.CommentPresent());
  EXPECT_EQ(meta_.ExifInfo, nullptr);
}

// --- TIFF-type files ----------------------------------------------------------------------

// A little-endian TIFF whose only directory (one DateTime entry, the date right behind the
// directory) lies at `offset`; the bytes between the header and the directory are zero.
Bytes TiffWithDirectoryAt(uint32_t offset, const Bytes& date) {
  auto le32 = [](uint32_t v) { return Bytes{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
  Bytes tiff = Bytes("II\x2A\0", 4) + le32(offset);
  tiff.resize(offset, '\0');
  tiff += Bytes("\x01\0\x32\x01\x02\0\x14\0\0\0", 10) + le32(offset + 18) + Bytes(4, '\0');
  return tiff + date + Bytes(1, '\0');
}

TEST_F(ContainerTest, TiffFirstDirectoryIsWhereTheHeaderSays) {
  const double date = EncodeDayNumber(2004, 5, 6, 7, 8, 9);
  struct Case {
    uint32_t offset;
    size_t buffer_size;
  } cases[] = {
      {8, TimgData::kTiffBufferSize},
      {0x40, TimgData::kTiffBufferSize},
      // Beyond the first 256000 bytes: the buffer grows to the end of the file.
      {300000, 300000 - 8 + 18 + 20},
  };
  for (const Case& c : cases) {
    for (const char* name : {"a.tif", "b.TIFF", "c.nef"}) {
      ASSERT_TRUE(
          meta_.ReadImageFile(Write(name, TiffWithDirectoryAt(c.offset, "2004:05:06 07:08:09"))))
          << name << " " << c.offset;
      EXPECT_EQ(meta_.StatusText, "<none>");
      EXPECT_TRUE(meta_.ExifPresent());
      EXPECT_TRUE(meta_.ExifInfo->ReadingTiff);
      EXPECT_FALSE(meta_.ReadingTiff);
      EXPECT_EQ(meta_.SegmentData(meta_.ExifSegRef).size(), c.buffer_size) << c.offset;
      EXPECT_DOUBLE_EQ(meta_.ExifInfo->CaptureDateTime(), date) << name << " " << c.offset;
    }
  }
  // A directory the header places beyond the end of the file is no metadata.
  Bytes beyond = TiffWithDirectoryAt(8, "2004:05:06 07:08:09");
  beyond[5] = '\x10';
  EXPECT_FALSE(meta_.ReadImageFile(Write("d.tif", beyond)));
  EXPECT_EQ(meta_.StatusText, "Not an EXIF file");
}

// The sample TIFFs keep their first directory at the end of the file. Their capture dates
// are the ones exiftool reads, by the same preference: IFD0 DateTime, then DateTimeOriginal,
// then DateTimeDigitized.
TEST_F(ContainerTest, SampleTiffDatesMatchExiftool) {
  int dated = 0;
  for (const auto& file : std::filesystem::directory_iterator(test::SamplesDir() / "tiff")) {
    if (file.path().extension() != ".tiff") continue;
    std::string expected = test::ExiftoolOutput(
        "-s3 -IFD0:ModifyDate -ExifIFD:DateTimeOriginal -ExifIFD:CreateDate", file.path());
    expected = expected.substr(0, expected.find('\n'));
    ASSERT_TRUE(meta_.ReadImageFile(file.path().string())) << file.path();
    ASSERT_TRUE(meta_.ExifPresent());
    EXPECT_DOUBLE_EQ(meta_.ExifInfo->CaptureDateTime(), TImageInfo::ExifTextToDateTime(expected))
        << file.path() << " exiftool: " << expected;
    EXPECT_EQ(std::to_string(meta_.ExifInfo->Width) + "\n",
              test::ExiftoolOutput("-s3 -IFD0:ImageWidth", file.path()))
        << file.path();
    if (!expected.empty()) ++dated;
  }
  EXPECT_EQ(dated, 2);  // Crémieux11.tiff and DudleyLeavittUtah.tiff
}

TEST_F(ContainerTest, TiffByteOrderComesFromTheHeader) {
  const Bytes big("MM\0\x2A\0\0\0\x08\0\x01\x01\x00\0\x04\0\0\0\x01\0\0\x0B\xB8", 22);
  ASSERT_TRUE(meta_.ReadImageFile(Write("m.tif", big)));
  EXPECT_EQ(meta_.ExifInfo->Width, 3000);
}

TEST_F(ContainerTest, TiffWithoutByteOrderMarkIsRejected) {
  for (const Bytes& bytes : {Bytes("XX\x2A\0\x08\0\0\0", 8), Bytes("I")}) {
    EXPECT_FALSE(meta_.ReadImageFile(Write("x.tif", bytes)));
    EXPECT_EQ(meta_.StatusText, "Not an EXIF file");
  }
}

TEST_F(ContainerTest, ShortTiffReadsZerosBeyondItsEnd) {
  ASSERT_TRUE(meta_.ReadImageFile(Write("s.tif", "II")));
  EXPECT_EQ(meta_.ExifInfo->TagCount(), 0);
  ASSERT_TRUE(meta_.ReadImageFile(Write("s.tif", Bytes("II\x2A\0\x08\0\0\0\x01", 9))));
  EXPECT_EQ(std::string(meta_.SegmentData(meta_.ExifSegRef).substr(0, 2)), Bytes("\x01\0", 2));
  EXPECT_EQ(meta_.ExifInfo->TagCount(), 0);  // one entry of tag 0, type 0
}

}  // namespace
}  // namespace kelmora
