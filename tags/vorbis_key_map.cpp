#include "vorbis_key_map.h"

#include <array>
#include <utility>

#include "tags/tag_field.h"
#include "tags/text_conversion.h"

namespace marlinote {
namespace {

using KeyPair = std::pair<std::string_view, std::string_view>;  // Vorbis key, field key

constexpr std::array<KeyPair, 7> kKeys{{
    {"TITLE", field::kTitle},
    {"ALBUM", field::kAlbum},
    {"ARTIST", field::kArtist},
    {"TRACKNUMBER", field::kTrack},
    {"GENRE", field::kGenre},
    {"DATE", field::kYear},
    {"COMMENT", field::kComment},
}};

}  // namespace

std::string_view FieldKeyFromVorbisKey(std::string_view vorbisKey) {
  for (const auto& [vorbis, fieldKey] : kKeys)
    if (vorbis == vorbisKey) return fieldKey;
  return vorbisKey;
}

std::string_view VorbisKeyFromFieldKey(std::string_view fieldKey) {
  for (const auto& [vorbis, key] : kKeys)
    if (key == fieldKey) return vorbis;
  return fieldKey;
}

std::string_view FieldOfVorbisPairKey(std::string_view pairKey) {
  for (const auto& [vorbis, fieldKey] : kKeys)
    if (EqualsIgnoringAsciiCase(vorbis, pairKey)) return fieldKey;
  return pairKey;
}

}  // namespace marlinote
