#include "shell/creation_run.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <new>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "common/errors.h"
#include "gallery/file_names.h"
#include "gallery/image_export.h"
#include "gallery/prepared_export.h"
#include "gallery/template_helpers.h"
#include "imaging/pixel_limit.h"
#include "localisation/lang_text.h"
#include "platform/file_system.h"
#include "platform/shell_files.h"
#include "shell/image_pipeline.h"
#include "shell/output_checks.h"
#include "shell/record_keeper.h"

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

// Passes everything on to the run's host except its messages (errors and warnings), which wait
// until the run has hidden its progress display and left its busy state: a message box must not
// appear over a display that still counts, or under a busy cursor.
class DeferredErrorsHost : public RunHost {
 public:
  explicit DeferredErrorsHost(RunHost& host) : host_(host) {}

  void ShowError(const std::string& text) override { errors_.push_back({text, false}); }
  void ShowException(const std::string& text) override { errors_.push_back({text, true}); }
  // Warnings come before the image phase (name changes, a shared folder) and don't end
  // the run, so they are shown at once.
  void ShowWarning(const std::string& text) override { host_.ShowWarning(text); }
  bool Ask(const std::string& text, Question kind) override { return host_.Ask(text, kind); }
  void ShowProgress(int maximum) override { host_.ShowProgress(maximum); }
  void UpdateProgress(int position, const std::string& label) override {
    host_.UpdateProgress(position, label);
  }
  bool ProcessMessagesAndCancelRequested() override {
    return host_.ProcessMessagesAndCancelRequested();
  }
  void HideProgress() override { host_.HideProgress(); }
  void SetBusy(bool busy) override { host_.SetBusy(busy); }
  void OpenDocument(const std::string& path) override { host_.OpenDocument(path); }

  // Shows the messages held back, in the order they came.
  void ShowDeferred() {
    for (const Error& error : errors_) {
      if (error.exception) {
        host_.ShowException(error.text);
      } else {
        host_.ShowError(error.text);
      }
    }
    errors_.clear();
  }

 private:
  struct Error {
    std::string text;
    bool exception;
  };
  RunHost& host_;
  std::vector<Error> errors_;
};

// The text of an error; memory running out while an image is exported names the image's
// size where it is known.
std::string ErrorText(const std::exception_ptr& error, const KM_ListElement* entry = nullptr) {
  try {
    std::rethrow_exception(error);
  } catch (const std::bad_alloc&) {
    if (entry != nullptr && entry->Width > 0 && entry->Height > 0) {
      return GetLangText(MessageKey::NotEnoughMemoryForImage,
                         {int64_t{entry->Width}, int64_t{entry->Height}});
    }
    return GetLangText(MessageKey::NotEnoughMemory);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown error";
  }
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

// Memory budget of the pictures in preparation: a picture starts while others are being
// prepared only when the estimates of all of them together fit it, so two big pictures
// never double the peak. 256 MiB lets two 40-megapixel photos overlap; bigger ones are done
// one after the other. A process limit on address space lowers the budget to a quarter of
// the limit.
constexpr uint64_t kPreparationBudgetBytes = uint64_t{256} << 20;

uint64_t PreparationBudget() {
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
    return std::min<uint64_t>(kPreparationBudgetBytes, limit.rlim_cur / 4);
  }
  return kPreparationBudgetBytes;
}

// What preparing a picture holds besides its decoded source: the resampler's intermediate
// picture (as wide as the output, as high as the source) and the scaled output, a fraction
// of the source for any output smaller than it.
uint64_t PreparationBytes(uint64_t source_bytes) {
  return source_bytes + source_bytes / 2;
}

// The image phase. Pictures are prepared (decoded, scaled, encoded in memory) on one thread
// per core, each thread a picture of its own, and written here strictly in catalogue order:
// progress, cancel (before the next picture), errors and every file written are exactly
// those of exporting one picture after the other, and the bytes the same for any number of
// threads. Pictures whose outputs are all up to date count in the progress but are not read.
RunOutcome ExportImages(const KM_Class& settings, KM_List& list, RunHost& host, int last,
                        const CreationRunOptions& options, RecordKeeper& keeper) {
  ProgressScope progress(host, last > 1 ? last : 1);
  ImagePipeline pipeline(
      last + 1, {.thread_count = options.thread_count, .memory_budget = PreparationBudget()},
      [&](int position, ExportWorkspace& workspace) {
        return PrepareExport(settings, list.Entry(position), keeper.Selection(position), workspace);
      },
      [&](int position) -> std::optional<uint64_t> {
        if (!keeper.Selection(position).Any()) return 0;
        const std::optional<uint64_t> bytes = DeclaredSourceBytes(list.Entry(position));
        if (!bytes) return std::nullopt;
        return PreparationBytes(*bytes);
      });
  for (int i = 0; i <= last; ++i) {
    host.UpdateProgress(
        i, GetLangText(MessageKey::TextImageXofY, {int64_t{i + 1}, int64_t{last + 1}}));
    if (host.ProcessMessagesAndCancelRequested()) return RunOutcome::kCancelled;
    KM_ListElement& entry = list.Entry(i);
    PreparedExport prepared = pipeline.TakeNext();
    if (!keeper.Selection(i).Any()) continue;
    keeper.Attempted(i);
    try {
      CommitExport(settings, entry, prepared);
    } catch (...) {
      host.ShowException(entry.FullPath + ": " + ErrorText(std::current_exception(), &entry));
      return RunOutcome::kFailed;
    }
    keeper.Exported(i);
  }
  return RunOutcome::kCompleted;
}

