#include "gui/form_waiting.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace kelmora {

TFormWaiting::TFormWaiting(QWidget* main_window)
    : Form(main_window,
           Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      main_window_(main_window) {
  setObjectName(QStringLiteral("FormWaiting"));
  setWindowTitle(QStringLiteral("Please wait..."));
  setWindowModality(Qt::NonModal);
  setFixedSize(355, 200);
  setCursor(Qt::WaitCursor);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 16, 16, 16);
  LabelPleaseWaitWhileProcessing =
      Register(new QLabel(QStringLiteral("Processing Images, please wait!"), this),
               "LabelPleaseWaitWhileProcessing");
  LabelPleaseWaitWhileProcessing->setAlignment(Qt::AlignCenter);
  LabelPleaseWaitWhileProcessing->setWordWrap(true);
  QFont font = LabelPleaseWaitWhileProcessing->font();
  font.setPointSizeF(font.pointSizeF() * 1.3);
  font.setBold(true);
  LabelPleaseWaitWhileProcessing->setFont(font);
  ProgressBar1 = Register(new QProgressBar(this), "ProgressBar1");
  ProgressBar1->setMinimum(0);
  ProgressBar1->setTextVisible(false);
  LabelImageXofY = Register(new QLabel(QStringLiteral("LabelImageXofY"), this), "LabelImageXofY");
  LabelImageXofY->setAlignment(Qt::AlignCenter);
  ButtonCancel = Register(new QPushButton(QStringLiteral("Cancel Process"), this), "ButtonCancel");
  ButtonCancel->setCursor(Qt::ArrowCursor);

  layout->addWidget(LabelPleaseWaitWhileProcessing);
  layout->addWidget(ProgressBar1);
  layout->addWidget(LabelImageXofY);
  layout->addStretch();
  layout->addWidget(ButtonCancel, 0, Qt::AlignHCenter);

  connect(ButtonCancel, &QPushButton::clicked, this, &TFormWaiting::ButtonCancelClick);
}

void TFormWaiting::ButtonCancelClick() {
  CancelRequested = true;
}

void TFormWaiting::FormShow() {
  CancelRequested = false;
  if (main_window_) {
    const QRect frame = main_window_->frameGeometry();
    move(frame.center() - QPoint(width() / 2, height() / 2));
  }
}

void TFormWaiting::showEvent(QShowEvent* event) {
  FormShow();
  Form::showEvent(event);
}

}  // namespace kelmora
