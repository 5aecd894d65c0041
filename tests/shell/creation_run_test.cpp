#include "shell/creation_run.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "gallery/gallery_fixture.h"
#include "imaging/jpeg_image.h"
#include "localisation/lang_text.h"
#include "localisation/language_file.h"
#include "support/pictures.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using Strings = std::vector<std::string>;

// Records every call in order and answers from its script.
class RecordingHost : public RunHost {
 public:
  Strings events;
  bool answer = true;
  // ProcessMessagesAndCancelRequested reports a cancel request on this call (1-based).
  int cancel_on_call = 0;
  std::function<void()> on_show_progress;

  void ShowError(const std::string& text) override { events.push_back("error: " + text); }
  void ShowException(const std::string& text) override { events.push_back("exception: " + text); }
  void ShowWarning(const std::string& text) override { events.push_back("warning: " + text); }
  bool Ask(const std::string& text, Question) override {
    events.push_back("ask: " + text);
    return answer;
  }
  void ShowProgress(int maximum) override {
    events.push_back("show " + std::to_string(maximum));
    if (on_show_progress) on_show_progress();
  }
  void UpdateProgress(int position, const std::string& label) override {
    events.push_back("update " + std::to_string(position) + " " + label);
  }
  bool ProcessMessagesAndCancelRequested() override { return ++process_calls_ == cancel_on_call; }
  void HideProgress() override { events.push_back("hide"); }
  void SetBusy(bool busy) override { events.push_back(busy ? "busy" : "idle"); }
  void OpenDocument(const std::string& path) override { events.push_back("open " + path); }

  // The events that start with prefix.
  Strings Only(const std::string& prefix) const {
    Strings found;
    for (const std::string& e : events) {
      if (e.rfind(prefix, 0) == 0) found.push_back(e);
    }
    return found;
  }

 private:
  int process_calls_ = 0;
};

void WriteSmallJpeg(const fs::path& path, int seed) {
  test::WriteGrainyJpeg(path, 40, 30, static_cast<uint32_t>(seed));
}

class CreationRunTest : public testing::Test {
 protected:
  CreationRunTest() {
    SetCurrentLanguage(nullptr);
    fs::create_directory(In());
    settings_ = test::DefaultGallerySettings();
    settings_.InputPath = In().string();
    settings_.OutputPath = Out().string();
    settings_.SortingMethodIndex = SortMethod::kNameAscending;  // by name: img01, img02, ...
    settings_.AutoBrowserStart = false;
    settings_.HTMLThumbnails = {"<html>", "@thumbtable@", "</html>"};
    settings_.HTMLImages = {"<img src=\"@image_smaller@\">"};
  }
  ~CreationRunTest() override { SetCurrentLanguage(nullptr); }

  fs::path In() const { return dir_.Path() / "in"; }
  fs::path Out() const { return dir_.Path() / "out"; }
  static std::string ImageName(int number) {
    return (number < 10 ? "img0" : "img") + std::to_string(number);
  }
  void AddImages(int count) {
    for (int i = 1; i <= count; ++i) WriteSmallJpeg(In() / (ImageName(i) + ".jpg"), i * 5);
  }
  RunOutcome Run(CreationMode mode = CreationMode::kAll, bool batch = true) {
    return RunCreation(settings_, list_, host_, {.mode = mode, .BatchMode = batch});
  }
  // Numbers of the images whose thumbnail and resized image are both in the output.
  std::vector<int> ExportedImages(int count) const {
    std::vector<int> numbers;
    for (int i = 1; i <= count; ++i) {
      const bool thumb = fs::exists(Out() / ("t_" + ImageName(i) + ".jpg"));
      const bool normal = fs::exists(Out() / ("n_" + ImageName(i) + ".jpg"));
      EXPECT_EQ(thumb, normal) << ImageName(i);
      if (thumb) numbers.push_back(i);
    }
    return numbers;
  }
  static std::vector<int> OneTo(int last) {
    std::vector<int> numbers;
    for (int i = 1; i <= last; ++i) numbers.push_back(i);
    return numbers;
  }
  int CountFiles(const std::string& prefix) const {
    if (!fs::is_directory(Out())) return 0;
    return static_cast<int>(std::count_if(
        fs::directory_iterator(Out()), fs::directory_iterator(),
        [&](const auto& item) { return item.path().filename().string().rfind(prefix, 0) == 0; }));
  }
  bool AllPagesPresent(int images, int thumbnail_pages) const {
    for (int i = 1; i <= images; ++i) {
      if (!fs::exists(Out() / ("image" + std::to_string(i) + ".htm"))) return false;
    }
    for (int i = 1; i <= thumbnail_pages; ++i) {
      if (!fs::exists(Out() / ("page" + std::to_string(i) + ".htm"))) return false;
    }
    return CountFiles("image") == images && CountFiles("page") == thumbnail_pages;
  }

