// The main window's language files: what the generator writes for the built-in texts, and
// the shipped translations switched on the real window and back.
#include <QComboBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <filesystem>

#include "gui/gui_fixture.h"
#include "gui/interface_translation.h"
#include "gui/radio_group.h"
#include "localisation/language_file.h"

namespace kelmora::test {
namespace {

std::filesystem::path ExpectedFile() {
  return DataDir() / "localisation" / "custom_builtin.ln";
}
std::filesystem::path ShippedFolder() {
  return DataDir().parent_path().parent_path() / "data";
}

std::string Trimmed(const QString& text) {
  return text.trimmed().toStdString();
}

// Every text of a window that translation may touch, one line per text, named by its key.
// Surrounding blanks do not count: a language file cannot carry them.
std::vector<std::string> TextsOf(const Form& form) {
  std::vector<std::string> texts{"Caption=" + Trimmed(form.windowTitle())};
  for (const QWidget* component : form.Components()) {
    const std::string name = component->objectName().toStdString();
    if (HasTextProp(component, "Caption")) {
      texts.push_back(
          name + ".Caption=" + Trimmed(QString::fromStdString(GetTextProp(component, "Caption"))));
    }
    texts.push_back(name + ".Hint=" + Trimmed(component->toolTip()));
    if (auto* group = qobject_cast<const RadioGroup*>(component)) {
      for (const QString& item : group->Items()) texts.push_back(name + ".Item=" + Trimmed(item));
    }
    if (auto* combo = qobject_cast<const QComboBox*>(component)) {
      for (int i = 0; i < combo->count(); ++i)
        texts.push_back(name + ".Item=" + Trimmed(combo->itemText(i)));
    }
    const QTextDocument* document = nullptr;
    if (auto* memo = qobject_cast<const QPlainTextEdit*>(component)) document = memo->document();
    if (auto* rich = qobject_cast<const QTextEdit*>(component)) document = rich->document();
    for (QTextBlock block = document ? document->begin() : QTextBlock(); block.isValid();
         block = block.next()) {
      texts.push_back(name + ".Line=" + Trimmed(block.text()));
    }
  }
  return texts;
}

std::shared_ptr<const LanguageFile> Open(const std::filesystem::path& path) {
  return OpenLanguageFile(path.parent_path().string(), path.filename().string());
}

}  // namespace

class LanguageFilesTest : public QObject {
  Q_OBJECT

 private slots:
  void GeneratorWritesTheCommittedFileForTheBuiltInTexts() {
    Windows windows({}, /*start=*/false);
    std::filesystem::copy_file(BinDir() / "messages.pas", windows.File("messages.pas"));
    RegenerateLanguageFile({windows.km.get(), windows.waiting.get()},
                           SingleProgramFolder(windows.ProgramFolder()));
    const std::string written = ReadText(windows.File("Custom.ln"));
    const std::string expected = ReadText(ExpectedFile());
    if (written != expected) {
      // When the window's texts change on purpose, this is the new expected file.
      const auto actual = std::filesystem::temp_directory_path() / "custom_builtin.actual.ln";
      WriteText(actual, written);
      QFAIL(qPrintable(QStringLiteral("generated file differs from %1; it is in %2")
                           .arg(QString::fromStdString(ExpectedFile().string()),
                                QString::fromStdString(actual.string()))));
    }
  }

  // Each shipped translation changes the window; the generated file then brings every text
  // back, so it holds every text the window shows.
  void GeneratedFileRestoresTheBuiltInTexts_data() {
    QTest::addColumn<QString>("language");
    QTest::newRow("none") << QString();
    for (const auto& entry : std::filesystem::directory_iterator(ShippedFolder())) {
      if (entry.path().extension() == ".ln" && entry.path().filename() != "English.ln") {
        QTest::newRow(entry.path().filename().c_str())
            << QString::fromStdString(entry.path().string());
      }
    }
  }

  void GeneratedFileRestoresTheBuiltInTexts() {
    QFETCH(QString, language);
    Windows windows({}, /*start=*/false);
    const std::vector<std::string> built_in = TextsOf(*windows.km);
    if (!language.isEmpty()) {
      TranslateForms({windows.km.get()}, *Open(language.toStdString()));
      QVERIFY(TextsOf(*windows.km) != built_in);
    }
    TranslateForms({windows.km.get()}, *Open(ExpectedFile()));
    QCOMPARE(TextsOf(*windows.km), built_in);
  }

