// kelmora without a display: with parameters it runs the batch exactly as kelmora-cli does;
// without parameters it says it cannot show the window.
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTest>
#include <filesystem>

#include "support/test_support.h"

namespace kelmora::test {
namespace {

struct Result {
  int exit_code = -1;
  QString out;
  QString err;
};

Result Run(const QString& program, const QStringList& args, const QString& home) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    environment.remove(QString::fromLatin1(name));
  }
  environment.insert(QStringLiteral("HOME"), home);
  QProcess process;
  process.setProcessEnvironment(environment);
  process.start(QString::fromStdString((BinDir() / program.toStdString()).string()), args);
  if (!process.waitForFinished(120000)) return {};
  return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
          QString::fromUtf8(process.readAllStandardError())};
}

}  // namespace

class HeadlessTest : public QObject {
  Q_OBJECT

 private slots:
  void SameAsTheCommandLineProgram_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exit_code");
    QTest::newRow("complete gallery") << QStringList{"@settings", "@in", "@out"} << 0;
    QTest::newRow("missing input folder") << QStringList{"@settings", "@missing", "@out"} << 1;
    QTest::newRow("help request") << QStringList{"-?"} << 0;
    QTest::newRow("quiet pages only")
        << QStringList{"--quiet", "--mode", "pages", "@settings", "@in", "@out"} << 0;
  }
  void SameAsTheCommandLineProgram() {
    QFETCH(QStringList, args);
    QFETCH(int, exit_code);
    TempDir folder;
    std::filesystem::create_directory(folder.Path() / "in");
    for (const char* name : {"Canon_40D.jpg", "Nikon_D70.jpg"}) {
      std::filesystem::copy_file(SamplesDir() / "jpg" / name, folder.Path() / "in" / name);
    }
    WriteText(folder / "s.km2", "[MoreLayout]\r\nTitle=Headless\r\n");
    Result outcome[2];
    const QString programs[] = {QStringLiteral("kelmora"), QStringLiteral("kelmora-cli")};
    for (int p = 0; p < 2; ++p) {
      const QString out = QString::fromStdString(folder / ("out-" + std::to_string(p)));
      QStringList expanded;
      for (const QString& arg : args) {
        if (arg == "@settings") {
          expanded << QString::fromStdString(folder / "s.km2");
        } else if (arg == "@in") {
          expanded << QString::fromStdString(folder / "in");
        } else if (arg == "@missing") {
          expanded << QString::fromStdString(folder / "missing");
        } else if (arg == "@out") {
          expanded << out;
        } else {
          expanded << arg;
        }
      }
      outcome[p] = Run(programs[p], expanded, QString::fromStdString(folder.Path().string()));
      // Messages name their program at the start of the line.
      const QRegularExpression prefix(QStringLiteral("^%1:").arg(programs[p]),
                                      QRegularExpression::MultilineOption);
      for (QString* text : {&outcome[p].out, &outcome[p].err}) {
        text->replace(out, QStringLiteral("OUT")).replace(prefix, QStringLiteral("PROGRAM:"));
      }
    }
    QCOMPARE(outcome[0].exit_code, exit_code);
    QCOMPARE(outcome[1].exit_code, exit_code);
    QCOMPARE(outcome[0].out, outcome[1].out);
    QCOMPARE(outcome[0].err, outcome[1].err);
  }

  void NoParametersNoDisplay() {
    TempDir folder;
    const Result result =
        Run(QStringLiteral("kelmora"), {}, QString::fromStdString(folder.Path().string()));
    QCOMPARE(result.exit_code, 2);
    QVERIFY(result.err.contains(QStringLiteral("no display")));
  }
};

}  // namespace kelmora::test

QTEST_MAIN(kelmora::test::HeadlessTest)
#include "headless_test.moc"