  TempDir dir_;
  KM_Class settings_;
  KM_List list_{settings_};
  RecordingHost host_;
};

TEST_F(CreationRunTest, CompleteRunWritesPagesThenEveryImage) {
  AddImages(3);
  host_.on_show_progress = [&] {
    // The pages are all there before the first image is exported.
    EXPECT_TRUE(AllPagesPresent(3, 1));
    EXPECT_EQ(CountFiles("t_"), 0);
  };
  EXPECT_EQ(Run(), RunOutcome::kCompleted);
  EXPECT_EQ(host_.events,
            (Strings{"busy", "show 2", "update 0 Image 1 of 3", "update 1 Image 2 of 3",
                     "update 2 Image 3 of 3", "hide", "idle"}));
  EXPECT_EQ(ExportedImages(3), OneTo(3));
  EXPECT_EQ(list_.Entry(2).Width, 40);
  EXPECT_EQ(list_.Entry(2).Height, 30);
}

TEST_F(CreationRunTest, MissingOutputFolderIsCreatedWithItsParentsInBatchMode) {
  AddImages(1);
  settings_.OutputPath = (Out() / "a" / "b").string();
  EXPECT_EQ(Run(), RunOutcome::kCompleted);
  EXPECT_TRUE(host_.Only("ask").empty());
  EXPECT_TRUE(fs::exists(Out() / "a" / "b" / "page1.htm"));
}

TEST_F(CreationRunTest, InteractiveRunAsksBeforeCreatingTheOutputFolder) {
  AddImages(1);
  // Cancel ends the run before it began: no page to show, so no browser either.
  settings_.AutoBrowserStart = true;
  host_.answer = false;
  EXPECT_EQ(Run(CreationMode::kAll, false), RunOutcome::kCancelled);
  const std::string question =
      "ask: Output folder \"" + Out().string() + "\" does not exist. Do you want to create it now?";
  EXPECT_EQ(host_.events, (Strings{"busy", question, "idle"}));
  EXPECT_FALSE(fs::exists(Out()));

  host_.answer = true;
  host_.events.clear();
  EXPECT_EQ(Run(CreationMode::kAll, false), RunOutcome::kCompleted);
  EXPECT_EQ(host_.Only("ask"), Strings{question});
  EXPECT_EQ(host_.Only("open"), Strings{"open " + Out().string() + "/page1.htm"});
  EXPECT_EQ(ExportedImages(1), OneTo(1));
}

TEST_F(CreationRunTest, InputFolderThatIsNotThere) {
  settings_.InputPath = (dir_.Path() / "nowhere").string();
  EXPECT_EQ(Run(), RunOutcome::kFailed);
  EXPECT_EQ(host_.events,
            (Strings{"busy", "idle",
                     "error: Incorrect path for input: \"" + settings_.InputPath + "\""}));
  EXPECT_FALSE(fs::exists(Out()));
}

