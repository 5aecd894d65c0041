#pragma once

#include <string>

namespace kelmora {

// The questions a creation run or its neighbouring actions can ask.
enum class Question {
  kCreateOutputFolder,  // OutputFolderNotExists: OK creates the folder
  kClearOutputFolder,   // OutputFolderNotEmpty: OK deletes the folder's content
};

// What a creation run needs of whoever started it: the desktop window or the command line.
// The run itself knows no toolkit.
class RunHost {
 public:
  virtual ~RunHost() = default;

  // A failed check of the run (an error box captioned "KM").
  virtual void ShowError(const std::string& text) = 0;
  // An error that ended the run (an error box captioned "Kelmora").
  virtual void ShowException(const std::string& text) = 0;
  // Something the user should know that does not stop the run (renamed outputs, input and
  // output in one folder). A host without a gentler way shows it like an error.
  virtual void ShowWarning(const std::string& text) { ShowError(text); }
  // An OK/Cancel question; true for OK.
  virtual bool Ask(const std::string& text, Question kind) = 0;

  // Shows the progress display with its bar's maximum; also clears a cancel request.
  virtual void ShowProgress(int maximum) = 0;
  virtual void UpdateProgress(int position, const std::string& label) = 0;
  // Called once before each image: lets the display repaint and reports whether the user
  // asked to cancel since the display was shown.
  virtual bool ProcessMessagesAndCancelRequested() = 0;
  virtual void HideProgress() = 0;

  virtual void SetBusy(bool busy) = 0;
  virtual void OpenDocument(const std::string& path) = 0;
};

}  // namespace kelmora
