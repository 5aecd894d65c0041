#include "shell/creation_run.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <future>
#include <optional>
#include <string>
#include <system_error>

#include "gallery/file_names.h"
#include "gallery/image_export.h"
#include "gallery/template_helpers.h"
#include "localisation/lang_text.h"
#include "platform/file_system.h"
#include "platform/shell_files.h"

namespace kelmora {
namespace {

// Shows the busy state for the run's lifetime and takes it back however the run ends.
class BusyScope {
 public:
  explicit BusyScope(RunHost& host) : host_(host) { host_.SetBusy(true); }
  ~BusyScope() { host_.SetBusy(false); }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  RunHost& host_;
};

// Hides the progress display on every way out of the image phase.
class ProgressScope {
 public:
  ProgressScope(RunHost& host, int maximum) : host_(host) { host_.ShowProgress(maximum); }
  ~ProgressScope() { host_.HideProgress(); }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

 private:
  RunHost& host_;
};

std::string ErrorText(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown error";
  }
}

// The decoded picture of one entry, or the error its decoding raised.
struct DecodedSource {
  TBitmap bitmap;
  std::exception_ptr error;
};

DecodedSource Decode(const KM_ListElement& entry) {
  DecodedSource decoded;
  try {
    decoded.bitmap = DecodeSourceImage(entry);
  } catch (...) {
    decoded.error = std::current_exception();
  }
  return decoded;
}

int LastPositionToExport(CreationMode mode, int count, const KM_Class& settings) {
  switch (mode) {
    case CreationMode::kAll:
      return count - 1;
    case CreationMode::kFirstPage: {
      const int64_t per_page = int64_t{settings.RowsCount} * settings.ColsCount;
      return static_cast<int>(std::min<int64_t>(count - 1, per_page - 1));
    }
    case CreationMode::kPagesOnly:
      return -1;
  }
  return -1;
}

// Whether exporting `entry` writes the file that `later` is read from. It happens when the
// input folder is the output folder and still holds the outputs of an earlier run: the
// later picture must then be read only after the earlier one has been written.
bool WritesSourceOf(const KM_Class& settings, const KM_ListElement& entry,
                    const KM_ListElement& later) {
  const std::string folder = PathWithDelimiter(settings.OutputPath);
  for (const std::string* name : {&entry.BigName, &entry.ThumbName, &entry.NormalName}) {
    std::error_code error;
    if (std::filesystem::equivalent(folder + *name, later.FullPath, error)) return true;
  }
  return false;
}

// The image phase. The next picture is decoded on a second thread while the current one is
// scaled and written, so both cores stay busy; progress, cancel and every file written are
// exactly those of exporting one image after the other.
RunOutcome ExportImages(const KM_Class& settings, KM_List& list, RunHost& host, int last) {
  ProgressScope progress(host, last > 1 ? last : 1);
  std::optional<std::future<DecodedSource>> next;
  const auto start_decoding = [&](int position) {
    const KM_ListElement& entry = list.Entry(position);
    next = std::async(std::launch::async, [&entry] { return Decode(entry); });
  };
  if (last >= 0) start_decoding(0);
  for (int i = 0; i <= last; ++i) {
    host.UpdateProgress(
        i, GetLangText(MessageKey::TextImageXofY, {int64_t{i + 1}, int64_t{last + 1}}));
    if (host.ProcessMessagesAndCancelRequested()) return RunOutcome::kCancelled;
    DecodedSource current = next->get();
    next.reset();
    KM_ListElement& entry = list.Entry(i);
    const bool read_ahead = i < last && !WritesSourceOf(settings, entry, list.Entry(i + 1));
    if (read_ahead) start_decoding(i + 1);
    try {
      if (current.error) std::rethrow_exception(current.error);
      WriteExportedImages(settings, entry, current.bitmap);
    } catch (...) {
      host.ShowException(entry.FullPath + ": " + ErrorText(std::current_exception()));
      return RunOutcome::kFailed;
    }
    if (i < last && !read_ahead) start_decoding(i + 1);
  }
  return RunOutcome::kCompleted;
}

// Steps 3 to 12 of a run: the checks, the pages and the images. Errors of the page phase
// come back as kFailed after being shown; anything else that goes wrong is raised.
RunOutcome CreateGallery(const KM_Class& settings, KM_List& list, RunHost& host,
                         const CreationRunOptions& options) {
  if (!IsExistingFolder(settings.InputPath)) {
    host.ShowError(GetLangText(MessageKey::InputFolderError, {settings.InputPath}));
    return RunOutcome::kFailed;
  }
  const int count = list.ScanInputFolder();
  if (count == 0) {
    host.ShowError(GetLangText(MessageKey::NothingToProcessError));
    return RunOutcome::kFailed;
  }
  list.SortList();
  // No page can be laid out without a row and a column; say so before anything is written.
  if (settings.RowsCount < 1 || settings.ColsCount < 1) {
    host.ShowError(GetLangText(MessageKey::ThumbnailGridError,
                               {int64_t{settings.RowsCount}, int64_t{settings.ColsCount}}));
    return RunOutcome::kFailed;
  }
  if (!IsExistingFolder(settings.OutputPath)) {
    // An empty path names no folder: there is nothing to ask about, only to report.
    if (!settings.OutputPath.empty() && !options.BatchMode &&
        !host.Ask(GetLangText(MessageKey::OutputFolderNotExists, {settings.OutputPath}),
                  Question::kCreateOutputFolder)) {
      return RunOutcome::kCancelled;
    }
    if (!CreateFolderWithParents(settings.OutputPath)) {
      host.ShowError(GetLangText(MessageKey::OutputFolderError, {settings.OutputPath}));
      return RunOutcome::kFailed;
    }
  }
  const int last = LastPositionToExport(options.mode, count, settings);
  if (options.mode != CreationMode::kPagesOnly && !settings.AdditionalPath.empty()) {
    if (!IsExistingFolder(settings.AdditionalPath)) {
      host.ShowError(GetLangText(MessageKey::CopyAdditionalError, {settings.AdditionalPath}));
      return RunOutcome::kFailed;
    }
    // The outcome of the copy is not checked: a file that cannot be copied must not keep
    // the gallery from being made.
    ShellCopyFiles(PathWithDelimiter(settings.AdditionalPath) + "*.*",
                   PathWithDelimiter(settings.OutputPath), false);
  }
  try {
    list.CreateWebPages();
  } catch (...) {
    host.ShowException(ErrorText(std::current_exception()));
    return RunOutcome::kFailed;
  }
  return ExportImages(settings, list, host, last);
}

}  // namespace

