#include "column_table.h"

#include "tags/tag_field.h"

namespace marlinote {

ColumnArray DefaultColumnTable() {
  static constexpr const char* kNames[kColumnCount] = {
      "Title", "FileName", "Airtist", "Album", "Comment", "Year", "Genre", "Track"};
  ColumnArray table;
  for (int i = 0; i < kColumnCount; ++i) table[i].Name = kNames[i];
  return table;
}

const char* ColumnFieldKey(int column) {
  static constexpr const char* kKeys[kColumnCount] = {
      field::kTitle,   nullptr,      field::kArtist, field::kAlbum,
      field::kComment, field::kYear, field::kGenre,  field::kTrack};
  return column >= 0 && column < kColumnCount ? kKeys[column] : nullptr;
}

std::vector<int> ShownColumns(const ColumnArray& columns) {
  std::vector<int> shown = {kColumnTitle};
  for (int c = kColumnFileName; c < kColumnCount; ++c)
    if (columns[c].Enabled) shown.push_back(c);
  return shown;
}

}  // namespace marlinote
