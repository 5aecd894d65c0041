#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/console_main.h"

int main(int argc, char** argv) {
  try {
    return kelmora::RunConsole("kelmora-cli", std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kelmora-cli: %s\n", error.what());
    return 1;
  }
}
