#pragma once

#include <QColor>
#include <QString>
#include <optional>

class QWidget;

namespace kelmora {

enum class MessageIcon { kInformation, kWarning, kError, kQuestion };
enum class Answer { kYes, kNo, kCancel };

// Every dialog and desktop service the windows use, behind one interface, so tests can
// script the user's answers. QtDialogs is the real one.
class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // A message box with an OK button.
  virtual void ShowMessage(QWidget* parent, const QString& caption, const QString& text,
                           MessageIcon icon) = 0;
  // OK and Cancel; true for OK.
  virtual bool AskOkCancel(QWidget* parent, const QString& caption, const QString& text,
                           MessageIcon icon) = 0;
  // Yes, No and Cancel, with the question icon.
  virtual Answer AskYesNoCancel(QWidget* parent, const QString& caption, const QString& text) = 0;
  // A file to open or to save as; nullopt when the user cancels. filter is a Qt name filter
  // ("Settings files (*.km2)"); a name without extension gets default_suffix.
  virtual std::optional<QString> OpenFileName(QWidget* parent, const QString& filter,
                                              const QString& default_suffix) = 0;
  virtual std::optional<QString> SaveFileName(QWidget* parent, const QString& filter,
                                              const QString& default_suffix) = 0;
  virtual std::optional<QColor> ChooseColor(QWidget* parent, const QColor& initial) = 0;
  // A folder; start is preselected when it is an existing folder (empty: the dialog's own
  // choice).
  virtual std::optional<QString> ChooseFolder(const QString& title, const QString& start) = 0;
  // Hands a file or web address to the desktop's "open"; failures are not reported.
  virtual void OpenUrl(const QString& url) = 0;
};

class QtDialogs final : public Dialogs {
 public:
  void ShowMessage(QWidget* parent, const QString& caption, const QString& text,
                   MessageIcon icon) override;
  bool AskOkCancel(QWidget* parent, const QString& caption, const QString& text,
                   MessageIcon icon) override;
  Answer AskYesNoCancel(QWidget* parent, const QString& caption, const QString& text) override;
  std::optional<QString> OpenFileName(QWidget* parent, const QString& filter,
                                      const QString& default_suffix) override;
  std::optional<QString> SaveFileName(QWidget* parent, const QString& filter,
                                      const QString& default_suffix) override;
  std::optional<QColor> ChooseColor(QWidget* parent, const QColor& initial) override;
  std::optional<QString> ChooseFolder(const QString& title, const QString& start) override;
  void OpenUrl(const QString& url) override;
};

}  // namespace kelmora
