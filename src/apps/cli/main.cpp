#include <csignal>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/cli_output.h"
#include "cli/console_main.h"

int main(int argc, char** argv) {
  // A reader that goes away (kelmora-cli ... | head) must not end a run: writes to it fail
  // instead, and the output that nobody reads is dropped.
  std::signal(SIGPIPE, SIG_IGN);
  try {
    return kelmora::RunConsole("kelmora-cli", std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kelmora-cli: %s\n", kelmora::WithLfLineEnds(error.what()).c_str());
    return 1;
  }
}
