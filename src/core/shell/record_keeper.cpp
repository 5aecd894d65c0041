#include "shell/record_keeper.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <unordered_set>

#include "gallery/file_names.h"
#include "gallery/template_helpers.h"

namespace kelmora {
namespace {

std::optional<uint64_t> FileSize(const std::string& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  return static_cast<uint64_t>(status.st_size);
}

bool SameFolder(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error);
}

}  // namespace

RecordKeeper::RecordKeeper(const KM_Class& settings, const KM_List& list, int last,
                           bool only_redo_changed)
    : settings_(settings),
      list_(list),
      last_(last),
      folder_(PathWithDelimiter(settings.OutputPath)),
      old_(ReadBuildRecord(settings.OutputPath)) {
  const int count = list.Count();
  const int64_t per_page = std::max<int64_t>(1, int64_t{settings.ColsCount} * settings.RowsCount);
  const int64_t thumbnail_pages = (count + per_page - 1) / per_page;
  for (int64_t k = 1; k <= thumbnail_pages; ++k) {
    pages_.push_back(PageFileName(settings.ThumbPagesName, k, settings.WebSiteExtension));
  }
  for (int n = 1; n <= count; ++n) {
    pages_.push_back(PageFileName(settings.ImagePagesName, n, settings.WebSiteExtension));
  }

  planned_.resize(static_cast<size_t>(std::max(0, last + 1)));
  for (int position = 0; position <= last; ++position) {
    const KM_ListElement& entry = list.Entry(position);
    Planned& plan = planned_[static_cast<size_t>(position)];
    const std::optional<SourceStamp> stamp = ReadSourceStamp(entry.FullPath);
    const std::vector<std::string> names = OutputNames(entry);
    bool* chosen[kRoles] = {&plan.selection.big, &plan.selection.thumb, &plan.selection.normal};
    constexpr OutputRole kRoleOf[kRoles] = {OutputRole::kBig, OutputRole::kThumb,
                                            OutputRole::kNormal};
    for (size_t role = 0; role < kRoles; ++role) {
      if (names[role].empty()) continue;  // not made under these settings
      plan.recipes[role] = stamp ? OutputRecipe(settings, entry, *stamp, kRoleOf[role]) : 0;
      bool up_to_date = false;
      if (only_redo_changed && plan.recipes[role] != 0) {
        const RecordedFile* recorded = old_.Find(names[role]);
        up_to_date = recorded != nullptr && !recorded->page &&
                     recorded->recipe == plan.recipes[role] &&
                     FileSize(folder_ + names[role]) == recorded->size;
      }
      *chosen[role] = !up_to_date;
    }
  }

  // What the record names beyond this gallery's files; never an input picture of the run.
  std::unordered_set<std::string> current(pages_.begin(), pages_.end());
  for (int position = 0; position < count; ++position) {
    for (const std::string& name : OutputNames(list.Entry(position))) {
      if (!name.empty()) current.insert(name);
    }
  }
  if (SameFolder(settings.InputPath, settings.OutputPath)) {
    for (int position = 0; position < count; ++position) {
      current.insert(list.Entry(position).FileName);
    }
  }
  std::unordered_set<std::string> seen;
  for (const RecordedFile& file : old_.files) {
    if (current.count(file.name) == 0 && seen.insert(file.name).second) {
      leftovers_.push_back(file);
    }
  }
}

std::vector<std::string> RecordKeeper::OutputNames(const KM_ListElement& entry) const {
  return {settings_.CopyOrgSizedImages ? entry.BigName : std::string(), entry.ThumbName,
          entry.NormalName};
}

OutputSelection RecordKeeper::Selection(int position) const {
  return planned_.at(static_cast<size_t>(position)).selection;
}

bool RecordKeeper::AnySelected() const {
  for (const Planned& plan : planned_) {
    if (plan.selection.Any()) return true;
  }
  return false;
}

std::vector<std::string> RecordKeeper::Leftovers() const {
  std::vector<std::string> names;
  for (const RecordedFile& file : leftovers_) names.push_back(file.name);
  return names;
}

std::vector<std::string> RecordKeeper::PruneLeftovers() {
  std::vector<std::string> failed;
  std::vector<RecordedFile> kept;
  for (const RecordedFile& file : leftovers_) {
    const std::string path = folder_ + file.name;
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) continue;  // gone already
    // Only files and links were ever written; anything else is not this program's.
    if (!S_ISREG(status.st_mode) && !S_ISLNK(status.st_mode)) continue;
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
      failed.push_back(file.name);
      kept.push_back(file);
    }
  }
  leftovers_ = std::move(kept);
  return failed;
}

void RecordKeeper::Attempted(int position) {
  planned_.at(static_cast<size_t>(position)).attempted = true;
}

void RecordKeeper::Exported(int position) {
  planned_.at(static_cast<size_t>(position)).made = true;
}

BuildRecord RecordKeeper::Compose(bool finished) const {
  BuildRecord record;
  for (const std::string& page : pages_) record.files.push_back({page, true, 0, 0});
  for (int position = 0; position < list_.Count(); ++position) {
    const std::vector<std::string> names = OutputNames(list_.Entry(position));
    const Planned* plan = position <= last_ ? &planned_[static_cast<size_t>(position)] : nullptr;
    const bool selected[kRoles] = {plan && plan->selection.big, plan && plan->selection.thumb,
                                   plan && plan->selection.normal};
    for (size_t role = 0; role < kRoles; ++role) {
      const std::string& name = names[role];
      if (name.empty()) continue;
      const RecordedFile* recorded = old_.Find(name);
      if (recorded && recorded->page) recorded = nullptr;
      const bool touched = selected[role] && (!finished || plan->attempted);
      if (!touched) {
        if (recorded) record.files.push_back(*recorded);
        continue;
      }
      RecordedFile file{name, false, 0, 0};
      if (finished && plan->made && plan->recipes[role] != 0) {
        if (const std::optional<uint64_t> size = FileSize(folder_ + name)) {
          file.size = *size;
          file.recipe = plan->recipes[role];
        }
      }
      record.files.push_back(file);
    }
  }
  record.files.insert(record.files.end(), leftovers_.begin(), leftovers_.end());
  return record;
}

void RecordKeeper::WriteBeforeExport() {
  if (!AnySelected()) return;
  WriteBuildRecord(settings_.OutputPath, Compose(false));
}

void RecordKeeper::WriteAfterExport() {
  WriteBuildRecord(settings_.OutputPath, Compose(true));
}

}  // namespace kelmora
