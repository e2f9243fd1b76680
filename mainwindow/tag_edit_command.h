#pragma once

#include <vector>

#include "mainwindow/command_context.h"

namespace marlinote {

class TTagEditForm;

// The tag edit dialog for the selected rows: one file is pre-filled from its tag, and a file
// without a tag is first offered a tag kind. On "書換え実行" the ticked fields are written.
void EditSelectedTags(CommandContext& context, const std::vector<int>& rows);

// Writes the ticked fields of the confirmed dialog into every selected file, offering a tag
// kind to files that have none, then redraws the rows from the first to the last selected.
void ApplyTagEdit(CommandContext& context, const TTagEditForm& form, const std::vector<int>& rows);

}  // namespace marlinote
