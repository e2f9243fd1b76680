#pragma once

#include <vector>

#include "mainwindow/batch_run.h"
#include "mainwindow/command_context.h"

namespace marlinote {

// Gives the file of row `index` a tag of `type` (0 APE, 1 ID3v1), asking first when the
// data-type check is on and the file's data does not usually carry that kind, refusing when
// it cannot. kFailed only when the file could not be reached; its entry then stays as it was.
FileOutcome ConvertTagType(CommandContext& context, int type, int index);

// ConvertTagType, with the access message when the file could not be reached.
FileOutcome ConvertTagTypeOrReport(CommandContext& context, int type, int index);

// ConvertTagTypeOrReport for every selected row, with the progress dialog of BatchRun.
BatchOutcome ConvertSelectedTagTypes(CommandContext& context, int type,
                                     const std::vector<int>& rows);

}  // namespace marlinote
