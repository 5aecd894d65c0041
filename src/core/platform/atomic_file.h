#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace kelmora {

// What happens to a symbolic link that stands where a file is written.
enum class LinkHandling {
  kReplaceLink,    // the link itself is replaced; its target is never touched
  kWriteToTarget,  // the file the link names is replaced; the link stays
};

struct ReplaceOptions {
  LinkHandling links = LinkHandling::kReplaceLink;
  bool sync = false;  // flush the new content to the disk before it takes the file's place
};

// Writes a whole file: the content goes into a temporary file with a short name in the same
// folder, which is then renamed over path. A full disk, an error or a kill therefore leaves
// either the old file or the complete new one, never a part. A file that is write-protected
// (the process may not write it, or nobody may) is not replaced. A replaced file keeps its
// permissions, and its owner and group where the process may set them. Raises EFileError
// naming path and the system's reason; no temporary file is left behind.
void ReplaceFileContent(const std::string& path, const void* data, size_t size,
                        const ReplaceOptions& options = {});

// Copies a file byte for byte under the same rules, reading and writing it piece by piece
// so that a file of any size needs little memory. Only a regular file (or a link to one) is
// read: anything else, a FIFO included, is refused without waiting on it. Raises EFileError
// naming the file that could not be read or written. A non-empty new_head takes the place
// of the source's first new_head.size() bytes (an edited copy of them, such as metadata
// with something left out); the rest is copied as it is.
void CopyFileReplacing(const std::string& from, const std::string& to,
                       std::span<const uint8_t> new_head = {});

}  // namespace kelmora
