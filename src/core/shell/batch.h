#pragma once

#include <string>
#include <vector>

#include "gallery/km_list.h"
#include "settings/km_class.h"
#include "shell/creation_run.h"
#include "shell/run_host.h"

namespace kelmora {

// A front end's side of a batch run beyond the run itself: the command line and the help.
class BatchHost : public RunHost {
 public:
  // The help text of a help request ("/?", "-help", ...), already translated.
  virtual void ShowHelp(const std::string& text) = 0;
  // A command line that names no usable settings file; nothing is created.
  virtual void ShowUsageError(const std::string& text) = 0;
  // Something the user should know that does not stop the run (the settings file named on
  // the command line does not exist and loads as an empty one; both templates are empty).
  // A window, whose controls show the settings, need not say it.
  virtual void Warn(const std::string& /*text*/) {}
  // The record of the run is ready (command-line folders in, window limits applied). A
  // window shows it here and passes it through its controls before the run starts.
  virtual void BatchSettingsReady(KM_Class& /*settings*/) {}
};

enum class BatchResult {
  kNoParameters,  // nothing to do in batch: the user works in a window
  kHelpShown,
  kUsageError,
  kCompleted,
  kCancelled,
  kFailed,
};

// The process exit status of a batch: 0 when it did what was asked (a help request
// included), 1 when the run failed or was cancelled, 2 for a command line it cannot use.
int BatchExitStatus(BatchResult result);

// Everything after start-up: command line, batch settings, the run (with `run`'s mode,
// update and thread options, always unattended). `settings` holds what start-up loaded; `list` is
// the catalogue over `settings`.
BatchResult RunBatch(const std::vector<std::string>& params, KM_Class& settings, KM_List& list,
                     BatchHost& host, const CreationRunOptions& run);

// The whole batch of a front end without a window: start-up (km.ini, language,
// default.km2), then RunBatch with a catalogue that reads EXIF capture dates. `settings`
// receives the record the run used.
BatchResult StartUpAndRunBatch(const std::vector<std::string>& params, KM_Class& settings,
                               BatchHost& host, const CreationRunOptions& run);

}  // namespace kelmora
