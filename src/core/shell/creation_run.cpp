#include "shell/creation_run.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <future>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_set>
#include <utility>
#include <vector>

#include "common/errors.h"
#include "gallery/file_names.h"
#include "gallery/image_export.h"
#include "gallery/output_names.h"
#include "gallery/template_helpers.h"
#include "imaging/declared_size.h"
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

// The pictures of the read-ahead: the next picture is decoded while the current one is
// written only when both together fit this budget, so two big pictures never double the
// peak. 256 MiB lets two 40-megapixel photos overlap; bigger ones are done one after the
// other, and a process limit on address space lowers the budget to a quarter of it.
constexpr uint64_t kReadAheadBudgetBytes = uint64_t{256} << 20;
// The header of every format lies within the start of the file, unless a JPEG carries more
// metadata than this before its frame header; its size is then unknown.
constexpr size_t kHeaderProbeBytes = size_t{256} << 10;

uint64_t ReadAheadBudget() {
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
    return std::min<uint64_t>(kReadAheadBudgetBytes, limit.rlim_cur / 4);
  }
  return kReadAheadBudgetBytes;
}

ImageFormat FormatOf(const KM_ListElement& entry) {
  switch (entry.ImageKind) {
    case kImageKindBmp:
      return ImageFormat::kBmp;
    case kImageKindTiff:
      return ImageFormat::kTiff;
    default:
      return ImageFormat::kJpeg;
  }
}

// What decoding the entry will hold in memory, from its header; nullopt when unknown.
std::optional<uint64_t> DeclaredWorkingBytes(const KM_ListElement& entry) {
  try {
    const std::vector<uint8_t> head = ReadFileHead(entry.FullPath, kHeaderProbeBytes);
    const std::optional<DeclaredSize> size = ReadDeclaredSize(head, FormatOf(entry));
    if (size) return WorkingBitmapBytes(*size);
  } catch (const EKelmora&) {
    // The decoder meets the same problem and reports it.
  }
  return std::nullopt;
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
      const std::optional<uint64_t> upcoming_bytes = DeclaredWorkingBytes(upcoming);
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

// Characters that would lead a page out of the output folder or make a name no file system
// should hold. The backslash counts too: it separates folders where settings files come from.
bool IsSafePageNamePart(std::string_view text) {
  if (text.find("..") != std::string_view::npos) return false;
  return std::none_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F;
  });
}

// The page names and the extension come from a settings file, which may come from anyone.
bool CheckPageNames(const KM_Class& settings, RunHost& host) {
  const std::pair<std::string_view, const std::string*> parts[] = {
      {"ThumbPagesName", &settings.ThumbPagesName},
      {"ImagePagesName", &settings.ImagePagesName},
      {"WebSiteExtension", &settings.WebSiteExtension},
  };
  for (const auto& [key, value] : parts) {
    if (!IsSafePageNamePart(*value)) {
      host.ShowError(GetLangText(MessageKey::PageNameError, {std::string(key), *value}));
      return false;
    }
  }
  if (settings.ThumbPagesName == settings.ImagePagesName) {
    host.ShowError(GetLangText(MessageKey::PageNamesEqualError, {settings.ThumbPagesName}));
    return false;
  }
  return true;
}

int ThumbnailPageCount(const KM_Class& settings, int count) {
  const int64_t per_page = int64_t{settings.ColsCount} * settings.RowsCount;
  return static_cast<int>(count / per_page + (count % per_page > 0 ? 1 : 0));
}

// One file the run writes, and what it is made from (a picture, or the page set by the
// setting that names it).
struct PlannedOutput {
  std::string name;
  std::string made_from;
};

// Every file the run writes into the output folder, pages first.
std::vector<PlannedOutput> PlannedOutputs(const KM_Class& settings, const KM_List& list, int last) {
  std::vector<PlannedOutput> outputs;
  const int count = list.Count();
  for (int k = 1; k <= ThumbnailPageCount(settings, count); ++k) {
    outputs.push_back(
        {PageFileName(settings.ThumbPagesName, k, settings.WebSiteExtension), "ThumbPagesName"});
  }
  for (int n = 1; n <= count; ++n) {
    outputs.push_back(
        {PageFileName(settings.ImagePagesName, n, settings.WebSiteExtension), "ImagePagesName"});
  }
  for (int i = 0; i <= last; ++i) {
    const KM_ListElement& entry = list.Entry(i);
    if (settings.CopyOrgSizedImages) outputs.push_back({entry.BigName, entry.FullPath});
    outputs.push_back({entry.ThumbName, entry.FullPath});
    outputs.push_back({entry.NormalName, entry.FullPath});
  }
  return outputs;
}

// No two files of the run may share a name: a page whose name runs into another page's
// (names that differ only by digits) or into a picture's would be overwritten.
bool CheckOutputsDistinct(const KM_Class& settings, const KM_List& list, RunHost& host) {
  std::unordered_set<std::string> names;
  for (const PlannedOutput& output : PlannedOutputs(settings, list, list.Count() - 1)) {
    if (!names.insert(output.name).second) {
      host.ShowError(GetLangText(MessageKey::OutputNamesClashError, {output.name}));
      return false;
    }
  }
  return true;
}

struct FileIdentity {
  dev_t device;
  ino_t inode;
  bool operator==(const FileIdentity&) const = default;
};
struct FileIdentityHash {
  size_t operator()(const FileIdentity& id) const {
    return std::hash<uint64_t>()(static_cast<uint64_t>(id.inode) * 31 + id.device);
  }
};

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  struct stat info {};
  // The entry itself: a link is replaced, never written through.
  if (::lstat(path.c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{info.st_dev, info.st_ino};
}

// With the input folder as output folder, no output may take the place of an input
// picture: outputs are checked by the file they would replace, so names that differ only
// in letter case on a file system that ignores case are caught as well.
bool CheckSourcesKept(const KM_Class& settings, const KM_List& list, int last, RunHost& host) {
  if (!IsExistingFolder(settings.OutputPath)) return true;
  std::error_code error;
  if (!std::filesystem::equivalent(settings.InputPath, settings.OutputPath, error)) return true;
  host.ShowWarning(GetLangText(MessageKey::SameFolderNotice, {settings.OutputPath}));
  std::unordered_set<FileIdentity, FileIdentityHash> sources;
  for (int i = 0; i < list.Count(); ++i) {
    if (const auto id = IdentityOf(list.Entry(i).FullPath)) sources.insert(*id);
  }
  const std::string folder = PathWithDelimiter(settings.OutputPath);
  for (const PlannedOutput& output : PlannedOutputs(settings, list, last)) {
    const auto id = IdentityOf(folder + output.name);
    if (id && sources.count(*id)) {
      host.ShowError(
          GetLangText(MessageKey::OutputIsInputError, {folder + output.name, output.made_from}));
      return false;
    }
  }
  return true;
}

// Gives every picture output names of its own and says which ones changed.
void MakeOutputNamesDistinct(KM_List& list, RunHost& host) {
  const std::vector<OutputNameChange> changes = AssignDistinctOutputNames(list);
  if (changes.empty()) return;
  std::string text;
  for (const OutputNameChange& change : changes) {
    if (!text.empty()) text += "\n";
    text += change.SharedWith.empty()
                ? GetLangText(MessageKey::OutputNameShortened, {change.FileName, change.NormalName})
                : GetLangText(MessageKey::OutputNamesShared,
                              {change.SharedWith, change.FileName, change.NormalName});
  }
  host.ShowWarning(text);
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
