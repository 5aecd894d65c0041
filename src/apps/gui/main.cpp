#include <QApplication>
#include <QMessageBox>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "cli/console_main.h"
#include "gui/dialogs.h"
#include "gui/form_waiting.h"
#include "gui/interface_translation.h"
#include "gui/km.h"
#include "gui/text_bytes.h"
#include "shell/startup.h"

namespace kelmora {
namespace {

constexpr int kExitNoDisplay = 2;
const char kWriteLanguageFile[] = "--write-language-file";

// Errors that no handler catches end only the action that raised them, with an error box
// captioned with the application's title.
class Application : public QApplication {
 public:
  using QApplication::QApplication;

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
      QMessageBox::critical(nullptr, QStringLiteral("Kelmora"), TextFromBytes(error.what()));
    }
    return false;
  }
};

bool HasEnv(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// Whether a window can be shown: a display, or a Qt platform chosen explicitly.
bool DisplayAvailable() {
  return HasEnv("DISPLAY") || HasEnv("WAYLAND_DISPLAY") || HasEnv("QT_QPA_PLATFORM");
}

// Writes the program folder's Custom.ln from the windows as they would show, without
// showing them.
int WriteLanguageFileOnly(int argc, char** argv) {
  if (!DisplayAvailable()) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  Application app(argc, argv);
  app.setApplicationName(QStringLiteral("Kelmora"));
  QtDialogs dialogs;
  TKM km(dialogs, {}, LocateProgramFolders());
  TFormWaiting waiting(&km);
  km.FormWaiting = &waiting;
  km.FormShow();
  try {
    RegenerateLanguageFile({&km, &waiting}, km.ProgramFolder);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kelmora: %s\n", error.what());
    return 1;
  }
  std::printf("Language file written: %sCustom.ln\n", km.ProgramFolder.write_folder.c_str());
  return 0;
}

int Main(int argc, char** argv) {
  const std::vector<std::string> params(argv + 1, argv + argc);
  if (params.size() == 1 && params[0] == kWriteLanguageFile) {
    return WriteLanguageFileOnly(argc, argv);
  }
  if (!DisplayAvailable()) {
    if (!params.empty()) {
      std::signal(SIGPIPE, SIG_IGN);  // as kelmora-cli: a reader that goes away ends no run
      return RunConsole("kelmora", params);
    }
    std::fprintf(stderr,
                 "kelmora: no display available to show the window. Start it on a desktop, or "
                 "make a gallery without a window:\n  kelmora SETTINGS.km2 [INPUT [OUTPUT]]\n");
    return kExitNoDisplay;
  }
  Application app(argc, argv);
  app.setApplicationName(QStringLiteral("Kelmora"));
  QtDialogs dialogs;
  TKM km(dialogs, params, LocateProgramFolders());
  TFormWaiting waiting(&km);
  km.FormWaiting = &waiting;
  km.show();
  app.exec();
  return km.ExitStatus();
}

}  // namespace
}  // namespace kelmora

int main(int argc, char** argv) {
  try {
    return kelmora::Main(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kelmora: %s\n", error.what());
    return 1;
  }
}
