// Interface translation and the language-file generator on small windows of every kind of
// component they know.
#include <unistd.h>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <filesystem>

#include "common/ascii_text.h"
#include "common/errors.h"
#include "gui/form.h"
#include "gui/interface_translation.h"
#include "gui/radio_group.h"
#include "localisation/language_file.h"
#include "platform/file_system.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

QString Q(const char* text) {
  return QString::fromUtf8(text);
}

class TestForm : public Form {
 public:
  TestForm() {
    setObjectName(Q("TestForm"));
    setWindowTitle(Q("Test Window"));
    pages = Add(new QTabWidget(this), "Pages");
    page_one = Add(new QWidget, "PageOne");
    pages->addTab(page_one, Q("First &Page"));
    page_one->setToolTip(Q("Page hint"));
    button_quit = Add(new QPushButton(Q("E&xit"), page_one), "ButtonQuit");
    button_quit->setToolTip(Q("Ends the program"));
    label1 = Add(new QLabel(Q("Name:"), page_one), "Label1");
    label_empty = Add(new QLabel(page_one), "LabelEmpty");
    label_same = Add(new QLabel(Q("LabelSame"), page_one), "LabelSame");
    label_separator = Add(new QLabel(Q("-"), page_one), "LabelSeparator");
    label_accents = Add(new QLabel(Q("Größe"), page_one), "LabelAccents");
    check_box1 = Add(new QCheckBox(Q("Check me"), page_one), "CheckBox1");
    radio1 = Add(new QRadioButton(Q("Radio"), page_one), "Radio1");
    group1 = Add(new QGroupBox(Q("Group"), page_one), "Group1");
    radio_group1 = Add(new RadioGroup(group1), "RadioGroup1");
    radio_group1->setTitle(Q("Choose"));
    radio_group1->SetItems({Q("One"), Q(""), Q("Three")});
    radio_group1->SetItemIndex(2);
    combo_list = Add(new QComboBox(page_one), "ComboList");
    combo_list->addItems({Q("Alpha"), Q("Beta")});
    combo_list->setCurrentIndex(1);
    edit1 = Add(new QLineEdit(Q("edit text"), page_one), "Edit1");
    edit1->setToolTip(Q("Edit hint"));
    memo1 = Add(new QPlainTextEdit(Q("line a\nline b\nline c"), page_one), "Memo1");
    memo_self = Add(new QPlainTextEdit(Q("first\nMemoSelf\nafter"), page_one), "MemoSelf");
    out_memo_data = Add(new QPlainTextEdit(Q("data"), page_one), "outMemoData");
    out_combo_data = Add(new QComboBox(page_one), "outComboData");
    out_combo_data->addItems({Q("x"), Q("y")});
    out_label_data = Add(new QLabel(Q("data label"), page_one), "outLabelData");
    out_label_data->setToolTip(Q("data hint"));
    unnamed = Add(new QLabel(Q("no name"), page_one), "");
  }

  template <typename Widget>
  Widget* Add(Widget* widget, const char* name) {
    return Register(widget, name);
  }

  QTabWidget* pages;
  QWidget* page_one;
  QPushButton* button_quit;
  QLabel *label1, *label_empty, *label_same, *label_separator, *label_accents;
  QCheckBox* check_box1;
  QRadioButton* radio1;
  QGroupBox* group1;
  RadioGroup* radio_group1;
  QComboBox* combo_list;
  QLineEdit* edit1;
  QPlainTextEdit *memo1, *memo_self, *out_memo_data;
  QComboBox* out_combo_data;
  QLabel *out_label_data, *unnamed;
};

// A second window whose caption is its own name.
class SecondForm : public Form {
 public:
  SecondForm() {
    setObjectName(Q("SecondForm"));
    setWindowTitle(Q("SecondForm"));
    button = new QPushButton(Q("Go"), this);
    button->setObjectName(Q("Button"));
    Add(button);
  }
  void Add(QWidget* widget) { Register(widget, "Button"); }
  QPushButton* button;
};

std::string Bytes(const QString& text) {
  return text.toUtf8().toStdString();
}

QStringList Lines(const QPlainTextEdit* memo) {
  QStringList lines;
  for (QTextBlock block = memo->document()->begin(); block.isValid(); block = block.next())
    lines << block.text();
  return lines;
}

