#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <random>

#include "common/day_number.h"
#include "common/errors.h"
#include "gallery/km_list.h"
#include "gallery_fixture.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

class Catalogue : public ::testing::Test {
 protected:
  void AddFile(const std::string& name, const std::string& sample = "jpg/Sony_HDR-HC3.jpg") {
    fs::copy_file(test::SamplesDir() / sample, dir_ / name);
  }
  test::TempDir dir_;
  KM_Class settings_ = test::DefaultGallerySettings();
  test::ScriptedReader reader_;
  KM_List list_{settings_, reader_};
};

TEST_F(Catalogue, ScanTakesImageFilesByNameAndNamesTheirOutputs) {
  for (const char* name :
       {"scan.a.tiff", "holiday.jpeg", "IMG_01.JPG", "x.jpe", "x.png", "noext", ".y.jpg"}) {
    AddFile(name);
  }
  fs::create_directory(dir_ / "z.jpg");
  fs::create_symlink(dir_ / "IMG_01.JPG", dir_ / "link.bmp");
  fs::create_symlink(dir_ / "gone", dir_ / "dangling.jpg");
  settings_.InputPath = dir_.Path().string();
  const struct {
    std::string file, big, thumb, normal, converted_big;
    int kind;
  } expected[] = {
      {"IMG_01.JPG", "b_IMG_01.jpg", "t_IMG_01.jpg", "n_IMG_01.jpg", "b_img_01.jpg", 0},
      {"holiday.jpeg", "b_holiday.jpg", "t_holiday.jpg", "n_holiday.jpg", "b_holiday.jpg", 0},
      {"link.bmp", "b_link.jpg", "t_link.jpg", "n_link.jpg", "b_link.jpg", 1},
      {"scan.a.tiff", "b_scan.a.jpg", "t_scan.a.jpg", "n_scan.a.jpg", "b_scan_a.jpg", 2},
  };
  for (bool convert : {false, true}) {
    settings_.ConvertFileNames = convert;
    ASSERT_EQ(list_.ScanInputFolder(), 4);
    for (int i = 0; i < 4; ++i) {
      const KM_ListElement& e = list_.Entry(i);
      EXPECT_EQ(e.FileName, expected[i].file);
      EXPECT_EQ(e.FullPath, settings_.InputPath + "/" + expected[i].file);
      EXPECT_EQ(e.BigName, convert ? expected[i].converted_big : expected[i].big);
      if (!convert) {
        EXPECT_EQ(e.ThumbName + e.NormalName, expected[i].thumb + expected[i].normal);
      }
      EXPECT_EQ(static_cast<int>(e.ImageKind), expected[i].kind);  // the numbers of ImageKind
    }
  }
  EXPECT_EQ(reader_.paths_read.size(), 8u) << "metadata of every accepted file, every scan";
  settings_.InputPath += "/missing";
  EXPECT_EQ(list_.ScanInputFolder(), 0);
}

TEST_F(Catalogue, DatesAndCommentsComeFromExifOnly) {
  const struct {
    std::string name;
    test::FileMetadata meta;
    bool file_date;
    double sort_date;
    std::string comment;
  } cases[] = {
      {"a_exif.jpg", {true, true, 44000.25, true, "<b>hi</b>"}, false, 44000.25, "<b>hi</b>"},
      {"b_nodate.jpg", {true, true, 0, false, "unused"}, false, 0, ""},
      {"c_comment_only.jpg", {true, false, 44000.25, true, "no"}, true, 0, ""},
      {"d_unread.bmp", {false, true, 44000.25, true, "no"}, true, 0, ""},
      {"e_throws.jpg", {true, true, 44000.25, true, "no", true}, true, 0, ""},
  };
  for (const auto& c : cases) {
    AddFile(c.name);
    ASSERT_TRUE(test::SetModifiedTime(dir_ / c.name, 2021, 6, 15, 13, 45, 31));
    reader_.files[c.name] = c.meta;
  }
  settings_.InputPath = dir_.Path().string();
  ASSERT_EQ(list_.ScanInputFolder(), 5);
  const double file_date = EncodeDayNumber(2021, 6, 15, 13, 45, 30);  // seconds down to even
  for (int i = 0; i < 5; ++i) {
    const KM_ListElement& e = list_.Entry(i);
    EXPECT_DOUBLE_EQ(e.FileDate, file_date) << e.FileName;
    EXPECT_DOUBLE_EQ(e.SortDate, cases[i].file_date ? file_date : cases[i].sort_date) << e.FileName;
    EXPECT_EQ(e.ExifComment, cases[i].comment) << e.FileName;
  }
}

