#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "gallery/prepared_export.h"

namespace kelmora {

// Prepares the exports of a run on several threads, each thread working on a picture of its
// own from start to end (decode, scale, encode), and hands the results out strictly in
// order. Whatever the number of threads, every result is the same: it depends only on its
// item. Memory is bounded: a picture starts only when the estimated memory of the pictures
// in preparation stays within the budget, or when it would be the only one; and no thread
// runs further ahead of the taker than one item per thread.
class ImagePipeline {
 public:
  struct Options {
    // 0: one thread per core. 1: every picture is prepared by Take on the calling thread,
    // and the resampler splits each picture across the cores instead.
    int thread_count = 0;
    uint64_t memory_budget = uint64_t{256} << 20;
  };
  // Prepares item `item` with the thread's own working memory.
  using PrepareFunction = std::function<PreparedExport(int item, ExportWorkspace& workspace)>;
  // The bytes preparing `item` will hold; nullopt when unknown, and the picture is then
  // prepared while no other one is.
  using CostFunction = std::function<std::optional<uint64_t>(int item)>;

  ImagePipeline(int items, const Options& options, PrepareFunction prepare, CostFunction cost);
  // Hands out no more work and waits for the pictures in preparation.
  ~ImagePipeline();
  ImagePipeline(const ImagePipeline&) = delete;
  ImagePipeline& operator=(const ImagePipeline&) = delete;

  // The prepared export of the next item in order (0, 1, 2, ...); waits for it.
  PreparedExport TakeNext();

  // Threads working; 0 when Take prepares every item itself.
  int ThreadCount() const { return static_cast<int>(threads_.size()); }
  // The most memory the pictures in preparation were estimated to hold at one time.
  uint64_t PeakEstimatedBytes() const;

 private:
  void Work();
  PreparedExport PrepareCaught(int item, ExportWorkspace& workspace) const;

  const int items_;
  const uint64_t budget_;
  int window_ = 1;
  PrepareFunction prepare_;
  CostFunction cost_;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool stop_ = false;
  int next_claim_ = 0;
  int taken_ = 0;
  int in_flight_ = 0;
  uint64_t in_flight_bytes_ = 0;
  uint64_t peak_bytes_ = 0;
  std::vector<std::optional<PreparedExport>> results_;

  ExportWorkspace own_workspace_;  // for preparing on the calling thread
  std::vector<std::thread> threads_;
};

}  // namespace kelmora
