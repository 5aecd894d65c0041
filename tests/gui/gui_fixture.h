#pragma once

#include <QTabWidget>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "gui/form_waiting.h"
#include "gui/km.h"
#include "gui/scripted_dialogs.h"
#include "support/test_support.h"

namespace kelmora::test {

// A main window and its progress window over a program folder of their own, with scripted
// dialogs; started up as the program's first show does.
struct Windows {
  explicit Windows(std::vector<std::string> params = {}, bool start = true) {
    km = std::make_unique<TKM>(dialogs, std::move(params), SingleProgramFolder(ProgramFolder()));
    waiting = std::make_unique<TFormWaiting>(km.get());
    km->FormWaiting = waiting.get();
    if (start) km->FormShow();
  }
  ~Windows() {
    waiting.reset();
    km.reset();
  }

  std::string ProgramFolder() const { return program_folder.Path().string() + "/"; }
  std::string File(const std::string& name) const { return program_folder / name; }

  TempDir program_folder;
  ScriptedDialogs dialogs;
  std::unique_ptr<TKM> km;
  std::unique_ptr<TFormWaiting> waiting;
};

}  // namespace kelmora::test
