#include "cli/console_main.h"

#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_host.h"
#include "cli/cli_options.h"
#include "cli/cli_output.h"
#include "common/errors.h"
#include "metadata/exif_report.h"
#include "platform/regular_file.h"
#include "shell/batch.h"
#include "shell/version.h"

namespace kelmora {
namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

void PrintError(const std::string& program, const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", program.c_str(), WithLfLineEnds(text).c_str());
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
int PrintExifReports(const std::string& program, const std::vector<std::string>& files) {
  int status = kExitSuccess;
  bool first = true;
  for (const std::string& file : files) {
    if (const std::string problem = ReadProblem(file); !problem.empty()) {
      PrintError(program, problem);
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

int RunGallery(const std::string& program, const CliOptions& options) {
  KM_Class settings;
  CliHost host(CliHost::Options{.program_name = program, .quiet = options.quiet});
  CreationRunOptions run;
  run.mode = options.mode;
  run.only_redo_changed = options.update;
  run.prune = options.prune;
  run.thread_count = options.threads;
  const BatchResult result = StartUpAndRunBatch(options.params, settings, host, run);
  switch (result) {
    case BatchResult::kNoParameters:
      std::fputs(CliUsage(program).c_str(), stderr);
      break;
    case BatchResult::kCompleted:
      if (!options.quiet) std::printf("Gallery written: %s\n", FirstPagePath(settings).c_str());
      break;
    case BatchResult::kCancelled:
      std::fprintf(stderr,
                   "%s: cancelled; the pages and the images exported so far stay in \"%s\"\n",
                   program.c_str(), settings.OutputPath.c_str());
      break;
    case BatchResult::kHelpShown:
    case BatchResult::kUsageError:
    case BatchResult::kFailed:
      break;
  }
  return BatchExitStatus(result);
}

}  // namespace

int RunConsole(std::string_view program_name, const std::vector<std::string>& args) {
  const std::string program(program_name);
  const CliOptions options = ParseCliOptions(args);
  switch (options.action) {
    case CliOptions::Action::kHelp:
      std::fputs(CliUsage(program).c_str(), stdout);
      return kExitSuccess;
    case CliOptions::Action::kVersion:
      std::printf("%s %s\n", program.c_str(), Version());
      return kExitSuccess;
    case CliOptions::Action::kUsageError:
      PrintError(program, options.error);
      std::fputs(("\n" + CliUsage(program)).c_str(), stderr);
      return kExitUsage;
    case CliOptions::Action::kExif:
      return PrintExifReports(program, options.files);
    case CliOptions::Action::kRun:
      return RunGallery(program, options);
  }
  return kExitUsage;
}

}  // namespace kelmora
