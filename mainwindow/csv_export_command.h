#pragma once

#include <string>

#include "mainwindow/command_context.h"

namespace marlinote {

// Writes every listed file's tag fields to a comma-separated file that the user names; the
// name chosen is proposed again at the next export.
class CsvExportCommand {
 public:
  void ExportTagListCsv(CommandContext& context);

 private:
  std::string lastPath_;
};

}  // namespace marlinote
