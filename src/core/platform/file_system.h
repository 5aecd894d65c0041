#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace kelmora {

// Reads a whole file; raises EFileError naming the path when it cannot be opened or read.
std::vector<uint8_t> ReadFileBytes(const std::string& path);
std::string ReadFileText(const std::string& path);

// Reads at most max_bytes from the start of a file; the result may be shorter.
std::vector<uint8_t> ReadFileHead(const std::string& path, size_t max_bytes);
// Like ReadFileHead, for regular files only: opening a named pipe or a device could wait for
// ever, so anything else raises EFileError without waiting.
std::vector<uint8_t> ReadRegularFileHead(const std::string& path, size_t max_bytes);

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

// Reads a whole settings or language file. No regular file at path gives nullopt (a
// missing file and a folder are both "no file"); a file that exists but cannot be read, or
// is larger than kMaxProfileFileBytes, raises EFileError.
std::optional<std::string> ReadProfileFile(const std::string& path);

// Writes a whole file, replacing an existing one; raises EFileError on failure.
void WriteFileBytes(const std::string& path, const void* data, size_t size);
void WriteFileText(const std::string& path, const std::string& text);

// Writes the complete content to a temporary file in the same folder and renames it over
// path, so a failure leaves an existing file untouched. Returns false on any failure.
bool WriteFileAtomically(const std::string& path, const std::string& content);

bool IsExistingFolder(const std::string& path);
bool IsExistingFile(const std::string& path);

// Creates a folder with all missing parents; true when it exists afterwards.
bool CreateFolderWithParents(const std::string& path);

// Hands a document to the desktop's default application (xdg-open), detached; failures are
// not reported.
void OpenDocument(const std::string& path);

}  // namespace kelmora
