#include "shell/command_line.h"

#include "common/ascii_text.h"
#include "localisation/lang_text.h"
#include "shell/window_limits.h"

namespace kelmora {

bool IsHelpRequest(std::string_view first_param) {
  return (first_param.size() >= 2 && first_param[1] == '?') ||
         EqualIgnoringCase(first_param, "/help") || first_param == "-help";
}

std::string CommandLineHelpText() {
  return GetLangText(MessageKey::CommandLineHelp1) + "\r\n" +
         GetLangText(MessageKey::CommandLineHelp2) + "\r\n" +
         GetLangText(MessageKey::CommandLineHelp3);
}

CommandLine ParseCommandLine(const std::vector<std::string>& params) {
  CommandLine command_line;
  if (params.empty()) return command_line;
  const std::string& first = params[0];
  if (IsHelpRequest(first)) {
    command_line.mode = StartMode::kHelp;
    command_line.message = CommandLineHelpText();
    return command_line;
  }
  if (first.empty()) {
    command_line.mode = StartMode::kUsageError;
    command_line.message = GetLangText(MessageKey::SettingsFileMissing, {first});
    return command_line;
  }
  command_line.mode = StartMode::kBatch;
  command_line.settings_file = first;
  if (params.size() > 1) command_line.InputPath = params[1];
  if (params.size() > 2) command_line.OutputPath = params[2];
  return command_line;
}

SettingsFileStatus PrepareBatchSettings(const CommandLine& command_line, KM_Class& settings) {
  // Both folders come from the named file, whatever a window's lock boxes said before.
  settings.LockInputPath = false;
  settings.LockOutputPath = false;
  SettingsFileStatus status = settings.LoadFromFileChecked(command_line.settings_file);
  if (command_line.InputPath) settings.InputPath = *command_line.InputPath;
  if (command_line.OutputPath) settings.OutputPath = *command_line.OutputPath;
  ApplyWindowLimits(settings);
  return status;
}

}  // namespace kelmora
