#include "shell/batch.h"

#include "platform/file_system.h"
#include "shell/command_line.h"
#include "shell/exif_metadata_reader.h"
#include "shell/startup.h"

namespace kelmora {

int BatchExitStatus(BatchResult result) {
  switch (result) {
    case BatchResult::kHelpShown:
    case BatchResult::kCompleted:
      return 0;
    case BatchResult::kCancelled:
    case BatchResult::kFailed:
      return 1;
    case BatchResult::kNoParameters:
    case BatchResult::kUsageError:
      return 2;
  }
  return 1;
}

BatchResult RunBatch(const std::vector<std::string>& params, KM_Class& settings, KM_List& list,
                     BatchHost& host, CreationMode mode) {
  const CommandLine command_line = ParseCommandLine(params);
  switch (command_line.mode) {
    case StartMode::kInteractive:
      return BatchResult::kNoParameters;
    case StartMode::kHelp:
      host.ShowHelp(command_line.message);
      return BatchResult::kHelpShown;
    case StartMode::kUsageError:
      host.ShowUsageError(command_line.message);
      return BatchResult::kUsageError;
    case StartMode::kBatch:
      break;
  }
  if (!IsExistingFile(command_line.settings_file))
    host.SettingsFileMissing(command_line.settings_file);
  PrepareBatchSettings(command_line, settings);
  host.BatchSettingsReady(settings);

  CreationRunOptions run_options;
  run_options.mode = mode;
  run_options.BatchMode = true;
  switch (RunCreation(settings, list, host, run_options)) {
    case RunOutcome::kCompleted:
      return BatchResult::kCompleted;
    case RunOutcome::kCancelled:
      return BatchResult::kCancelled;
    case RunOutcome::kFailed:
      return BatchResult::kFailed;
  }
  return BatchResult::kFailed;
}

BatchResult StartUpAndRunBatch(const std::vector<std::string>& params, KM_Class& settings,
                               BatchHost& host, CreationMode mode) {
  StartUp(settings);
  ExifMetadataReader reader;
  KM_List list(settings, reader);
  return RunBatch(params, settings, list, host, mode);
}

}  // namespace kelmora
