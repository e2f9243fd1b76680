#pragma once

#include <QString>

#include <array>
#include <optional>
#include <vector>

#include "mainwindow/batch_run.h"
#include "mainwindow/command_context.h"

namespace marlinote {

class TTagEditForm;

// What the pre-fill of one file put into the tag edit dialog, by field: the text shown and
// the bytes of the file it stands for.
struct Prefill {
  std::array<QString, 7> shown;
  std::array<std::string, 7> bytes;
};

// The tag edit dialog for the selected rows: one file is pre-filled from its tag, and a file
// without a tag is first offered a tag kind. On "書換え実行" the ticked fields are written.
// What was written, or nothing when no file was touched and the dialog was cancelled.
std::optional<BatchOutcome> EditSelectedTags(CommandContext& context, const std::vector<int>& rows);

// Writes the fields of the confirmed dialog into every selected file, offering a tag kind to
// files that have none, then redraws the rows from the first to the last selected; a written
// row shows what its file holds afterwards. A field is written as the dialog shows it; one
// whose text is still what the pre-fill showed keeps the file's own bytes. The files are
// gone through by a BatchRun, which may stop the work between two of them. `before` is what
// was done to a single selected file before the dialog opened (a tag kind given to it).
BatchOutcome ApplyTagEdit(CommandContext& context, const TTagEditForm& form,
                          const std::vector<int>& rows, const Prefill* prefill = nullptr,
                          FileOutcome before = FileOutcome::kUntouched);

}  // namespace marlinote
