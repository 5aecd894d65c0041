#pragma once

#include <string>

namespace kelmora {

// The folder-wide file operations of the desktop shell, done silently and without
// questions. A mask is a path whose last part may hold the wildcards "*" and "?" ("*.*"
// matches every name, also names without a dot); a last part without wildcards names one
// file or folder. Hidden (dot) files are matched like any other. Both report whether
// every matched item was handled; a mask that matches nothing is a success, a missing
// folder or a missing single item is not.

// Deletes everything the mask matches, folders with all they hold. Links are removed, never
// what they point to. Refuses to empty the root folder.
bool ShellDeleteFiles(const std::string& mask);

// Copies everything the mask matches into the destination folder (created when missing),
// folders with all they hold. Existing files of the same name are replaced, existing folders
// are merged into; with rename_on_collision a matched item whose name is taken is copied
// under a free name instead ("photo (2).jpg"). Each file is written whole or not at all. Links
// in the source are copied as what they point to; a link in the destination is replaced,
// never written through. A folder is never copied into itself or into one of its own
// subfolders. With keep_identical, a file whose target holds the same bytes already is left
// alone, modification time and all.
bool ShellCopyFiles(const std::string& source_mask, const std::string& destination,
                    bool rename_on_collision, bool keep_identical = false);

// Whether a name matches the last part of a mask, case-sensitively.
bool MatchesMask(const std::string& name, const std::string& pattern);

}  // namespace kelmora
