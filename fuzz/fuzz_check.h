#pragma once

#include <cstdlib>

namespace kelmora::fuzz {

// A property every input must keep: the fuzzer keeps an input that breaks it as a crasher.
inline void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace kelmora::fuzz
