// Renders every tab of the main window, the progress window and a message box into PNG
// files, on Qt's offscreen platform: kelmora-screenshots OUTPUT_FOLDER [LANGUAGE_FILE]. A
// language file of the program folder (Deutsch.ln) shows the windows in that language,
// without remembering it.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QProgressBar>
#include <QTabWidget>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "gui/dialogs.h"
#include "gui/form_waiting.h"
#include "gui/km.h"
#include "localisation/lang_text.h"
#include "shell/startup.h"

namespace {

bool Save(QWidget* widget, const QString& folder, const QString& name) {
  const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
  if (!widget->grab().save(path)) {
    std::fprintf(stderr, "kelmora-screenshots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: kelmora-screenshots OUTPUT_FOLDER [LANGUAGE_FILE]\n");
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  app.setApplicationName(QStringLiteral("Kelmora"));
  const QString folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(folder);

  kelmora::QtDialogs dialogs;
  kelmora::TKM km(dialogs, {}, kelmora::LocateProgramFolders());
  kelmora::TFormWaiting waiting(&km);
  km.FormWaiting = &waiting;
  km.show();
  if (argc > 2) {
    km.LanguageFile = argv[2];
    km.LoadLanguage();
    km.FillMacroGrids();
    km.UpdateColorPreview();
  }
  km.FillLanguageList();
  bool ok = true;
  const char* const tab_names[] = {"files-and-folders", "thumbnails-and-images",
                                   "more-layout",       "html",
                                   "go-create",         "information"};
  for (int tab = 0; tab < km.PageControl1->count(); ++tab) {
    km.PageControl1->setCurrentIndex(tab);
    app.processEvents();
    ok = Save(&km, folder, QStringLiteral("main-%1-%2").arg(tab + 1).arg(tab_names[tab])) && ok;
  }
  km.PageControl1->setCurrentWidget(km.TabSheetHTML);
  km.PageControl2->setCurrentWidget(km.TabSheetThumbHTMLMacros);
  app.processEvents();
  ok = Save(&km, folder, QStringLiteral("main-4b-html-macros")) && ok;

  waiting.show();
  waiting.ProgressBar1->setMaximum(19);
  waiting.ProgressBar1->setValue(6);
  waiting.LabelImageXofY->setText(QString::fromStdString(
      kelmora::GetLangText(kelmora::MessageKey::TextImageXofY, {int64_t{7}, int64_t{20}})));
  app.processEvents();
  ok = Save(&waiting, folder, QStringLiteral("progress-window")) && ok;
  waiting.hide();

  // A message box as the run shows a warning, with the longest message it may show.
  QMessageBox box(QMessageBox::Warning, QStringLiteral("KM"),
                  QString::fromStdString(kelmora::GetLangText(
                      kelmora::MessageKey::CopyAdditionalIncomplete, {"/home/me/Pictures/extras"})),
                  QMessageBox::Ok, &km);
  box.show();
  app.processEvents();
  ok = Save(&box, folder, QStringLiteral("message-box")) && ok;
  box.hide();
  return ok ? 0 : 1;
}
