#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "e2e/child_process.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;
using test::ChildResult;
using test::RunChild;
using test::TempDir;

constexpr const char* kChromium = "/usr/bin/chromium";

// Reports, once the page has loaded, how many pictures it holds and which of them did not
// load, in an element that the dumped document then carries.
constexpr const char* kImageCheck =
    "<script>\r\n"
    "window.addEventListener('load', function () {\r\n"
    "  var all = Array.prototype.slice.call(document.images);\r\n"
    "  var broken = all.filter(function (i) { return !(i.complete && i.naturalWidth > 0); });\r\n"
    "  var report = document.createElement('pre');\r\n"
    "  report.id = 'image-check';\r\n"
    "  report.textContent = 'images=' + all.length + ' broken=' +\r\n"
    "      broken.map(function (i) { return i.getAttribute('src'); }).join(',') + ';';\r\n"
    "  document.body.appendChild(report);\r\n"
    "});\r\n"
    "</script>\r\n";

class BrowserTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kChromium)) GTEST_SKIP() << "Chromium is not installed";
    fs::create_directory(In());
    for (const char* photo :
         {"jpg/exif-org/canon-ixus.jpg", "jpg/exif-org/fujifilm-dx10.jpg",
          "jpg/WWL_(Polaroid)_ION230.jpg", "tiff/Crémieux11.tiff", "tiff/DudleyLeavittUtah.tiff"}) {
      fs::copy_file(test::SamplesDir() / photo, In() / fs::path(photo).filename());
    }
    const ChildResult run =
        RunChild({(test::BinDir() / "kelmora-cli").string(), "--quiet",
                  (test::BinDir() / "default.km2").string(), In().string(), Out().string()});
    ASSERT_EQ(run.exit_code, 0) << run.err;
  }

  fs::path In() const { return dir_.Path() / "in"; }
  fs::path Out() const { return dir_.Path() / "out"; }

  // Opens a copy of a gallery page, next to it, with the check added, and returns the
  // check's report.
  std::string ImageReport(const std::string& page_name) const {
    std::string page = test::ReadText(Out() / page_name);
    const size_t body_end = page.rfind("</body>");
    if (body_end == std::string::npos) return "no </body> in " + page_name;
    page.insert(body_end, kImageCheck);
    const fs::path copy = Out() / ("check-" + page_name);
    test::WriteText(copy, page);
    const fs::path profile = dir_.Path() / ("profile-" + page_name);
    const ChildResult result =
        RunChild({kChromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                  "--no-first-run", "--disable-background-networking", "--disable-component-update",
                  "--disable-sync", "--user-data-dir=" + profile.string(),
                  "--virtual-time-budget=5000", "--dump-dom", "file://" + copy.string()});
    fs::remove(copy);
    if (result.exit_code != 0) return "chromium failed: " + result.err;
    std::smatch match;
    static const std::regex kReport(R"re(<pre id="image-check">([^<]*)</pre>)re");
    if (!std::regex_search(result.out, match, kReport)) return "no report in " + result.out;
    return match[1];
  }

  TempDir dir_;
};

TEST_F(BrowserTest, EveryPictureOfTheFirstThumbnailPageLoads) {
  EXPECT_EQ(ImageReport("page1.htm"), "images=5 broken=;");
}

TEST_F(BrowserTest, ThePictureOfEveryImagePageLoads) {
  for (const char* page : {"image1.htm", "image5.htm"}) {
    EXPECT_EQ(ImageReport(page), "images=1 broken=;") << page;
  }
}

}  // namespace
}  // namespace kelmora
