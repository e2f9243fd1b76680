#include "mainwindow/batch_run.h"

#include <algorithm>

#include "mainwindow/user_interface.h"

namespace marlinote {

BatchRun::BatchRun(CommandContext& context, const std::string& caption, int files)
    : context_(context) {
  outcome_.caption = caption;
  outcome_.files = files;
  // One file needs no dialog: there is nothing to stop between.
  if (files > 1) display_ = context.ui.ShowProgress(caption, files);
}

BatchRun::~BatchRun() = default;

bool BatchRun::Next(const std::string& fileName) {
  const bool goOn = (!display_ || display_->Show(outcome_.done, fileName)) &&
                    !context_.state.stopRequested;
  if (!goOn) outcome_.stopped = true;
  return goOn;
}

void BatchRun::Count(FileOutcome outcome) {
  ++outcome_.done;
  if (outcome == FileOutcome::kWritten) ++outcome_.written;
  if (outcome == FileOutcome::kFailed) ++outcome_.failed;
}

FileOutcome Combine(FileOutcome a, FileOutcome b) { return std::max(a, b); }

}  // namespace marlinote