// The record of the output folder through the image phase: written before the pictures and
// after them, however the phase ends.
RunOutcome ExportImagesRecorded(const KM_Class& settings, KM_List& list, RunHost& host, int last,
                                const CreationRunOptions& options) {
  RecordKeeper keeper(settings, list, last, options.only_redo_changed);
  if (options.prune) {
    const std::vector<std::string> failed = keeper.PruneLeftovers();
    for (const std::string& name : failed) {
      host.ShowWarning(
          GetLangText(MessageKey::PruneError, {PathWithDelimiter(settings.OutputPath) + name}));
    }
  }
  try {
    keeper.WriteBeforeExport();
  } catch (...) {
    host.ShowException(ErrorText(std::current_exception()));
    return RunOutcome::kFailed;
  }
  RunOutcome outcome = ExportImages(settings, list, host, last, options, keeper);
  try {
    keeper.WriteAfterExport();
  } catch (...) {
    if (outcome != RunOutcome::kFailed) {
      host.ShowException(ErrorText(std::current_exception()));
      outcome = RunOutcome::kFailed;
    }
  }
  return outcome;
}

// Steps 3 to 12 of a run: the checks, the pages and the images. Errors of the page phase
// come back as kFailed after being shown; anything else that goes wrong is raised.
RunOutcome CreateGallery(const KM_Class& settings, KM_List& list, RunHost& host,
                         const CreationRunOptions& options, bool& declined) {
  if (!IsExistingFolder(settings.InputPath)) {
    host.ShowError(GetLangText(MessageKey::InputFolderError, {settings.InputPath}));
    return RunOutcome::kFailed;
  }
  // A folder that cannot be listed would look like one without images.
  if (const std::string problem = FolderReadProblem(settings.InputPath); !problem.empty()) {
    host.ShowError(GetLangText(MessageKey::FolderReadError, {settings.InputPath, problem}));
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
  // Everything that decides which files are written is settled before the first one is.
  if (!CheckPageNames(settings, host)) return RunOutcome::kFailed;
  MakeOutputNamesDistinct(list, host);
  if (!CheckOutputsDistinct(settings, list, host)) return RunOutcome::kFailed;
  const int last = LastPositionToExport(options.mode, count, settings);
  const bool copies_additional = options.mode != CreationMode::kPagesOnly;
  if (!CheckSourcesKept(settings, list, last, copies_additional, host)) {
    return RunOutcome::kFailed;
  }
  if (!IsExistingFolder(settings.OutputPath)) {
    // An empty path names no folder: there is nothing to ask about, only to report.
    if (!settings.OutputPath.empty() && !options.BatchMode &&
        !host.Ask(GetLangText(MessageKey::OutputFolderNotExists, {settings.OutputPath}),
                  Question::kCreateOutputFolder)) {
      declined = true;
      return RunOutcome::kCancelled;
    }
    std::string reason;
    if (!CreateFolderWithParents(settings.OutputPath, &reason)) {
      host.ShowError(GetLangText(MessageKey::OutputFolderError, {settings.OutputPath}) + ": " +
                     reason);
      return RunOutcome::kFailed;
    }
  }
  if (copies_additional && !settings.AdditionalPath.empty()) {
    if (!IsExistingFolder(settings.AdditionalPath)) {
      host.ShowError(GetLangText(MessageKey::CopyAdditionalError, {settings.AdditionalPath}));
      return RunOutcome::kFailed;
    }
    // A file that cannot be copied must not keep the gallery from being made, but the user
    // hears of it. An update leaves the copies that are still the same alone.
    if (!ShellCopyFiles(PathWithDelimiter(settings.AdditionalPath) + "*.*",
                        PathWithDelimiter(settings.OutputPath), false, options.only_redo_changed)) {
      host.ShowWarning(
          GetLangText(MessageKey::CopyAdditionalIncomplete, {settings.AdditionalPath}));
    }
  }
  try {
    list.CreateWebPages(options.only_redo_changed ? PageWriting::kKeepUnchanged
                                                  : PageWriting::kReplaceAll);
  } catch (...) {
    host.ShowException(ErrorText(std::current_exception()));
    return RunOutcome::kFailed;
  }
  return ExportImagesRecorded(settings, list, host, last, options);
}

}  // namespace

std::string FirstPagePath(const KM_Class& settings) {
  return PathWithDelimiter(settings.OutputPath) +
         PageFileName(settings.ThumbPagesName, 1, settings.WebSiteExtension);
}

RunOutcome RunCreation(const KM_Class& settings, KM_List& list, RunHost& host,
                       const CreationRunOptions& options) {
  DeferredErrorsHost deferred(host);
  std::optional<BusyScope> busy(std::in_place, deferred);
  RunOutcome outcome = RunOutcome::kFailed;
  // Cancel to "create the output folder?" ends the run before it began: there is no page
  // to show.
  bool declined = false;
  try {
    outcome = CreateGallery(settings, list, deferred, options, declined);
  } catch (...) {
    // Whatever escapes the steps (a folder that cannot be listed, memory running out)
    // ends the run with its message, like an error of the page or image phase.
    deferred.ShowException(ErrorText(std::current_exception()));
    outcome = RunOutcome::kFailed;
  }
  if (outcome != RunOutcome::kFailed && !declined && !options.BatchMode &&
      settings.AutoBrowserStart) {
    OpenFirstPage(settings, deferred);
  }
  busy.reset();
  deferred.ShowDeferred();
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
