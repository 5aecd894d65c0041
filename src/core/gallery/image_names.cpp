#include "gallery/image_names.h"

#include "gallery/km_list_element.h"

namespace kelmora {
namespace {

struct ImageExtension {
  std::string_view extension;
  int32_t kind;
};

constexpr ImageExtension kImageExtensions[] = {
    {".jpg", kImageKindJpeg}, {".jpeg", kImageKindJpeg}, {".bmp", kImageKindBmp},
    {".tif", kImageKindTiff}, {".tiff", kImageKindTiff},
};

const ImageExtension* FindExtension(std::string_view name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return nullptr;
  std::string extension(name.substr(dot));
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  }
  for (const ImageExtension& known : kImageExtensions) {
    if (known.extension == extension) return &known;
  }
  return nullptr;
}

}  // namespace

bool IsImageFile(std::string_view name) {
  return FindExtension(name) != nullptr;
}

int32_t ImageKindOf(std::string_view name) {
  const ImageExtension* known = FindExtension(name);
  return known ? known->kind : -1;
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