// Every text of the test window in one list, so that a check sees any change anywhere.
QStringList AllTexts(const TestForm& form) {
  QStringList texts{
      form.windowTitle(),         form.pages->tabText(0),      form.page_one->toolTip(),
      form.button_quit->text(),   form.button_quit->toolTip(), form.label1->text(),
      form.label_empty->text(),   form.label_same->text(),     form.label_separator->text(),
      form.label_accents->text(), form.check_box1->text(),     form.radio1->text(),
      form.group1->title(),       form.radio_group1->title(),  form.edit1->text(),
      form.edit1->toolTip(),      form.out_label_data->text(), form.unnamed->text()};
  texts << form.radio_group1->Items();
  for (int i = 0; i < form.combo_list->count(); ++i) texts << form.combo_list->itemText(i);
  texts << Lines(form.memo1) << Lines(form.memo_self) << Lines(form.out_memo_data);
  return texts;
}

void Translate(TestForm& form, const std::string& file_text) {
  TranslateForms({nullptr, &form}, LanguageFile::Parse(file_text));
}

class InterfaceTranslationTest : public QObject {
  Q_OBJECT

 private slots:
  void TranslatesWhatTheFileGives_data();
  void TranslatesWhatTheFileGives();
  void FilesThatChangeNothing_data();
  void FilesThatChangeNothing();
  void APartialFileKeepsTheEarlierLanguage();
  void MemoLineKeysBeyondTheLineCountAreNotRead();
  void TextPropertiesByKind();
  void GeneratorWritesEveryInterfaceText();
  void GeneratedFileTranslatesBackToTheSameTexts();
  void GeneratorCopiesTheTranslatedTexts();
  void WriteUpdatesInPlaceRegenerateStartsAfresh();
  void GeneratorFailureRaisesAndWritesNothing();
};

void InterfaceTranslationTest::TranslatesWhatTheFileGives_data() {
  QTest::addColumn<QByteArray>("file");
  QTest::addColumn<QStringList>("expected");  // texts of AllTexts that change: index, text

  QTest::newRow("window caption") << QByteArray("[TestForm]\nTestForm.Caption=Testfenster")
                                  << QStringList{Q("0"), Q("Testfenster")};
  QTest::newRow("tab page caption and hint")
      << QByteArray("[TestForm]\nTestForm.PageOne.Caption=Erste &Seite\nTestForm.PageOne.Hint=Tipp")
      << QStringList{Q("1"), Q("Erste &Seite"), Q("2"), Q("Tipp")};
  QTest::newRow("whole key and section in lower case")
      << QByteArray("[testform]\ntestform.buttonquit.caption=&Beenden")
      << QStringList{Q("3"), Q("&Beenden")};
  QTest::newRow("key in upper case, blanks around")
      << QByteArray("[TESTFORM]\n  TESTFORM.BUTTONQUIT.HINT  =  Beendet  ")
      << QStringList{Q("4"), Q("Beendet")};
  QTest::newRow("label, check box, radio button, group box, radio group title")
      << QByteArray(
             "[TestForm]\nTestForm.Label1.Caption=Name "
             "(de):\nTestForm.CheckBox1.Caption=Ankreuzen\n"
             "TestForm.Radio1.Caption=Knopf\nTestForm.Group1.Caption=Gruppe\n"
             "TestForm.RadioGroup1.Caption=Auswahl")
      << QStringList{Q("5"),     Q("Name (de):"), Q("10"),     Q("Ankreuzen"), Q("11"),
                     Q("Knopf"), Q("12"),         Q("Gruppe"), Q("13"),        Q("Auswahl")};
  QTest::newRow("a caption of an empty label, of a label named like itself")
      << QByteArray(
             "[TestForm]\nTestForm.LabelEmpty.Caption=jetzt da\nTestForm.LabelSame.Caption=anders")
      << QStringList{Q("6"), Q("jetzt da"), Q("7"), Q("anders")};
  QTest::newRow("an edit takes a hint but has no caption")
      << QByteArray("[TestForm]\nTestForm.Edit1.Caption=not shown\nTestForm.Edit1.Hint=Eingabe")
      << QStringList{Q("15"), Q("Eingabe")};
  QTest::newRow("data components are translated too")
      << QByteArray("[TestForm]\nTestForm.outLabelData.Caption=Daten")
      << QStringList{Q("16"), Q("Daten")};
  QTest::newRow("Windows-1252 bytes") << QByteArray(
                                             "[TestForm]\nTestForm.LabelAccents.Caption=Gr\xF6\xDF"
                                             "e \x80")
                                      << QStringList{Q("9"), Q("Größe €")};
  QTest::newRow("line-break marker") << QByteArray("[TestForm]\nTestForm.Label1.Caption=one*|*two")
                                     << QStringList{Q("5"), Q("one\ntwo")};
  QTest::newRow("radio group items: empty values change nothing, the selection stays")
      << QByteArray(
             "[TestForm]\nTestForm.RadioGroup1.Items[0]=Eins\nTestForm.RadioGroup1.items[1]=Zwei\n"
             "TestForm.RadioGroup1.Items[2]=\nTestForm.RadioGroup1.Items[3]=Vier")
      << QStringList{Q("18"), Q("Eins"), Q("19"), Q("Zwei")};
  QTest::newRow("drop-down items")
      << QByteArray("[TestForm]\nTestForm.ComboList.ITEMS[1]=Beta (de)")
      << QStringList{Q("22"), Q("Beta (de)")};
  QTest::newRow("memo lines: an empty value empties a line, fsdef is no value")
      << QByteArray(
             "[TestForm]\nTestForm.Memo1.Lines[0]=Zeile a\nTestForm.Memo1.lines[1]=\n"
             "TestForm.Memo1.Lines[2]=fsdef")
      << QStringList{Q("23"), Q("Zeile a"), Q("24"), Q("")};
  QTest::newRow("data memo lines too")
      << QByteArray("[TestForm]\nTestForm.outMemoData.Lines[0]=Daten")
      << QStringList{Q("29"), Q("Daten")};
}