TEST_F(CreationRunTest, FolderWithoutImagesLeavesTheOutputFolderUntouched) {
  test::WriteText(In() / "notes.txt", "no pictures here");
  for (const bool output_exists : {false, true}) {
    SCOPED_TRACE(output_exists);
    host_.events.clear();
    if (output_exists) {
      fs::create_directory(Out());
      test::WriteText(Out() / "keep.txt", "mine");
    }
    EXPECT_EQ(Run(), RunOutcome::kFailed);
    EXPECT_EQ(host_.events, (Strings{"busy", "idle", "error: No Images could be found"}));
    EXPECT_EQ(fs::exists(Out()), output_exists);
    if (output_exists) {
      EXPECT_EQ(CountFiles(""), 1);
      EXPECT_EQ(test::ReadText(Out() / "keep.txt"), "mine");
    }
  }
}

TEST_F(CreationRunTest, OutputFolderThatCannotBeMade) {
  AddImages(2);
  test::WriteText(dir_.Path() / "a file", "x");
  struct Case {
    std::string path;
    bool batch;
    Strings expected;
  };
  const std::string file = (dir_.Path() / "a file").string();
  const std::string below_file = file + "/sub";
  const Case cases[] = {
      // An empty path is reported without a question, even in an interactive run.
      {"",
       false,
       {"busy", "idle", "error: Failed to create output folder: \"\": No such file or directory"}},
      {"",
       true,
       {"busy", "idle", "error: Failed to create output folder: \"\": No such file or directory"}},
      {file,
       true,
       {"busy", "idle",
        "error: Failed to create output folder: \"" + file + "\": Not a directory"}},
      {below_file,
       false,
       {"busy",
        "ask: Output folder \"" + below_file + "\" does not exist. Do you want to create it now?",
        "idle", "error: Failed to create output folder: \"" + below_file + "\": Not a directory"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    host_.events.clear();
    settings_.OutputPath = c.path;
    EXPECT_EQ(Run(CreationMode::kAll, c.batch), RunOutcome::kFailed);
    EXPECT_EQ(host_.events, c.expected);
  }
  EXPECT_EQ(test::ReadText(file), "x");
  EXPECT_FALSE(fs::exists("page1.htm"));
}

TEST_F(CreationRunTest, GridWithoutRowsOrColumnsEndsBeforeAnyPage) {
  AddImages(2);
  for (const auto& [rows, cols] : {std::pair{0, 4}, std::pair{4, -1}}) {
    host_.events.clear();
    settings_.RowsCount = rows;
    settings_.ColsCount = cols;
    EXPECT_EQ(Run(), RunOutcome::kFailed);
    EXPECT_EQ(host_.events,
              (Strings{"busy", "idle",
                       "error: Thumbnail pages need at least 1 row and 1 column (rows: " +
                           std::to_string(rows) + ", columns: " + std::to_string(cols) + ")"}));
    EXPECT_FALSE(fs::exists(Out()));
  }
}

TEST_F(CreationRunTest, AdditionalElementsAreCopiedOverExistingFiles) {
  AddImages(1);
  const fs::path extra = dir_.Path() / "extra";
  fs::create_directories(extra / "css");
  test::WriteText(extra / "style.css", "new");
  test::WriteText(extra / "css" / "more.css", "more");
  fs::create_directory(Out());
  test::WriteText(Out() / "style.css", "old");
  settings_.AdditionalPath = extra.string();
  EXPECT_EQ(Run(CreationMode::kFirstPage), RunOutcome::kCompleted);
  EXPECT_EQ(test::ReadText(Out() / "style.css"), "new");
  EXPECT_EQ(test::ReadText(Out() / "css" / "more.css"), "more");
}

TEST_F(CreationRunTest, AdditionalElementsThatCannotBeCopiedAreReportedButMakeNoFailure) {
  AddImages(1);
  const fs::path extra = dir_.Path() / "extra";
  fs::create_directories(extra);
  test::WriteText(extra / "style.css", "css");
  ASSERT_EQ(::mkfifo((extra / "pipe").c_str(), 0600), 0);  // no content to copy
  settings_.AdditionalPath = extra.string();
  EXPECT_EQ(Run(CreationMode::kAll), RunOutcome::kCompleted);
  EXPECT_EQ(test::ReadText(Out() / "style.css"), "css");
  EXPECT_EQ(host_.Only("warning"),
            (Strings{"warning: Not every additional element of \"" + extra.string() +
                     "\" could be copied into the output folder"}));
  EXPECT_TRUE(AllPagesPresent(1, 1));
}

TEST_F(CreationRunTest, MissingAdditionalElementsFolder) {
  AddImages(1);
  settings_.AdditionalPath = (dir_.Path() / "extra").string();
  for (const CreationMode mode : {CreationMode::kAll, CreationMode::kFirstPage}) {
    host_.events.clear();
    EXPECT_EQ(Run(mode), RunOutcome::kFailed);
    EXPECT_EQ(host_.events, (Strings{"busy", "idle",
                                     "error: Incorrect path for additional elements: \"" +
                                         settings_.AdditionalPath + "\""}));
    EXPECT_EQ(CountFiles(""), 0);
  }
  // Pages only: the folder is never looked at.
  host_.events.clear();
  EXPECT_EQ(Run(CreationMode::kPagesOnly), RunOutcome::kCompleted);
  EXPECT_TRUE(host_.Only("error").empty());
  EXPECT_TRUE(AllPagesPresent(1, 1));
}

TEST_F(CreationRunTest, FirstPageModeExportsTheImagesOfTheFirstPage) {
  AddImages(40);
  EXPECT_EQ(Run(CreationMode::kFirstPage), RunOutcome::kCompleted);
  EXPECT_TRUE(AllPagesPresent(40, 3));
  EXPECT_EQ(ExportedImages(40), OneTo(16));
  Strings expected_updates;
  for (int i = 0; i < 16; ++i) {
    expected_updates.push_back("update " + std::to_string(i) + " Image " + std::to_string(i + 1) +
                               " of 16");
  }
  EXPECT_EQ(host_.Only("update"), expected_updates);
  EXPECT_EQ(host_.Only("show"), Strings{"show 15"});
}

TEST_F(CreationRunTest, FirstPageModeWithFewerImagesThanAPageExportsAll) {
  AddImages(10);
  EXPECT_EQ(Run(CreationMode::kFirstPage), RunOutcome::kCompleted);
  EXPECT_EQ(ExportedImages(10), OneTo(10));
  EXPECT_EQ(host_.Only("show"), Strings{"show 9"});
}

TEST_F(CreationRunTest, PagesOnlyExportsNothingAndCopiesNothing) {
  AddImages(5);
  const fs::path extra = dir_.Path() / "extra";
  fs::create_directory(extra);
  test::WriteText(extra / "style.css", "css");
  settings_.AdditionalPath = extra.string();
  settings_.AutoBrowserStart = true;
  EXPECT_EQ(Run(CreationMode::kPagesOnly, false), RunOutcome::kCompleted);
  EXPECT_TRUE(AllPagesPresent(5, 1));
  EXPECT_EQ(CountFiles("t_") + CountFiles("n_"), 0);
  EXPECT_FALSE(fs::exists(Out() / "style.css"));
  // The progress display is shown and hidden at once; the first page still opens.
  EXPECT_EQ(host_.events,
            (Strings{"busy",
                     "ask: Output folder \"" + Out().string() +
                         "\" does not exist. Do you want to create it now?",
                     "show 1", "hide", "open " + Out().string() + "/page1.htm", "idle"}));
}

TEST_F(CreationRunTest, ProgressMaximumIsAtLeastOne) {
  for (const int count : {1, 2}) {
    SCOPED_TRACE(count);
    fs::remove_all(In());
    fs::create_directory(In());
    AddImages(count);
    host_.events.clear();
    EXPECT_EQ(Run(), RunOutcome::kCompleted);
    EXPECT_EQ(host_.Only("show"), Strings{"show 1"});
  }
}

TEST_F(CreationRunTest, CancelKeepsThePagesAndTheImagesBeforeIt) {
  AddImages(8);
  settings_.AutoBrowserStart = true;
  fs::create_directory(Out());
  host_.cancel_on_call = 4;  // before the fourth image
  EXPECT_EQ(Run(CreationMode::kAll, false), RunOutcome::kCancelled);
  EXPECT_TRUE(AllPagesPresent(8, 1));
  EXPECT_EQ(ExportedImages(8), OneTo(3));
  EXPECT_EQ(host_.Only("update").back(), "update 3 Image 4 of 8");
  // An interactive run opens the first page after a cancel too.
  const Strings tail(host_.events.end() - 3, host_.events.end());
  EXPECT_EQ(tail, (Strings{"hide", "open " + Out().string() + "/page1.htm", "idle"}));
}

TEST_F(CreationRunTest, CancelBeforeTheFirstImage) {
  AddImages(3);
  host_.cancel_on_call = 1;
  EXPECT_EQ(Run(), RunOutcome::kCancelled);
  EXPECT_TRUE(AllPagesPresent(3, 1));
  EXPECT_TRUE(ExportedImages(3).empty());
}

TEST_F(CreationRunTest, BatchRunNeverOpensTheBrowser) {
  AddImages(1);
  settings_.AutoBrowserStart = true;
  EXPECT_EQ(Run(CreationMode::kAll, true), RunOutcome::kCompleted);
  EXPECT_TRUE(host_.Only("open").empty());
}

TEST_F(CreationRunTest, CorruptImageEndsTheRunNamingTheFile) {
  AddImages(5);
  const fs::path broken = In() / (ImageName(3) + ".jpg");
  test::WriteText(broken, "not a picture");
  settings_.AutoBrowserStart = true;
  fs::create_directory(Out());
  EXPECT_EQ(Run(CreationMode::kAll, false), RunOutcome::kFailed);
  EXPECT_TRUE(AllPagesPresent(5, 1));
  EXPECT_EQ(ExportedImages(5), OneTo(2));
  const Strings exceptions = host_.Only("exception");
  ASSERT_EQ(exceptions.size(), 1u);
  EXPECT_NE(exceptions[0].find(broken.string()), std::string::npos) << exceptions[0];
  // The display goes and the busy state ends before the error is shown; the browser does
  // not open.
  ASSERT_GE(host_.events.size(), 3u);
  EXPECT_EQ(host_.events[host_.events.size() - 3], "hide");
  EXPECT_EQ(host_.events[host_.events.size() - 2], "idle");
  EXPECT_EQ(host_.events.back().rfind("exception: ", 0), 0u) << host_.events.back();
  EXPECT_TRUE(host_.Only("open").empty());
}

// With the output folder as input folder, the outputs of an earlier run are pictures of
// this one: an output that would replace one of them ends the run before anything is
// written, naming the output and the picture it is made from.
TEST_F(CreationRunTest, OutputThatWouldReplaceAnInputEndsTheRunBeforeWriting) {
  WriteSmallJpeg(In() / "a.jpg", 10);
  const std::string notice = "warning: Input and output folder are the same (\"" + In().string() +
                             "\"): pictures that earlier runs wrote there "
                             "are input pictures of this run too";
  // A first run in the folder is fine, and says once that its outputs become inputs.
  settings_.OutputPath = settings_.InputPath;
  ASSERT_EQ(Run(), RunOutcome::kCompleted);
  EXPECT_EQ(host_.Only("warning"), Strings{notice});
  ASSERT_TRUE(fs::exists(In() / "n_a.jpg"));

  // The second finds n_a.jpg and t_a.jpg among its pictures; the folder may also be named
  // through a link.
  fs::create_directory_symlink(In(), dir_.Path() / "link");
  for (const fs::path& output : {In(), dir_.Path() / "link"}) {
    SCOPED_TRACE(output.string());
    settings_.OutputPath = output.string();
    std::map<std::string, std::vector<uint8_t>> before;
    for (const auto& item : fs::directory_iterator(In())) {
      before[item.path().filename().string()] = test::ReadBytes(item.path());
    }
    host_.events.clear();
    EXPECT_EQ(Run(), RunOutcome::kFailed);
    const std::string error = "error: Nothing was written: the output \"" + output.string() +
                              "/t_a.jpg\" of \"" + In().string() +
                              "/a.jpg\" would replace an input picture of this run. Choose an "
                              "output folder apart from the input folder";
    const std::string same_folder = "warning: Input and output folder are the same (\"" +
                                    output.string() +
                                    "\"): pictures that earlier runs wrote "
                                    "there are input pictures of this run too";
    EXPECT_EQ(host_.events, (Strings{"busy", same_folder, "idle", error}));
    std::map<std::string, std::vector<uint8_t>> after;
    for (const auto& item : fs::directory_iterator(In())) {
      after[item.path().filename().string()] = test::ReadBytes(item.path());
    }
    EXPECT_EQ(after, before);
  }
}

TEST_F(CreationRunTest, AdditionalElementsNeverReplaceAnInput) {
  WriteSmallJpeg(In() / "a.jpg", 10);
  const std::vector<uint8_t> picture = test::ReadBytes(In() / "a.jpg");
  const fs::path extra = dir_.Path() / "extra";
  fs::create_directory(extra);
  test::WriteText(extra / "a.jpg", "not the picture");
  settings_.OutputPath = settings_.InputPath;
  settings_.AdditionalPath = extra.string();
  EXPECT_EQ(Run(), RunOutcome::kFailed);
  const Strings errors = host_.Only("error");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("\"" + In().string() + "/a.jpg\" of \"" + extra.string() + "/a.jpg\""),
            std::string::npos)
      << errors[0];
  EXPECT_EQ(test::ReadBytes(In() / "a.jpg"), picture);
  EXPECT_FALSE(fs::exists(In() / "page1.htm"));
  // Pages only copies nothing, so nothing is in the way.
  EXPECT_EQ(Run(CreationMode::kPagesOnly), RunOutcome::kCompleted);
  EXPECT_EQ(test::ReadBytes(In() / "a.jpg"), picture);
}

// Page names and the extension come from a settings file, which may come from anyone: what
// would write outside the output folder, or write two files under one name, ends the run
// before anything is written.
struct PageNamesCase {
  const char* name;
  std::string thumb_pages, image_pages, extension, error;
};

void PrintTo(const PageNamesCase& c, std::ostream* out) {
  *out << c.name;
}

class PageNamesTest : public CreationRunTest, public testing::WithParamInterface<PageNamesCase> {};

TEST_P(PageNamesTest, EndTheRunBeforeAnythingIsWritten) {
  const PageNamesCase& c = GetParam();
  AddImages(11);  // image page 11 meets a thumbnail page whose name ends in "1"
  settings_.ThumbPagesName = c.thumb_pages;
  settings_.ImagePagesName = c.image_pages;
  settings_.WebSiteExtension = c.extension;
  EXPECT_EQ(Run(), RunOutcome::kFailed);
  EXPECT_EQ(host_.events, (Strings{"busy", "idle", "error: " + c.error}));
  EXPECT_FALSE(fs::exists(Out()));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.Path()), {}), 1);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, PageNamesTest, testing::Values(
    PageNamesCase{"ParentFolder", "page", "../../x", ".sh",
                  "ImagePagesName \"../../x\" must not hold a folder separator, \"..\" or a control character"},
    PageNamesCase{"Separator", "a/b", "image", ".htm",
                  "ThumbPagesName \"a/b\" must not hold a folder separator, \"..\" or a control character"},
    PageNamesCase{"Backslash", "page", "image", ".htm\\..\\x",
                  "WebSiteExtension \".htm\\..\\x\" must not hold a folder separator, \"..\" or a control character"},
    PageNamesCase{"ControlCharacter", "pa\tge", "image", ".htm",
                  "ThumbPagesName \"pa\tge\" must not hold a folder separator, \"..\" or a control character"},
    PageNamesCase{"ExtensionDots", "page", "image", "..htm",
                  "WebSiteExtension \"..htm\" must not hold a folder separator, \"..\" or a control character"},
    PageNamesCase{"EqualNames", "gal", "gal", ".htm",
                  "Thumbnail pages and image pages need different names (ThumbPagesName and ImagePagesName are both \"gal\")"},
    PageNamesCase{"BothEmpty", "", "", ".htm",
                  "Thumbnail pages and image pages need different names (ThumbPagesName and ImagePagesName are both \"\")"},
    PageNamesCase{"PageOverAPicture", "n_img0", "image", ".jpg",
                  "Two files of this gallery would be written as \"n_img01.jpg\": choose other page names or another extension"},
    PageNamesCase{"PagesDifferOnlyByDigits", "image1", "image", ".htm",
                  "Two files of this gallery would be written as \"image11.htm\": choose other page names or another extension"}),
    [](const auto& item) { return std::string(item.param.name); });
