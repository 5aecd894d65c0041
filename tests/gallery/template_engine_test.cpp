#include <gtest/gtest.h>

#include <regex>

#include "common/day_number.h"
#include "gallery/km_list.h"
#include "gallery_fixture.h"

namespace kelmora {
namespace {

using Lines = std::vector<std::string>;

class TemplateEngine : public ::testing::Test {
 protected:
  Lines Render(const Lines& templ, int total, int current, const std::string& name = "page") {
    Lines page{"left over from the page before"};
    list_.ProcessTemplate(templ, page, total, current, name);
    return page;
  }
  // A table reduced to its grid: "[" per row start, the image number of each cell, "]".
  std::string Grid(const Lines& page) {
    std::string grid;
    for (const std::string& line : page) {
      std::smatch m;
      if (line == "  <tr>") grid += "[";
      if (line == "  </tr>") grid += "]";
      if (std::regex_search(line, m, std::regex("href=\"image(\\d+)\\.htm"))) {
        grid += "(" + m[1].str() + ")";
      }
    }
    return grid;
  }
  KM_Class settings_ = test::DefaultGallerySettings();
  KM_List list_{settings_};
};

TEST_F(TemplateEngine, PageNamesWrapAround) {
  test::AddImages(list_, 3);
  const Lines templ{"@cp@/@tp@ @next@ @prev@ @first@ @last@"};
  EXPECT_EQ(Render(templ, 3, 1), Lines{"1/3 page2.htm page3.htm page1.htm page3.htm"});
  EXPECT_EQ(Render(templ, 3, 3), Lines{"3/3 page1.htm page2.htm page1.htm page3.htm"});
  EXPECT_EQ(Render(templ, 1, 1), Lines{"1/1 page1.htm page1.htm page1.htm page1.htm"});
  settings_.WebSiteExtension = ".html";
  EXPECT_EQ(Render(templ, 3, 2, "image"),
            Lines{"2/3 image3.html image1.html image1.html image3.html"});
}

TEST_F(TemplateEngine, DirectivesEmptyOrStripTheirLine) {
  test::AddImages(list_, 3);
  struct Case {
    std::string line;
    int total, current;
    std::string expected;
  } cases[] = {
      {"@iof@<a href=\"@prev@\">", 3, 1, ""},
      {"@iof@<a href=\"@prev@\">", 3, 2, "<a href=\"page1.htm\">"},
      {"a@oof@b", 3, 1, "ab"},
      {"a@oof@b", 3, 2, ""},
      {"a@iol@b", 3, 3, ""},
      {"a@iol@b@iol@", 3, 2, "ab"},
      {"a@ool@b", 3, 3, "ab"},
      {"a@ool@b", 3, 1, ""},
      {"@ignore@ x", 3, 2, ""},
      {"a@iof@b", 1, 1, ""},
      {"a@iol@b", 1, 1, ""},
      {"a@oof@b@ool@", 1, 1, "ab"},
      {"@IOF@ @cp @x@", 3, 1, "@IOF@ @cp @x@"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Render({"<p>", c.line, "</p>"}, c.total, c.current),
              (Lines{"<p>", c.expected, "</p>"}))
        << c.line << " on page " << c.current << " of " << c.total;
  }
}

TEST_F(TemplateEngine, ThumbnailGridFollowsThePageAndTheCount) {
  struct Case {
    int images, cols, rows, page;
    std::string grid;
  } cases[] = {
      {10, 4, 2, 1, "[(1)(2)(3)(4)][(5)(6)(7)(8)]"},
      {10, 4, 2, 2, "[(9)(10)]"},
      {8, 4, 3, 1, "[(1)(2)(3)(4)][(5)(6)(7)(8)][]"},  // the row before was full
      {9, 4, 3, 1, "[(1)(2)(3)(4)][(5)(6)(7)(8)][(9)]"},
      {17, 4, 4, 5, "[]"},  // image page 5: cells from position 64 on
      {3, 1, 1, 2, "[(2)]"},
  };
  for (const Case& c : cases) {
    KM_List images(settings_);
    test::AddImages(images, c.images);
    settings_.ColsCount = c.cols;
    settings_.RowsCount = c.rows;
    Lines page;
    images.ProcessTemplate({"@thumbtable@", "</table>"}, page, 9, c.page, "page");
    EXPECT_EQ(Grid(page), c.grid) << c.images << " images, page " << c.page;
    EXPECT_EQ(page[page.size() - 2], "") << "the emptied macro line follows the table";
  }
}

TEST_F(TemplateEngine, CellLinesAndSubtitles) {
  list_.AddEntry(test::MakeEntry("a.b.jpg", "nice")).details.capture_date =
      EncodeDayNumber(2004, 5, 6, 7, 8, 59);
  settings_.ColsCount = settings_.RowsCount = 1;
  const std::pair<int, std::string> subtitles[] = {
      {0, "    "},      {1, "    <br>a.b.jpg"},          {2, "    <br>a.b"}, {3, "    <br>nice"},
      {4, "    <br>0"}, {5, "    <br>2004-05-06 07:08"}, {6, "    "},        {-1, "    "},
  };
  for (const auto& [index, subtitle] : subtitles) {
    settings_.SubtitleIndex = static_cast<SubtitleKind>(index);  // as a settings file holds it
    EXPECT_EQ(
        Render({"<table>", "x @thumbtable@ y", "</table>"}, 1, 1),
        (Lines{"<table>", "  <tr>", "   <td class=\"thumbcells\">", "    <a href=\"image1.htm\">",
               "    <img src=\"t_a.b.jpg\" border=0 alt=\"a.b.jpg\"></a>", subtitle, "   </td>",
               "  </tr>", "", "</table>"}))
        << "SubtitleIndex " << index;
  }
}

TEST_F(TemplateEngine, ValueMacrosOfTheCurrentEntry) {
  test::AddImages(list_, 20);
  list_.Entry(1).ExifComment = "second";
  const Lines templ{"@image_smaller@ @image_big@ @image_org@ @image_org_ext@ @exifcomment@",
                    "@thumbs@ @bg_color@@text_color@@link_color@@vlink_color@"};
  EXPECT_EQ(Render(templ, 2, 2), (Lines{"n_img2.jpg b_img2.jpg img2 img2.jpg second",
                                        "page1.htm #FFFFFF#000000#0000FF#800080"}));
  EXPECT_EQ(Render(templ, 20, 17, "image")[1].substr(0, 10), "page2.htm ");
  EXPECT_EQ(Render(templ, 20, 16, "image")[1].substr(0, 10), "page1.htm ");
}

TEST_F(TemplateEngine, ValuesExpandOnlyTheMacrosAfterThem) {
  list_.AddEntry(test::MakeEntry("x@title@.jpg", "@cp@ @title@"));
  settings_.Title = "T @cp@ @title@";
  settings_.ColsCount = settings_.RowsCount = 1;
  settings_.SubtitleIndex = SubtitleKind::kExifComment;
  const Lines page = Render({"@exifcomment@|@title@", "@thumbtable@", "end"}, 1, 1);
  EXPECT_EQ(page[0], "@cp@ T @cp@ @title@|T @cp@ @title@");
  EXPECT_EQ(page[4],
            "    <img src=\"t_xT @cp@ @title@.jpg\" border=0 alt=\"xT @cp@ @title@.jpg\"></a>");
  EXPECT_EQ(page[5], "    <br>1 T @cp@ @title@") << "table lines pass through the macros";
  // A table standing in for the last line is not expanded any more.
  EXPECT_EQ(Render({"@thumbtable@"}, 1, 1)[3],
            "    <img src=\"t_x@title@.jpg\" border=0 alt=\"x@title@.jpg\"></a>");
}

TEST_F(TemplateEngine, DeleteValueEmptiesTheLine) {
  list_.AddEntry(test::MakeEntry("delete.jpg", "delete"));
  settings_.Title = "delete";
  EXPECT_EQ(Render({"a @image_org@", "b @exifcomment@", "c @title@", "d @image_org_ext@"}, 1, 1),
            (Lines{"", "", "", "d delete.jpg"}));
}

TEST_F(TemplateEngine, ImageTextIsEscapedButSettingsAreNot) {
  list_.AddEntry(test::MakeEntry("a\"b&<c>.jpg", "<script>x</script>"));
  settings_.Title = "<b>\"T\"</b>";
  settings_.ColsCount = settings_.RowsCount = 1;
  settings_.SubtitleIndex = SubtitleKind::kExifComment;
  const Lines page = Render(
      {"@image_org_ext@ @image_smaller@ @exifcomment@ @title@", "@thumbtable@", "</table>"}, 1, 1);
  EXPECT_EQ(page[0],
            "a&quot;b&amp;&lt;c&gt;.jpg n_a&quot;b&amp;&lt;c&gt;.jpg "
            "&lt;script&gt;x&lt;/script&gt; <b>\"T\"</b>");
  EXPECT_EQ(page[4],
            "    <img src=\"t_a&quot;b&amp;&lt;c&gt;.jpg\" border=0 "
            "alt=\"a&quot;b&amp;&lt;c&gt;.jpg\"></a>");
  EXPECT_EQ(page[5], "    <br>&lt;script&gt;x&lt;/script&gt;");
}

// A user template may quote attributes with single quotes: a crafted name must not leave
// the attribute there either.
TEST_F(TemplateEngine, SingleQuotedAttributesHoldFileNames) {
  list_.AddEntry(test::MakeEntry("x' onerror='alert(1).jpg", "it's"));
  const Lines page =
      Render({"<img src='@image_smaller@' alt='@image_org@' title='@exifcomment@'>"}, 1, 1);
  EXPECT_EQ(page[0],
            "<img src='n_x&#39; onerror=&#39;alert(1).jpg' alt='x&#39; onerror=&#39;alert(1)' "
            "title='it&#39;s'>");
}

TEST_F(TemplateEngine, TableNeverStartsAnotherTable) {
  list_.AddEntry(test::MakeEntry("a.jpg", "@thumbtable@"));
  settings_.Title = "@thumbtable@";
  settings_.ColsCount = settings_.RowsCount = 1;
  settings_.SubtitleIndex = SubtitleKind::kExifComment;
  const Lines page = Render({"@iof@@thumbtable@", "@title@", "end"}, 2, 1);
  EXPECT_EQ(page[0], "") << "no table on the first page";
  EXPECT_EQ(Grid(page), "[(1)]") << "the title starts one table";
  EXPECT_EQ(page[5], "    <br>@thumbtable@");
  EXPECT_EQ(page.back(), "end");
}

}  // namespace
}  // namespace kelmora
