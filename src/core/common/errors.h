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

// libjpeg reported an error: "JPEG-Fehler #<code>", followed by libjpeg's own explanation
// when there is one.
class EJPEG : public EKelmora {
 public:
  explicit EJPEG(int code, const std::string& explanation = "");
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

// A picture whose header declares more pixels than the decoders accept.
class EImageTooLarge : public EKelmora {
 public:
  using EKelmora::EKelmora;
};

// Memory ran out; the message says for what (a picture's declared size where known).
class EOutOfMemory : public EKelmora {
 public:
  using EKelmora::EKelmora;
};

// A file that cannot be created, read or written; the message names the path and the
// system's reason.
class EFileError : public EKelmora {
 public:
  EFileError(const std::string& action, const std::string& path, const std::string& reason);
  const std::string& Path() const { return path_; }
  // The system's reason alone ("Permission denied", "not a regular file", ...).
  const std::string& Reason() const { return reason_; }

 private:
  std::string path_;
  std::string reason_;
};

// A text that is not an integer where one was required.
class EConvertError : public EKelmora {
 public:
  using EKelmora::EKelmora;
};

// Helper for raising a file error from errno.
[[noreturn]] void ThrowFileError(const std::string& action, const std::string& path, int error);

}  // namespace kelmora
