#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "tags/tag_field.h"

namespace marlinote {

// In APE tags and Vorbis comments, keys name fields without regard to letter case, so
// several entries can show one of the seven fields ("Title" and "TITLE" in an APE tag,
// "TITLE=" and "title=" in an Ogg file). `FieldOfKey` gives the field key an entry's key
// shows, or the key itself when it shows none of the seven.
using FieldOfKey = std::string_view (*)(std::string_view key);

// The seven field key that `key` spells without regard to ASCII letter case, or `key`.
std::string_view SevenFieldOf(std::string_view key);

// The pair that shows `field`: of the pairs whose key shows it, the first spelled exactly as
// `field`, else the first. For a key outside the seven, the first pair of exactly that key.
std::optional<std::size_t> ShownPair(const FieldList& fields, std::string_view field,
                                     FieldOfKey fieldOf);

// Gives `field` the value. For one of the seven, the pair that shows it takes the value,
// keeping its place and its key, and every other pair of the field goes; for any other key
// only the first pair of exactly that key changes. Without such a pair, one is appended.
void SetShownField(FieldList& fields, std::string_view field, std::string_view value,
                   FieldOfKey fieldOf);

// The pairs as the fields they show, in list order: the pair that shows one of the seven
// fields under that field's key, the field's other pairs left out; every other pair as it is.
FieldList ShownFields(const FieldList& fields, FieldOfKey fieldOf);

}  // namespace marlinote
