#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace kelmora {

struct FolderFile {
  std::string Name;  // without folder
  std::time_t modified_time = 0;
};

// The files a folder holds directly: regular files and links to them, sorted byte-wise by
// name so that every run sees the same order. Names beginning with "." count as hidden and
// are left out unless include_hidden is set. A folder that cannot be read gives an empty
// list; an entry that vanishes or cannot be examined while listing is skipped.
std::vector<FolderFile> ListFolderFiles(const std::string& folder, bool include_hidden = false);

}  // namespace kelmora
