#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace kelmora {

// A regular file open for reading. Opening never waits: a FIFO, a device or a folder is
// refused before a byte is read, so a pipe named like a picture cannot stall a run.
class RegularFile {
 public:
  // Raises EFileError naming the path and the reason ("not a regular file" for anything
  // but a regular file).
  explicit RegularFile(const std::string& path);
  ~RegularFile();
  RegularFile(const RegularFile&) = delete;
  RegularFile& operator=(const RegularFile&) = delete;

  const std::string& Path() const { return path_; }
  // The size when the file was opened.
  uint64_t Size() const { return size_; }
  // Copies up to out.size() bytes from offset into out and returns how many; fewer only at
  // the end of the file. A file that cannot be read raises EFileError.
  size_t ReadAt(uint64_t offset, std::span<uint8_t> out) const;

 private:
  std::string path_;
  int fd_ = -1;
  uint64_t size_ = 0;
};

}  // namespace kelmora
