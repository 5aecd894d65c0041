#include "platform/program_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <system_error>

#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "platform/shell_files.h"

namespace kelmora {
namespace {

std::string WithSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder.push_back('/');
  return folder;
}

// Folders compare by their lexical form, so "a/b/../c/" and "a/c" are one folder.
std::string Normalised(const std::string& folder) {
  return WithSeparator(std::filesystem::path(folder).lexically_normal().string());
}

bool IsAbsolute(const char* path) {
  return path != nullptr && path[0] == '/';
}

std::string AccountHome() {
  const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(suggested > 0 ? static_cast<size_t>(suggested) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
      found == nullptr || found->pw_dir == nullptr) {
    return "";
  }
  return found->pw_dir;
}

}  // namespace

ProgramFolders SingleProgramFolder(const std::string& folder) {
  const std::string with_separator = folder.empty() ? "./" : WithSeparator(folder);
  return ProgramFolders{{with_separator}, with_separator};
}

ProgramFolders InstalledProgramFolders(const std::string& user_folder,
                                       const std::string& shared_folder) {
  ProgramFolders folders;
  if (!user_folder.empty()) {
    folders.write_folder = Normalised(user_folder);
    folders.read_folders.push_back(folders.write_folder);
  }
  if (!shared_folder.empty()) {
    const std::string shared = Normalised(shared_folder);
    if (shared != folders.write_folder) folders.read_folders.push_back(shared);
  }
  return folders;
}

std::string ExecutableFolder() {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || !executable.has_parent_path()) return "";
  return WithSeparator(executable.parent_path().string());
}

std::string UserConfigFolder(std::string_view app_name, const char* xdg_config_home,
                             const char* home, const std::string& account_home) {
  std::string base;
  if (IsAbsolute(xdg_config_home)) {
    base = xdg_config_home;
  } else if (IsAbsolute(home)) {
    base = WithSeparator(home) + ".config";
  } else if (IsAbsolute(account_home.c_str())) {
    base = WithSeparator(account_home) + ".config";
  } else {
    return "";
  }
  return Normalised(WithSeparator(base) + std::string(app_name));
}

std::string UserConfigFolder(std::string_view app_name) {
  const char* home = std::getenv("HOME");
  return UserConfigFolder(app_name, std::getenv("XDG_CONFIG_HOME"), home,
                          IsAbsolute(home) ? std::string() : AccountHome());
}

bool IsPlainFileName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

std::string FindProgramFile(const ProgramFolders& folders, std::string_view name) {
  if (!IsPlainFileName(name)) return "";
  for (const std::string& folder : folders.read_folders) {
    std::string path = folder + std::string(name);
    if (IsExistingFile(path)) return path;
  }
  return "";
}

std::string ProgramFileForWriting(const ProgramFolders& folders, std::string_view name) {
  if (!IsPlainFileName(name) || folders.write_folder.empty()) return "";
  if (!CreateFolderWithParents(folders.write_folder)) return "";
  return folders.write_folder + std::string(name);
}

std::vector<ProgramFile> ListProgramFiles(const ProgramFolders& folders, std::string_view mask) {
  std::map<std::string, std::string> found;  // name -> path, sorted by name
  const std::string pattern(mask);
  for (const std::string& folder : folders.read_folders) {
    for (FolderFile& file : ListFolderFiles(folder)) {
      if (!MatchesMask(file.Name, pattern)) continue;
      std::string path = folder + file.Name;
      found.try_emplace(std::move(file.Name), std::move(path));
    }
  }
  std::vector<ProgramFile> files;
  files.reserve(found.size());
  for (auto& [name, path] : found) files.push_back({name, std::move(path)});
  return files;
}

}  // namespace kelmora
