#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "tags/tag_field.h"

namespace marlinote {

inline constexpr std::size_t kId3v1Size = 128;

// The fields of a 128-byte trailer, in tag order (Title, Artist, Album, Year, Comment,
// Track when byte 125 is zero, Genre); nothing when the bytes do not begin with "TAG".
std::optional<FieldList> ParseId3v1Trailer(std::string_view trailer);

// The 128 bytes of a trailer built from the first pair of each key (an absent key counts as
// empty). Texts are cut to their slot and padded with spaces. Written over `replaced`, the
// trailer it takes the place of, a slot whose value reads there as the field's value keeps
// its bytes, padding included, and so does the genre byte of an unchanged genre; an
// ID3v1.0 comment keeps all 30 of its bytes while no track is given.
std::string RenderId3v1Trailer(const FieldList& fields, std::string_view replaced = {});

// A value cut to a slot's width, padded with spaces. When the cut would leave the first byte
// of a two-byte code page 932 character as the last byte, that byte becomes a space.
std::string FitToSlot(std::string_view value, std::size_t width);

// The track byte for a "Track" text: a whole decimal number's low 8 bits; 0 for other text.
unsigned char TrackByte(std::string_view track);

}  // namespace marlinote
