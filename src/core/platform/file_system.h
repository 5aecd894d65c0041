#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace kelmora {

// Reads a whole file; raises EFileError naming the path when it cannot be opened or read,
// or when it is no regular file (a FIFO or a device is never waited on).
std::vector<uint8_t> ReadFileBytes(const std::string& path);

// Reads at most max_bytes from the start of a regular file; the result may be shorter.
// Anything but a regular file raises EFileError without waiting.
std::vector<uint8_t> ReadFileHead(const std::string& path, size_t max_bytes);

// The last-write time and size of a file system entry; nullopt when it does not exist.
struct FileFacts {
  std::time_t modified_time = 0;
  int64_t size = 0;
};
std::optional<FileFacts> ReadFileFacts(const std::string& path);

// Settings and language files are a few kilobytes; anything far beyond this is not one of
// them, and reading it whole (a device, a huge log picked by mistake) would only exhaust
// memory.
inline constexpr size_t kMaxProfileFileBytes = size_t{8} << 20;

// What reading a profile makes of a path that names something other than a regular file.
enum class OtherFileKinds {
  kAreErrors,  // a settings file named by the user must be one
  kAreAbsent,  // a file looked for by name (a language) simply is not there
};

// Reads a whole settings or language file. Nothing at path gives nullopt; something there
// that is no regular file (a folder, a FIFO, a device; see OtherFileKinds), a file that
// cannot be read, or one larger than kMaxProfileFileBytes raises EFileError with the reason.
std::optional<std::string> ReadProfileFile(const std::string& path,
                                           OtherFileKinds other_kinds = OtherFileKinds::kAreErrors);

// Writes a whole file through a temporary file and a rename (ReplaceFileContent): an
// existing file is replaced only by the complete new content, and a link in the file's
// place is replaced itself, never written through. Raises EFileError on failure.
void WriteFileBytes(const std::string& path, const void* data, size_t size);
void WriteFileText(const std::string& path, const std::string& text);

// Writes the complete content to a temporary file in the same folder and renames it over
// path, so a failure leaves an existing file untouched; a link keeps pointing at the file
// it names, which gets the content. A write-protected file is not replaced. Returns false
// on any failure.
bool WriteFileAtomically(const std::string& path, const std::string& content);

bool IsExistingFolder(const std::string& path);
bool IsExistingFile(const std::string& path);

// Creates a folder with all missing parents; true when it exists afterwards. On failure
// reason (when given) receives the system's explanation.
bool CreateFolderWithParents(const std::string& path, std::string* reason = nullptr);

// Empty when the folder can be listed; otherwise the system's reason why not.
std::string FolderReadProblem(const std::string& path);

}  // namespace kelmora
