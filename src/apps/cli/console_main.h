#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelmora {

// The command-line program: options, the batch run or the --exif report, with messages on
// stderr. Returns the process exit status. `program` names the program in its messages;
// kelmora runs the same when it has no display.
int RunConsole(std::string_view program, const std::vector<std::string>& args);

}  // namespace kelmora
