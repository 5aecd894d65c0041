// The main window of an installed program: it reads the user's folder and the shared data
// folder, and every file it writes (km.ini, default.km2, Custom.ln) goes to the user's folder.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <memory>

#include "gui/form_waiting.h"
#include "gui/km.h"
#include "gui/scripted_dialogs.h"
#include "localisation/lang_text.h"
#include "settings/km_class.h"
#include "support/test_support.h"

namespace kelmora::test {
namespace {

namespace fs = std::filesystem;

// A main window over an installed layout in a scratch folder, started up.
struct InstalledWindows {
  explicit InstalledWindows(const TempDir& root)
      : folders(
            InstalledProgramFolders(root / "home/.config/kelmora", root / "usr/share/kelmora")) {
    km = std::make_unique<TKM>(dialogs, std::vector<std::string>{}, folders);
    waiting = std::make_unique<TFormWaiting>(km.get());
    km->FormWaiting = waiting.get();
    km->FormShow();
  }
  ~InstalledWindows() {
    waiting.reset();
    km.reset();
    SetCurrentLanguage(nullptr);
  }
  QStringList Languages() const {
    QStringList names;
    for (int i = 0; i < km->outComboBoxLanguage->count(); ++i) {
      names << km->outComboBoxLanguage->itemText(i);
    }
    return names;
  }

  ProgramFolders folders;
  ScriptedDialogs dialogs;
  std::unique_ptr<TKM> km;
  std::unique_ptr<TFormWaiting> waiting;
};

// Every file under folder, relative, sorted; a folder that is not there holds nothing.
QStringList FilesUnder(const fs::path& folder) {
  QStringList files;
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    if (it->is_regular_file()) {
      files << QString::fromStdString(fs::relative(it->path(), folder).string());
    }
  }
  files.sort();
  return files;
}

}  // namespace

class InstalledFoldersTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    root_ = std::make_unique<TempDir>();
    fs::create_directories(Shared());
    WriteText(Shared() / "default.km2", "[MoreLayout]\r\nTitle=Shared\r\n");
    WriteText(Shared() / "Deutsch.ln", "[KM]\r\nKM.ButtonQuit.Caption=Beenden\r\n");
    WriteText(Shared() / "Francais.ln", "[KM]\r\nKM.ButtonQuit.Caption=Quitter\r\n");
    // The declaration file the build writes next to the executables, shipped with the data.
    fs::copy_file(BinDir() / "messages.pas", Shared() / "messages.pas");
  }
  void cleanup() { root_.reset(); }

  void StartUpReadsTheSharedDataAndWritesNothing() {
    InstalledWindows windows(*root_);
    QCOMPARE(windows.km->outEditTitle->text(), QStringLiteral("Shared"));
    QCOMPARE(windows.Languages(), (QStringList{"Deutsch", "Francais"}));
    QVERIFY(!fs::exists(User()));
    QVERIFY(windows.dialogs.log.isEmpty());
  }

  void LanguageChangeSaveAsDefaultAndGeneratorWriteTheUsersFolder() {
    const QStringList shared_before = FilesUnder(Shared());
    {
      InstalledWindows windows(*root_);
      TKM& km = *windows.km;
      km.outComboBoxLanguage->setCurrentIndex(1);
      QCOMPARE(km.ButtonQuit->text(), QStringLiteral("Quitter"));
      km.outEditTitle->setText(QStringLiteral("Mine"));
      km.ButtonSaveDefault->click();
      QVERIFY(!km.Changed);
      km.Button4Click();
      QVERIFY2(windows.dialogs.log.isEmpty(), qPrintable(windows.dialogs.log.join('\n')));
    }
    QCOMPARE(FilesUnder(Shared()), shared_before);
    QCOMPARE(FilesUnder(User()), (QStringList{"Custom.ln", "default.km2", "km.ini"}));
    QCOMPARE(ReadText(User() / "km.ini"), std::string("[Settings]\r\nLanguage=Francais.ln\r\n"));
    KM_Class saved;
    saved.LoadFromFile((User() / "default.km2").string());
    QCOMPARE(saved.Title, std::string("Mine"));
    // The generated file holds the window's texts and the shared declaration file's messages.
    const std::string custom = ReadText(User() / "Custom.ln");
    QVERIFY(custom.find("[KM]") != std::string::npos);
    QVERIFY(custom.find("[Misc]") != std::string::npos);
    QVERIFY(custom.find("TextImageXofY=Image %d of %d") != std::string::npos);

    // The next start: the user's defaults and language; each language listed once.
    InstalledWindows again(*root_);
    QCOMPARE(again.km->outEditTitle->text(), QStringLiteral("Mine"));
    QCOMPARE(again.Languages(), (QStringList{"Custom", "Deutsch", "Francais"}));
    QCOMPARE(again.km->outComboBoxLanguage->currentText(), QStringLiteral("Francais"));
    QCOMPARE(again.km->ButtonQuit->text(), QStringLiteral("Quitter"));
  }

  void TheUsersLanguageFileTakesThePlaceOfTheShared() {
    fs::create_directories(User());
    WriteText(User() / "Deutsch.ln", "[KM]\r\nKM.ButtonQuit.Caption=Ende\r\n");
    WriteText(User() / "km.ini", "[Settings]\r\nLanguage=Deutsch.ln\r\n");
    InstalledWindows windows(*root_);
    QCOMPARE(windows.Languages(), (QStringList{"Deutsch", "Francais"}));
    QCOMPARE(windows.km->ButtonQuit->text(), QStringLiteral("Ende"));
  }

  void AFolderThatCannotBeCreatedIsReported() {
    WriteText(root_->Path() / "home", "a file where the home folder should be");
    InstalledWindows windows(*root_);
    windows.km->outComboBoxLanguage->setCurrentIndex(0);
    windows.km->Changed = true;
    windows.km->ButtonSaveDefault->click();
    QVERIFY(windows.km->Changed);
    QCOMPARE(windows.dialogs.log.size(), 2);
    QVERIFY(windows.dialogs.log[0].contains(QStringLiteral("km.ini")));
    // (The chosen language has no messages, so the box shows its empty text.)
    QVERIFY(windows.dialogs.log[1].startsWith(QStringLiteral("message(error)|KM|")));
  }

 private:
  fs::path Shared() const { return root_->Path() / "usr/share/kelmora"; }
  fs::path User() const { return root_->Path() / "home/.config/kelmora"; }
  std::unique_ptr<TempDir> root_;
};

}  // namespace kelmora::test

QTEST_MAIN(kelmora::test::InstalledFoldersTest)
#include "installed_folders_test.moc"
