#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "common/errors.h"
#include "gallery/km_list.h"
#include "gallery_fixture.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

std::set<std::string> FilesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

class PageWriter : public ::testing::Test {
 protected:
  std::set<std::string> WrittenFiles() const { return FilesIn(dir_.Path()); }
  test::TempDir dir_;
  KM_Class settings_ = [this] {
    KM_Class s = test::DefaultGallerySettings();
    s.OutputPath = dir_.Path().string();
    s.HTMLThumbnails = {"<p>@cp@ of @tp@</p>", "@thumbtable@", "<a href=\"@next@\">"};
    s.HTMLImages = {"@cp@ @next@"};
    return s;
  }();
  KM_List list_{settings_};
};

TEST_F(PageWriter, OneThumbnailPagePerGridAndOneImagePagePerImage) {
  using Names = std::set<std::string>;
  const struct {
    int images, cols, rows;
    std::string extension;
    Names files;
  } cases[] = {
      {3, 4, 4, ".htm", {"page1.htm", "image1.htm", "image2.htm", "image3.htm"}},
      {3, 2, 1, ".html", {"page1.html", "page2.html", "image1.html", "image2.html", "image3.html"}},
      {0, 4, 4, ".htm", {}},
  };
  for (const auto& c : cases) {
    test::TempDir out;
    settings_.OutputPath = out.Path().string() + "/";
    settings_.ColsCount = c.cols;
    settings_.RowsCount = c.rows;
    settings_.WebSiteExtension = c.extension;
    list_.ClearList();
    test::AddImages(list_, c.images);
    list_.CreateWebPages();
    EXPECT_EQ(FilesIn(out.Path()), c.files) << c.images << " images";
  }
}

TEST_F(PageWriter, SixteenImagesFillOnePageTheSeventeenthStartsAnother) {
  test::AddImages(list_, 16);
  list_.CreateWebPages();
  EXPECT_FALSE(fs::exists(dir_.Path() / "page2.htm"));
  list_.AddEntry(test::MakeEntry("img17.jpg"));
  list_.CreateWebPages();
  EXPECT_EQ(test::ReadText(dir_.Path() / "page1.htm").substr(0, 18), "<p>1 of 2</p>\r\n  <");
  const std::string second = test::ReadText(dir_.Path() / "page2.htm");
  EXPECT_EQ(second.find("image17.htm"), second.rfind("image17.htm"));
  EXPECT_EQ(second.find("image16.htm"), std::string::npos);
  EXPECT_EQ(test::ReadText(dir_.Path() / "image17.htm"), "17 image1.htm\r\n");
  EXPECT_EQ(WrittenFiles().size(), 19u);
}

TEST_F(PageWriter, LinesEndInCrLfAndOldPagesAreReplaced) {
  test::AddImages(list_, 1);
  settings_.HTMLImages = {
      "\xEF\xBB\xBF"
      "a",
      "", "b\r"};
  test::WriteText(dir_.Path() / "image1.htm", std::string(5000, 'x'));
  list_.CreateWebPages();
  EXPECT_EQ(test::ReadText(dir_.Path() / "image1.htm"),
            "\xEF\xBB\xBF"
            "a\r\n\r\nb\r\r\n");
  settings_.HTMLImages.clear();
  list_.CreateWebPages();
  EXPECT_EQ(test::ReadText(dir_.Path() / "image1.htm"), "") << "an empty page gives an empty file";
}

TEST_F(PageWriter, UnwritablePageRaisesAFileErrorNamingIt) {
  test::AddImages(list_, 2);
  fs::create_directory(dir_.Path() / "image2.htm");
  try {
    list_.CreateWebPages();
    FAIL() << "no error";
  } catch (const EFileError& error) {
    EXPECT_EQ(error.Path(), (dir_.Path() / "image2.htm").string());
  }
  EXPECT_TRUE(fs::exists(dir_.Path() / "image1.htm")) << "pages before it stay";
}

TEST_F(PageWriter, GridWithoutRowsOrColumnsIsRefused) {
  test::AddImages(list_, 2);
  for (const auto& [cols, rows] : {std::pair{0, 4}, {4, -1}, {-2, -2}}) {
    settings_.ColsCount = cols;
    settings_.RowsCount = rows;
    EXPECT_THROW(list_.CreateWebPages(), EKelmora);
  }
  EXPECT_TRUE(WrittenFiles().empty());
}

}  // namespace
}  // namespace kelmora
