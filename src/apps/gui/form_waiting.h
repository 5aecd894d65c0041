#pragma once

#include "gui/form.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace kelmora {

// The progress window of a creation run: modeless, on top, centred on the main window,
// with a busy cursor. Cancel asks the run to stop before the next image; closing the window
// only hides it.
class TFormWaiting : public Form {
  Q_OBJECT

 public:
  explicit TFormWaiting(QWidget* main_window = nullptr);

  QLabel* LabelPleaseWaitWhileProcessing;
  QProgressBar* ProgressBar1;
  QLabel* LabelImageXofY;
  QPushButton* ButtonCancel;

  bool CancelRequested = false;

  void ButtonCancelClick();
  void FormShow();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* main_window_;
};

}  // namespace kelmora
