#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "gallery/build_record.h"
#include "gallery/gallery_fixture.h"
#include "imaging/jpeg_image.h"
#include "localisation/lang_text.h"
#include "shell/creation_run.h"
#include "support/pictures.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using Strings = std::vector<std::string>;

class QuietHost : public RunHost {
 public:
  Strings events;
  int cancel_on_call = 0;  // 1-based call of ProcessMessagesAndCancelRequested
  void ShowError(const std::string& text) override { events.push_back("error: " + text); }
  void ShowException(const std::string& text) override { events.push_back("exception: " + text); }
  void ShowWarning(const std::string& text) override { events.push_back("warning: " + text); }
  bool Ask(const std::string&, Question) override { return true; }
  void ShowProgress(int maximum) override { events.push_back("show " + std::to_string(maximum)); }
  void UpdateProgress(int position, const std::string& label) override {
    events.push_back(std::to_string(position) + " " + label);
  }
  bool ProcessMessagesAndCancelRequested() override { return ++calls_ == cancel_on_call; }
  void HideProgress() override { events.push_back("hide"); }
  void SetBusy(bool) override {}
  void OpenDocument(const std::string&) override {}

 private:
  int calls_ = 0;
};

// A picture with detail everywhere, larger than the resized image's bounds.
void WritePhoto(const fs::path& path, int seed, int width = 900, int height = 640) {
  test::WriteGrainyJpeg(path, width, height, static_cast<uint32_t>(seed));
}

struct FileState {
  std::vector<uint8_t> bytes;
  fs::file_time_type time;
};
using Snapshot = std::map<std::string, FileState>;

Snapshot Take(const fs::path& folder) {
  Snapshot files;
  for (const auto& item : fs::directory_iterator(folder)) {
    files[item.path().filename().string()] = {test::ReadBytes(item.path()),
                                              fs::last_write_time(item.path())};
  }
  return files;
}

// The names whose bytes differ between two snapshots, or that only one of them has.
Strings Differences(const Snapshot& a, const Snapshot& b) {
  Strings names;
  for (const auto& [name, state] : a) {
    const auto other = b.find(name);
    if (other == b.end() || other->second.bytes != state.bytes) names.push_back(name);
  }
  for (const auto& [name, state] : b) {
    if (a.count(name) == 0) names.push_back(name);
  }
  return names;
}

// The names whose modification time changed (or that are new).
Strings Rewritten(const Snapshot& before, const Snapshot& after) {
  Strings names;
  for (const auto& [name, state] : after) {
    const auto old = before.find(name);
    if (old == before.end() || old->second.time != state.time) names.push_back(name);
  }
  return names;
}

class UpdateRunTest : public testing::Test {
 protected:
  UpdateRunTest() {
    SetCurrentLanguage(nullptr);
    fs::create_directory(In());
    settings_ = test::DefaultGallerySettings();
    settings_.InputPath = In().string();
    settings_.SortingMethodIndex = SortMethod::kNameAscending;  // by name
    settings_.AutoBrowserStart = false;
    settings_.RowsCount = settings_.ColsCount = 2;
    settings_.HTMLThumbnails = {"<p>@thumbtable@</p>"};
    settings_.HTMLImages = {"<img src=\"@image_smaller@\"> @cp@ of @tp@ @next@"};
    for (int i = 1; i <= 5; ++i) WritePhoto(In() / Name(i), i);
    // A small one whose resized image is a byte copy.
    WritePhoto(In() / "small.jpg", 9, 300, 200);
  }

  static std::string Name(int i) { return "photo" + std::to_string(i) + ".jpg"; }
  fs::path In() const { return dir_.Path() / "in"; }
  fs::path Out() const { return dir_.Path() / "out"; }

  RunOutcome Run(const fs::path& out, CreationRunOptions options, QuietHost* host = nullptr) {
    KM_Class settings = settings_;
    settings.OutputPath = out.string();
    KM_List list(settings);
    QuietHost own;
    options.BatchMode = true;
    return RunCreation(settings, list, host ? *host : own, options);
  }
  // The output of a fresh full run into a new folder.
  Snapshot Fresh() {
    const fs::path out = dir_.Path() / ("fresh" + std::to_string(++fresh_runs_));
    EXPECT_EQ(Run(out, {}), RunOutcome::kCompleted);
    return Take(out);
  }
  Snapshot Update(bool prune = false) {
    EXPECT_EQ(Run(Out(), {.only_redo_changed = true, .prune = prune}), RunOutcome::kCompleted);
    return Take(Out());
  }

  TempDir dir_;
  KM_Class settings_;
  int fresh_runs_ = 0;
};

