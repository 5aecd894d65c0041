#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/km_class.h"

namespace kelmora {

// A first parameter whose second character is "?" ("/?", "-?"), "/help" in any letter
// case, or "-help" in lower case only.
bool IsHelpRequest(std::string_view first_param);

// The three help lines, each through the current language, joined by CR LF.
std::string CommandLineHelpText();

enum class StartMode {
  kInteractive,  // no parameters: the user works in the window
  kHelp,         // show message and end
  kBatch,        // PrepareBatchSettings, one creation run, end
  kUsageError,   // show message (an error) and end without creating anything
};

struct CommandLine {
  StartMode mode = StartMode::kInteractive;
  std::string settings_file;               // parameter 1 of a batch run
  std::optional<std::string> InputPath;   // parameter 2, when given
  std::optional<std::string> OutputPath;  // parameter 3, when given
  std::string message;                    // help text or error, already translated
};

// Interprets the program's parameters (without the program's own name); parameters after
// the third are ignored. Call it after the language is loaded: message is translated.
CommandLine ParseCommandLine(const std::vector<std::string>& params);

// Prepares the record of a batch run: loads the named settings file key by key (a key it
// lacks takes its default, not the value of default.km2; a missing file loads as an empty
// one), puts the input and output folders of the command line in, and applies the window
// limits, so the record is exactly what a run through the window would get. Returns how
// reading the file went: a batch run must not go on when the file exists but cannot be
// read, since the defaults it would use are not what the user asked for.
SettingsFileStatus PrepareBatchSettings(const CommandLine& command_line, KM_Class& settings);

}  // namespace kelmora
