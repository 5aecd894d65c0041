#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kelmora::test {

// tests/data in the source tree.
std::filesystem::path DataDir();
// The bundled camera samples: tests/data/samples.
std::filesystem::path SamplesDir();
// The folder holding the built executables and the program folder's data files.
std::filesystem::path BinDir();

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
void WriteText(const std::filesystem::path& path, const std::string& text);
std::string ReadText(const std::filesystem::path& path);

// What exiftool prints for one file with the given options ("-s3 -GPSLatitude", ...); the
// path is quoted for the shell. Raises when exiftool cannot be started.
std::string ExiftoolOutput(const std::string& options, const std::filesystem::path& file);

// A fresh folder under the system's temporary folder, removed with everything in it when
// the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace kelmora::test
