#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelmora::ini_text {

// Text rules shared by every INI-style file the program reads: settings files, km.ini and
// language files. Names compare without regard to ASCII letter case; bytes from 0x80 on
// compare exactly, so UTF-8 and Windows-1252 names both stay intact.

// Settings and language files are a few kilobytes; anything far beyond this is not one of
// them, and reading it whole (a device, a huge log picked by mistake) would only exhaust
// memory.
inline constexpr size_t kMaxFileBytes = size_t{8} << 20;

// Splits text into lines at CR LF, LF or a lone CR, so files from any system read alike.
// A final line without a line end counts; a final line end adds no empty line.
std::vector<std::string_view> SplitLines(std::string_view text);

// Drops UTF-8 byte-order marks at the start, which some editors put in front of a file they
// save: left in place it would hide the first section line. Files Kelmora writes carry none.
std::string_view SkipByteOrderMark(std::string_view text);

// Drops leading and trailing blanks (spaces and tabs).
std::string_view TrimBlanks(std::string_view text);

std::string ToLowerAscii(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);

// What reading a profile makes of a path that names something other than a regular file.
enum class OtherFileKinds {
  kAreErrors,  // a settings file named by the user must be one
  kAreAbsent,  // a file looked for by name (a language) simply is not there
};

// Reads a whole profile file. Nothing at path gives nullopt; something there that is no
// regular file (a folder, a FIFO, a device; see OtherFileKinds), a file that cannot be
// read, or one larger than kMaxFileBytes raises EFileError with the reason.
std::optional<std::string> ReadFile(const std::string& path,
                                    OtherFileKinds other_kinds = OtherFileKinds::kAreErrors);

}  // namespace kelmora::ini_text
