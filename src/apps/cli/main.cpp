#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/cli_host.h"
#include "cli/cli_options.h"
#include "gallery/km_list.h"
#include "metadata/exif_report.h"
#include "platform/file_system.h"
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

// Exit 1 when a file could not be opened at all; a file without metadata is no error.
int PrintExifReports(const std::vector<std::string>& files) {
  int status = kExitSuccess;
  bool first = true;
  for (const std::string& file : files) {
    if (!IsExistingFile(file)) {
      std::fprintf(stderr, "kelmora-cli: \"%s\" is not a file that can be read\n", file.c_str());
      status = kExitFailure;
      continue;
    }
    if (!first) std::fputs("\n", stdout);
    first = false;
    std::fputs(ExifReportText(file).c_str(), stdout);
  }
  return status;
}

int RunGallery(const CliOptions& options) {
  KM_Class settings;
  StartUp(settings);
  const CommandLine command_line = ParseCommandLine(options.params);
  switch (command_line.mode) {
    case StartMode::kHelp:
      std::printf("%s\n", command_line.message.c_str());
      return kExitSuccess;
    case StartMode::kUsageError:
      std::fprintf(stderr, "kelmora-cli: %s\n", command_line.message.c_str());
      return kExitUsage;
    case StartMode::kInteractive:
      std::fputs(CliUsage().c_str(), stderr);
      return kExitUsage;
    case StartMode::kBatch:
      break;
  }
  // A missing settings file loads as an empty one (every default, no templates); say so,
  // since the run's own messages would then only complain about the folders.
  if (!IsExistingFile(command_line.settings_file)) {
    std::fprintf(stderr, "kelmora-cli: settings file \"%s\" not found; using the defaults\n",
                 command_line.settings_file.c_str());
  }
  PrepareBatchSettings(command_line, settings);

  ExifMetadataReader reader;
  KM_List list(settings, reader);
  CliHost host(CliHost::Options{.quiet = options.quiet});
  CreationRunOptions run_options;
  run_options.mode = options.mode;
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
  try {
    return kelmora::Main(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kelmora-cli: %s\n", error.what());
    return 1;
  }
}
