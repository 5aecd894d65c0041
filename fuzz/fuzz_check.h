#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace kelmora::fuzz {

// A property every input must keep: the fuzzer keeps an input that breaks it as a crasher.
inline void Check(bool condition) {
  if (!condition) std::abort();
}

// Text files (settings, language and declaration files) are tried up to this size: real
// ones are a few kilobytes.
inline constexpr size_t kMaxTextInput = size_t{1} << 20;

inline std::string_view AsText(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace kelmora::fuzz
