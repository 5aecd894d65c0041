#include "gallery/image_names.h"

#include "common/ascii_text.h"
#include "gallery/km_list_element.h"

namespace kelmora {
namespace {

struct ImageExtension {
  std::string_view extension;
  PictureKind kind;
};

constexpr ImageExtension kImageExtensions[] = {
    {".jpg", PictureKind::kJpeg}, {".jpeg", PictureKind::kJpeg}, {".bmp", PictureKind::kBmp},
    {".tif", PictureKind::kTiff}, {".tiff", PictureKind::kTiff},
};

const ImageExtension* FindExtension(std::string_view name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return nullptr;
  const std::string extension = ToLowerAscii(name.substr(dot));
  for (const ImageExtension& known : kImageExtensions) {
    if (known.extension == extension) return &known;
  }
  return nullptr;
}

}  // namespace

bool IsImageFile(std::string_view name) {
  return FindExtension(name) != nullptr;
}

std::optional<PictureKind> ImageKindOf(std::string_view name) {
  const ImageExtension* known = FindExtension(name);
  if (!known) return std::nullopt;
  return known->kind;
}

void SetOutputNames(KM_ListElement& entry, std::string_view base) {
  const std::string suffix = std::string(base) + ".jpg";
  entry.BigName = "b_" + suffix;
  entry.ThumbName = "t_" + suffix;
  entry.NormalName = "n_" + suffix;
}

std::string WithoutLastExtension(std::string_view name) {
  return std::string(name.substr(0, name.rfind('.')));
}

}  // namespace kelmora