TEST_F(UpdateRunTest, EveryThreadCountGivesTheSameFilesAndProgress) {
  Snapshot first;
  Strings first_events;
  for (const int threads : {1, 2, 3, 5}) {
    SCOPED_TRACE(threads);
    const fs::path out = dir_.Path() / ("threads" + std::to_string(threads));
    QuietHost host;
    ASSERT_EQ(Run(out, {.thread_count = threads}, &host), RunOutcome::kCompleted);
    const Snapshot files = Take(out);
    if (threads == 1) {
      first = files;
      first_events = host.events;
      EXPECT_EQ(first.count("t_photo5.jpg"), 1u);
      EXPECT_EQ(host.events.size(), 6u + 2u);
    } else {
      EXPECT_EQ(Differences(first, files), Strings{});
      EXPECT_EQ(host.events, first_events);
    }
  }
}

// An error or a cancel in the middle leaves exactly the files of exporting one picture after
// the other, whatever the number of threads.
TEST_F(UpdateRunTest, ErrorsAndCancelEndTheRunAtTheSamePictureForEveryThreadCount) {
  test::WriteText(In() / Name(3), "not a JPEG at all");
  for (const bool cancel : {false, true}) {
    Snapshot serial;
    Strings serial_events;
    for (const int threads : {1, 2, 4}) {
      SCOPED_TRACE(std::to_string(threads) + (cancel ? " cancel" : " error"));
      const fs::path out = dir_.Path() / ((cancel ? "cancel" : "error") + std::to_string(threads));
      QuietHost host;
      host.cancel_on_call = cancel ? 2 : 0;
      ASSERT_EQ(Run(out, {.thread_count = threads}, &host),
                cancel ? RunOutcome::kCancelled : RunOutcome::kFailed);
      Snapshot files = Take(out);
      EXPECT_EQ(files.count("t_photo1.jpg"), 1u);
      EXPECT_EQ(files.count("t_photo2.jpg"), cancel ? 0u : 1u);
      EXPECT_EQ(files.count("t_photo4.jpg"), 0u);
      EXPECT_EQ(files.count("t_small.jpg"), 0u);
      if (threads == 1) {
        serial = files;
        serial_events = host.events;
      } else {
        EXPECT_EQ(Differences(serial, files), Strings{});
        EXPECT_EQ(host.events, serial_events);
      }
    }
  }
}

TEST_F(UpdateRunTest, SequenceOfUpdatesEndsAsAFreshRunAndTouchesOnlyWhatChanged) {
  fs::create_directory(dir_.Path() / "extra");
  test::WriteText(dir_.Path() / "extra" / "style.css", "body { color: black }");
  settings_.AdditionalPath = (dir_.Path() / "extra").string();
  EXPECT_EQ(Run(Out(), {}), RunOutcome::kCompleted);
  Snapshot before = Take(Out());
  EXPECT_EQ(Differences(before, Fresh()), Strings{});
  const auto an_hour_ago = fs::file_time_type::clock::now() - std::chrono::hours(1);
  // Old times everywhere, so that any rewrite shows.
  const auto age = [&] {
    for (const auto& item : fs::directory_iterator(Out())) {
      fs::last_write_time(item.path(), an_hour_ago);
    }
    before = Take(Out());
  };
  struct Step {
    const char* what;
    std::function<void()> change;
    Strings rewritten;
    bool prune = false;
  };
  const std::vector<Step> steps = {
      {"nothing changed", [] {}, {}},
      {"an additional element changed",
       [&] { test::WriteText(dir_.Path() / "extra" / "style.css", "body { color: grey }"); },
       {"style.css"}},
      {"one photo added",
       [&] { WritePhoto(In() / "photo6.jpg", 6); },
       {".kelmora-record", "image1.htm", "image2.htm", "image3.htm", "image4.htm", "image5.htm",
        "image6.htm", "image7.htm", "n_photo6.jpg", "page2.htm", "t_photo6.jpg"}},
      {"one photo touched",
       [&] { fs::last_write_time(In() / Name(2), an_hour_ago); },
       {".kelmora-record", "n_photo2.jpg", "t_photo2.jpg"}},
      {"thumbnail size changed",
       [&] { settings_.MaxSizeThumbnails = 120; },
       {".kelmora-record", "t_photo1.jpg", "t_photo2.jpg", "t_photo3.jpg", "t_photo4.jpg",
        "t_photo5.jpg", "t_photo6.jpg", "t_small.jpg"}},
      {"full-size copies asked for",
       [&] { settings_.CopyOrgSizedImages = true; },
       {".kelmora-record", "b_photo1.jpg", "b_photo2.jpg", "b_photo3.jpg", "b_photo4.jpg",
        "b_photo5.jpg", "b_photo6.jpg", "b_small.jpg"}},
      {"one photo removed, pruned",
       [&] { fs::remove(In() / "photo6.jpg"); },
       {".kelmora-record", "image1.htm", "image2.htm", "image3.htm", "image4.htm", "image5.htm",
        "image6.htm", "page2.htm"},
       true},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    age();
    step.change();
    const Snapshot after = Update(step.prune);
    EXPECT_EQ(Rewritten(before, after), step.rewritten);
    EXPECT_EQ(Differences(after, Fresh()), Strings{});
  }
}

