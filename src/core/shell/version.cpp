#include "shell/version.h"

namespace kelmora {

const char* Version() {
  return KELMORA_VERSION;
}

}  // namespace kelmora
