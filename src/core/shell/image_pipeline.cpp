#include "shell/image_pipeline.h"

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <system_error>
#include <utility>

namespace kelmora {

ImagePipeline::ImagePipeline(int items, const Options& options, PrepareFunction prepare,
                             CostFunction cost)
    : items_(std::max(0, items)),
      budget_(options.memory_budget),
      prepare_(std::move(prepare)),
      cost_(std::move(cost)),
      results_(static_cast<size_t>(items_)) {
  int threads = options.thread_count;
  if (threads <= 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  threads = std::min(threads, items_);
  if (threads <= 1) return;  // the calling thread prepares every picture, split by the resampler
  window_ = threads + 1;
  threads_.reserve(static_cast<size_t>(threads));
  for (int i = 0; i < threads; ++i) {
    try {
      threads_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      break;  // fewer threads, or none: TakeNext prepares what no thread takes
    }
  }
}

ImagePipeline::~ImagePipeline() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

uint64_t ImagePipeline::PeakEstimatedBytes() const {
  std::lock_guard lock(mutex_);
  return peak_bytes_;
}

PreparedExport ImagePipeline::PrepareCaught(int item, ExportWorkspace& workspace) const {
  try {
    return prepare_(item, workspace);
  } catch (...) {
    PreparedExport failed;
    failed.error = std::current_exception();
    return failed;
  }
}

void ImagePipeline::Work() {
  ExportWorkspace workspace;
  // The cores are taken by the pictures; splitting each one again would only add threads.
  workspace.resample.thread_count = 1;
  for (;;) {
    int item = 0;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock,
                    [&] { return stop_ || next_claim_ < std::min(items_, taken_ + window_); });
      if (stop_) return;
      item = next_claim_++;
    }
    std::optional<uint64_t> cost;
    try {
      cost = cost_ ? cost_(item) : std::optional<uint64_t>(0);
    } catch (...) {
      cost.reset();
    }
    const uint64_t bytes = cost ? *cost : budget_;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(
          lock, [&] { return stop_ || in_flight_ == 0 || in_flight_bytes_ + bytes <= budget_; });
      if (stop_) return;
      ++in_flight_;
      in_flight_bytes_ += bytes;
      peak_bytes_ = std::max(peak_bytes_, in_flight_bytes_);
    }
    PreparedExport result = PrepareCaught(item, workspace);
    {
      std::lock_guard lock(mutex_);
      --in_flight_;
      in_flight_bytes_ -= bytes;
      results_[static_cast<size_t>(item)] = std::move(result);
    }
    changed_.notify_all();
  }
}

PreparedExport ImagePipeline::TakeNext() {
  std::unique_lock lock(mutex_);
  const int item = taken_;
  if (item >= items_) {
    PreparedExport none;
    none.error = std::make_exception_ptr(std::out_of_range("No picture left to take"));
    return none;
  }
  if (threads_.empty()) {
    ++taken_;
    ++next_claim_;
    lock.unlock();
    return PrepareCaught(item, own_workspace_);
  }
  changed_.wait(lock, [&] { return results_[static_cast<size_t>(item)].has_value(); });
  PreparedExport result = std::move(*results_[static_cast<size_t>(item)]);
  results_[static_cast<size_t>(item)].reset();
  ++taken_;
  lock.unlock();
  changed_.notify_all();
  return result;
}

}  // namespace kelmora
