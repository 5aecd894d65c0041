#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "imaging/bitmap.h"
#include "imaging/jpeg_image.h"

extern char** environ;

namespace kelmora {
namespace {

// A picture with what a camera records: smooth gradients, hard edges, fine texture and
// sensor noise, so that a q90 file carries about as much entropy-coded data as a photo.
TBitmap DetailedPicture(int32_t width, int32_t height) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(PixelFormat::k24Bit);
  bitmap.SetSize(width, height);
  uint32_t noise = 2463534242u;
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = bitmap.ScanLine(y);
    for (int32_t x = 0; x < width; ++x) {
      noise ^= noise << 13;
      noise ^= noise >> 17;
      noise ^= noise << 5;
      const int grain = static_cast<int>(noise % 21) - 10;
      const double u = static_cast<double>(x) / width;
      const double v = static_cast<double>(y) / height;
      const double texture = 40 * std::sin(x * 0.21 + std::sin(y * 0.037) * 6) *
                             std::cos(y * 0.17 + std::sin(x * 0.011) * 4);
      const bool edge = ((x / 173) + (y / 131)) % 3 == 0;
      const int base[3] = {static_cast<int>(90 + 120 * u + texture),
                           static_cast<int>(70 + 110 * v - texture * 0.5 + (edge ? 40 : 0)),
                           static_cast<int>(160 - 100 * u * v + texture * 0.3)};
      for (int c = 0; c < 3; ++c) {
        const int value = base[c] + grain;
        row[3 * x + c] = static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
      }
    }
  }
  return bitmap;
}

struct TwelveMegapixelFile {
  std::vector<uint8_t> bytes;
  std::string path;

  TwelveMegapixelFile() {
    TJPEGImage jpeg;
    jpeg.compression_quality = 90;
    jpeg.Assign(DetailedPicture(4000, 3000));
    bytes = jpeg.SaveToBytes();
    path = (std::filesystem::temp_directory_path() /
            ("kelmora-bench-12mp-" + std::to_string(getpid()) + ".jpg"))
               .string();
    jpeg.SaveToFile(path);
  }
  ~TwelveMegapixelFile() { std::remove(path.c_str()); }
};

const TwelveMegapixelFile& File() {
  static const TwelveMegapixelFile kFile;
  return kFile;
}

void BenchDecodeJpeg12MP(benchmark::State& state) {
  const TwelveMegapixelFile& file = File();
  for (auto _ : state) {
    // From the file, as the image export does it and as djpeg below does.
    TJPEGImage jpeg;
    jpeg.LoadFromFile(file.path);
    TBitmap bitmap;
    jpeg.AssignTo(bitmap);
    benchmark::DoNotOptimize(bitmap.ScanLine(0));
  }
  state.counters["file_MB"] = static_cast<double>(file.bytes.size()) / 1e6;
}
BENCHMARK(BenchDecodeJpeg12MP)->Unit(benchmark::kMillisecond);

// The floor every gallery tool pays: libjpeg-turbo's own command-line decoder on the same
// file. Its time is the processor time the child process used (user + system, a
// millisecond or so of it the process start), so that it compares with the processor time
// of the decode above even on a busy machine.
void BenchDjpegDecode12MP(benchmark::State& state) {
  const TwelveMegapixelFile& file = File();
  std::string program = "djpeg";
  std::string dct = "-dct";
  std::string method = "int";
  std::string outfile = "-outfile";
  std::string null = "/dev/null";
  std::string input = file.path;
  char* argv[] = {program.data(), dct.data(),   method.data(), outfile.data(),
                  null.data(),    input.data(), nullptr};
  for (auto _ : state) {
    pid_t pid = 0;
    if (posix_spawnp(&pid, "djpeg", nullptr, nullptr, argv, environ) != 0) {
      state.SkipWithError("djpeg is not installed (libjpeg-turbo-progs)");
      break;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("djpeg failed");
      break;
    }
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    state.SetIterationTime(seconds(usage.ru_utime) + seconds(usage.ru_stime));
  }
}
BENCHMARK(BenchDjpegDecode12MP)->Unit(benchmark::kMillisecond)->UseManualTime();

void BenchEncodeJpeg800x600(benchmark::State& state) {
  const TBitmap picture = DetailedPicture(800, 600);
  size_t size = 0;
  for (auto _ : state) {
    TJPEGImage jpeg;
    jpeg.compression_quality = 90;
    jpeg.Assign(picture);
    size = jpeg.SaveToBytes().size();
    benchmark::DoNotOptimize(size);
  }
  state.counters["file_kB"] = static_cast<double>(size) / 1e3;
}
BENCHMARK(BenchEncodeJpeg800x600)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelmora

BENCHMARK_MAIN();
