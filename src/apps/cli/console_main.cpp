#include "cli/console_main.h"

#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_host.h"
#include "cli/cli_options.h"
#include "metadata/exif_report.h"
#include "platform/file_system.h"
#include "shell/batch.h"
#include "shell/version.h"

namespace kelmora {
namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Exit 1 when a file could not be opened at all; a file without metadata is no error.
int PrintExifReports(const std::string& program, const std::vector<std::string>& files) {
  int status = kExitSuccess;
  bool first = true;
  for (const std::string& file : files) {
    if (!IsExistingFile(file)) {
      std::fprintf(stderr, "%s: \"%s\" is not a file that can be read\n", program.c_str(),
                   file.c_str());
      status = kExitFailure;
      continue;
    }
    if (!first) std::fputs("\n", stdout);
    first = false;
    std::fputs(ExifReportText(file).c_str(), stdout);
  }
  return status;
}

int RunGallery(const std::string& program, const CliOptions& options) {
  KM_Class settings;
  CliHost host(CliHost::Options{.program_name = program, .quiet = options.quiet});
  const BatchResult result = StartUpAndRunBatch(options.params, settings, host, options.mode);
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
      std::fprintf(stderr, "%s: %s\n\n%s", program.c_str(), options.error.c_str(),
                   CliUsage(program).c_str());
      return kExitUsage;
    case CliOptions::Action::kExif:
      return PrintExifReports(program, options.files);
    case CliOptions::Action::kRun:
      return RunGallery(program, options);
  }
  return kExitUsage;
}

}  // namespace kelmora
