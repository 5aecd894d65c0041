#include "gui/folder_browser.h"

#include <QDir>
#include <QFileInfo>

#include "gui/dialogs.h"

namespace kelmora {

bool TFolderBrowser::Execute() {
  // A preselected folder that no longer exists leaves the dialog at its own selection.
  const QString start = QFileInfo(Folder).isDir() ? Folder : QString();
  const std::optional<QString> chosen = dialogs_.ChooseFolder(DialogTitle, start);
  if (!chosen || chosen->isEmpty()) return false;
  QString path = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(*chosen).absoluteFilePath()));
  while (path.size() > 1 && path.endsWith(QDir::separator())) path.chop(1);
  Folder = path;
  return true;
}

}  // namespace kelmora
