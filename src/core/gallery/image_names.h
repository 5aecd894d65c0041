#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "gallery/km_list_element.h"

namespace kelmora {

// Whether a file name has one of the extensions the gallery reads: .jpg, .jpeg, .bmp, .tif
// or .tiff in any ASCII letter case.
bool IsImageFile(std::string_view name);

// The kind of picture a name's extension promises; nullopt for other names.
std::optional<PictureKind> ImageKindOf(std::string_view name);

// Names the three output files of an entry after a base name: "b_", "t_" and "n_" + base +
// ".jpg".
void SetOutputNames(KM_ListElement& entry, std::string_view base);

// The name without its last extension (everything before the last "."); a name without a
// dot is returned whole.
std::string WithoutLastExtension(std::string_view name);

}  // namespace kelmora
