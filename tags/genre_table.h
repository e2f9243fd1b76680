#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace marlinote {

inline constexpr int kGenreCount = 256;

// The name stored for an ID3v1 genre byte; empty text for 148 to 250.
const char* GenreName(int index);

// The table's index for a name, compared without regard to ASCII letter case; where two
// entries carry the name, the last ("Anime" gives 255, an empty text 250). The common
// spellings of names the table spells its own way find its entries too ("Jazz+Funk" 29,
// "Drum & Bass" 127). Nothing when the table lacks the name.
std::optional<int> FindGenreIndex(std::string_view name);

// The genre byte stored for a name: FindGenreIndex, or 250 (no genre) for a name the table
// lacks, so that no reader shows a genre the user did not choose.
int GenreIndex(std::string_view name);

}  // namespace marlinote
