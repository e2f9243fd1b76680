#pragma once

#include <array>
#include <cstdint>
#include <string>

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

}  // namespace marlinote
