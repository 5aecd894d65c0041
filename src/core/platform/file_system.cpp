#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
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

std::optional<FileFacts> ReadFileFacts(const std::string& path) {
  struct stat facts {};
  if (::stat(path.c_str(), &facts) != 0) return std::nullopt;
  return FileFacts{facts.st_mtime, static_cast<int64_t>(facts.st_size)};
}

std::optional<std::string> ReadProfileFile(const std::string& path, OtherFileKinds other_kinds) {
  if (other_kinds == OtherFileKinds::kAreAbsent) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
      return std::nullopt;
    }
  }
  const std::optional<RegularFile> file = RegularFile::OpenIfExists(path);
  if (!file) return std::nullopt;
  const std::vector<uint8_t> bytes = file->ReadHead(kMaxProfileFileBytes + 1);
  if (bytes.size() > kMaxProfileFileBytes) {
    throw EFileError("Cannot read file", path,
                     "larger than " + std::to_string(kMaxProfileFileBytes) + " bytes");
  }
  return std::string(bytes.begin(), bytes.end());
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  return ReadFileHead(path, static_cast<size_t>(-1));
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

}  // namespace kelmora
