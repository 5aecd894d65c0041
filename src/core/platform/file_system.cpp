#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "common/errors.h"

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

void WriteFileBytes(const std::string& path, const void* data, size_t size) {
  FilePtr file = OpenOrThrow(path, "wb", "Cannot create file");
  if (size > 0 && std::fwrite(data, 1, size, file.get()) != size) {
    ThrowFileError("Cannot write file", path, errno);
  }
  if (std::fclose(file.release()) != 0) ThrowFileError("Cannot write file", path, errno);
}

void WriteFileText(const std::string& path, const std::string& text) {
  WriteFileBytes(path, text.data(), text.size());
}

bool WriteFileAtomically(const std::string& requested_path, const std::string& content) {
  // A link keeps pointing at the file it named: the new content replaces the link's target.
  std::string path = requested_path;
  std::error_code link_error;
  if (std::filesystem::is_symlink(requested_path, link_error)) {
    const auto target = std::filesystem::weakly_canonical(requested_path, link_error);
    if (link_error) return false;
    path = target.string();
  }
  std::string pattern = path + ".XXXXXX";
  const int fd = mkstemp(pattern.data());
  if (fd < 0) return false;
  bool ok = true;
  size_t done = 0;
  while (ok && done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
    } else {
      done += static_cast<size_t>(n);
    }
  }
  // Keep the permissions of the file being replaced; a new file gets the usual 0666 & umask.
  struct stat old_stat {};
  if (ok && ::stat(path.c_str(), &old_stat) == 0) {
    ok = ::fchmod(fd, old_stat.st_mode & 07777) == 0;
  } else if (ok) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ok = ::fchmod(fd, 0666 & ~mask) == 0;
  }
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  if (ok) ok = std::rename(pattern.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(pattern.c_str());
  return ok;
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

}  // namespace kelmora
