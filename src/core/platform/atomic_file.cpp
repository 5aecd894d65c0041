#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>
#include <vector>

#include "common/errors.h"
#include "platform/regular_file.h"

namespace kelmora {
namespace {

// Large enough to keep the disk busy, small enough never to matter for memory.
constexpr size_t kCopyChunkBytes = size_t{1} << 20;
constexpr int kTemporaryNameAttempts = 100;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A short random name: the folder's own limit on name length is never the problem, however
// long the name of the file being replaced.
std::string TemporaryName() {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 random{std::random_device{}() ^
                                      (static_cast<uint64_t>(::getpid()) << 32)};
  std::string name = ".km-";
  for (int i = 0; i < 8; ++i) name.push_back(kLetters[random() % (sizeof kLetters - 1)]);
  return name;
}

// The file being built. It disappears unless Commit renames it into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& target) : target_(target) {
    const std::string folder = FolderOf(target);
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
      path_ = folder + TemporaryName();
      // 0666 lets the umask decide the permissions of a new file, as for any other.
      fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd_ >= 0 || errno != EEXIST) break;
    }
    if (fd_ < 0) ThrowFileError("Cannot create file", target_, errno);
  }
  ~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  void Write(const void* data, size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
      const ssize_t n = ::write(fd_, bytes, size);
      if (n < 0) {
        if (errno == EINTR) continue;
        ThrowFileError("Cannot write file", target_, errno);
      }
      bytes += n;
      size -= static_cast<size_t>(n);
    }
  }

  // Takes over the permissions, owner and group of the file being replaced.
  void TakeAttributesOf(const struct stat& old) {
    // Only the owner may change the owner; the group may still be one the process is in.
    if (::fchown(fd_, old.st_uid, old.st_gid) != 0) {
      [[maybe_unused]] const int ignored = ::fchown(fd_, static_cast<uid_t>(-1), old.st_gid);
    }
    // After fchown, which may clear the set-id bits.
    if (::fchmod(fd_, old.st_mode & 07777) != 0) {
      ThrowFileError("Cannot write file", target_, errno);
    }
  }

  void Commit(const std::string& final_path, bool sync) {
    if (sync && ::fsync(fd_) != 0) ThrowFileError("Cannot write file", target_, errno);
    const int fd = fd_;
    fd_ = -1;
    // A delayed write error (a full disk on a network file system) shows here.
    if (::close(fd) != 0) ThrowFileError("Cannot write file", target_, errno);
    if (std::rename(path_.c_str(), final_path.c_str()) != 0) {
      ThrowFileError("Cannot write file", target_, errno);
    }
    committed_ = true;
  }

 private:
  std::string target_;
  std::string path_;
  int fd_ = -1;
  bool committed_ = false;
};

// A file that nobody may write counts as write-protected even for a process that could
// write it anyway (root), as a read-only file would on any desktop.
bool IsWriteProtected(const std::string& path, const struct stat& info) {
  return (info.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0;
}

// Where the content goes, and the file it replaces: has_old is false for a new file and for
// a link that is itself replaced.
struct Destination {
  std::string path;
  bool has_old = false;
  struct stat old {};
};

Destination ResolveDestination(const std::string& requested, LinkHandling links) {
  Destination destination{requested};
  struct stat info {};
  if (::lstat(requested.c_str(), &info) != 0) return destination;
  if (S_ISLNK(info.st_mode)) {
    if (links == LinkHandling::kReplaceLink) return destination;
    std::error_code error;
    destination.path = std::filesystem::weakly_canonical(requested, error).string();
    if (error) throw EFileError("Cannot write file", requested, error.message());
    if (::lstat(destination.path.c_str(), &info) != 0) return destination;
  }
  if (S_ISDIR(info.st_mode)) ThrowFileError("Cannot write file", requested, EISDIR);
  if (!S_ISREG(info.st_mode)) return destination;
  if (IsWriteProtected(destination.path, info)) {
    ThrowFileError("Cannot write file", requested, EACCES);
  }
  destination.has_old = true;
  destination.old = info;
  return destination;
}

}  // namespace

void ReplaceFileContent(const std::string& path, const void* data, size_t size,
                        const ReplaceOptions& options) {
  const Destination destination = ResolveDestination(path, options.links);
  TemporaryFile file(destination.path);
  file.Write(data, size);
  if (destination.has_old) file.TakeAttributesOf(destination.old);
  file.Commit(destination.path, options.sync);
}

void CopyFileReplacing(const std::string& from, const std::string& to,
                       std::span<const uint8_t> new_head) {
  const RegularFile source(from);
  const Destination destination = ResolveDestination(to, LinkHandling::kReplaceLink);
  TemporaryFile file(destination.path);
  if (!new_head.empty()) file.Write(new_head.data(), new_head.size());
  std::vector<uint8_t> buffer(kCopyChunkBytes);
  for (uint64_t offset = new_head.size();;) {
    const size_t got = source.ReadAt(offset, buffer);
    if (got == 0) break;
    file.Write(buffer.data(), got);
    offset += got;
  }
  if (destination.has_old) file.TakeAttributesOf(destination.old);
  file.Commit(destination.path, false);
}

}  // namespace kelmora