// clang-format on

TEST_F(CreationRunTest, PicturesWithTheSameOutputNamesGetANumberedSuffix) {
  WriteSmallJpeg(In() / "img01.jpeg", 10);
  WriteSmallJpeg(In() / "img01.jpg", 200);
  settings_.HTMLImages = {"<img src=\"@image_smaller@\"><img src=\"@image_big@\">"};
  EXPECT_EQ(Run(), RunOutcome::kCompleted);
  EXPECT_EQ(host_.Only("warning"),
            Strings{"warning: \"img01.jpeg\" and \"img01.jpg\" would have the same output files; "
                    "the second is written as \"n_img01-2.jpg\""});
  EXPECT_EQ(test::ReadBytes(Out() / "n_img01.jpg"), test::ReadBytes(In() / "img01.jpeg"));
  EXPECT_EQ(test::ReadBytes(Out() / "n_img01-2.jpg"), test::ReadBytes(In() / "img01.jpg"));
  EXPECT_TRUE(fs::exists(Out() / "t_img01-2.jpg"));
  EXPECT_EQ(test::ReadText(Out() / "image2.htm"),
            "<img src=\"n_img01-2.jpg\"><img src=\"b_img01-2.jpg\">\r\n");
  EXPECT_NE(test::ReadText(Out() / "page1.htm").find("t_img01-2.jpg"), std::string::npos);
}

