#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "common/errors.h"
#include "platform/atomic_file.h"
#include "platform/regular_file.h"

namespace kelmora {

std::vector<uint8_t> ReadFileHead(const std::string& path, size_t max_bytes) {
  return RegularFile(path).ReadHead(max_bytes);
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  return ReadFileHead(path, static_cast<size_t>(-1));
}

std::string ReadFileText(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

void WriteFileBytes(const std::string& path, const void* data, size_t size) {
  ReplaceFileContent(path, data, size);
}

void WriteFileText(const std::string& path, const std::string& text) {
  WriteFileBytes(path, text.data(), text.size());
}

bool WriteFileAtomically(const std::string& path, const std::string& content) {
  try {
    ReplaceFileContent(path, content.data(), content.size(),
                       {.links = LinkHandling::kWriteToTarget, .sync = true});
    return true;
  } catch (const EFileError&) {
    return false;
  }
}

bool IsExistingFolder(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_directory(path, error);
}

bool IsExistingFile(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_regular_file(path, error);
}

bool CreateFolderWithParents(const std::string& path, std::string* reason) {
  if (path.empty()) {
    if (reason) *reason = std::strerror(ENOENT);
    return false;
  }
  std::error_code error;
  std::filesystem::create_directories(path, error);
  if (IsExistingFolder(path)) return true;
  if (reason) *reason = error ? error.message() : std::strerror(ENOTDIR);
  return false;
}

std::string FolderReadProblem(const std::string& path) {
  DIR* folder = ::opendir(path.c_str());
  if (folder == nullptr) return std::strerror(errno);
  ::closedir(folder);
  return "";
}

void OpenDocument(const std::string& path) {
  const pid_t child = ::fork();
  if (child == 0) {
    // Detach twice so the opener outlives us and never becomes a zombie of ours.
    if (::fork() != 0) ::_exit(0);
    const int null_fd = ::open("/dev/null", O_RDWR);
    if (null_fd >= 0) {
      ::dup2(null_fd, 0);
      ::dup2(null_fd, 1);
      ::dup2(null_fd, 2);
    }
    ::execlp("xdg-open", "xdg-open", path.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  if (child > 0) ::waitpid(child, nullptr, 0);
}

}  // namespace kelmora
