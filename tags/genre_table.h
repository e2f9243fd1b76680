#pragma once

#include <array>
#include <string_view>

namespace marlinote {

inline constexpr int kGenreCount = 256;

// The name stored for an ID3v1 genre byte; empty text for 148 to 250.
const char* GenreName(int index);

// The last index whose name equals the text exactly: "Anime" gives 255, an empty text 250,
// an unknown name 0.
int GenreIndex(std::string_view name);

}  // namespace marlinote
