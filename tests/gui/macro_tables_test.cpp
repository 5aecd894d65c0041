// The macro tables and the colour choice with its preview.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

#include "gui/gui_fixture.h"
#include "gui/memo_lines.h"

namespace kelmora::test {

class MacroTablesTest : public QObject {
  Q_OBJECT

 private slots:
  void Rows_data() {
    QTest::addColumn<bool>("thumbnail_pages");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("macro");
    QTest::addColumn<QString>("description");
    QTest::newRow("header") << true << 0 << "Macro"
                            << "Description";
    QTest::newRow("first") << true << 1 << "@cp@"
                           << "current page number";
    QTest::newRow("background colour")
        << true << 12 << "@bg_color@"
        << "The selected background color as hex value (e.g. \"#1A66C5\")";
    QTest::newRow("thumbnail table") << true << 16 << "@thumbtable@"
                                     << "the table with the thumbnails";
    QTest::newRow("last of the thumbnail pages")
        << true << 17 << "@title@"
        << "a title for the thumbnailpages as defined in \"more layout options\"";
    QTest::newRow("image pages' own first") << false << 16 << "@thumbs@"
                                            << "filename of corresponding thumbnailpage";
    QTest::newRow("big image, trailing blank")
        << false << 18 << "@image_big@"
        << "filename of this image (original size) - see option (\"copy also images in "
           "original size\") ";
    QTest::newRow("last of the image pages")
        << false << 21 << "@exifcomment@"
        << "the contents of the comment section of the images exifinformation";
  }
  void Rows() {
    QFETCH(bool, thumbnail_pages);
    QFETCH(int, row);
    QFETCH(QString, macro);
    QFETCH(QString, description);
    Windows windows;
    QTableWidget* grid =
        thumbnail_pages ? windows.km->outStringGridMacros1 : windows.km->outStringGridMacros2;
    QCOMPARE(grid->rowCount(), thumbnail_pages ? 18 : 22);
    QCOMPARE(grid->columnCount(), 2);
    QCOMPARE(grid->item(row, 0)->text(), macro);
    QCOMPARE(grid->item(row, 1)->text(), description);
    QVERIFY(grid->selectedItems().isEmpty());
  }

  void DoubleClickInsertsAtTheCaret_data() {
    QTest::addColumn<bool>("thumbnail_pages");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("selection_length");
    QTest::addColumn<QString>("expected");
    QTest::newRow("row 12 at the caret") << true << 12 << 0 << "<body bgcolor=@bg_color@\"x\">";
    QTest::newRow("replacing the selection") << true << 1 << 3 << "<body bgcolor=@cp@>";
    QTest::newRow("image page table") << false << 19 << 0 << "<body bgcolor=@image_org@\"x\">";
    QTest::newRow("header row inserts nothing") << true << 0 << 0 << "<body bgcolor=\"x\">";
  }
  void DoubleClickInsertsAtTheCaret() {
    QFETCH(bool, thumbnail_pages);
    QFETCH(int, row);
    QFETCH(int, selection_length);
    QFETCH(QString, expected);
    Windows windows;
    TKM& km = *windows.km;
    QPlainTextEdit* memo = thumbnail_pages ? km.outMemoHTMLThumbnails : km.outMemoHTMLImages;
    QTableWidget* grid = thumbnail_pages ? km.outStringGridMacros1 : km.outStringGridMacros2;
    SetMemoLines(memo, {QStringLiteral("<body bgcolor=\"x\">")});
    QTextCursor cursor = memo->textCursor();
    cursor.setPosition(14);
    cursor.setPosition(14 + selection_length, QTextCursor::KeepAnchor);
    memo->setTextCursor(cursor);
    grid->setCurrentCell(row, 0);
    emit grid->cellDoubleClicked(row, 0);
    QCOMPARE(MemoLines(memo), QStringList{expected});
    QVERIFY(km.Changed);
  }

