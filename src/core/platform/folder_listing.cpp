#include "platform/folder_listing.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

namespace kelmora {

std::vector<FolderFile> ListFolderFiles(const std::string& folder, bool include_hidden) {
  namespace fs = std::filesystem;
  std::vector<FolderFile> files;
  std::error_code error;
  fs::directory_iterator it(folder, error);
  if (error) return files;
  for (const fs::directory_iterator end; it != end; it.increment(error)) {
    if (error) break;
    std::string name = it->path().filename().string();
    if (name.empty() || (!include_hidden && name.front() == '.')) continue;
    // stat follows links, so a link counts as the file it points to and a dangling one is
    // skipped.
    struct stat info {};
    if (::stat(it->path().c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    files.push_back({std::move(name), info.st_mtime});
  }
  std::sort(files.begin(), files.end(),
            [](const FolderFile& a, const FolderFile& b) { return a.Name < b.Name; });
  return files;
}

}  // namespace kelmora
