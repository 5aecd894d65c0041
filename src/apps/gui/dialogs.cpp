#include "gui/dialogs.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace kelmora {
namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kInformation:
      return QMessageBox::Information;
    case MessageIcon::kWarning:
      return QMessageBox::Warning;
    case MessageIcon::kError:
      return QMessageBox::Critical;
    case MessageIcon::kQuestion:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButton Exec(QWidget* parent, const QString& caption, const QString& text,
                                 MessageIcon icon, QMessageBox::StandardButtons buttons) {
  QMessageBox box(BoxIcon(icon), caption, text, buttons, parent);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

std::optional<QString> RunFileDialog(QWidget* parent, QFileDialog::AcceptMode mode,
                                     const QString& filter, const QString& default_suffix) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(mode);
  dialog.setNameFilter(filter);
  dialog.setDefaultSuffix(default_suffix);
  // A name typed into the open dialog need not exist: it then loads like an empty file.
  dialog.setFileMode(QFileDialog::AnyFile);
  if (mode == QFileDialog::AcceptSave) {
    // An existing file is updated in place, as a settings file keeps its other keys.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
}

}  // namespace

void QtDialogs::ShowMessage(QWidget* parent, const QString& caption, const QString& text,
                            MessageIcon icon) {
  Exec(parent, caption, text, icon, QMessageBox::Ok);
}

bool QtDialogs::AskOkCancel(QWidget* parent, const QString& caption, const QString& text,
                            MessageIcon icon) {
  return Exec(parent, caption, text, icon, QMessageBox::Ok | QMessageBox::Cancel) ==
         QMessageBox::Ok;
}

Answer QtDialogs::AskYesNoCancel(QWidget* parent, const QString& caption, const QString& text) {
  switch (Exec(parent, caption, text, MessageIcon::kQuestion,
               QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
      return Answer::kYes;
    case QMessageBox::No:
      return Answer::kNo;
    default:
      return Answer::kCancel;
  }
}

std::optional<QString> QtDialogs::OpenFileName(QWidget* parent, const QString& filter,
                                               const QString& default_suffix) {
  return RunFileDialog(parent, QFileDialog::AcceptOpen, filter, default_suffix);
}

std::optional<QString> QtDialogs::SaveFileName(QWidget* parent, const QString& filter,
                                               const QString& default_suffix) {
  return RunFileDialog(parent, QFileDialog::AcceptSave, filter, default_suffix);
}

std::optional<QColor> QtDialogs::ChooseColor(QWidget* parent, const QColor& initial) {
  const QColor color = QColorDialog::getColor(initial, parent);
  if (!color.isValid()) return std::nullopt;
  return color;
}

std::optional<QString> QtDialogs::ChooseFolder(const QString& title, const QString& start) {
  const QString start_folder = QFileInfo(start).isDir() ? start : QString();
  const QString folder =
      QFileDialog::getExistingDirectory(nullptr, title, start_folder, QFileDialog::ShowDirsOnly);
  if (folder.isEmpty()) return std::nullopt;
  return folder;
}

void QtDialogs::OpenUrl(const QString& url) {
  QDesktopServices::openUrl(QUrl::fromUserInput(url));
}

}  // namespace kelmora
