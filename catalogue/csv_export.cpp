#include "csv_export.h"

#include <string_view>

#include "tags/tag_field.h"
#include "tags/text_conversion.h"

namespace marlinote {

namespace {

// Header words and field keys of columns 1 to 7; FileName has no key.
constexpr const char* kHeaderWords[kColumnCount] = {
    "Title", "FileName", "Artist", "Album", "Comment", "Year", "Genre", "Track"};
constexpr const char* kKeys[kColumnCount] = {
    field::kTitle, nullptr, field::kArtist, field::kAlbum, field::kComment,
    field::kYear,  field::kGenre, field::kTrack};

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
  std::string out;
  AppendCell(out, kHeaderWords[kColumnTitle], true);
  for (int c = kColumnFileName; c < kColumnCount; ++c)
    if (columns[c].Enabled) AppendCell(out, kHeaderWords[c], false);
  out += "\r\n";

  for (int i = 0; i < list.Count(); ++i) {
    const TAbstractTag& tag = list.Get(i);
    AppendCell(out, tag.GetField(field::kTitle), true);
    for (int c = kColumnFileName; c < kColumnCount; ++c) {
      if (!columns[c].Enabled) continue;
      AppendCell(out, c == kColumnFileName ? Utf8ToLocal(tag.GetFileName()) : tag.GetField(kKeys[c]),
                 false);
    }
    out += "\r\n";
  }
  return out;
}

WriteResult ExportCsv(const std::string& path, const TTagList& list, const ColumnArray& columns) {
  return WriteFileAtomically(path, BuildCsv(list, columns));
}

std::string CsvFailureText(WriteResult result, const std::string& path) {
  switch (result) {
    case WriteResult::kOk:
      return {};
    case WriteResult::kCannotCreate:
      return "ファイル " + path + " を作成できません";
    case WriteResult::kWriteFailed:
      return "ストリームへの書き込みエラー";
  }
  return {};
}

}  // namespace marlinote
