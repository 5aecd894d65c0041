#include "gallery/build_record.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "gallery/gallery_fixture.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

TEST(BuildRecordText, ReadsBackWhatItWrites) {
  BuildRecord record;
  record.files = {{"page1.htm", true, 0, 0},
                  {"t_a b.jpg", false, 7014, 0xe77676015d99f131ULL},
                  {"n_\xE9t\xE9.jpg", false, 1, 1},
                  {"b_unfinished.jpg", false, 0, 0}};
  const std::string text = record.Text();
  EXPECT_EQ(text,
            "kelmora output record 1\npage\tpage1.htm\nfile\tt_a b.jpg\t7014\te77676015d99f131\n"
            "file\tn_\xE9t\xE9.jpg\t1\t0000000000000001\nfile\tb_unfinished.jpg\t0\t"
            "0000000000000000\n");
  EXPECT_EQ(BuildRecord::FromText(text).files, record.files);
  ASSERT_NE(record.Find("t_a b.jpg"), nullptr);
  EXPECT_EQ(record.Find("t_a b.jpg")->size, 7014u);
  EXPECT_EQ(record.Find("t_missing.jpg"), nullptr);
}

// A record may have been edited or damaged: what cannot be a line this program wrote, or
// names anything but a plain file of the output folder, is left out.
TEST(BuildRecordText, LeavesOutLinesItCannotTrust) {
  const std::string good = "file\tt_ok.jpg\t10\t00000000000000ff";
  const std::vector<std::string> bad = {
      "file\t../outside.jpg\t10\t1",
      "file\tsub/t_x.jpg\t10\t1",
      "file\tsub\\t_x.jpg\t10\t1",
      "page\t..",
      "page\t.",
      "page\t",
      "file\tt_x.jpg\t-1\t1",
      "file\tt_x.jpg\t10\tzz",
      "file\tt_x.jpg\t10\t1ffffffffffffffff",
      "file\tt_x.jpg\t99999999999999999999999\t1",
      "file\tt_x.jpg\t10",
      "file\tt_x.jpg\t10\t1\textra",
      "picture\tt_x.jpg",
      "",
      std::string("page\tt_\0x.jpg", 13),
      "page\tt_x.jpg\r",
  };
  for (const std::string& line : bad) {
    SCOPED_TRACE(line);
    const BuildRecord record =
        BuildRecord::FromText("kelmora output record 1\n" + line + "\n" + good + "\n");
    ASSERT_EQ(record.files.size(), 1u);
    EXPECT_EQ(record.files[0], (RecordedFile{"t_ok.jpg", false, 10, 0xff}));
  }
  for (const std::string header : {"", "kelmora output record 2", "garbage"}) {
    EXPECT_TRUE(BuildRecord::FromText(header + "\n" + good + "\n").files.empty()) << header;
  }
}

TEST(BuildRecordFile, IsWrittenOnlyWhenItsBytesChange) {
  const test::TempDir dir;
  EXPECT_TRUE(ReadBuildRecord(dir.Path().string()).files.empty());
  BuildRecord record;
  record.files = {{"page1.htm", true, 0, 0}};
  WriteBuildRecord(dir.Path().string(), record);
  const fs::path path = dir.Path() / std::string(kBuildRecordName);
  const auto old_time = fs::file_time_type::clock::now() - std::chrono::hours(1);
  fs::last_write_time(path, old_time);
  WriteBuildRecord(dir.Path().string(), record);
  EXPECT_EQ(fs::last_write_time(path), old_time);
  record.files.push_back({"t_a.jpg", false, 3, 4});
  WriteBuildRecord(dir.Path().string(), record);
  EXPECT_NE(fs::last_write_time(path), old_time);
  EXPECT_EQ(ReadBuildRecord(dir.Path().string()).files, record.files);
}

// Which outputs' fingerprints a change touches: a setting changes those of the outputs it
// shapes and no other; the source's identity changes all of them.
TEST(OutputRecipe, ChangesWithWhatShapesEachOutput) {
  struct Change {
    const char* what;
    std::function<void(KM_Class&, KM_ListElement&, SourceStamp&)> apply;
    bool big, thumb, normal;
  };
  const std::vector<Change> changes = {
      {"thumbnail size", [](KM_Class& s, auto&, auto&) { s.MaxSizeThumbnails = 100; }, false, true,
       false},
      {"thumbnail quality", [](KM_Class& s, auto&, auto&) { s.QualityThumbnails = 50; }, false,
       true, false},
      {"image width", [](KM_Class& s, auto&, auto&) { s.MaxWidthImage = 1024; }, false, false,
       true},
      {"image height", [](KM_Class& s, auto&, auto&) { s.MaxHeightImage = 768; }, false, false,
       true},
      {"filter", [](KM_Class& s, auto&, auto&) { s.FilterIndex = 0; }, false, false, true},
      {"image quality", [](KM_Class& s, auto&, auto&) { s.QualityImages = 70; }, true, false, true},
      {"pictures turned upright", [](KM_Class& s, auto&, auto&) { s.AutoRotate = true; }, true,
       true, true},
      {"copies without GPS", [](KM_Class& s, auto&, auto&) { s.StripLocation = true; }, true, false,
       true},
      {"page colours", [](KM_Class& s, auto&, auto&) { s.BackgroundColor = 1; }, false, false,
       false},
      {"grid", [](KM_Class& s, auto&, auto&) { s.ColsCount = 9; }, false, false, false},
      {"source path", [](auto&, auto&, SourceStamp& t) { t.path += "x"; }, true, true, true},
      {"source size", [](auto&, auto&, SourceStamp& t) { ++t.size; }, true, true, true},
      {"source time", [](auto&, auto&, SourceStamp& t) { ++t.modified_ns; }, true, true, true},
      {"source kind", [](auto&, KM_ListElement& e, auto&) { e.ImageKind = PictureKind::kBmp; },
       true, true, true},
  };
  const KM_Class base_settings = test::DefaultGallerySettings();
  KM_ListElement base_entry = test::MakeEntry("a.jpg");
  base_entry.FullPath = "/photos/a.jpg";
  const SourceStamp base_stamp{"/photos/a.jpg", 1234, 5678};
  for (const Change& change : changes) {
    SCOPED_TRACE(change.what);
    KM_Class settings = base_settings;
    KM_ListElement entry = base_entry;
    SourceStamp stamp = base_stamp;
    change.apply(settings, entry, stamp);
    const bool changed[] = {change.big, change.thumb, change.normal};
    const OutputRole roles[] = {OutputRole::kBig, OutputRole::kThumb, OutputRole::kNormal};
    for (int r = 0; r < 3; ++r) {
      const Recipe before = OutputRecipe(base_settings, base_entry, base_stamp, roles[r]);
      const Recipe after = OutputRecipe(settings, entry, stamp, roles[r]);
      EXPECT_NE(before, 0u);
      EXPECT_EQ(before != after, changed[r]) << "role " << r;
    }
  }
}

}  // namespace
}  // namespace kelmora
