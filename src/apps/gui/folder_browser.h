#pragma once

#include <QString>

namespace kelmora {

class Dialogs;

// The folder chooser: a directory dialog that offers existing folders only, preselects
// Folder when it exists and keeps the last chosen folder for its next use.
class TFolderBrowser {
 public:
  // Flags of Options.
  static constexpr int kFileSystemFoldersOnly = 1;
  static constexpr int kNewDialogStyle = 2;

  explicit TFolderBrowser(Dialogs& dialogs) : dialogs_(dialogs) {}

  QString DialogTitle = QStringLiteral("Select folder");
  int Options = 0;  // the dialog always offers file-system folders only
  QString Folder;

  // True when the user confirmed a folder: Folder then holds its full path without a
  // trailing separator (except for the root "/"). False on cancel; Folder is unchanged.
  bool Execute();

 private:
  Dialogs& dialogs_;
};

}  // namespace kelmora
