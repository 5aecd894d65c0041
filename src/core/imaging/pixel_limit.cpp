#include "imaging/pixel_limit.h"

#include "common/errors.h"
#include "localisation/lang_text.h"

namespace kelmora {
namespace {

int64_t AsArgument(uint64_t value) {
  return value > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())
             ? std::numeric_limits<int64_t>::max()
             : static_cast<int64_t>(value);
}

}  // namespace

void CheckPixelLimit(uint64_t width, uint64_t height) {
  if (WithinPixelLimit(width, height)) return;
  throw EImageTooLarge(
      GetLangText(MessageKey::ImageTooLarge,
                  {AsArgument(width), AsArgument(height), AsArgument(kMaxImagePixels)}));
}

std::string NotEnoughMemoryText(uint64_t width, uint64_t height) {
  return GetLangText(MessageKey::NotEnoughMemoryForImage, {AsArgument(width), AsArgument(height)});
}

}  // namespace kelmora
