#include "common/errors.h"

#include <cstring>

namespace kelmora {

EJPEG::EJPEG(int code) : EKelmora("JPEG-Fehler #" + std::to_string(code)), code_(code) {}

EFileError::EFileError(const std::string& action, const std::string& path,
                       const std::string& reason)
    : EKelmora(action + " \"" + path + "\": " + reason), path_(path) {}

void ThrowFileError(const std::string& action, const std::string& path, int error) {
  throw EFileError(action, path, std::strerror(error));
}

}  // namespace kelmora
