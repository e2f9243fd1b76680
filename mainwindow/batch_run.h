#pragma once

#include <memory>
#include <string>

#include "mainwindow/command_context.h"

namespace marlinote {

class ProgressDisplay;

// The captions of the two kinds of work over several files: the progress dialog's and the
// first words of their report.
inline constexpr const char* kTagEditCaption = "タグの編集";
inline constexpr const char* kTypeChangeCaption = "タグの種類を変更";

// What a save or type change did to one file.
enum class FileOutcome { kUntouched, kWritten, kFailed };

// What a save or type change over the selected files did.
struct BatchOutcome {
  std::string caption;
  int files = 0;    // selected
  int done = 0;     // gone through, whatever came of it
  int written = 0;
  int failed = 0;
  bool stopped = false;  // ended before the last file
};

// A save or type change over the selected files. Before each file it shows how far the work
// has come (a progress dialog, once there is more than one file), and it is the one place
// where the work stops: when the user cancels the dialog, or when the window is to close
// (WindowState::stopRequested). A file is never stopped halfway.
class BatchRun {
 public:
  BatchRun(CommandContext& context, const std::string& caption, int files);
  ~BatchRun();
  BatchRun(const BatchRun&) = delete;
  BatchRun& operator=(const BatchRun&) = delete;

  // Before each file, with its name: false when the work stops here, leaving this file and
  // those after it as they are.
  bool Next(const std::string& fileName);
  // After each file.
  void Count(FileOutcome outcome);

  const BatchOutcome& Outcome() const { return outcome_; }

 private:
  CommandContext& context_;
  std::unique_ptr<ProgressDisplay> display_;
  BatchOutcome outcome_;
};

// The worse of two outcomes of one file: a failure over a write, a write over nothing.
FileOutcome Combine(FileOutcome a, FileOutcome b);

}  // namespace marlinote
