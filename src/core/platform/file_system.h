#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelmora {

// Reads a whole file; raises EFileError naming the path when it cannot be opened or read.
std::vector<uint8_t> ReadFileBytes(const std::string& path);

// Reads at most max_bytes from the start of a file; the result may be shorter.
std::vector<uint8_t> ReadFileHead(const std::string& path, size_t max_bytes);

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

}  // namespace kelmora
