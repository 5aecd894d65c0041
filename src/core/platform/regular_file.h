#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/byte_source.h"

namespace kelmora {

// A regular file open for reading. Opening never waits: a FIFO, a device or a folder is
// refused before a byte is read, so a pipe named like a picture cannot stall a run.
class RegularFile : public ByteSource {
 public:
  // Raises EFileError naming the path and the reason ("not a regular file" for anything
  // but a regular file).
  explicit RegularFile(const std::string& path);
  // The same, except that a path naming nothing gives nullopt.
  static std::optional<RegularFile> OpenIfExists(const std::string& path);

  ~RegularFile() override;
  RegularFile(RegularFile&& other) noexcept;
  RegularFile& operator=(RegularFile&& other) noexcept;
  RegularFile(const RegularFile&) = delete;
  RegularFile& operator=(const RegularFile&) = delete;

  const std::string& Path() const { return path_; }
  // The size when the file was opened.
  uint64_t Size() const override { return size_; }
  size_t ReadAt(uint64_t offset, std::span<uint8_t> out) const override;
  // At most max_bytes from the start; reads on past Size() if the file has grown.
  std::vector<uint8_t> ReadHead(size_t max_bytes) const;

 private:
  RegularFile() = default;
  // 0 on success, else the errno of the failure; kNotRegular for a file of another kind.
  int Open(const std::string& path);

  std::string path_;
  int fd_ = -1;
  uint64_t size_ = 0;
};

}  // namespace kelmora
