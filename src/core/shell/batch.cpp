#include "shell/batch.h"

#include "localisation/lang_text.h"
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
                     BatchHost& host, const CreationRunOptions& run) {
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
  const SettingsFileStatus settings_file = PrepareBatchSettings(command_line, settings);
  switch (settings_file.state) {
    case SettingsFileState::kLoaded:
      break;
    case SettingsFileState::kMissing:
      // The run's own messages would then only complain about the folders.
      host.Warn(GetLangText(MessageKey::SettingsFileNotFound, {command_line.settings_file}));
      break;
    case SettingsFileState::kUnreadable:
      // The defaults are not what the user asked for: nothing is created from them.
      host.ShowError(GetLangText(MessageKey::SettingsFileUnreadable,
                                 {command_line.settings_file, settings_file.reason}));
      return BatchResult::kFailed;
  }
  if (settings.HTMLThumbnails.empty() && settings.HTMLImages.empty()) {
    host.Warn(GetLangText(MessageKey::TemplatesEmpty));
  }
  host.BatchSettingsReady(settings);

  CreationRunOptions run_options = run;
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
                               BatchHost& host, const CreationRunOptions& run) {
  StartUp(settings);
  ExifMetadataReader reader;
  KM_List list(settings, reader);
  return RunBatch(params, settings, list, host, run);
}

}  // namespace kelmora
