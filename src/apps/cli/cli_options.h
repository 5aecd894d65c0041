#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "shell/creation_run.h"

namespace kelmora {

// The command line of kelmora-cli: its own options, then the program's parameters
// (SETTINGS.km2 [INPUT [OUTPUT]], or a help request such as "/?").
struct CliOptions {
  enum class Action { kRun, kHelp, kVersion, kExif, kUsageError };
  Action action = Action::kRun;
  CreationMode mode = CreationMode::kAll;
  bool quiet = false;
  bool update = false;              // --update: only redo what changed
  bool prune = false;               // --prune: delete outputs this gallery no longer makes
  int threads = 0;                  // --threads: pictures prepared at once; 0 one per core
  std::vector<std::string> params;  // positional parameters, in order
  std::vector<std::string> files;   // for --exif
  std::string error;                // for kUsageError
};

CliOptions ParseCliOptions(const std::vector<std::string>& args);

// The usage text of --help for the program of that name.
std::string CliUsage(std::string_view program = "kelmora-cli");

}  // namespace kelmora
