#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace marlinote {

// The columns of the file list, always in this order.
enum ColumnIndex {
  kColumnTitle,
  kColumnFileName,
  kColumnArtist,
  kColumnAlbum,
  kColumnComment,
  kColumnYear,
  kColumnGenre,
  kColumnTrack,
  kColumnCount
};

struct ColumnEntry {
  bool Enabled = true;
  std::int32_t Width = 100;
  // The header caption, UTF-8.
  std::string Name;

  bool operator==(const ColumnEntry&) const = default;
};

using ColumnArray = std::array<ColumnEntry, kColumnCount>;

// Every entry enabled, 100 pixels wide, named "Title", "FileName", "Airtist" (so spelled),
// "Album", "Comment", "Year", "Genre" and "Track".
ColumnArray DefaultColumnTable();

// The key of the tag field a column shows; null for FileName, which shows the file's name.
const char* ColumnFieldKey(int column);

// The columns the list shows, and the cells of each CSV line: the Title first whatever its
// switch says, then the enabled columns FileName to Track in table order.
std::vector<int> ShownColumns(const ColumnArray& columns);

}  // namespace marlinote