std::string FirstPagePath(const KM_Class& settings) {
  return PathWithDelimiter(settings.OutputPath) +
         PageFileName(settings.ThumbPagesName, 1, settings.WebSiteExtension);
}

RunOutcome RunCreation(const KM_Class& settings, KM_List& list, RunHost& host,
                       const CreationRunOptions& options) {
  BusyScope busy(host);
  RunOutcome outcome = RunOutcome::kFailed;
  try {
    outcome = CreateGallery(settings, list, host, options);
  } catch (...) {
    // Whatever escapes the steps (a folder that cannot be listed, memory running out)
    // ends the run with its message, like an error of the page or image phase.
    host.ShowException(ErrorText(std::current_exception()));
    return RunOutcome::kFailed;
  }
  if (outcome != RunOutcome::kFailed && !options.BatchMode && settings.AutoBrowserStart) {
    OpenFirstPage(settings, host);
  }
  return outcome;
}

void OpenFirstPage(const KM_Class& settings, RunHost& host) {
  host.OpenDocument(FirstPagePath(settings));
}

void ClearOutputFolder(const KM_Class& settings, RunHost& host) {
  if (!IsExistingFolder(settings.OutputPath)) return;
  bool holds_a_file = false;
  std::error_code error;
  for (const auto& item : std::filesystem::directory_iterator(settings.OutputPath, error)) {
    std::error_code status_error;
    if (!item.is_directory(status_error) && !status_error) {
      holds_a_file = true;
      break;
    }
  }
  if (!holds_a_file) return;
  if (!host.Ask(GetLangText(MessageKey::OutputFolderNotEmpty, {settings.OutputPath}),
                Question::kClearOutputFolder)) {
    return;
  }
  ShellDeleteFiles(PathWithDelimiter(settings.OutputPath) + "*.*");
}

}  // namespace kelmora
