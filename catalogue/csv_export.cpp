#include "csv_export.h"

#include <string_view>

#include "tags/text_conversion.h"

namespace marlinote {

namespace {

// The header word of each column, whatever its caption in the list.
constexpr const char* kHeaderWords[kColumnCount] = {
    "Title", "FileName", "Artist", "Album", "Comment", "Year", "Genre", "Track"};

void AppendCell(std::string& line, std::string_view value, bool first) {
  if (!first) line += ',';
  line += '"';
  for (char c : value) {
    if (c == '"') line += '"';
    line += c;
  }
  line += '"';
}

}  // namespace

std::string BuildCsv(const TTagList& list, const ColumnArray& columns) {
  // The Title is always the first cell.
  const std::vector<int> shown = ShownColumns(columns);
  std::string out;
  for (const int c : shown) AppendCell(out, kHeaderWords[c], c == kColumnTitle);
  out += "\r\n";

  for (int i = 0; i < list.Count(); ++i) {
    const TAbstractTag& tag = list.Get(i);
    for (const int c : shown) {
      AppendCell(out,
                 c == kColumnFileName ? Utf8ToLocal(tag.GetFileName()) : tag.GetField(ColumnFieldKey(c)),
                 c == kColumnTitle);
    }
    out += "\r\n";
  }
  return out;
}

WriteResult ExportCsv(const std::string& path, const TTagList& list, const ColumnArray& columns) {
  return ReplaceFile(path, BuildCsv(list, columns), OtherFiles::kWriteInto);
}

std::string CsvFailureText(WriteResult result, const std::string& path) {
  switch (result) {
    case WriteResult::kOk:
      return {};
    case WriteResult::kCannotCreate:
    case WriteResult::kLinkRefused:
    case WriteResult::kNotRegularFile:
      return "ファイル " + path + " を作成できません";
    case WriteResult::kWriteFailed:
      return "ストリームへの書き込みエラー";
  }
  return {};
}

}  // namespace marlinote
