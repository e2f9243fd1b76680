#pragma once

#include <string_view>

namespace marlinote {

// The seven Vorbis comment keys that have a field key of their own ("TITLE" is "Title", ...).
// Keys are compared exactly, so "title" is no TITLE; any other key passes unchanged.
std::string_view FieldKeyFromVorbisKey(std::string_view vorbisKey);
std::string_view VorbisKeyFromFieldKey(std::string_view fieldKey);

}  // namespace marlinote
