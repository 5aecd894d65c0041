#include "shell/image_pipeline.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace kelmora {
namespace {

// A result that tells which item it came from.
PreparedExport Marked(int item) {
  PreparedExport result;
  result.width = item;
  result.files.push_back({"item" + std::to_string(item), {}, false});
  return result;
}

struct PipelineCase {
  const char* name;
  int threads;
  int items;
  uint64_t budget;
  std::vector<std::optional<uint64_t>> costs;  // by item modulo its size; empty: 0 each
  int most_at_once;                            // the most items ever prepared together
};

class ImagePipelineTest : public testing::TestWithParam<PipelineCase> {};

TEST_P(ImagePipelineTest, HandsOutEveryItemInOrderWithinItsBudget) {
  const PipelineCase& c = GetParam();
  std::atomic<int> running{0};
  std::atomic<int> most{0};
  std::vector<std::atomic<int>> prepared(static_cast<size_t>(c.items));
  ImagePipeline pipeline(
      c.items, {.thread_count = c.threads, .memory_budget = c.budget},
      [&](int item, ExportWorkspace&) {
        const int now = ++running;
        for (int seen = most.load(); now > seen && !most.compare_exchange_weak(seen, now);) {
        }
        // Uneven work, so that later items often finish first.
        std::this_thread::sleep_for(std::chrono::microseconds((item * 7919) % 5 * 300));
        ++prepared[static_cast<size_t>(item)];
        --running;
        if (item % 5 == 3) throw std::runtime_error("broken " + std::to_string(item));
        return Marked(item);
      },
      [&](int item) -> std::optional<uint64_t> {
        if (c.costs.empty()) return 0;
        return c.costs[static_cast<size_t>(item) % c.costs.size()];
      });
  for (int item = 0; item < c.items; ++item) {
    PreparedExport result = pipeline.TakeNext();
    if (item % 5 == 3) {
      ASSERT_TRUE(result.error) << item;
      try {
        std::rethrow_exception(result.error);
      } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "broken " + std::to_string(item));
      }
    } else {
      ASSERT_FALSE(result.error) << item;
      EXPECT_EQ(result.width, item);
    }
  }
  for (int item = 0; item < c.items; ++item) {
    EXPECT_EQ(prepared[static_cast<size_t>(item)].load(), 1) << "item " << item;
  }
  EXPECT_LE(most.load(), c.most_at_once);
  EXPECT_LE(pipeline.PeakEstimatedBytes(), std::max<uint64_t>(c.budget, 1000));
  EXPECT_EQ(pipeline.TakeNext().error != nullptr, true);  // nothing left
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ImagePipelineTest,
    testing::Values(PipelineCase{"OneThreadPreparesOnTheCaller", 1, 12, 100, {}, 1},
                    PipelineCase{"TwoThreads", 2, 40, 100, {}, 2},
                    PipelineCase{"FourThreads", 4, 40, 100, {}, 4},
                    PipelineCase{"MoreThreadsThanItems", 8, 3, 100, {}, 3},
                    // Two items of 40 fit a budget of 100, three do not.
                    PipelineCase{"BudgetAllowsTwo", 4, 30, 100, {40}, 2},
                    // An item beyond the budget, or of unknown size, is prepared alone.
                    PipelineCase{"BigItemsAlone", 4, 30, 100, {1000}, 1},
                    PipelineCase{"UnknownSizeAlone", 4, 30, 100, {std::nullopt}, 1},
                    PipelineCase{"NoItems", 2, 0, 100, {}, 0}),
    [](const testing::TestParamInfo<PipelineCase>& param) {
      return std::string(param.param.name);
    });

TEST(ImagePipelineStop, EndsWithoutPreparingEverythingWhenLeftEarly) {
  std::atomic<int> prepared{0};
  {
    ImagePipeline pipeline(
        1000, {.thread_count = 2},
        [&](int item, ExportWorkspace&) {
          ++prepared;
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
          return Marked(item);
        },
        nullptr);
    EXPECT_EQ(pipeline.TakeNext().width, 0);
    EXPECT_EQ(pipeline.TakeNext().width, 1);
  }
  // Only the items within reach of the taker were started.
  EXPECT_LE(prepared.load(), 2 + 3);
}

}  // namespace
}  // namespace kelmora
