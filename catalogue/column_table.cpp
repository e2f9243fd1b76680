#include "column_table.h"

namespace marlinote {

ColumnArray DefaultColumnTable() {
  static constexpr const char* kNames[kColumnCount] = {
      "Title", "FileName", "Airtist", "Album", "Comment", "Year", "Genre", "Track"};
  ColumnArray table;
  for (int i = 0; i < kColumnCount; ++i) table[i].Name = kNames[i];
  return table;
}

}  // namespace marlinote
