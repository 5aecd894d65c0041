#pragma once

#include <string>
#include <vector>

#include "gallery/km_list.h"

namespace kelmora {

// The longest file name the usual file systems take, in bytes. Output names are kept within
// it on every system, so a gallery gets the same names wherever it is made.
inline constexpr size_t kMaxFileNameBytes = 255;

// An entry whose output names had to change.
struct OutputNameChange {
  std::string FileName;    // the picture whose output names changed
  std::string shared_with;  // the earlier picture whose names it had; empty if only too long
  std::string NormalName;  // its resized image's new name, e.g. "n_pic-2.jpg"
};

// The base name that fits the file system: a base whose output names ("n_" + base + ".jpg")
// would be longer than kMaxFileNameBytes is cut on a character boundary and ends in "-" and
// eight hexadecimal digits of a hash of the whole base, so that long names stay distinct.
std::string FittedBaseName(const std::string& base);

// Gives every entry output names of its own, in catalogue order: over-long names are
// shortened (FittedBaseName), and an entry whose names equal those of an earlier entry gets
// the first free numbered suffix ("pic-2", "pic-3", ...) in all three names. Entries whose
// names are neither too long nor taken keep them exactly. Returns the changes in order.
std::vector<OutputNameChange> AssignDistinctOutputNames(KM_List& list);

// The base name from which an entry's three output names were made.
std::string OutputBaseName(const KM_ListElement& entry);

}  // namespace kelmora
