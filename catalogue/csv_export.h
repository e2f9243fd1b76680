#pragma once

#include <string>

#include "catalogue/column_table.h"
#include "catalogue/tag_list.h"
#include "platform/replace_file.h"

namespace marlinote {

// The export of the file list as comma-separated lines, in code page 932: a header line
// with "Title" and the fixed words of the enabled columns 1 to 7, then one line per entry
// in list order. Every cell is quoted, a double quote inside a value is doubled, and every
// line ends with CR LF. File names are converted from UTF-8 like tag values typed in, a
// character that code page 932 cannot hold becoming one space.
std::string BuildCsv(const TTagList& list, const ColumnArray& columns);

// Writes BuildCsv's bytes in place of the file, or leaves the file as it was; a device or a
// FIFO that the user named (/dev/stdout) gets them written into it.
WriteResult ExportCsv(const std::string& path, const TTagList& list, const ColumnArray& columns);

// The message for a failed export (UTF-8): "ストリームへの書き込みエラー" when a write
// failed, else "ファイル <path> を作成できません"; empty for kOk.
std::string CsvFailureText(WriteResult result, const std::string& path);

}  // namespace marlinote