TEST_F(CreationRunTest, PageThatCannotBeWrittenEndsTheRunBeforeAnyImage) {
  AddImages(2);
  fs::create_directories(Out() / "image2.htm");  // a folder in the page's way
  EXPECT_EQ(Run(), RunOutcome::kFailed);
  const Strings exceptions = host_.Only("exception");
  ASSERT_EQ(exceptions.size(), 1u);
  EXPECT_NE(exceptions[0].find("image2.htm"), std::string::npos) << exceptions[0];
  EXPECT_TRUE(fs::exists(Out() / "image1.htm"));
  EXPECT_TRUE(host_.Only("show").empty());
  EXPECT_TRUE(ExportedImages(2).empty());
}

// A metadata reader that fails in a way the catalogue does not expect.
class FailingReader : public ImageMetadataReader {
 public:
  bool ReadImageFile(const std::string&) override { throw std::runtime_error("reader broke"); }
  bool ExifPresent() const override { return false; }
  double CaptureDateTime() const override { return 0; }
  bool CommentPresent() const override { return false; }
  std::string CommentText() const override { return ""; }
};

TEST_F(CreationRunTest, UnexpectedErrorIsReportedAndEndsTheRun) {
  AddImages(1);
  FailingReader reader;
  KM_List list(settings_, reader);
  EXPECT_EQ(RunCreation(settings_, list, host_, {}), RunOutcome::kFailed);
  EXPECT_EQ(host_.events, (Strings{"busy", "idle", "exception: reader broke"}));
  EXPECT_FALSE(fs::exists(Out()));
}