void InterfaceTranslationTest::TranslatesWhatTheFileGives() {
  QFETCH(QByteArray, file);
  QFETCH(QStringList, expected);
  TestForm form;
  QStringList texts = AllTexts(form);
  for (qsizetype i = 0; i + 1 < expected.size(); i += 2)
    texts[expected[i].toInt()] = expected[i + 1];
  Translate(form, file.toStdString());
  QCOMPARE(AllTexts(form), texts);
  QCOMPARE(form.radio_group1->ItemIndex(), 2);
  QCOMPARE(form.combo_list->currentIndex(), 1);
}

void InterfaceTranslationTest::FilesThatChangeNothing_data() {
  QTest::addColumn<QString>("file");
  QTest::newRow("only Misc") << Q("[Misc]\nTextColor=Textfarbe\nTestForm.Caption=x");
  QTest::newRow("empty values") << Q(
      "[TestForm]\nTestForm.Caption=\nTestForm.ButtonQuit.Caption=\nTestForm.ButtonQuit.Hint=\n"
      "TestForm.ComboList.Items[0]=\nTestForm.PageOne.Caption=");
  QTest::newRow("other window's section") << Q("[KM]\nTestForm.ButtonQuit.Caption=Beenden");
  QTest::newRow("keys of components the window lacks")
      << Q("[TestForm]\nTestForm.NoSuchButton.Caption=x\nTestForm.Memo1.Items[0]=x\n"
           "TestForm.ComboList.Lines[0]=x\nTestForm.Caption.Caption=x");
  QTest::newRow("empty file") << Q("");
}

void InterfaceTranslationTest::FilesThatChangeNothing() {
  QFETCH(QString, file);
  TestForm form;
  const QStringList before = AllTexts(form);
  Translate(form, Bytes(file));
  QCOMPARE(AllTexts(form), before);
}

void InterfaceTranslationTest::APartialFileKeepsTheEarlierLanguage() {
  TestForm form;
  Translate(form,
            "[TestForm]\nTestForm.ButtonQuit.Caption=&Beenden\nTestForm.Label1.Caption=Name:\n"
            "TestForm.RadioGroup1.Items[0]=Eins\nTestForm.Memo1.Lines[0]=Zeile");
  Translate(form, "[TestForm]\nTestForm.Label1.Caption=Nom :\nTestForm.Memo1.Lines[1]=ligne");
  QCOMPARE(form.button_quit->text(), Q("&Beenden"));
  QCOMPARE(form.label1->text(), Q("Nom :"));
  QCOMPARE(form.radio_group1->Items(), (QStringList{Q("Eins"), Q(""), Q("Three")}));
  QCOMPARE(Lines(form.memo1), (QStringList{Q("Zeile"), Q("ligne"), Q("line c")}));
}

void InterfaceTranslationTest::MemoLineKeysBeyondTheLineCountAreNotRead() {
  TestForm form;
  std::string file = "[TestForm]\n";
  for (int i = 0; i <= 5; ++i)
    file += "TestForm.Memo1.Lines[" + std::to_string(i) + "]=L" + std::to_string(i) + "\n";
  Translate(form, file);
  QCOMPARE(Lines(form.memo1), (QStringList{Q("L0"), Q("L1"), Q("L2")}));

  // The line end of the last line makes no line of its own.
  form.memo1->setPlainText(Q("a\nb\n"));
  Translate(form, file);
  QCOMPARE(form.memo1->toPlainText(), Q("L0\nL1\n"));

  QPlainTextEdit* empty = form.out_memo_data;
  empty->clear();
  Translate(form, "[TestForm]\nTestForm.outMemoData.Lines[0]=new");
  QCOMPARE(empty->toPlainText(), Q(""));
}

