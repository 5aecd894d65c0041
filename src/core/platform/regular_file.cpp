#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "common/errors.h"

namespace kelmora {
namespace {

// No errno value: marks a path that exists but is no regular file.
constexpr int kNotRegular = -1;

[[noreturn]] void ThrowOpenError(const std::string& path, int error) {
  if (error == kNotRegular) throw EFileError("Cannot open file", path, "not a regular file");
  ThrowFileError("Cannot open file", path, error);
}

}  // namespace

int RegularFile::Open(const std::string& path) {
  path_ = path;
  // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return errno;
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    const int error = errno;
    ::close(fd);
    return error;
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(fd);
    return kNotRegular;
  }
  // Regular files ignore the flag; clearing it keeps reads plain all the same.
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  fd_ = fd;
  size_ = static_cast<uint64_t>(info.st_size);
  return 0;
}

RegularFile::RegularFile(const std::string& path) {
  const int error = Open(path);
  if (error != 0) ThrowOpenError(path, error);
}

std::optional<RegularFile> RegularFile::OpenIfExists(const std::string& path) {
  RegularFile file;
  const int error = file.Open(path);
  if (error == ENOENT || error == ENOTDIR) return std::nullopt;
  if (error != 0) ThrowOpenError(path, error);
  return file;
}

RegularFile::~RegularFile() {
  if (fd_ >= 0) ::close(fd_);
}

RegularFile::RegularFile(RegularFile&& other) noexcept
    : path_(std::move(other.path_)),
      fd_(std::exchange(other.fd_, -1)),
      size_(std::exchange(other.size_, 0)) {}

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    path_ = std::move(other.path_);
    fd_ = std::exchange(other.fd_, -1);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

size_t RegularFile::ReadAt(uint64_t offset, std::span<uint8_t> out) const {
  size_t done = 0;
  while (done < out.size()) {
    const ssize_t got =
        ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      ThrowFileError("Cannot read file", path_, errno);
    }
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return done;
}

std::vector<uint8_t> RegularFile::ReadHead(size_t max_bytes) const {
  std::vector<uint8_t> bytes(static_cast<size_t>(std::min<uint64_t>(size_, max_bytes)));
  bytes.resize(ReadAt(0, bytes));
  // A file that grew since it was opened is read on, a piece at a time.
  constexpr size_t kPiece = size_t{1} << 16;
  bool more = bytes.size() == size_;
  while (more && bytes.size() < max_bytes) {
    const size_t have = bytes.size();
    const size_t want = std::min(kPiece, max_bytes - have);
    bytes.resize(have + want);
    const size_t got = ReadAt(have, std::span<uint8_t>(bytes).subspan(have));
    bytes.resize(have + got);
    more = got == want;
  }
  return bytes;
}

}  // namespace kelmora
