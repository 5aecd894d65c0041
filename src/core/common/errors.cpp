#include "common/errors.h"

#include <cstring>

namespace kelmora {

EJPEG::EJPEG(int code, const std::string& explanation)
    : EKelmora("JPEG-Fehler #" + std::to_string(code) +
               (explanation.empty() ? std::string() : ": " + explanation)),
      code_(code) {}

EFileError::EFileError(const std::string& action, const std::string& path,
                       const std::string& reason)
    : EKelmora(action + " \"" + path + "\": " + reason), path_(path), reason_(reason) {}

void ThrowFileError(const std::string& action, const std::string& path, int error) {
  throw EFileError(action, path, std::strerror(error));
}

}  // namespace kelmora