void InterfaceTranslationTest::TextPropertiesByKind() {
  TestForm form;
  struct Case {
    QWidget* component;
    bool caption;
    const char* text;
  };
  const Case cases[] = {
      {form.page_one, true, "First &Page"},
      {form.button_quit, true, "E&xit"},
      {form.label1, true, "Name:"},
      {form.check_box1, true, "Check me"},
      {form.radio1, true, "Radio"},
      {form.group1, true, "Group"},
      {form.radio_group1, true, "Choose"},
      {form.combo_list, false, ""},
      {form.edit1, false, ""},
      {form.memo1, false, ""},
      {form.pages, false, ""},
      {&form, true, "Test Window"},
  };
  for (const Case& c : cases) {
    QVERIFY2(HasTextProp(c.component, "Caption") == c.caption,
             qPrintable(c.component->objectName()));
    QCOMPARE(GetTextProp(c.component, "Caption"), std::string(c.text));
    QVERIFY(HasTextProp(c.component, "Hint"));
    QVERIFY(!HasTextProp(c.component, "Text"));
  }
  QCOMPARE(GetTextProp(form.edit1, "Hint"), std::string("Edit hint"));
  QVERIFY(!HasTextProp(form.unnamed, "Caption"));
  QVERIFY(!HasTextProp(form.unnamed, "Hint"));
  QCOMPARE(GetTextProp(form.unnamed, "Caption"), std::string("no name"));

  SetTextProp(form.edit1, "Caption", "ignored");
  QCOMPARE(form.edit1->text(), Q("edit text"));
  SetTextProp(form.button_quit, "Caption", "");
  QCOMPARE(form.button_quit->text(), Q("E&xit"));
  SetTextProp(form.button_quit, "Hint", "Tipp");
  QCOMPARE(form.button_quit->toolTip(), Q("Tipp"));
  SetTextProp(form.button_quit, "Text", "unknown property");
  QCOMPARE(form.button_quit->text(), Q("E&xit"));
}

constexpr char kDeclarations[] =
    "const\r\n"
    "  Greeting='Hello';\r\n"
    "  TwoLines='first'+#13#10\r\n"
    "    +'second';\r\n";

// What the generator makes of TestForm and SecondForm with kDeclarations.
constexpr char kExpected[] =
    "[TestForm]\r\n"
    "TestForm.Caption=Test Window\r\n"
    "TestForm.PageOne.Caption=First &Page\r\n"
    "TestForm.PageOne.Hint=Page hint\r\n"
    "TestForm.ButtonQuit.Caption=E&xit\r\n"
    "TestForm.ButtonQuit.Hint=Ends the program\r\n"
    "TestForm.Label1.Caption=Name:\r\n"
    "TestForm.LabelAccents.Caption=Gr\xC3\xB6\xC3\x9F"
    "e\r\n"
    "TestForm.CheckBox1.Caption=Check me\r\n"
    "TestForm.Radio1.Caption=Radio\r\n"
    "TestForm.Group1.Caption=Group\r\n"
    "TestForm.RadioGroup1.Caption=Choose\r\n"
    "TestForm.RadioGroup1.Items[0]=One\r\n"
    "TestForm.RadioGroup1.Items[1]=\r\n"
    "TestForm.RadioGroup1.Items[2]=Three\r\n"
    "TestForm.ComboList.Items[0]=Alpha\r\n"
    "TestForm.ComboList.Items[1]=Beta\r\n"
    "TestForm.Edit1.Hint=Edit hint\r\n"
    "TestForm.Memo1.Lines[0]=line a\r\n"
    "TestForm.Memo1.Lines[1]=line b\r\n"
    "TestForm.Memo1.Lines[2]=line c\r\n"
    "TestForm.MemoSelf.Lines[0]=first\r\n"
    "[SecondForm]\r\n"
    "SecondForm.Button.Caption=Go\r\n"
    "[Misc]\r\n"
    "Greeting=Hello\r\n"
    "TwoLines=first*|*second\r\n";

void InterfaceTranslationTest::GeneratorWritesEveryInterfaceText() {
  test::TempDir folder;
  test::WriteText(folder.Path() / "messages.pas", kDeclarations);
  TestForm form;
  SecondForm second;
  RegenerateLanguageFile({&form, nullptr, &second}, SingleProgramFolder(folder.Path().string()));
  QCOMPARE(test::ReadText(folder.Path() / "Custom.ln"), std::string(kExpected));
}

