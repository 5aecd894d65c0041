#pragma once

#include <string>

namespace kelmora {

// Turns the base name of an output file into a web-safe name in place: ASCII letters are
// lower-cased, a-z and 0-9 stay, the common lower-case accented vowels and sharp s are
// spelled out in ASCII ("ä" gives "ae", "é" is not among them) and every other character
// becomes "_". A name that is valid UTF-8 and holds non-ASCII characters is read as UTF-8,
// anything else byte by byte as Windows-1252, so "Größe" gives "groesse" either way.
void ConvertFileName(std::string& name);

// A folder path ending in the native separator; an empty path stays empty.
std::string PathWithDelimiter(const std::string& path);

}  // namespace kelmora
