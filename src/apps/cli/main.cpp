#include <csignal>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/cli_host.h"
#include "cli/cli_options.h"
#include "cli/cli_output.h"
#include "common/errors.h"
#include "gallery/km_list.h"
#include "localisation/lang_text.h"
#include "metadata/exif_report.h"
#include "platform/file_system.h"
#include "platform/regular_file.h"
#include "shell/command_line.h"
#include "shell/creation_run.h"
#include "shell/exif_metadata_reader.h"
#include "shell/startup.h"
#include "shell/version.h"

namespace kelmora {
namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

void PrintError(const std::string& text) {
  std::fprintf(stderr, "kelmora-cli: %s\n", WithLfLineEnds(text).c_str());
}

// Empty when the file can be opened and read; else the reason, naming the file.
std::string ReadProblem(const std::string& path) {
  try {
    // The first bytes show most read errors, and every reason a file cannot be opened.
    constexpr size_t kProbeBytes = size_t{1} << 16;
    RegularFile(path).ReadHead(kProbeBytes);
    return "";
  } catch (const EFileError& error) {
    return error.what();
  }
}

// Exit 1 when a file could not be opened or read; a file without metadata is no error.
int PrintExifReports(const std::vector<std::string>& files) {
  int status = kExitSuccess;
  bool first = true;
  for (const std::string& file : files) {
    if (const std::string problem = ReadProblem(file); !problem.empty()) {
      PrintError(problem);
      status = kExitFailure;
      continue;
    }
    if (!first) std::fputs("\n", stdout);
    first = false;
    // Written by its size: a value may hold NUL bytes (shown escaped).
    const std::string report = ExifReportText(file);
    std::fwrite(report.data(), 1, report.size(), stdout);
  }
  return status;
}

int RunGallery(const CliOptions& options) {
  KM_Class settings;
  StartUp(settings);
  const CommandLine command_line = ParseCommandLine(options.params);
  switch (command_line.mode) {
    case StartMode::kHelp:
      std::printf("%s\n", WithLfLineEnds(command_line.message).c_str());
      return kExitSuccess;
    case StartMode::kUsageError:
      PrintError(command_line.message);
      return kExitUsage;
    case StartMode::kInteractive:
      std::fputs(CliUsage().c_str(), stderr);
      return kExitUsage;
    case StartMode::kBatch:
      break;
  }
  const SettingsFileStatus settings_file = PrepareBatchSettings(command_line, settings);
  switch (settings_file.state) {
    case SettingsFileState::kLoaded:
      break;
    case SettingsFileState::kMissing:
      // A missing settings file loads as an empty one (every default, no templates); say
      // so, since the run's own messages would then only complain about the folders.
      PrintError(GetLangText(MessageKey::SettingsFileNotFound, {command_line.settings_file}));
      break;
    case SettingsFileState::kUnreadable:
      // The defaults are not what the user asked for: nothing is created from them.
      PrintError(GetLangText(MessageKey::SettingsFileUnreadable,
                             {command_line.settings_file, settings_file.reason}));
      return kExitFailure;
  }
  if (settings.HTMLThumbnails.empty() && settings.HTMLImages.empty()) {
    PrintError(GetLangText(MessageKey::TemplatesEmpty));
  }

  ExifMetadataReader reader;
  KM_List list(settings, reader);
  CliHost host(CliHost::Options{.quiet = options.quiet});
  CreationRunOptions run_options;
  run_options.mode = options.mode;
  run_options.only_redo_changed = options.update;
  run_options.prune = options.prune;
  run_options.thread_count = options.threads;
  run_options.BatchMode = true;
  const RunOutcome outcome = ButtonDoCreateClick(settings, list, host, run_options);
  switch (outcome) {
    case RunOutcome::kCompleted:
      if (!options.quiet) std::printf("Gallery written: %s\n", FirstPagePath(settings).c_str());
      return kExitSuccess;
    case RunOutcome::kCancelled:
      std::fprintf(stderr,
                   "kelmora-cli: cancelled; the pages and the images exported so far "
                   "stay in \"%s\"\n",
                   settings.OutputPath.c_str());
      return kExitFailure;
    case RunOutcome::kFailed:
      return kExitFailure;
  }
  return kExitFailure;
}

int Main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const CliOptions options = ParseCliOptions(args);
  switch (options.action) {
    case CliOptions::Action::kHelp:
      std::fputs(CliUsage().c_str(), stdout);
      return kExitSuccess;
    case CliOptions::Action::kVersion:
      std::printf("kelmora-cli %s\n", Version());
      return kExitSuccess;
    case CliOptions::Action::kUsageError:
      std::fprintf(stderr, "kelmora-cli: %s\n\n%s", options.error.c_str(), CliUsage().c_str());
      return kExitUsage;
    case CliOptions::Action::kExif:
      return PrintExifReports(options.files);
    case CliOptions::Action::kRun:
      return RunGallery(options);
  }
  return kExitUsage;
}

}  // namespace
}  // namespace kelmora

int main(int argc, char** argv) {
  // A reader that goes away (kelmora-cli ... | head) must not end a run: writes to it fail
  // instead, and the output that nobody reads is dropped.
  std::signal(SIGPIPE, SIG_IGN);
  try {
    return kelmora::Main(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kelmora-cli: %s\n", kelmora::WithLfLineEnds(error.what()).c_str());
    return 1;
  }
}
