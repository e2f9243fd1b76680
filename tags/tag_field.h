#pragma once

#include <string>
#include <vector>

namespace marlinote {

// Keys and values are code page 932 byte strings, exactly as the formats store them.
struct TagField {
  std::string key;
  std::string value;

  bool operator==(const TagField&) const = default;
};

// Insertion order matters: the APE and Ogg writers write pairs in list order.
using FieldList = std::vector<TagField>;

namespace field {
inline constexpr const char* kTitle = "Title";
inline constexpr const char* kArtist = "Artist";
inline constexpr const char* kAlbum = "Album";
inline constexpr const char* kYear = "Year";
inline constexpr const char* kComment = "Comment";
inline constexpr const char* kTrack = "Track";
inline constexpr const char* kGenre = "Genre";
// The stream's vendor text in an Ogg file's list; read only.
inline constexpr const char* kVendor = "Vender";
}  // namespace field

}  // namespace marlinote
