#pragma once

#include <string_view>

namespace marlinote {

// The seven Vorbis comment keys that have a field key of their own ("TITLE" is "Title", ...).
// Keys are compared exactly, so "title" is no TITLE; any other key passes unchanged.
std::string_view FieldKeyFromVorbisKey(std::string_view vorbisKey);
std::string_view VorbisKeyFromFieldKey(std::string_view fieldKey);

// The field a pair of an Ogg file's list shows: the Vorbis keys are matched without regard to
// case, as Vorbis I says field names are ("title" shows Title); any other key shows itself.
std::string_view FieldOfVorbisPairKey(std::string_view pairKey);

}  // namespace marlinote
