#include <cstdio>

#include "core/version.h"

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  std::printf("kelmora-cli %s\n", kelmora::Version());
  std::printf("Usage: kelmora-cli [options] SETTINGS.km2 [INPUT [OUTPUT]]\n");
  return 0;
}