  // The hidden button replaces the program folder's Custom.ln as a whole, with the texts the
  // window shows, and leaves a file of that name in the working folder alone.
  void HiddenButtonRegeneratesTheProgramFoldersFile() {
    Windows windows({}, /*start=*/false);
    std::filesystem::copy_file(BinDir() / "messages.pas", windows.File("messages.pas"));
    WriteText(windows.File("Custom.ln"),
              "[KM]\r\nKM.Stale.Caption=old\r\nKM.ButtonQuit.Caption=old\r\n");
    TempDir working;
    WriteText(working.Path() / "custom.ln", "not Kelmora's");
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(working.Path());
    TranslateForms({windows.km.get()}, *Open(ShippedFolder() / "Deutsch.ln"));
    windows.km->Button4Click();
    std::filesystem::current_path(previous);

    QCOMPARE(ReadText(working.Path() / "custom.ln"), std::string("not Kelmora's"));
    const std::string written = ReadText(windows.File("Custom.ln"));
    QVERIFY(written.find("Stale") == std::string::npos);
    const auto file = LanguageFile::Parse(written);
    QCOMPARE(file.ReadString("KM", "KM.ButtonQuit.Caption", ""), std::string("Kelmora beenden"));
    QCOMPARE(file.ReadString("Misc", "TextImageXofY", ""), std::string("Image %d of %d"));
    QCOMPARE(file.ReadString("FormWaiting", "FormWaiting.ButtonCancel.Caption", ""),
             std::string("Cancel Process"));
    QVERIFY(windows.dialogs.log.isEmpty());
  }

  // English.ln leads back from another language to the built-in texts.
  void EnglishBringsBackTheBuiltInTexts() {
    Windows windows({}, /*start=*/false);
    const std::vector<std::string> built_in = TextsOf(*windows.km);
    TranslateForms({windows.km.get()}, *Open(ShippedFolder() / "Francais.ln"));
    TranslateForms({windows.km.get()}, *Open(ShippedFolder() / "English.ln"));
    QCOMPARE(TextsOf(*windows.km), built_in);
  }

  // Complete translations switched back and forth: each shows the same texts every time.
  void SwitchingBetweenTranslationsIsStable() {
    Windows windows({}, /*start=*/false);
    const auto german = Open(ShippedFolder() / "Deutsch.ln");
    const auto french = Open(ShippedFolder() / "Francais.ln");
    QVERIFY(german && french);
    TranslateForms({windows.km.get()}, *german);
    const std::vector<std::string> german_texts = TextsOf(*windows.km);
    TranslateForms({windows.km.get()}, *french);
    const std::vector<std::string> french_texts = TextsOf(*windows.km);
    QVERIFY(french_texts != german_texts);
    TranslateForms({windows.km.get()}, *german);
    QCOMPARE(TextsOf(*windows.km), german_texts);
    TranslateForms({windows.km.get()}, *french);
    QCOMPARE(TextsOf(*windows.km), french_texts);
  }

  // A complete translation leaves no English text behind, apart from the few that read the
  // same in every language.
  void ShippedTranslationsReplaceTheTexts_data() {
    QTest::addColumn<QString>("language");
    for (const char* name : {"Deutsch.ln", "Francais.ln"}) {
      QTest::newRow(name) << QString::fromStdString((ShippedFolder() / name).string());
    }
  }

  // Both windows, through the window's own language switch.
  void ShippedTranslationsReplaceTheTexts() {
    QFETCH(QString, language);
    Windows windows({}, /*start=*/false);
    const auto texts = [&] {
      std::vector<std::string> all = TextsOf(*windows.km);
      for (std::string& text : TextsOf(*windows.waiting)) all.push_back("FormWaiting." + text);
      return all;
    };
    const std::vector<std::string> built_in = texts();
    const std::filesystem::path file(language.toStdString());
    std::filesystem::copy_file(file, windows.File(file.filename().string()));
    windows.km->LanguageFile = file.filename().string();
    windows.km->LoadLanguage();
    const std::vector<std::string> translated = texts();
    QCOMPARE(translated.size(), built_in.size());
    for (size_t i = 0; i < built_in.size(); ++i) {
      if (translated[i] != built_in[i]) continue;
      const std::string value = built_in[i].substr(built_in[i].find('=') + 1);
      const bool same_everywhere = value.empty() || value == "..." || value == "HTML" ||
                                   value.find(" x ") != std::string::npos || value == "85" ||
                                   value == "README.md" || value == "Text" || value == "Link" ||
                                   built_in[i].starts_with("out") ||
                                   value == "LabelImageXofY";  // the run fills it
      QVERIFY2(same_everywhere, built_in[i].c_str());
    }
  }
};

}  // namespace kelmora::test

QTEST_MAIN(kelmora::test::LanguageFilesTest)
#include "language_files_test.moc"
