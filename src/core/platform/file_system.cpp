#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "common/errors.h"
#include "platform/atomic_file.h"

namespace kelmora {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const {
    if (file) std::fclose(file);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

FilePtr OpenOrThrow(const std::string& path, const char* mode, const char* action) {
  FilePtr file(std::fopen(path.c_str(), mode));
  if (!file) ThrowFileError(action, path, errno);
  return file;
}

}  // namespace

std::vector<uint8_t> ReadFileHead(const std::string& path, size_t max_bytes) {
  FilePtr file = OpenOrThrow(path, "rb", "Cannot open file");
  std::vector<uint8_t> bytes;
  // One read into a buffer of the file's size; a file that grows meanwhile is read on.
  struct stat info {};
  if (::fstat(::fileno(file.get()), &info) == 0 && info.st_size > 0) {
    bytes.resize(std::min(static_cast<size_t>(info.st_size), max_bytes));
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
  }
  uint8_t buffer[65536];
  while (bytes.size() < max_bytes) {
    const size_t want = std::min(sizeof buffer, max_bytes - bytes.size());
    const size_t got = std::fread(buffer, 1, want, file.get());
    bytes.insert(bytes.end(), buffer, buffer + got);
    if (got < want) break;
  }
  if (std::ferror(file.get())) ThrowFileError("Cannot read file", path, errno);
  return bytes;
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

bool CreateFolderWithParents(const std::string& path) {
  if (path.empty()) return false;
  std::error_code error;
  std::filesystem::create_directories(path, error);
  return IsExistingFolder(path);
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