std::vector<std::string> SortedNames(KM_Class& settings, std::vector<std::string> names) {
  KM_List list(settings);
  for (const std::string& name : names) list.AddEntry(test::MakeEntry(name));
  list.SortList();
  names.clear();
  for (int i = 0; i < list.Count(); ++i) names.push_back(list.Entry(i).FileName);
  return names;
}

TEST(SortList, NamesCompareByteWise) {
  KM_Class settings = test::DefaultGallerySettings();
  settings.SortingMethodIndex = SortMethod::kNameAscending;
  using Names = std::vector<std::string>;
  EXPECT_EQ(SortedNames(settings, {"a1.jpg", "a.jpg", "B.jpg"}),
            (Names{"B.jpg", "a.jpg", "a1.jpg"}));
  EXPECT_EQ(SortedNames(settings, {"img2.jpg", "img10.jpg"}), (Names{"img10.jpg", "img2.jpg"}));
  EXPECT_EQ(SortedNames(settings, {"\xE4.jpg", "z.jpg"}), (Names{"z.jpg", "\xE4.jpg"}));
  settings.SortingMethodIndex = SortMethod::kNameDescending;
  EXPECT_EQ(SortedNames(settings, {"a.jpg", "B.jpg", "a1.jpg"}),
            (Names{"a1.jpg", "a.jpg", "B.jpg"}));
}

// The adjacent-exchange sort with early exit, exactly as the sort order is defined.
void ReferenceSort(std::vector<KM_ListElement>& e, const KM_Class& s) {
  const std::function<bool(const KM_ListElement&, const KM_ListElement&)> exchange[] = {
      [&](auto& a, auto& b) {
        return (s.UseExif ? b.SortDate < a.SortDate : b.FileDate < a.FileDate);
      },
      [&](auto& a, auto& b) {
        return (s.UseExif ? b.SortDate > a.SortDate : b.FileDate > a.FileDate);
      },
      [&](auto& a, auto& b) { return a.FileName > b.FileName; },
      [&](auto& a, auto& b) { return a.FileName < b.FileName; },
  };
  const int method = static_cast<int>(s.SortingMethodIndex);  // by the numbers of the order
  if (method < 0 || method > 3) return;
  for (size_t pass = 0; pass + 1 < e.size(); ++pass) {
    bool exchanged = false;
    for (size_t i = 0; i + 1 < e.size(); ++i) {
      if (exchange[method](e[i], e[i + 1])) {
        std::swap(e[i], e[i + 1]);
        exchanged = true;
      }
    }
    if (!exchanged) break;
  }
}

TEST(SortList, MatchesTheExchangeSortOnRandomDataWithTies) {
  std::mt19937 random(7);
  KM_Class settings = test::DefaultGallerySettings();
  for (int round = 0; round < 300; ++round) {
    settings.SortingMethodIndex = static_cast<SortMethod>(static_cast<int>(random() % 6) - 1);
    settings.UseExif = random() % 2;
    const bool with_nan = round % 10 == 0;
    std::vector<KM_ListElement> entries(random() % 60);
    KM_List list(settings);
    for (size_t i = 0; i < entries.size(); ++i) {
      entries[i].FileName =
          std::string(1 + random() % 2, static_cast<char>("aB\xE4."[random() % 4]));
      entries[i].FileDate = static_cast<double>(random() % 4) + 0.5;
      entries[i].SortDate = with_nan && random() % 5 == 0 ? NAN : static_cast<double>(random() % 3);
      entries[i].ExifComment = std::to_string(i);  // identifies the entry
      list.AddEntry(entries[i]);
    }
    ReferenceSort(entries, settings);
    list.SortList();
    for (size_t i = 0; i < entries.size(); ++i) {
      ASSERT_EQ(list.Entry(static_cast<int>(i)).ExifComment, entries[i].ExifComment)
          << "round " << round << ", method " << static_cast<int>(settings.SortingMethodIndex);
    }
  }
}

}  // namespace
}  // namespace kelmora
