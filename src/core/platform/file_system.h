#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelmora {

// Reads a whole file; raises EFileError naming the path when it cannot be opened or read,
// or when it is no regular file (a FIFO or a device is never waited on).
std::vector<uint8_t> ReadFileBytes(const std::string& path);
std::string ReadFileText(const std::string& path);

// Reads at most max_bytes from the start of a file; the result may be shorter.
std::vector<uint8_t> ReadFileHead(const std::string& path, size_t max_bytes);

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

// Hands a document to the desktop's default application (xdg-open), detached; failures are
// not reported.
void OpenDocument(const std::string& path);

}  // namespace kelmora