  // Descriptions follow the language; a key the language file lacks gives an empty one.
  void DescriptionsFollowTheLanguage() {
    Windows windows({}, false);
    WriteText(windows.File("km.ini"), "[Settings]\r\nLanguage=Deutsch.ln\r\n");
    WriteText(windows.File("Deutsch.ln"), "[Misc]\r\nMacro3Expl=Dateiname der nächsten Seite\r\n");
    windows.km->FormShow();
    QCOMPARE(windows.km->outStringGridMacros2->item(3, 1)->text(),
             QString::fromUtf8("Dateiname der nächsten Seite"));
    QCOMPARE(windows.km->outStringGridMacros2->item(4, 1)->text(), QString());
    QCOMPARE(windows.km->outStringGridMacros2->item(0, 1)->text(), QStringLiteral("Description"));
  }

  void SwatchesKeepEveryValue_data() {
    QTest::addColumn<int>("value");
    QTest::newRow("white") << 16777215;
    QTest::newRow("purple") << 8388736;
    QTest::newRow("every byte differs") << 0x00123456;
    QTest::newRow("system colour") << static_cast<int>(0x80000005u);
    QTest::newRow("top byte set") << 0x01FF0000;
  }
  // A value passes through a swatch unchanged; the swatch shows its red, green and blue.
  void SwatchesKeepEveryValue() {
    QFETCH(int, value);
    Windows windows;
    TKM& km = *windows.km;
    km.Settings.LinkColor = value;
    km.SettingsToControls();
    QVERIFY(km.ControlsToSettings());
    QCOMPARE(km.Settings.LinkColor, value);
    const auto bits = static_cast<uint32_t>(value);
    const QString shown = QColor(static_cast<int>(bits & 0xFF), static_cast<int>(bits >> 8 & 0xFF),
                                 static_cast<int>(bits >> 16 & 0xFF))
                              .name();
    QVERIFY(km.outEditLinkColor->styleSheet().contains(shown));
  }

  // One colour dialog for the four buttons, starting with the colour last chosen in it;
  // a cancelled choice changes no swatch but the preview is drawn again.
  void ColourDialogAndPreview() {
    Windows windows;
    TKM& km = *windows.km;
    km.Settings.BackgroundColor = 0x00FFFFFF;
    km.Settings.TextColor = 0;
    km.Settings.LinkColor = 0x00FF0000;
    km.Settings.VisitedLinkColor = 0x00800080;
    km.SettingsToControls();
    km.Changed = false;

    windows.dialogs.colors.push_back(QColor(0x11, 0x22, 0x33));
    km.ButtonLinkColor->click();
    QCOMPARE(TKM::SwatchColor(km.outEditLinkColor), 0x00332211);
    QVERIFY(km.Changed);

    km.Changed = false;
    km.outRichEditColorPreview->clear();
    windows.dialogs.colors.push_back(std::nullopt);
    km.ButtonBGColor->click();
    QCOMPARE(windows.dialogs.last_color_start, QColor(0x11, 0x22, 0x33));
    QVERIFY(!km.Changed);
    QCOMPARE(TKM::SwatchColor(km.outEditBGColor), 0x00FFFFFF);
    QCOMPARE(TKM::SwatchColor(km.outEditLinkColor), 0x00332211);

    QTextDocument* preview = km.outRichEditColorPreview->document();
    QCOMPARE(preview->blockCount(), 3);
    const QStringList texts = {QStringLiteral("Text color"), QStringLiteral("normal Link"),
                               QStringLiteral("visited Link")};
    const QColor colours[] = {QColor(0, 0, 0), QColor(0x11, 0x22, 0x33), QColor(0x80, 0, 0x80)};
    QTextBlock block = preview->begin();
    for (int i = 0; i < 3; ++i, block = block.next()) {
      QCOMPARE(block.text(), texts[i]);
      const QTextCharFormat format = block.begin().fragment().charFormat();
      QCOMPARE(format.foreground().color(), colours[i]);
      QCOMPARE(format.fontUnderline(), i > 0);
    }
    QVERIFY(km.outRichEditColorPreview->styleSheet().contains(QStringLiteral("#ffffff")));
  }
};

}  // namespace kelmora::test

QTEST_MAIN(kelmora::test::MacroTablesTest)
#include "macro_tables_test.moc"
