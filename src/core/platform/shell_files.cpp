#include "platform/shell_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <utility>
#include <vector>

#include "common/errors.h"
#include "platform/atomic_file.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

bool HasWildcard(const std::string& pattern) {
  return pattern.find_first_of("*?") != std::string::npos;
}

struct MaskItems {
  bool found = false;  // the mask's folder could be read, or its single item exists
  bool wildcard = false;
  fs::path Folder;
  std::vector<fs::path> items;
};

MaskItems ResolveMask(const std::string& mask) {
  MaskItems result;
  const size_t slash = mask.rfind('/');
  const std::string pattern = slash == std::string::npos ? mask : mask.substr(slash + 1);
  std::error_code error;
  if (!HasWildcard(pattern)) {
    if (mask.empty() || !fs::exists(fs::symlink_status(mask, error))) return result;
    result.items.emplace_back(mask);
    result.found = true;
    return result;
  }
  result.wildcard = true;
  result.Folder = slash == std::string::npos ? fs::path(".")
                  : slash == 0               ? fs::path("/")
                                             : fs::path(mask.substr(0, slash));
  fs::directory_iterator it(result.Folder, error);
  if (error) return result;
  for (const fs::directory_iterator end; it != end; it.increment(error)) {
    if (error) return result;
    if (MatchesMask(it->path().filename().string(), pattern)) result.items.push_back(it->path());
  }
  result.found = true;
  return result;
}

bool IsRootFolder(const fs::path& path) {
  std::error_code error;
  const fs::path full = fs::weakly_canonical(path, error);
  return error || full == full.root_path();
}

// True when inner is outer or lies somewhere below it.
bool IsSameOrInside(const fs::path& inner, const fs::path& outer) {
  std::error_code error;
  const fs::path a = fs::weakly_canonical(inner, error);
  if (error) return true;
  const fs::path b = fs::weakly_canonical(outer, error);
  if (error) return true;
  const fs::path relative = a.lexically_relative(b);
  return !relative.empty() && *relative.begin() != "..";
}

// A name in folder that is not taken yet: "name (2).ext", "name (3).ext", ...
fs::path FreeName(const fs::path& folder, const fs::path& name, bool is_folder) {
  const std::string stem = is_folder ? name.string() : name.stem().string();
  const std::string extension = is_folder ? std::string() : name.extension().string();
  for (int n = 2;; ++n) {
    fs::path candidate = folder / (stem + " (" + std::to_string(n) + ")" + extension);
    std::error_code error;
    if (!fs::exists(fs::symlink_status(candidate, error))) return candidate;
  }
}

// Whether two regular files hold the same bytes; false when either cannot be read.
bool SameBytes(const fs::path& a, const fs::path& b) {
  std::error_code error;
  const auto size = fs::file_size(a, error);
  if (error || !fs::is_regular_file(fs::symlink_status(b, error)) || error ||
      fs::file_size(b, error) != size || error) {
    return false;
  }
  std::ifstream first(a, std::ios::binary);
  std::ifstream second(b, std::ios::binary);
  std::vector<char> one(size_t{1} << 16);
  std::vector<char> two(one.size());
  while (first && second) {
    first.read(one.data(), static_cast<std::streamsize>(one.size()));
    second.read(two.data(), static_cast<std::streamsize>(two.size()));
    if (first.gcount() != second.gcount() ||
        !std::equal(one.begin(), one.begin() + first.gcount(), two.begin())) {
      return false;
    }
  }
  return first.eof() && second.eof();
}

class Copier {
 public:
  explicit Copier(bool keep_identical) : keep_identical_(keep_identical) {}

  // Copies source to target, replacing files and merging folders; false when anything
  // could not be copied (the rest is still copied).
  bool Copy(const fs::path& source, const fs::path& target) {
    struct stat info {};
    if (::stat(source.c_str(), &info) != 0) return false;
    if (S_ISREG(info.st_mode)) {
      std::error_code error;
      // A file is not its own copy; a link to it in the target is replaced below.
      if (!fs::is_symlink(fs::symlink_status(target, error)) &&
          fs::equivalent(source, target, error)) {
        return false;
      }
      if (keep_identical_ && SameBytes(source, target)) return true;
      // Whole or not at all, and a link in the target is replaced, never written through.
      try {
        CopyFileReplacing(source.string(), target.string());
        return true;
      } catch (const EFileError&) {
        return false;
      }
    }
    if (!S_ISDIR(info.st_mode)) return false;  // devices, pipes and sockets hold no content
    // A link back up the tree would otherwise be followed for ever.
    const std::pair<dev_t, ino_t> id{info.st_dev, info.st_ino};
    if (!open_folders_.insert(id).second) return false;
    bool ok = CopyFolder(source, target);
    open_folders_.erase(id);
    return ok;
  }

 private:
  bool CopyFolder(const fs::path& source, const fs::path& target) {
    std::error_code error;
    // A link in the target is replaced by a folder of its own: merging into what it names
    // would write outside the destination.
    if (fs::is_symlink(fs::symlink_status(target, error))) fs::remove(target, error);
    if (!fs::is_directory(fs::symlink_status(target, error)) &&
        !fs::create_directory(target, error)) {
      return false;
    }
    fs::directory_iterator it(source, error);
    if (error) return false;
    bool ok = true;
    for (const fs::directory_iterator end; it != end; it.increment(error)) {
      if (error) return false;
      ok = Copy(it->path(), target / it->path().filename()) && ok;
    }
    return ok;
  }

  const bool keep_identical_;
  std::set<std::pair<dev_t, ino_t>> open_folders_;
};

}  // namespace

bool MatchesMask(const std::string& name, const std::string& pattern) {
  if (pattern == "*.*") return true;
  // Greedy matching with one back-tracking point: the last "*" seen.
  size_t n = 0;
  size_t p = 0;
  size_t star = std::string::npos;
  size_t star_n = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      star_n = n;
    } else if (star != std::string::npos) {
      p = star + 1;
      n = ++star_n;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool ShellDeleteFiles(const std::string& mask) {
  const MaskItems matched = ResolveMask(mask);
  if (!matched.found) return false;
  if (matched.wildcard && !matched.items.empty() && IsRootFolder(matched.Folder)) return false;
  bool ok = true;
  for (const fs::path& item : matched.items) {
    if (IsRootFolder(item)) {
      ok = false;
      continue;
    }
    std::error_code error;
    fs::remove_all(item, error);
    ok = ok && !error;
  }
  return ok;
}

bool ShellCopyFiles(const std::string& source_mask, const std::string& destination,
                    bool rename_on_collision, bool keep_identical) {
  if (destination.empty()) return false;
  const MaskItems matched = ResolveMask(source_mask);
  if (!matched.found) return false;
  std::error_code error;
  if (!fs::is_directory(destination, error) && !fs::create_directories(destination, error)) {
    return false;
  }
  bool ok = true;
  Copier copier(keep_identical);
  for (const fs::path& item : matched.items) {
    fs::path target = fs::path(destination) / item.filename();
    const bool is_folder = fs::is_directory(item, error);
    if (is_folder && IsSameOrInside(destination, item)) {
      ok = false;
      continue;
    }
    if (rename_on_collision && fs::exists(fs::symlink_status(target, error))) {
      target = FreeName(destination, item.filename(), is_folder);
    }
    ok = copier.Copy(item, target) && ok;
  }
  return ok;
}

}  // namespace kelmora
