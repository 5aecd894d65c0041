#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kelmora {

// Opens a file for reading only when it is a regular file (or a link to one): opening a
// FIFO would wait for a writer that may never come. Returns the descriptor; raises
// EFileError naming the path otherwise.
int OpenRegularFile(const std::string& path);

// Reads pieces of a regular file by position.
class RegularFileReader {
 public:
  explicit RegularFileReader(const std::string& path);
  ~RegularFileReader();
  RegularFileReader(const RegularFileReader&) = delete;
  RegularFileReader& operator=(const RegularFileReader&) = delete;

  // Up to length bytes from offset; fewer at the end of the file. Raises EFileError on a
  // read error.
  std::vector<uint8_t> ReadAt(uint64_t offset, size_t length) const;

 private:
  std::string path_;
  int fd_ = -1;
};

}  // namespace kelmora