TEST_F(UpdateRunTest, RemovedPhotoKeepsItsOutputsUntilPruned) {
  EXPECT_EQ(Run(Out(), {}), RunOutcome::kCompleted);
  fs::remove(In() / Name(5));
  fs::remove(In() / Name(4));  // page 2 of the thumbnails goes too
  test::WriteText(Out() / "notes.txt", "the user's own file");
  Update();
  for (const char* name : {"t_photo5.jpg", "n_photo5.jpg", "image6.htm", "page2.htm"}) {
    EXPECT_TRUE(fs::exists(Out() / name)) << name;
  }
  const Snapshot pruned = Update(true);
  Snapshot fresh = Fresh();
  fresh["notes.txt"] = pruned.at("notes.txt");  // not this program's: never pruned
  EXPECT_EQ(Differences(pruned, fresh), Strings{});
}

// The input folder named another way (through a link, with "." in the path) holds the same
// files: nothing is made again.
TEST_F(UpdateRunTest, InputFolderNamedAnotherWayIsNoChange) {
  EXPECT_EQ(Run(Out(), {}), RunOutcome::kCompleted);
  fs::create_directory_symlink(In(), dir_.Path() / "link");
  for (const fs::path& other : {dir_.Path() / "link", dir_.Path() / "." / "in"}) {
    SCOPED_TRACE(other.string());
    const auto an_hour_ago = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const auto& item : fs::directory_iterator(Out())) {
      fs::last_write_time(item.path(), an_hour_ago);
    }
    const Snapshot before = Take(Out());
    settings_.InputPath = other.string();
    EXPECT_EQ(Rewritten(before, Update()), Strings{});
  }
}

// A picture whose source keeps its size and time is not read again: even a damaged one.
TEST_F(UpdateRunTest, UpToDatePictureIsNotDecodedAgain) {
  EXPECT_EQ(Run(Out(), {}), RunOutcome::kCompleted);
  const fs::path source = In() / Name(2);
  const auto time = fs::last_write_time(source);
  std::vector<uint8_t> bytes = test::ReadBytes(source);
  std::fill(bytes.begin() + 2, bytes.end(), 0);
  test::WriteBytes(source, bytes);
  fs::last_write_time(source, time);
  QuietHost host;
  EXPECT_EQ(Run(Out(), {.only_redo_changed = true}, &host), RunOutcome::kCompleted);
  // Progress still counts every picture.
  EXPECT_EQ(host.events.size(), 6u + 2u);
  EXPECT_EQ(host.events[2], "1 Image 2 of 6");
  // Without the update the damaged file is read, and fails.
  EXPECT_EQ(Run(Out(), {}), RunOutcome::kFailed);
}

// An output that is missing, has another size, or whose making was not finished (a run
// killed halfway) is made again.
TEST_F(UpdateRunTest, OutputsThatCannotBeTrustedAreMadeAgain) {
  EXPECT_EQ(Run(Out(), {}), RunOutcome::kCompleted);
  const Snapshot full = Take(Out());
  fs::remove(Out() / "t_photo1.jpg");
  test::WriteText(Out() / "n_photo2.jpg", "cut short");
  BuildRecord record = ReadBuildRecord(Out().string());
  for (RecordedFile& file : record.files) {
    if (file.name == "t_photo3.jpg") file.recipe = 0;
  }
  WriteBuildRecord(Out().string(), record);
  const auto an_hour_ago = fs::file_time_type::clock::now() - std::chrono::hours(1);
  fs::last_write_time(Out() / "t_photo3.jpg", an_hour_ago);
  fs::last_write_time(Out() / "t_photo4.jpg", an_hour_ago);
  const Snapshot after = Update();
  EXPECT_EQ(Differences(after, full), Strings{});
  EXPECT_NE(after.at("t_photo3.jpg").time, an_hour_ago);
  EXPECT_EQ(after.at("t_photo4.jpg").time, an_hour_ago);
}

}  // namespace
}  // namespace kelmora
