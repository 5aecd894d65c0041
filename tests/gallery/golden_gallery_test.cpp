#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "gallery/km_list.h"
#include "gallery_fixture.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

std::set<std::string> FileNames(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// A folder of real image files and a settings file whose templates use every macro and
// directive give exactly the pages written down in tests/data/gallery/golden/expected.
TEST(GoldenGallery, PageSetMatchesTheExpectedPagesByteForByte) {
  const fs::path golden = test::DataDir() / "gallery" / "golden";
  test::TempDir input;
  test::TempDir output;
  const struct {
    std::string name, sample;
    test::FileMetadata meta;
  } files[] = {
      {"Gr\xC3\xB6\xC3\x9F"
       "e.JPG",
       "samples/jpg/Olympus_C8080WZ.jpg",
       {true, true, 44000.5, true, "Height & width"}},
      {"a\"b&c.jpg",
       "samples/jpg/Fujifilm_FinePix_E500.jpg",
       {true, true, 44001, true, "<b>bold</b> @title@"}},
      {"scan.a.tiff", "samples/tiff/Arbitro.tiff", {true, false, 1, true, "not EXIF"}},
      {"delete.bmp", "gallery/golden/small.bmp", {}},
      {"Zebra 1.jpeg", "samples/jpg/Sony_HDR-HC3.jpg", {true, true, 0, false, "absent"}},
      {"notes.txt", "samples/jpg/README", {}},
      {".hidden.jpg", "samples/jpg/Sony_HDR-HC3.jpg", {}},
  };
  test::ScriptedReader reader;
  for (const auto& file : files) {
    fs::copy_file(test::DataDir() / file.sample, input.Path() / file.name);
    reader.files[file.name] = file.meta;
  }
  fs::create_directory(input.Path() / "folder.jpg");
  // Without EXIF data these two sort by their file dates: 2020-01-01 12:00 and 2021-01-01.
  ASSERT_TRUE(test::SetModifiedTime(input.Path() / "scan.a.tiff", 2020, 1, 1, 12, 0, 1));
  ASSERT_TRUE(test::SetModifiedTime(input.Path() / "delete.bmp", 2021, 1, 1, 0, 0, 0));

  KM_Class settings;
  ASSERT_TRUE(settings.LoadFromFile((golden / "gallery.km2").string()));
  settings.InputPath = input.Path().string();
  settings.OutputPath = output.Path().string();
  KM_List list(settings, reader);
  ASSERT_EQ(list.ScanInputFolder(), 5);
  list.SortList();
  list.CreateWebPages();

  const std::set<std::string> expected = FileNames(golden / "expected");
  ASSERT_EQ(FileNames(output.Path()), expected);
  for (const std::string& page : expected) {
    EXPECT_EQ(test::ReadText(output.Path() / page), test::ReadText(golden / "expected" / page))
        << page;
  }
}

}  // namespace
}  // namespace kelmora
