#pragma once

#include <stdexcept>
#include <string>

namespace kelmora {

// Every error Kelmora raises derives from this base, so a run can report any of them
// with its message.
class EKelmora : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// libjpeg reported an error: "JPEG-Fehler #<code>".
class EJPEG : public EKelmora {
 public:
  explicit EJPEG(int code);
  int Code() const { return code_; }

 private:
  int code_;
};

// A TIFF the reader cannot handle; the message begins with "TIFF: ".
class EGraphicFormat : public EKelmora {
 public:
  using EKelmora::EKelmora;
};

// A BMP file that is truncated or malformed.
class EBitmapFormat : public EKelmora {
 public:
  using EKelmora::EKelmora;
};

// A file that cannot be created, read or written; the message names the path and the
// system's reason.
class EFileError : public EKelmora {
 public:
  EFileError(const std::string& action, const std::string& path, const std::string& reason);
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// A text that is not an integer where one was required.
class EConvertError : public EKelmora {
 public:
  using EKelmora::EKelmora;
};

// Helper for raising a file error from errno.
[[noreturn]] void ThrowFileError(const std::string& action, const std::string& path, int error);

}  // namespace kelmora