TEST_F(CreationRunTest, MessagesComeThroughTheCurrentLanguage) {
  test::WriteText(dir_.Path() / "de.ln",
                  "[Misc]\r\nTextImageXofY=Bild %d von %d\r\n"
                  "InputFolderError=Falscher Eingabeordner: %s\r\n");
  SetCurrentLanguage(OpenLanguageFile(dir_.Path().string() + "/", "de.ln"));
  AddImages(1);
  EXPECT_EQ(Run(), RunOutcome::kCompleted);
  EXPECT_EQ(host_.Only("update"), Strings{"update 0 Bild 1 von 1"});
  settings_.InputPath = "/nowhere";
  EXPECT_EQ(Run(), RunOutcome::kFailed);
  EXPECT_EQ(host_.Only("error"), Strings{"error: Falscher Eingabeordner: /nowhere"});
}

TEST(FirstPagePathTest, JoinsTheOutputFolderAndTheFirstPageName) {
  KM_Class settings;
  settings.ThumbPagesName = "gal";
  settings.WebSiteExtension = ".html";
  for (const auto& [folder, expected] :
       {std::pair{"/web/out", "/web/out/gal1.html"}, std::pair{"/web/out/", "/web/out/gal1.html"},
        std::pair{"", "gal1.html"}}) {
    settings.OutputPath = folder;
    EXPECT_EQ(FirstPagePath(settings), expected);
    RecordingHost host;
    OpenFirstPage(settings, host);
    EXPECT_EQ(host.events, Strings{std::string("open ") + expected});
  }
}

