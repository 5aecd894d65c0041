#pragma once

#include <chrono>
#include <cstdio>
#include <string>

#include "shell/run_host.h"

namespace kelmora {

// The command line's side of a creation run: errors on stderr, questions answered from the
// options, a progress bar on a terminal (one line per image otherwise), and Ctrl-C or
// SIGTERM as a cancel request that takes effect before the next image; a second one ends
// the program at once. When standard output goes away (a pipe whose reader ended), the
// progress output stops and the run goes on.
class CliHost : public RunHost {
 public:
  struct Options {
    bool quiet = false;
    bool create_output_folder = true;  // answer to "create the output folder?"
    bool clear_output_folder = false;  // answer to "delete the output folder's content?"
  };

  explicit CliHost(Options options);
  ~CliHost() override;
  CliHost(const CliHost&) = delete;
  CliHost& operator=(const CliHost&) = delete;

  void ShowError(const std::string& text) override;
  void ShowException(const std::string& text) override;
  void ShowWarning(const std::string& text) override;
  bool Ask(const std::string& text, Question kind) override;
  void ShowProgress(int maximum) override;
  void UpdateProgress(int position, const std::string& label) override;
  bool ProcessMessagesAndCancelRequested() override;
  void HideProgress() override;
  void SetBusy(bool) override {}
  void OpenDocument(const std::string& path) override;

 private:
  void DrawBar(int position, const std::string& label);
  // Prints to standard output unless it has failed before; a failed write stops all
  // further progress output.
  void PrintOut(const std::string& text);

  Options options_;
  bool terminal_ = false;
  bool bar_drawn_ = false;
  bool output_failed_ = false;
  int maximum_ = 1;
  std::chrono::steady_clock::time_point started_;
};

}  // namespace kelmora
