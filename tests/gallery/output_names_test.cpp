#include "gallery/output_names.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "gallery/image_names.h"
#include "gallery_fixture.h"

namespace kelmora {
namespace {

using Strings = std::vector<std::string>;

const std::string kLong(300, 'x');
// "n_" + 240 bytes + "-" + 8 hex digits + ".jpg": exactly 255 bytes.
const std::string kLongFitted = std::string(240, 'x') + "-970138f5";
const std::string kLongSecond = std::string(240, 'x') + "-38478f4e";  // of kLong + "-2"

struct Picture {
  std::string file_name;
  std::string base;  // as the scan made it (converted or not)
};

struct NamesCase {
  const char* name;
  std::vector<Picture> pictures;  // in catalogue order
  Strings bases;                  // the bases afterwards
  Strings changes;                // "file: shared with -> new resized image's name"
};

void PrintTo(const NamesCase& c, std::ostream* out) {
  *out << c.name;
}

class OutputNamesTest : public testing::TestWithParam<NamesCase> {};

TEST_P(OutputNamesTest, EveryPictureGetsNamesOfItsOwn) {
  const NamesCase& c = GetParam();
  KM_Class settings = test::DefaultGallerySettings();
  KM_List list(settings);
  for (const Picture& picture : c.pictures) {
    KM_ListElement entry;
    entry.FileName = picture.file_name;
    SetOutputNames(entry, picture.base);
    list.AddEntry(std::move(entry));
  }
  Strings changes;
  for (const OutputNameChange& change : AssignDistinctOutputNames(list)) {
    changes.push_back(change.FileName + ": " + change.shared_with + " -> " + change.NormalName);
  }
  Strings bases;
  for (int i = 0; i < list.Count(); ++i) {
    const KM_ListElement& entry = list.Entry(i);
    const std::string base = OutputBaseName(entry);
    bases.push_back(base);
    // The three names always agree and fit the file system.
    EXPECT_EQ(entry.BigName, "b_" + base + ".jpg");
    EXPECT_EQ(entry.ThumbName, "t_" + base + ".jpg");
    EXPECT_LE(entry.NormalName.size(), kMaxFileNameBytes);
  }
  EXPECT_EQ(bases, c.bases);
  EXPECT_EQ(changes, c.changes);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, OutputNamesTest, testing::Values(
    NamesCase{"DistinctNamesStayExactly",
              {{"pic.jpg", "pic"}, {"Pic.jpg", "Pic"}, {"pic-2.jpg", "pic-2"}},
              {"pic", "Pic", "pic-2"}, {}},
    NamesCase{"LaterPictureGetsTheSuffix",
              {{"pic.tiff", "pic"}, {"pic.jpg", "pic"}, {"pic.bmp", "pic"}},
              {"pic", "pic-2", "pic-3"},
              {"pic.jpg: pic.tiff -> n_pic-2.jpg", "pic.bmp: pic.tiff -> n_pic-3.jpg"}},
    NamesCase{"SuffixNeverTakesAnotherPicturesName",
              {{"pic.jpg", "pic"}, {"pic.tiff", "pic"}, {"pic-2.jpg", "pic-2"}},
              {"pic", "pic-3", "pic-2"},
              {"pic.tiff: pic.jpg -> n_pic-3.jpg"}},
    NamesCase{"ConvertedNames",
              {{"A B.jpg", "a_b"}, {"a_b.jpg", "a_b"}},
              {"a_b", "a_b-2"},
              {"a_b.jpg: A B.jpg -> n_a_b-2.jpg"}},
    NamesCase{"LongNameIsShortenedWithAHash",
              {{kLong + ".jpg", kLong}, {"a.jpg", "a"}},
              {kLongFitted, "a"},
              {kLong + ".jpg: " + " -> n_" + kLongFitted + ".jpg"}},
    NamesCase{"LongNamesThatCollide",
              {{kLong + ".jpg", kLong}, {kLong + ".tif", kLong}},
              {kLongFitted, kLongSecond},
              {kLong + ".jpg: " + " -> n_" + kLongFitted + ".jpg",
               kLong + ".tif: " + kLong + ".jpg -> n_" + kLongSecond + ".jpg"}}),
    [](const auto& item) { return std::string(item.param.name); });
// clang-format on

TEST(FittedBaseName, LongestNameThatFitsStaysAndCutsKeepCharactersWhole) {
  const std::string fits(249, 'a');
  EXPECT_EQ(FittedBaseName(fits), fits);
  EXPECT_EQ(FittedBaseName(fits + "a").size(), 249u);
  // 239 ASCII letters, then two-byte letters: the cut at 240 would split one.
  std::string accented(239, 'a');
  for (int i = 0; i < 20; ++i) accented += "\xC3\xA4";
  const std::string fitted = FittedBaseName(accented);
  EXPECT_EQ(fitted.substr(0, 240), std::string(239, 'a') + "-");
  EXPECT_EQ(fitted.size(), 248u);
  // Names that differ only beyond the cut stay distinct.
  EXPECT_NE(FittedBaseName(std::string(260, 'a') + "1"),
            FittedBaseName(std::string(260, 'a') + "2"));
}

}  // namespace
}  // namespace kelmora
