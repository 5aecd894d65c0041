// Creation runs started from the window: progress, cancel, closing during a run, errors
// after the progress window, the batch of the command line, and the folder chooser.
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <filesystem>

#include "gui/folder_browser.h"
#include "gui/gui_fixture.h"
#include "gui/radio_group.h"

namespace kelmora::test {
namespace {

namespace fs = std::filesystem;

const char* const kSamples[] = {"Canon_40D.jpg",    "Nikon_D70.jpg",    "Pentax_K10D.jpg",
                                "Sony_HDR-HC3.jpg", "Kodak_CX7530.jpg", "Olympus_C8080WZ.jpg"};
constexpr int kSampleCount = 6;

// An input folder of real camera pictures and an output folder that doesn't exist yet.
struct Gallery {
  Gallery() {
    fs::create_directory(Input());
    for (const char* name : kSamples) fs::copy_file(SamplesDir() / "jpg" / name, Input() / name);
  }
  fs::path Input() const { return folder.Path() / "in"; }
  fs::path Output() const { return folder.Path() / "out"; }
  int Thumbnails() const {
    int count = 0;
    if (!fs::exists(Output())) return 0;
    for (const auto& item : fs::directory_iterator(Output())) {
      count += item.path().filename().string().rfind("t_", 0) == 0 ? 1 : 0;
    }
    return count;
  }
  TempDir folder;
};

void ShowGallery(TKM& km, const Gallery& gallery) {
  km.outEditSource->setText(QString::fromStdString(gallery.Input().string()));
  km.outEditDesti->setText(QString::fromStdString(gallery.Output().string()));
  km.PageControl1->setCurrentIndex(4);  // the tab change stores the folders
}

// Calls action (queued) once the progress bar reaches position; it then runs in the event
// processing before the next image.
void AtPosition(TFormWaiting& waiting, int position, std::function<void()> action) {
  QObject::connect(waiting.ProgressBar1, &QProgressBar::valueChanged, &waiting,
                   [&waiting, position, action](int value) {
                     if (value == position)
                       QMetaObject::invokeMethod(&waiting, action, Qt::QueuedConnection);
                   });
}

}  // namespace

class CreationRunWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void CancelAfterImage_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("clicks");
    QTest::newRow("after the first image") << 1 << 1;
    QTest::newRow("after image 3, pressed twice") << 3 << 2;
  }
  // Cancel takes effect before the next image: the images before it are exported, the rest
  // are not, the pages stay, the first page opens; the next run starts uncancelled.
  void CancelAfterImage() {
    QFETCH(int, position);
    QFETCH(int, clicks);
    Gallery gallery;
    Windows windows;
    TKM& km = *windows.km;
    ShowGallery(km, gallery);
    windows.dialogs.ok_cancel_answers.push_back(true);  // create the output folder
    AtPosition(*windows.waiting, position, [&] {
      for (int i = 0; i < clicks; ++i) windows.waiting->ButtonCancel->click();
    });
    km.ButtonDoCreate->click();
    QCOMPARE(gallery.Thumbnails(), position);
    QVERIFY(fs::exists(gallery.Output() / "page1.htm"));
    QVERIFY(!windows.waiting->isVisible());
    QVERIFY(!windows.waiting->CancelRequested);
    QCOMPARE(windows.dialogs.opened_urls.size(), 1);
    QVERIFY(windows.dialogs.opened_urls.first().endsWith(QStringLiteral("/out/page1.htm")));
    QVERIFY(km.PageControl1->isEnabled());

    windows.waiting->disconnect(windows.waiting->ProgressBar1);
    windows.waiting->ProgressBar1->disconnect();
    km.ButtonDoCreate->click();
    QCOMPARE(gallery.Thumbnails(), kSampleCount);
    QCOMPARE(windows.waiting->LabelImageXofY->text(), QStringLiteral("Image 6 of 6"));
  }

  // The title-bar button only hides the progress window: every image is still exported.
  void ClosingTheProgressWindowDoesNotCancel() {
    Gallery gallery;
    Windows windows;
    ShowGallery(*windows.km, gallery);
    windows.dialogs.ok_cancel_answers.push_back(true);
    AtPosition(*windows.waiting, 2, [&] { windows.waiting->close(); });
    windows.km->ButtonDoCreate->click();
    QCOMPARE(gallery.Thumbnails(), kSampleCount);
  }

  // Closing the main window during a run cancels it before the next image; the window
  // closes once the run has ended, without starting anything else.
  void ClosingTheMainWindowDuringARun() {
    Gallery gallery;
    Windows windows;
    TKM& km = *windows.km;
    km.show();
    ShowGallery(km, gallery);
    windows.dialogs.ok_cancel_answers.push_back(true);
    AtPosition(*windows.waiting, 2, [&] {
      QVERIFY(km.RunInProgress());
      QVERIFY(!km.PageControl1->isEnabled());
      km.close();
      QVERIFY(km.isVisible());  // still running
    });
    km.ButtonDoCreate->click();
    QCOMPARE(gallery.Thumbnails(), 2);
    QTRY_VERIFY(!km.isVisible());
  }

  // An image that cannot be decoded ends the run; its error box comes after the progress
  // window has gone, captioned with the application's title.
  void ErrorsAfterTheProgressWindow() {
    Gallery gallery;
    WriteText((gallery.Input() / "Zbroken.jpg").string(), "not a picture");
    Windows windows;
    TKM& km = *windows.km;
    km.RadioGroupCreation->SetItemIndex(0);
    ShowGallery(km, gallery);
    windows.dialogs.ok_cancel_answers.push_back(true);
    bool progress_visible_at_error = true;
    windows.dialogs.on_message = [&] { progress_visible_at_error = windows.waiting->isVisible(); };
    km.ButtonDoCreate->click();
    const QStringList errors =
        windows.dialogs.log.filter(QStringLiteral("message(error)|Kelmora|"));
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors.first().contains(QStringLiteral("Zbroken.jpg")));
    QVERIFY(!windows.waiting->isVisible());
    QVERIFY(windows.dialogs.opened_urls.isEmpty());  // no browser after an error
    QVERIFY(!progress_visible_at_error);
  }

  void Batch_data() {
    QTest::addColumn<QStringList>("params");
    QTest::addColumn<int>("exit_status");
    QTest::addColumn<int>("thumbnails");
    QTest::addColumn<QString>("message");
    QTest::newRow("complete") << QStringList{"@settings", "@in", "@out"} << 0 << kSampleCount
                              << QString();
    QTest::newRow("help")
        << QStringList{"/?"} << 0 << 0
        << "message(information)|KM|1st param is full path of \".km2\" file to use";
    QTest::newRow("missing input folder") << QStringList{"@settings", "@missing", "@out"} << 1 << 0
                                          << "message(error)|KM|Incorrect path for input:";
  }
  // The batch of the command line runs through the window without questions, shows its
  // errors in boxes, closes the window and gives the process its exit status.
  void Batch() {
    QFETCH(QStringList, params);
    QFETCH(int, exit_status);
    QFETCH(int, thumbnails);
    QFETCH(QString, message);
    Gallery gallery;
    const std::string settings = (gallery.folder.Path() / "batch.km2").string();
    WriteText(settings, "[MoreLayout]\r\nTitle=Batch\r\n[GoCreate]\r\nAutoBrowserStart=1\r\n");
    std::vector<std::string> args;
    for (const QString& param : params) {
      if (param == "@settings") {
        args.push_back(settings);
      } else if (param == "@in") {
        args.push_back(gallery.Input().string());
      } else if (param == "@out") {
        args.push_back((gallery.Output() / "nested").string());
      } else if (param == "@missing") {
        args.push_back((gallery.folder.Path() / "missing").string());
      } else {
        args.push_back(param.toStdString());
      }
    }
    Windows windows(args);
    TKM& km = *windows.km;
    km.show();
    QTRY_VERIFY(!km.isVisible());
    QCOMPARE(km.ExitStatus(), exit_status);
    QVERIFY(km.BatchMode);
    if (thumbnails > 0) {
      int count = 0;
      for (const auto& item : fs::directory_iterator(gallery.Output() / "nested")) {
        count += item.path().filename().string().rfind("t_", 0) == 0 ? 1 : 0;
      }
      QCOMPARE(count, thumbnails);
      QCOMPARE(km.outEditTitle->text(), QStringLiteral("Batch"));
    }
    QVERIFY(windows.dialogs.log.filter(QStringLiteral("okcancel")).isEmpty());
    QVERIFY(windows.dialogs.opened_urls.isEmpty());  // a batch never opens the browser
    if (message.isEmpty()) {
      QVERIFY(windows.dialogs.log.isEmpty());
    } else {
      QCOMPARE(windows.dialogs.log.size(), 1);
      QVERIFY2(windows.dialogs.log.first().startsWith(message),
               qPrintable(windows.dialogs.log.first()));
    }
  }

  // Cancel sets the request, showing the window clears it.
  void ProgressWindowCancelFlag() {
    Windows windows;
    TFormWaiting& waiting = *windows.waiting;
    waiting.show();
    QVERIFY(!waiting.CancelRequested);
    waiting.ButtonCancel->click();
    waiting.ButtonCancel->click();
    QVERIFY(waiting.CancelRequested);
    waiting.hide();
    waiting.show();
    QVERIFY(!waiting.CancelRequested);
    QCOMPARE(waiting.size(), QSize(355, 200));
    QCOMPARE(waiting.windowTitle(), QStringLiteral("Please wait..."));
    QVERIFY(waiting.windowFlags() & Qt::WindowStaysOnTopHint);
  }

  void FolderChooser_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QString>("expected_start");
    QTest::addColumn<QString>("expected_folder");
    QTest::newRow("trailing separator dropped") << "@tmp"
                                                << "@tmp/sub/" << true << "@tmp"
                                                << "@tmp/sub";
    QTest::newRow("root keeps its separator") << ""
                                              << "/" << true << ""
                                              << "/";
    QTest::newRow("missing folder not preselected") << "@tmp/gone"
                                                    << "" << false << ""
                                                    << "@tmp/gone";
    QTest::newRow("cancel keeps the folder") << "@tmp"
                                             << "" << false << "@tmp"
                                             << "@tmp";
  }
  void FolderChooser() {
    QFETCH(QString, folder);
    QFETCH(QString, answer);
    QFETCH(bool, confirmed);
    QFETCH(QString, expected_start);
    QFETCH(QString, expected_folder);
    TempDir tmp;
    fs::create_directory(tmp.Path() / "sub");
    const QString base = QString::fromStdString(tmp.Path().string());
    const auto expand = [&](QString text) { return text.replace(QStringLiteral("@tmp"), base); };
    ScriptedDialogs dialogs;
    TFolderBrowser browser(dialogs);
    QCOMPARE(browser.DialogTitle, QStringLiteral("Select folder"));
    browser.Folder = expand(folder);
    dialogs.folders.push_back(confirmed ? std::optional(expand(answer)) : std::nullopt);
    QCOMPARE(browser.Execute(), confirmed);
    QCOMPARE(dialogs.last_folder_start, expand(expected_start));
    QCOMPARE(browser.Folder, expand(expected_folder));
  }
};

}  // namespace kelmora::test

QTEST_MAIN(kelmora::test::CreationRunWindowTest)
#include "creation_run_window_test.moc"
