#pragma once

#include "gallery/km_list.h"
#include "settings/km_class.h"
#include "shell/run_host.h"

namespace kelmora {

// Which images a run exports; every mode writes the complete set of pages.
enum class CreationMode {
  kAll = 0,        // every image, and the additional elements are copied
  kFirstPage = 1,  // the images of the first thumbnail page, and the additional elements
  kPagesOnly = 2,  // no image, no additional elements
};

enum class RunOutcome {
  kCompleted,  // every step ran and every chosen image was exported
  kCancelled,  // the user stopped the run (before an image, or at a question)
  kFailed,     // a check failed or an error ended the run; the host was told why
};

struct CreationRunOptions {
  CreationMode mode = CreationMode::kAll;
  // Unattended: a missing output folder is created without asking, and the first page is
  // never opened afterwards.
  bool BatchMode = false;
  // Only redo what changed: a picture output that the output folder's record says was made
  // from the same source with the same settings, and that is still there, is not made
  // again; a page whose bytes are unchanged is not rewritten.
  bool only_redo_changed = false;
  // Deletes the files that the output folder's record says this program made and that this
  // gallery no longer makes (outputs of removed pictures, pages beyond the last).
  bool prune = false;
  // Threads preparing pictures, each its own picture; 0 takes one per core. The output is
  // the same for any number.
  int thread_count = 0;
};

// The creation run: checks the folders, scans and sorts the catalogue, creates the output
// folder, copies the additional elements, writes every page, then exports the chosen images
// one by one with progress and a cancel check before each. Whatever was written before an
// error or a cancel stays in the output folder.
RunOutcome RunCreation(const KM_Class& settings, KM_List& list, RunHost& host,
                       const CreationRunOptions& options);

// The first thumbnail page: OutputPath (with separator), ThumbPagesName, "1",
// WebSiteExtension.
std::string FirstPagePath(const KM_Class& settings);

// Opens the first thumbnail page with the desktop's browser; failures are not reported.
void OpenFirstPage(const KM_Class& settings, RunHost& host);

// Empties the output folder after asking, when it holds at least one file; a folder holding
// only subfolders is left alone without a question.
void ClearOutputFolder(const KM_Class& settings, RunHost& host);

}  // namespace kelmora