void InterfaceTranslationTest::GeneratedFileTranslatesBackToTheSameTexts() {
  test::TempDir folder;
  TestForm form;
  form.label1->setText(Q("two\nlines"));
  form.button_quit->setToolTip(Q("hint\r\nover lines"));
  RegenerateLanguageFile({&form}, SingleProgramFolder(folder.Path().string()));
  const QStringList before = AllTexts(form);

  // Another language first, with every text of the file changed, so that the generated file
  // has to bring each of them back.
  const std::string generated = test::ReadText(folder.Path() / "Custom.ln");
  std::string other;
  for (std::string_view line : SplitLines(generated)) {
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos || equals + 1 == line.size()) {
      other.append(line).append("\n");
    } else {
      other.append(line.substr(0, equals + 1))
          .append("~")
          .append(line.substr(equals + 1))
          .append("\n");
    }
  }
  TestForm fresh;
  Translate(fresh, other);
  QVERIFY(fresh.button_quit->text() == Q("~E&xit") &&
          fresh.memo1->toPlainText().startsWith(Q("~")));
  Translate(fresh, generated);
  QStringList expected = before;
  expected[4] = Q("hint\nover lines");
  QCOMPARE(AllTexts(fresh), expected);
}

void InterfaceTranslationTest::GeneratorCopiesTheTranslatedTexts() {
  test::TempDir folder;
  test::WriteText(folder.Path() / "messages.pas", kDeclarations);
  TestForm form;
  Translate(form, "[TestForm]\nTestForm.ButtonQuit.Caption=&Beenden\n[Misc]\nGreeting=Hallo");
  RegenerateLanguageFile({&form}, SingleProgramFolder(folder.Path().string()));
  const auto written = LanguageFile::Parse(test::ReadText(folder.Path() / "Custom.ln"));
  QCOMPARE(written.ReadString("TestForm", "TestForm.ButtonQuit.Caption", ""),
           std::string("&Beenden"));
  QCOMPARE(written.ReadString("Misc", "Greeting", ""), std::string("Hello"));
}

void InterfaceTranslationTest::WriteUpdatesInPlaceRegenerateStartsAfresh() {
  test::TempDir program;
  test::TempDir working;
  const std::string stale =
      "; translator's note\r\n[TestForm]\r\nTestForm.ButtonQuit.Caption=old\r\n"
      "TestForm.Removed.Caption=stale\r\n[Other]\r\nkept=1\r\n";
  test::WriteText(program.Path() / "Custom.ln", stale);
  test::WriteText(working.Path() / "custom.ln", "someone else's file");
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(working.Path());

  TestForm form;
  WriteLanguageFile({&form}, SingleProgramFolder(program.Path().string()));
  const std::string updated = test::ReadText(program.Path() / "Custom.ln");
  QVERIFY(updated.starts_with(
      "; translator's note\r\n[TestForm]\r\nTestForm.ButtonQuit.Caption=E&xit\r\n"
      "TestForm.Removed.Caption=stale\r\n"));
  QVERIFY(updated.find("[Other]\r\nkept=1\r\n") != std::string::npos);

  RegenerateLanguageFile({&form}, SingleProgramFolder(program.Path().string()));
  const std::string fresh = test::ReadText(program.Path() / "Custom.ln");
  QVERIFY(fresh.starts_with("[TestForm]\r\nTestForm.Caption=Test Window\r\n"));
  QVERIFY(fresh.find("stale") == std::string::npos);
  QVERIFY(fresh.find("[Other]") == std::string::npos);
  std::filesystem::current_path(previous);
  QCOMPARE(test::ReadText(working.Path() / "custom.ln"), std::string("someone else's file"));
}

void InterfaceTranslationTest::GeneratorFailureRaisesAndWritesNothing() {
  test::TempDir program;
  // A file stands where the program folder would be created.
  test::WriteText(program.Path() / "blocked", "x");
  TestForm form;
  bool raised = false;
  try {
    RegenerateLanguageFile({&form}, SingleProgramFolder((program.Path() / "blocked").string()));
  } catch (const EFileError& error) {
    raised = std::string(error.what()).find("Custom.ln") != std::string::npos;
  }
  QVERIFY(raised);
  QCOMPARE(test::ReadText(program.Path() / "blocked"), std::string("x"));
}

}  // namespace
}  // namespace kelmora

QTEST_MAIN(kelmora::InterfaceTranslationTest)
#include "interface_translation_test.moc"
