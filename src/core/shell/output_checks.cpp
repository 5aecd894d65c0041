#include "shell/output_checks.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_set>
#include <utility>
#include <vector>

#include "gallery/file_names.h"
#include "gallery/output_names.h"
#include "gallery/template_helpers.h"
#include "localisation/lang_text.h"
#include "platform/file_system.h"
#include "platform/folder_listing.h"

namespace kelmora {
namespace {

// Characters that would lead a page out of the output folder or make a name no file system
// should hold. The backslash counts too: it separates folders where settings files come from.
bool IsSafePageNamePart(std::string_view text) {
  if (text.find("..") != std::string_view::npos) return false;
  return std::none_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F;
  });
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

}  // namespace

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

// With the input folder as output folder, no output may take the place of an input
// picture: outputs are checked by the file they would replace, so names that differ only
// in letter case on a file system that ignores case are caught as well.
bool CheckSourcesKept(const KM_Class& settings, const KM_List& list, int last,
                      bool copies_additional, RunHost& host) {
  if (!IsExistingFolder(settings.OutputPath)) return true;
  std::error_code error;
  if (!std::filesystem::equivalent(settings.InputPath, settings.OutputPath, error)) return true;
  host.ShowWarning(GetLangText(MessageKey::SameFolderNotice, {settings.OutputPath}));
  std::unordered_set<FileIdentity, FileIdentityHash> sources;
  for (int i = 0; i < list.Count(); ++i) {
    if (const auto id = IdentityOf(list.Entry(i).FullPath)) sources.insert(*id);
  }
  const std::string folder = PathWithDelimiter(settings.OutputPath);
  std::vector<PlannedOutput> outputs = PlannedOutputs(settings, list, last);
  // The files of the additional-elements folder are copied over files of the same names.
  if (copies_additional && !settings.AdditionalPath.empty()) {
    const std::string additional = PathWithDelimiter(settings.AdditionalPath);
    for (const FolderFile& file : ListFolderFiles(additional, true)) {
      outputs.push_back({file.Name, additional + file.Name});
    }
  }
  for (const PlannedOutput& output : outputs) {
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
    text += change.shared_with.empty()
                ? GetLangText(MessageKey::OutputNameShortened, {change.FileName, change.NormalName})
                : GetLangText(MessageKey::OutputNamesShared,
                              {change.shared_with, change.FileName, change.NormalName});
  }
  host.ShowWarning(text);
}

}  // namespace kelmora
