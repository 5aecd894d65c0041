#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace kelmora {

using FormatArg = std::variant<std::string_view, int64_t>;

// Fills "%s" and "%d" placeholders in order from args. Message texts may come from a
// translator's language file, so this never trusts the pattern: a placeholder without an
// argument stays as it is, surplus arguments are ignored, "%%" gives "%", and any other
// "%" is copied unchanged. A string argument for "%d" or a number for "%s" is written as
// it is.
std::string FormatText(std::string_view pattern, std::initializer_list<FormatArg> args);

}  // namespace kelmora
