#include "mainwindow/csv_export_command.h"

#include <QFile>

#include "catalogue/csv_export.h"
#include "mainwindow/app_title.h"
#include "mainwindow/user_interface.h"

namespace marlinote {

void CsvExportCommand::ExportTagListCsv(CommandContext& context) {
  if (context.state.files.Count() == 0) return;
  const SaveFileRequest request{QStringLiteral("CVSファイル"), QStringLiteral("*.csv"),
                                QStringLiteral("csv"), QFile::decodeName(lastPath_.c_str()),
                                QFile::decodeName(context.state.listedFolder.c_str())};
  const std::optional<std::string> path = context.ui.AskSaveFileName(request);
  if (!path) return;
  lastPath_ = *path;
  const WriteResult result =
      ExportCsv(*path, context.state.files, context.state.settings.ColumnTable);
  if (result != WriteResult::kOk)
    context.ui.Show(CsvFailureText(result, *path), kAppTitle.toStdString(), kStyleError);
}

}  // namespace marlinote
