// The per-file text behind `kelmora-cli --exif`.
#include "metadata/exif_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/day_number.h"
#include "support/byte_builders.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

using Bytes = std::string;

using test::JpegSegment;

// Big-endian EXIF with IFD0 Make and DateTime.
Bytes ExifApp1() {
  Bytes tiff("MM\0\x2A\0\0\0\x08\0\x02", 10);
  tiff += Bytes("\x01\x0F\0\x02\0\0\0\x04", 8) + Bytes("Cam\0", 4);
  tiff += Bytes("\x01\x32\0\x02\0\0\0\x14\0\0\0\x26", 12) + Bytes(4, '\0');
  tiff += Bytes("2004:05:06 07:08:09\0", 20);
  return JpegSegment(0xE1, Bytes("Exif\0\0", 6) + tiff);
}

Bytes IptcApp13() {
  const Bytes datasets = Bytes("\x1C\x02\x5A\0\x04Oslo", 9);
  return JpegSegment(0xED, Bytes("Photoshop 3.0\08BIM\x04\x04\0\0\0\0\0\x09", 26) + datasets);
}

std::string WriteFile(const test::TempDir& dir, const std::string& name, const Bytes& bytes) {
  const std::string path = dir / name;
  test::WriteText(path, bytes);
  return path;
}

TEST(ExifReport, ShowsEverythingTheReaderFound) {
  test::TempDir dir;
  const std::string path =
      WriteFile(dir, "full.jpg",
                Bytes("\xFF\xD8", 2) + ExifApp1() + JpegSegment(0xFE, Bytes("A comment\0", 10)) +
                    IptcApp13() + JpegSegment(0xDA, Bytes(6, '\0')));
  EXPECT_EQ(ExifReportText(path), "File: " + path +
                                      "\n"
                                      "Result: true\n"
                                      "Status: <none>\n"
                                      "Capture date: 2004-05-06 07:08:09\n"
                                      "Comment: A comment\n"
                                      "EXIF:\n"
                                      "Make = Cam\n"
                                      "Date Time = 2004:05:06 07:08:09\n"
                                      "Tags:\n"
                                      "Make = Cam\n"
                                      "DateTime = 2004:05:06 07:08:09\n"
                                      "IPTC:\n"
                                      "City = Oslo\n");
}

TEST(ExifReport, FailedReadsSayWhy) {
  test::TempDir dir;
  struct Case {
    std::string path;
    const char* expected;
  };
  const std::string missing = dir / "missing.jpg";
  const std::string bitmap = WriteFile(dir, "b.bmp", "BM");
  // A comment in a file whose read fails is still shown; no date is taken from it.
  const std::string no_date =
      WriteFile(dir, "c.jpg", Bytes("\xFF\xD8", 2) + JpegSegment(0xFE, "note.") + "\xFF\xDA");
  for (const Case& c :
       {Case{missing, "Result: false\nStatus: \nCapture date: none\nComment: none\n"},
        Case{bitmap,
             "Result: false\nStatus: Not an EXIF file\nCapture date: none\nComment: none\n"},
        Case{no_date, "Result: true\nStatus: <none>\nCapture date: none\nComment: note\n"}}) {
    EXPECT_EQ(ExifReportText(c.path), "File: " + c.path + "\n" + c.expected);
  }
}

// Little-endian EXIF whose IFD0 holds a Make with a terminal escape sequence (shown with a
// dot, as every ASCII value shows control characters) and a UNICODE
// UserComment, whose NUL bytes once ended the report, then an Artist after it.
Bytes ControlCharactersApp1() {
  Bytes tiff("II\x2A\0\x08\0\0\0\x03\0", 10);
  tiff += Bytes("\x0F\x01\x02\0\x08\0\0\0\x32\0\0\0", 12);  // Make at 50
  tiff += Bytes("\x3B\x01\x02\0\x04\0\0\0Ann\0", 12);       // Artist, inline
  tiff += Bytes("\x86\x92\x07\0\x0E\0\0\0\x3A\0\0\0", 12);  // UserComment at 58
  tiff += Bytes(4, '\0');                                   // no next IFD
  tiff += Bytes("Ca\x1B[2Jm\0", 8);
  tiff += Bytes("UNICODE\0H\0i\0!\0", 14);
  return JpegSegment(0xE1, Bytes("Exif\0\0", 6) + tiff);
}

TEST(ExifReport, ShowsEveryValueInFullWithControlCharactersEscaped) {
  test::TempDir dir;
  const std::string path = WriteFile(dir, "ctl\x07.jpg",
                                     Bytes("\xFF\xD8", 2) + ControlCharactersApp1() +
                                         JpegSegment(0xFE, Bytes("two\r\nlines\0", 11)) +
                                         JpegSegment(0xDA, Bytes(6, '\0')));
  const std::string report = ExifReportText(path);
  for (const char* expected : {"ctl\\x07.jpg\n", "Comment: two\\x0D\\x0Alines", "Make = Ca.[2Jm\n",
                               "Artist = Ann\n", "UserComment = H\\x00i\\x00!\n"}) {
    EXPECT_NE(report.find(expected), std::string::npos) << expected << "\n" << report;
  }
  for (const char c : report) {
    const auto byte = static_cast<unsigned char>(c);
    EXPECT_TRUE(byte >= 0x20 || c == '\n') << "raw control character " << int{byte};
  }
}

TEST(ExifReport, MakerNoteOfACameraSample) {
  const std::string report =
      ExifReportText((test::SamplesDir() / "jpg" / "Canon_DIGITAL_IXUS_400.jpg").string());
  EXPECT_NE(report.find("\nMaker note: decoded\n"), std::string::npos);
  EXPECT_NE(report.find("\nMaker note entries:\n"), std::string::npos);
  EXPECT_EQ(report.find('\r'), std::string::npos);
}

// The report of a file's bytes is the report of the file, whichever reader its name picks.
TEST(ExifReport, BytesReportLikeTheFile) {
  for (const char* name : {"jpg/Canon_DIGITAL_IXUS_400.jpg", "jpg/Nikon_D70.jpg",
                           "jpg/exif-org/olympus-c960.jpg", "tiff/Tless0.tiff"}) {
    const std::string path = (test::SamplesDir() / name).string();
    const std::vector<uint8_t> bytes = test::ReadBytes(path);
    EXPECT_EQ(ExifReportTextOfBytes(path, bytes), ExifReportText(path)) << name;
  }
}

}  // namespace
}  // namespace kelmora
