// The main window: the round trip of the settings through its controls, the Changed rules,
// number fields, closing, settings files, the language list and the folder buttons.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <functional>

#include "gui/gui_fixture.h"
#include "gui/memo_lines.h"
#include "gui/radio_group.h"
#include "gui/text_bytes.h"
#include "shell/window_limits.h"

namespace kelmora::test {
namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

// Writes a settings file holding the key of one section; every other key takes its default.
std::string SettingsFileWith(const Windows& windows, const QString& section, const QString& key,
                             const QString& value) {
  const std::string path = windows.File("case.km2");
  WriteText(path, "[" + section.toStdString() + "]\r\n" + key.toStdString() + "=" +
                      value.toStdString() + "\r\n");
  return path;
}

// A settings record as the text of the file it saves to, so a difference shows by key.
std::string SavedText(const KM_Class& settings, const std::string& path) {
  if (!settings.SaveToFile(path)) return "cannot save " + path;
  return ReadText(path);
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void RoundTripEqualsWindowLimits_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    // clang-format off
    QTest::newRow("unknown filter selects none")   << "ThumbsNImages" << "FilterIndex" << "9";
    QTest::newRow("negative filter")               << "ThumbsNImages" << "FilterIndex" << "-4";
    QTest::newRow("sort order beyond the list")    << "ThumbsNImages" << "SortingMethodIndex" << "7";
    QTest::newRow("sort order below none")         << "ThumbsNImages" << "SortingMethodIndex" << "-3";
    QTest::newRow("image quality 0")               << "ThumbsNImages" << "QualityImages" << "0";
    QTest::newRow("thumbnail quality 250")         << "ThumbsNImages" << "QualityThumbnails" << "250";
    QTest::newRow("width beyond four digits")      << "ThumbsNImages" << "MaxWidthImage" << "12345";
    QTest::newRow("negative height")               << "ThumbsNImages" << "MaxHeightImage" << "-5";
    QTest::newRow("thumbnail beyond three digits") << "ThumbsNImages" << "MaxSizeThumbnails" << "1000";
    QTest::newRow("subtitle below none")           << "MoreLayout" << "SubtitleIndex" << "-5";
    QTest::newRow("subtitle beyond the list")      << "MoreLayout" << "SubtitleIndex" << "9";
    QTest::newRow("capture date subtitle")         << "MoreLayout" << "SubtitleIndex" << "5";
    QTest::newRow("pictures turned upright")       << "ThumbsNImages" << "AutoRotate" << "1";
    QTest::newRow("GPS position left out")         << "ThumbsNImages" << "StripLocation" << "1";
    QTest::newRow("extension in capitals")         << "Files" << "WebSiteExtension" << ".HTML";
    QTest::newRow("extension of another kind")     << "Files" << "WebSiteExtension" << ".php";
    QTest::newRow("hex colour")                    << "MoreLayout" << "BackgroundColor" << "$123456";
    QTest::newRow("system colour")                 << "MoreLayout" << "TextColor" << "-2147483643";
    QTest::newRow("no columns")                    << "MoreLayout" << "ColsCount" << "0";
    QTest::newRow("negative rows")                 << "MoreLayout" << "RowsCount" << "-3";
    QTest::newRow("title with accents")            << "MoreLayout" << "Title" << "Ferien in Zürich";
    QTest::newRow("template line with blanks")     << "HTMLThumbnails" << "Line0" << "d   <p>indented</p>";
    QTest::newRow("template with empty lines")     << "HTMLImages" << "Line2" << "d<br>";
    QTest::newRow("page names")                    << "Files" << "ImagePagesName" << "bild";
    // clang-format on
  }
  // A tab change copies the controls into the record and back; the record then holds what
  // the window limits of the settings give.
  void RoundTripEqualsWindowLimits() {
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    Windows windows;
    const std::string file = SettingsFileWith(windows, section, key, value);
    KM_Class expected;
    expected.LoadFromFile(file);
    ApplyWindowLimits(expected);

    windows.km->Settings.LoadFromFile(file);
    windows.km->SettingsToControls();
    windows.km->PageControl1->setCurrentIndex(2);

    QCOMPARE(Q(SavedText(windows.km->Settings, windows.File("actual.km2"))),
             Q(SavedText(expected, windows.File("expected.km2"))));
    QVERIFY(windows.km->Settings == expected);
    QVERIFY(windows.dialogs.log.isEmpty());
  }