class ClearOutputFolderTest : public testing::Test {
 protected:
  ClearOutputFolderTest() { settings_.OutputPath = (dir_.Path() / "out").string(); }
  fs::path Out() const { return settings_.OutputPath; }
  int Items() const { return static_cast<int>(std::distance(fs::directory_iterator(Out()), {})); }

  TempDir dir_;
  KM_Class settings_;
  RecordingHost host_;
};

TEST_F(ClearOutputFolderTest, MissingFolderIsLeftAlone) {
  ClearOutputFolder(settings_, host_);
  EXPECT_TRUE(host_.events.empty());
}

TEST_F(ClearOutputFolderTest, FolderWithOnlySubfoldersIsLeftAloneWithoutAQuestion) {
  fs::create_directories(Out() / "sub" / "deeper");
  test::WriteText(Out() / "sub" / "inside.txt", "x");
  ClearOutputFolder(settings_, host_);
  EXPECT_TRUE(host_.events.empty());
  EXPECT_TRUE(fs::exists(Out() / "sub" / "inside.txt"));
}

TEST_F(ClearOutputFolderTest, AsksAndKeepsEverythingOnCancel) {
  fs::create_directories(Out() / "sub");
  test::WriteText(Out() / "page1.htm", "x");
  host_.answer = false;
  ClearOutputFolder(settings_, host_);
  EXPECT_EQ(host_.events, Strings{"ask: Output folder \"" + Out().string() +
                                  "\" is not empty. Do you want to go on and delete it?"});
  EXPECT_EQ(Items(), 2);
}

TEST_F(ClearOutputFolderTest, DeletesFilesAndSubfoldersButKeepsTheFolder) {
  fs::create_directories(Out() / "sub" / "deeper");
  test::WriteText(Out() / "sub" / "deeper" / "a.jpg", "x");
  test::WriteText(Out() / ".hidden", "x");  // a hidden file alone is enough to ask
  ClearOutputFolder(settings_, host_);
  EXPECT_EQ(host_.Only("ask").size(), 1u);
  EXPECT_TRUE(fs::is_directory(Out()));
  EXPECT_EQ(Items(), 0);
}

}  // namespace
}  // namespace kelmora
