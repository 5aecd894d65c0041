#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "e2e/child_process.h"
#include "imaging/bitmap.h"
#include "imaging/jpeg_image.h"
#include "imaging/tiff_file.h"
#include "support/pictures.h"
#include "support/test_support.h"

// What the end-to-end tests of kelmora-cli share: the program, settings files made from the
// shipped defaults, pictures, and a fixture with an input and an output folder.
namespace kelmora::test {

namespace fs = std::filesystem;

inline std::string Cli() {
  return (test::BinDir() / "kelmora-cli").string();
}

// The default settings of the program folder with some values replaced, one "Key=value"
// each.
inline std::string SettingsText(const std::vector<std::string>& changes) {
  std::string text = test::ReadText(test::BinDir() / "default.km2");
  for (const std::string& change : changes) {
    const std::string key = change.substr(0, change.find('=') + 1);
    const size_t at = text.find("\n" + key);
    if (at == std::string::npos) throw std::runtime_error("no key " + key);
    const size_t end = text.find('\r', at + 1);
    text.replace(at + 1, end - at - 1, change);
  }
  return text;
}

struct Size {
  int32_t width, height;
  bool operator==(const Size&) const = default;
};

inline Size JpegFileSize(const fs::path& path) {
  TJPEGImage jpeg;
  jpeg.LoadFromFile(path.string());
  return {jpeg.Width(), jpeg.Height()};
}

inline Size SourceSize(const fs::path& path) {
  if (path.extension() == ".tiff") {
    TTIFFFile tiff;
    tiff.LoadFromFile(path.string());
    return {tiff.Bitmap().Width(), tiff.Bitmap().Height()};
  }
  return JpegFileSize(path);
}

inline int CountFiles(const fs::path& folder, const std::string& prefix) {
  if (!fs::is_directory(folder)) return 0;
  return static_cast<int>(
      std::count_if(fs::directory_iterator(folder), {}, [&](const fs::directory_entry& item) {
        return item.path().filename().string().rfind(prefix, 0) == 0;
      }));
}

class CliTest : public testing::Test {
 protected:
  CliTest() { fs::create_directory(In()); }

  fs::path In() const { return dir_.Path() / "in"; }
  fs::path Out() const { return dir_.Path() / "out"; }
  std::string Settings(const std::vector<std::string>& changes) const {
    const fs::path path = dir_.Path() / "gallery.km2";
    test::WriteText(path, SettingsText(changes));
    return path.string();
  }
  ChildResult Run(std::vector<std::string> args, const ChildOptions& options = {}) const {
    args.insert(args.begin(), Cli());
    return RunChild(args, options);
  }
  void AddNoisyImages(int count, int32_t width, int32_t height) const {
    for (int i = 1; i <= count; ++i) {
      const std::string name = (i < 10 ? "img0" : "img") + std::to_string(i) + ".jpg";
      WriteGrainyJpeg(In() / name, width, height, static_cast<uint32_t>(i));
    }
  }

  TempDir dir_;
};

}  // namespace kelmora::test