  void ChangedRules_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("changed");
    for (const char* action :
         {"arrow key in title", "arrow key in image template", "key in column count",
          "image quality", "thumbnail quality", "120 button", "sort order", "subtitle",
          "convert file names", "filter chosen", "extension chosen", "exif box", "upright box",
          "GPS box", "colour chosen", "macro double-click"}) {
      QTest::newRow(action) << action << true;
    }
    for (const char* action : {"typing the input folder", "typing the output folder", "input lock",
                               "output lock", "browser start", "creation mode", "folder chosen",
                               "colour dialog cancelled", "tab change"}) {
      QTest::newRow(action) << action << false;
    }
  }
  void ChangedRules() {
    QFETCH(QString, action);
    QFETCH(bool, changed);
    Windows windows;
    TKM& km = *windows.km;
    windows.dialogs.colors.push_back(action == "colour chosen" ? std::optional(QColor(1, 2, 3))
                                                               : std::nullopt);
    windows.dialogs.folders.push_back(
        QString::fromStdString(windows.program_folder.Path().string()));
    const std::map<QString, std::function<void()>> actions = {
        {"arrow key in title", [&] { QTest::keyClick(km.outEditTitle, Qt::Key_Left); }},
        {"arrow key in image template",
         [&] { QTest::keyClick(km.outMemoHTMLImages, Qt::Key_Down); }},
        {"key in column count", [&] { QTest::keyClick(km.outEditCols, Qt::Key_5); }},
        {"image quality", [&] { km.TrackBarImageQuality->setValue(40); }},
        {"thumbnail quality", [&] { km.TrackBarThumbQuality->setValue(41); }},
        {"120 button", [&] { km.RadioButton120->click(); }},
        {"sort order", [&] { km.SortMode->SetItemIndex(3); }},
        {"subtitle", [&] { km.RadioGroupThumbsSubtitle->SetItemIndex(4); }},
        {"convert file names", [&] { km.CheckBoxConvertFilenames->click(); }},
        {"filter chosen", [&] { QTest::keyClick(km.outComboBoxFilter, Qt::Key_Up); }},
        {"extension chosen", [&] { QTest::keyClick(km.outComboBoxHTMLExtension, Qt::Key_Down); }},
        {"exif box", [&] { km.CheckBoxExif->click(); }},
        {"upright box", [&] { km.CheckBoxAutoRotate->click(); }},
        {"GPS box", [&] { km.CheckBoxStripLocation->click(); }},
        {"colour chosen", [&] { km.ButtonLinkColor->click(); }},
        {"macro double-click",
         [&] {
           km.outStringGridMacros2->setCurrentCell(3, 0);
           emit km.outStringGridMacros2->cellDoubleClicked(3, 0);
         }},
        {"typing the input folder", [&] { QTest::keyClicks(km.outEditSource, "/photos"); }},
        {"typing the output folder", [&] { QTest::keyClicks(km.outEditDesti, "/web"); }},
        {"input lock", [&] { km.CheckBoxLockInput->click(); }},
        {"output lock", [&] { km.CheckBoxLockOutput->click(); }},
        {"browser start", [&] { km.CheckBoxAutoBrowserStart->click(); }},
        {"creation mode", [&] { km.RadioGroupCreation->SetItemIndex(2); }},
        {"folder chosen", [&] { km.ButtonExportDirectory->click(); }},
        {"colour dialog cancelled", [&] { km.ButtonBGColor->click(); }},
        {"tab change",
         [&] {
           km.PageControl1->setCurrentIndex(3);
           km.PageControl1->setCurrentIndex(0);
         }},
    };
    QVERIFY(!km.Changed);
    actions.at(action)();
    QCOMPARE(km.Changed, changed);
    km.Timer1Timer();
    QCOMPARE(km.windowTitle().endsWith(QStringLiteral(" *")), changed);
  }

  void StrictNumberFields_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("decimal") << "12" << true << 12;
    QTest::newRow("leading blanks") << "   7" << true << 7;
    QTest::newRow("plus sign") << "+5" << true << 5;
    QTest::newRow("minus sign") << "-8" << true << -8;
    QTest::newRow("dollar hex") << "$1F" << true << 31;
    QTest::newRow("smallest") << "-2147483648" << true << INT32_MIN;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("trailing blank") << "12 " << false << 0;
    QTest::newRow("letters after") << "1x" << false << 0;
    QTest::newRow("0x prefix") << "0x10" << false << 0;
    QTest::newRow("beyond 32 bits") << "2147483648" << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
  }
  // A number field without an integer stops the copy there with an error box; the fields
  // before it are copied, the ones after it are not, and the tab change shows nothing new.
  void StrictNumberFields() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    Windows windows;
    TKM& km = *windows.km;
    km.outEditDesti->setText(QStringLiteral("/new/output"));
    km.outEditCols->setText(text);
    km.outEditRows->setText(QStringLiteral("9"));
    QCOMPARE(km.ControlsToSettings(), valid);
    QCOMPARE(km.Settings.OutputPath, std::string("/new/output"));
    if (valid) {
      QCOMPARE(km.Settings.ColsCount, value);
      QCOMPARE(km.Settings.RowsCount, 9);
      QVERIFY(windows.dialogs.log.isEmpty());
    } else {
      QCOMPARE(km.Settings.RowsCount, 4);
      QCOMPARE(
          windows.dialogs.log,
          QStringList{QStringLiteral("message(error)|Kelmora|'%1' is not a valid integer value")
                          .arg(text)});
      km.PageControl1->setCurrentIndex(1);
      QCOMPARE(km.outEditCols->text(), text);  // no refresh after the failed copy
    }
  }

  void CloseQuery_data() {
    QTest::addColumn<bool>("changed");
    QTest::addColumn<bool>("batch");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("save_dialog_confirmed");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<int>("questions");
    const int yes = static_cast<int>(Answer::kYes);
    const int no = static_cast<int>(Answer::kNo);
    const int cancel = static_cast<int>(Answer::kCancel);
    QTest::newRow("unchanged") << false << false << yes << false << true << false << 0;
    QTest::newRow("batch never asks") << true << true << cancel << false << true << false << 0;
    QTest::newRow("cancel stays") << true << false << cancel << false << false << false << 1;
    QTest::newRow("no closes") << true << false << no << false << true << false << 1;
    QTest::newRow("yes and saved") << true << false << yes << true << true << true << 1;
    QTest::newRow("yes, dialog cancelled") << true << false << yes << false << false << false << 1;
  }
  void CloseQuery() {
    QFETCH(bool, changed);
    QFETCH(bool, batch);
    QFETCH(int, answer);
    QFETCH(bool, save_dialog_confirmed);
    QFETCH(bool, closes);
    QFETCH(bool, saved);
    QFETCH(int, questions);
    Windows windows;
    TKM& km = *windows.km;
    km.show();
    km.Changed = changed;
    km.BatchMode = batch;
    const std::string target = windows.File("saved.km2");
    windows.dialogs.yes_no_cancel_answers.push_back(static_cast<Answer>(answer));
    windows.dialogs.file_names.push_back(
        save_dialog_confirmed ? std::optional(QString::fromStdString(target)) : std::nullopt);
    km.ButtonQuit->click();
    QCOMPARE(km.isVisible(), !closes);
    QCOMPARE(std::filesystem::exists(target), saved);
    QCOMPARE(
        windows.dialogs.log.filter(QStringLiteral("yesnocancel|KM|Do you want to save changes?"))
            .size(),
        questions);
  }

  void LoadSettings_data() {
    QTest::addColumn<bool>("lock_input");
    QTest::addColumn<QString>("expected_input");
    QTest::newRow("unlocked") << false << "/from/file";
    QTest::newRow("input locked") << true << "/shown/input";
  }
  // Loading keeps a locked input folder, sets Changed when the track bars move, and a file
  // that doesn't exist loads the defaults with empty templates.
  void LoadSettings() {
    QFETCH(bool, lock_input);
    QFETCH(QString, expected_input);
    Windows windows;
    TKM& km = *windows.km;
    const std::string file = windows.File("other.km2");
    WriteText(file,
              "[Files]\r\nInputPath=/from/file\r\nOutputPath=/out/file\r\n[ThumbsNImages]\r\n"
              "QualityImages=50\r\n[HTMLThumbnails]\r\nLine0=d<html>\r\n");
    km.outEditSource->setText(QStringLiteral("/shown/input"));
    km.CheckBoxLockInput->setChecked(lock_input);
    windows.dialogs.file_names.push_back(QString::fromStdString(file));
    km.ButtonLoadSettings->click();
    QCOMPARE(km.outEditSource->text(), expected_input);
    QCOMPARE(km.outEditDesti->text(), QStringLiteral("/out/file"));
    QCOMPARE(km.LabelImageQuality->text(), QStringLiteral("50"));
    QVERIFY(km.Changed);
    QCOMPARE(MemoLines(km.outMemoHTMLThumbnails), QStringList{QStringLiteral("<html>")});

    // A file that is there but cannot be read (beyond the size of any settings file) keeps
    // what the window shows and says why.
    WriteText(windows.File("huge.km2"), std::string(size_t{9} << 20, ' '));
    windows.dialogs.file_names.push_back(QString::fromStdString(windows.File("huge.km2")));
    km.ButtonLoadSettings->click();
    QCOMPARE(km.outEditDesti->text(), QStringLiteral("/out/file"));
    QVERIFY(windows.dialogs.log.last().startsWith(QStringLiteral("message(error)|KM|")));
    QVERIFY(windows.dialogs.log.last().contains(QStringLiteral("huge.km2")));

    windows.dialogs.file_names.push_back(QString::fromStdString(windows.File("missing.km2")));
    km.ButtonLoadSettings->click();
    QCOMPARE(MemoLines(km.outMemoHTMLThumbnails), QStringList());
    QCOMPARE(MemoLines(km.outMemoHTMLImages), QStringList());
    QCOMPARE(km.outEditImageSitesName->text(), QStringLiteral("image"));
  }

  // Save as default writes default.km2 of the program folder and clears Changed; a file
  // that cannot be written shows SaveSettingsError and keeps Changed.
  void SaveSettings() {
    Windows windows;
    TKM& km = *windows.km;
    km.outEditTitle->setText(QStringLiteral("Saved title"));
    km.Changed = true;
    km.ButtonSaveDefault->click();
    QVERIFY(!km.Changed);
    KM_Class reloaded;
    reloaded.LoadFromFile(windows.File("default.km2"));
    QCOMPARE(reloaded.Title, std::string("Saved title"));

    km.Changed = true;
    windows.dialogs.file_names.push_back(QString::fromStdString(windows.File("no/such/dir/x.km2")));
    km.ButtonSaveSettings->click();
    QVERIFY(km.Changed);
    QCOMPARE(windows.dialogs.log.last(),
             QStringLiteral("message(error)|KM|settings file could NOT be saved"));
  }

  // The language list shows the program folder's language files without extension and
  // selects km.ini's choice whatever its letter case; a change translates the window, the
  // macro tables and km.ini.
  void LanguageListAndChange() {
    Windows windows({}, false);
    WriteText(windows.File("km.ini"), "[Settings]\r\nLanguage=deutsch.LN\r\n");
    WriteText(windows.File("Deutsch.ln"),
              "[KM]\r\nKM.ButtonQuit.Caption=Beenden\r\n[Misc]\r\nMacro1Expl=aktuelle Seite\r\n");
    WriteText(windows.File("Zulu.ln"), "[Misc]\r\nMacro2Expl=zulu\r\n");
    WriteText(windows.File("Xhosa.LN"), "[Misc]\r\n");
    WriteText(windows.File("notes.txt"), "");
    TKM& km = *windows.km;
    km.FormShow();
    QCOMPARE(km.outComboBoxLanguage->count(), 3);
    QCOMPARE(km.outComboBoxLanguage->itemText(0), QStringLiteral("Deutsch"));
    QCOMPARE(km.outComboBoxLanguage->itemText(1), QStringLiteral("Xhosa"));
    QCOMPARE(km.outComboBoxLanguage->itemText(2), QStringLiteral("Zulu"));
    QCOMPARE(km.outComboBoxLanguage->currentIndex(), 0);
    QCOMPARE(km.ButtonQuit->text(), QStringLiteral("Beenden"));
    QCOMPARE(km.outStringGridMacros1->item(1, 1)->text(), QStringLiteral("aktuelle Seite"));

    km.outComboBoxLanguage->setCurrentIndex(2);
    QCOMPARE(km.LanguageFile, std::string("Zulu.ln"));
    QCOMPARE(km.ButtonQuit->text(), QStringLiteral("Beenden"));  // Zulu has no such key
    QCOMPARE(km.outStringGridMacros1->item(1, 1)->text(), QString());
    QCOMPARE(km.outStringGridMacros1->item(2, 1)->text(), QStringLiteral("zulu"));
    QVERIFY(ReadText(windows.File("km.ini")).find("Language=Zulu.ln") != std::string::npos);
    QVERIFY(!km.Changed);
  }

  void LanguageChoiceNotWritable() {
    Windows windows({}, false);
    std::filesystem::create_directory(windows.File("km.ini"));  // cannot be written as a file
    WriteText(windows.File("Zulu.ln"), "[Misc]\r\nMacro2Expl=zulu\r\n");
    WriteText(windows.File("Alpha.ln"), "[Misc]\r\n");
    TKM& km = *windows.km;
    km.FormShow();
    QCOMPARE(km.outComboBoxLanguage->currentIndex(), -1);  // Custom.ln is not there
    km.outComboBoxLanguage->setCurrentIndex(1);
    QCOMPARE(windows.dialogs.log.size(), 1);
    QVERIFY(windows.dialogs.log.first().startsWith(QStringLiteral("message(error)|Kelmora|")));
    QVERIFY(windows.dialogs.log.first().contains(QStringLiteral("km.ini")));
    QCOMPARE(km.outStringGridMacros1->item(2, 1)->text(), QStringLiteral("zulu"));
  }

  // The folder buttons: the translated title, the edit's text preselected, a cancel that
  // changes nothing, and a chooser that keeps its last folder for an empty edit.
  void FolderButtons() {
    Windows windows;
    TKM& km = *windows.km;
    const QString chosen = QString::fromStdString(windows.File("photos"));
    windows.dialogs.folders.push_back(chosen + QStringLiteral("/"));
    km.ButtonImportDirectory->click();
    QCOMPARE(windows.dialogs.last_folder_title, QStringLiteral("Select Input Folder"));
    QCOMPARE(km.outEditSource->text(), chosen);

    std::filesystem::create_directory(windows.File("photos"));
    km.outEditSource->clear();
    windows.dialogs.folders.push_back(std::nullopt);
    km.ButtonImportDirectory->click();
    QCOMPARE(windows.dialogs.last_folder_start, chosen);  // the chooser's last folder
    QCOMPARE(km.outEditSource->text(), QString());

    km.outEditAdditional->setText(QStringLiteral("/no/such/folder"));
    windows.dialogs.folders.push_back(std::nullopt);
    km.ButtonAdditionalDirectory->click();
    QCOMPARE(windows.dialogs.last_folder_title,
             QStringLiteral("Select Additional Elements Folder"));
    QCOMPARE(windows.dialogs.last_folder_start, QString());
    QCOMPARE(km.outEditAdditional->text(), QStringLiteral("/no/such/folder"));
  }

  void DefaultsWithoutDefaultFile_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("shown");
    QTest::newRow("image pages") << "outEditImageSitesName"
                                 << "image";
    QTest::newRow("thumbnail pages") << "outEditThumbSitesName"
                                     << "page";
    QTest::newRow("image quality") << "LabelImageQuality"
                                   << "90";
    QTest::newRow("thumbnail quality") << "LabelThumbQuality"
                                       << "90";
    QTest::newRow("thumbnail size") << "outMaskEditUserSize"
                                    << "160";
    QTest::newRow("filter") << "outComboBoxFilter"
                            << "Lanczos3Filter";
    QTest::newRow("columns") << "outEditCols"
                             << "4";
    QTest::newRow("rows") << "outEditRows"
                          << "4";
    QTest::newRow("thumbnail template") << "outMemoHTMLThumbnails"
                                        << "";
    QTest::newRow("image template") << "outMemoHTMLImages"
                                    << "";
    QTest::newRow("extension") << "outComboBoxHTMLExtension"
                               << ".htm";
  }
  // Without default.km2 the window shows the defaults of the settings and empty templates;
  // the caption has no change mark.
  void DefaultsWithoutDefaultFile() {
    QFETCH(QString, control);
    QFETCH(QString, shown);
    Windows windows;
    QWidget* widget = windows.km->Component(control);
    QVERIFY(widget);
    QString text;
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) text = edit->text();
    if (auto* label = qobject_cast<QLabel*>(widget)) text = label->text();
    if (auto* combo = qobject_cast<QComboBox*>(widget)) text = combo->currentText();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(widget)) text = MemoLines(memo).join('|');
    QCOMPARE(text, shown);
    QVERIFY(!windows.km->Changed);
    QVERIFY(!windows.km->windowTitle().endsWith(QStringLiteral(" *")));
  }

  // SortMode enables the EXIF box only for the date orders.
  void SortModeEnablesExif_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("date ascending") << 0 << true;
    QTest::newRow("date descending") << 1 << true;
    QTest::newRow("name ascending") << 2 << false;
    QTest::newRow("name descending") << 3 << false;
  }
  void SortModeEnablesExif() {
    QFETCH(int, index);
    QFETCH(bool, enabled);
    Windows windows;
    windows.km->SortMode->SetItemIndex(index == 0 ? 3 : 0);
    windows.km->SortMode->SetItemIndex(index);
    QCOMPARE(windows.km->CheckBoxExif->isEnabled(), enabled);
  }
};

}  // namespace kelmora::test

QTEST_MAIN(kelmora::test::MainWindowTest)
#include "main_window_test.moc"
