#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace kelmora::test {

// text as a test name: letters and digits kept, every run of anything else one '_'.
std::string TestNameOf(std::string_view text);

// Names a parameterised case after its `name` member, so the test list shows what each case
// is rather than its index or its bytes.
struct NameOfCase {
  template <typename Case>
  std::string operator()(const testing::TestParamInfo<Case>& info) const {
    return TestNameOf(info.param.name);
  }
};

}  // namespace kelmora::test
