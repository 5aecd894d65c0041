#include "cli/cli_host.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>

#include "cli/cli_output.h"

namespace kelmora {
namespace {

volatile std::sig_atomic_t g_cancel_requested = 0;

extern "C" void OnCancelSignal(int signal_number) {
  if (g_cancel_requested) {
    // A second Ctrl-C (or SIGTERM) means "stop now": the signal's default action ends the
    // program as soon as this handler returns and the signal is unblocked.
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
    return;
  }
  g_cancel_requested = 1;
  static const char kNote[] = "\nCancelling after the current image...\n";
  [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, kNote, sizeof kNote - 1);
}

void InstallSignalHandlers() {
  struct sigaction action {};
  action.sa_handler = OnCancelSignal;
  // The request is only noted; file operations under way go on undisturbed.
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

std::string FormatElapsed(std::chrono::steady_clock::duration elapsed) {
  const long long seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
  char text[32];
  std::snprintf(text, sizeof text, "%02lld:%02lld", seconds / 60, seconds % 60);
  return text;
}

}  // namespace

CliHost::CliHost(Options options) : options_(options), terminal_(::isatty(STDOUT_FILENO) == 1) {
  g_cancel_requested = 0;
  InstallSignalHandlers();
}

CliHost::~CliHost() {
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
}

void CliHost::PrintOut(const std::string& text) {
  if (output_failed_) return;
  if (std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
    output_failed_ = true;
    bar_drawn_ = false;
  }
}

void CliHost::ShowError(const std::string& text) {
  if (bar_drawn_) PrintOut("\n");
  bar_drawn_ = false;
  std::fprintf(stderr, "kelmora-cli: %s\n", WithLfLineEnds(text).c_str());
}

void CliHost::ShowException(const std::string& text) {
  ShowError(text);
}

void CliHost::ShowWarning(const std::string& text) {
  ShowError("warning: " + text);
}

bool CliHost::Ask(const std::string& text, Question kind) {
  const bool answer = kind == Question::kCreateOutputFolder ? options_.create_output_folder
                                                            : options_.clear_output_folder;
  if (!options_.quiet) PrintOut(WithLfLineEnds(text) + (answer ? " Yes.\n" : " No.\n"));
  return answer;
}

void CliHost::ShowProgress(int maximum) {
  maximum_ = maximum > 0 ? maximum : 1;
  started_ = std::chrono::steady_clock::now();
  // Unlike a Cancel button, Ctrl-C can be pressed before the image phase (while pages are
  // written); that request is kept, so the run stops before the first image.
}

void CliHost::UpdateProgress(int position, const std::string& label) {
  if (options_.quiet) return;
  if (terminal_) {
    DrawBar(position, label);
  } else {
    PrintOut(WithLfLineEnds(label) + "\n");
  }
}

void CliHost::DrawBar(int position, const std::string& label) {
  constexpr int kWidth = 30;
  const int filled = static_cast<int>(static_cast<long long>(kWidth) * position / maximum_);
  std::string bar(static_cast<size_t>(filled), '#');
  bar.append(static_cast<size_t>(kWidth - filled), '.');
  PrintOut("\r[" + bar + "] " + WithLfLineEnds(label) + "  " +
           FormatElapsed(std::chrono::steady_clock::now() - started_) + " elapsed\033[K");
  bar_drawn_ = !output_failed_;
}

bool CliHost::ProcessMessagesAndCancelRequested() {
  return g_cancel_requested != 0;
}

void CliHost::HideProgress() {
  if (bar_drawn_) PrintOut("\n");
  bar_drawn_ = false;
}

void CliHost::OpenDocument(const std::string&) {
  // A batch run never opens the browser; nothing to do on the command line.
}

}  // namespace kelmora
