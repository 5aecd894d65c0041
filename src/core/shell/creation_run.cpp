#include "shell/creation_run.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <future>
#include <optional>
#include <string>
#include <system_error>

#include "common/errors.h"
#include "gallery/file_names.h"
#include "gallery/image_export.h"
#include "gallery/template_helpers.h"
#include "imaging/declared_size.h"
#include "localisation/lang_text.h"
#include "platform/file_system.h"
#include "platform/shell_files.h"
#include "shell/output_checks.h"

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

// Memory budget of the read-ahead: the next picture is decoded while the current one is
// written only when both 24-bit pictures together fit it, so two big pictures never double
// the peak. 256 MiB lets two 40-megapixel photos overlap; bigger ones are done one after
// the other. A process limit on address space lowers the budget to a quarter of the limit.
constexpr uint64_t kReadAheadBudgetBytes = uint64_t{256} << 20;

uint64_t ReadAheadBudget() {
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
    return std::min<uint64_t>(kReadAheadBudgetBytes, limit.rlim_cur / 4);
  }
  return kReadAheadBudgetBytes;
}

uint64_t HeldBytes(const DecodedSource& source) {
  if (source.error) return 0;
  return WorkingBitmapBytes({static_cast<uint32_t>(source.bitmap.Width()),
                             static_cast<uint32_t>(source.bitmap.Height())});
}

// The image phase. The next picture is decoded on a second thread while the current one is
// scaled and written, so both cores stay busy, as long as the two pictures fit the memory
// budget; progress, cancel and every file written are exactly those of exporting one image
// after the other.
RunOutcome ExportImages(const KM_Class& settings, KM_List& list, RunHost& host, int last) {
  ProgressScope progress(host, last > 1 ? last : 1);
  const uint64_t budget = ReadAheadBudget();
  std::optional<std::future<DecodedSource>> next;
  for (int i = 0; i <= last; ++i) {
    host.UpdateProgress(
        i, GetLangText(MessageKey::TextImageXofY, {int64_t{i + 1}, int64_t{last + 1}}));
    if (host.ProcessMessagesAndCancelRequested()) return RunOutcome::kCancelled;
    KM_ListElement& entry = list.Entry(i);
    DecodedSource current = next ? next->get() : Decode(entry);
    next.reset();
    if (i < last) {
      const KM_ListElement& upcoming = list.Entry(i + 1);
      const std::optional<uint64_t> upcoming_bytes = DeclaredSourceBytes(upcoming);
      if (upcoming_bytes && HeldBytes(current) + *upcoming_bytes <= budget) {
        next = std::async(std::launch::async, [&upcoming] { return Decode(upcoming); });
      }
    }
    try {
      if (current.error) std::rethrow_exception(current.error);
      WriteExportedImages(settings, entry, current.bitmap);
    } catch (...) {
      host.ShowException(entry.FullPath + ": " + ErrorText(std::current_exception()));
      return RunOutcome::kFailed;
    }
  }
  return RunOutcome::kCompleted;
}

// Steps 3 to 12 of a run: the checks, the pages and the images. Errors of the page phase
// come back as kFailed after being shown; anything else that goes wrong is raised.
RunOutcome CreateGallery(const KM_Class& settings, KM_List& list, RunHost& host,
                         const CreationRunOptions& options, bool& declined) {
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
  // Everything that decides which files are written is settled before the first one is.
  if (!CheckPageNames(settings, host)) return RunOutcome::kFailed;
  MakeOutputNamesDistinct(list, host);
  if (!CheckOutputsDistinct(settings, list, host)) return RunOutcome::kFailed;
  const int last = LastPositionToExport(options.Mode, count, settings);
  if (!CheckSourcesKept(settings, list, last, host)) return RunOutcome::kFailed;
  if (!IsExistingFolder(settings.OutputPath)) {
    // An empty path names no folder: there is nothing to ask about, only to report.
    if (!settings.OutputPath.empty() && !options.BatchMode &&
        !host.Ask(GetLangText(MessageKey::OutputFolderNotExists, {settings.OutputPath}),
                  Question::kCreateOutputFolder)) {
      declined = true;
      return RunOutcome::kCancelled;
    }
    if (!CreateFolderWithParents(settings.OutputPath)) {
      host.ShowError(GetLangText(MessageKey::OutputFolderError, {settings.OutputPath}));
      return RunOutcome::kFailed;
    }
  }
  if (options.Mode != CreationMode::kPagesOnly && !settings.AdditionalPath.empty()) {
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

RunOutcome ButtonDoCreateClick(const KM_Class& settings, KM_List& list, RunHost& host,
                               const CreationRunOptions& options) {
  BusyScope busy(host);
  RunOutcome outcome = RunOutcome::kFailed;
  // Cancel to "create the output folder?" ends the run before it began: there is no page
  // to show.
  bool declined = false;
  try {
    outcome = CreateGallery(settings, list, host, options, declined);
  } catch (...) {
    // Whatever escapes the steps (a folder that cannot be listed, memory running out)
    // ends the run with its message, like an error of the page or image phase.
    host.ShowException(ErrorText(std::current_exception()));
    return RunOutcome::kFailed;
  }
  if (outcome != RunOutcome::kFailed && !declined && !options.BatchMode &&
      settings.AutoBrowserStart) {
    ButtonBrowserDisplayClick(settings, host);
  }
  return outcome;
}

void ButtonBrowserDisplayClick(const KM_Class& settings, RunHost& host) {
  host.OpenDocument(FirstPagePath(settings));
}

void ButtonClearOutputFolderClick(const KM_Class& settings, RunHost& host) {
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
