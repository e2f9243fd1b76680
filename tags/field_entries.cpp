#include "field_entries.h"

#include <algorithm>

#include "tags/text_conversion.h"

namespace marlinote {

namespace {

constexpr std::string_view kSeven[] = {field::kTitle,   field::kArtist, field::kAlbum,
                                       field::kYear,    field::kComment, field::kTrack,
                                       field::kGenre};

bool IsSeven(std::string_view key) {
  return std::find(std::begin(kSeven), std::end(kSeven), key) != std::end(kSeven);
}

}  // namespace

std::string_view SevenFieldOf(std::string_view key) {
  for (std::string_view field : kSeven)
    if (EqualsIgnoringAsciiCase(key, field)) return field;
  return key;
}

std::optional<std::size_t> ShownPair(const FieldList& fields, std::string_view field,
                                     FieldOfKey fieldOf) {
  std::optional<std::size_t> first;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].key == field) return i;
    if (!first && IsSeven(field) && fieldOf(fields[i].key) == field) first = i;
  }
  return first;
}

void SetShownField(FieldList& fields, std::string_view field, std::string_view value,
                   FieldOfKey fieldOf) {
  const std::optional<std::size_t> shown = ShownPair(fields, field, fieldOf);
  if (!shown) {
    fields.push_back({std::string(field), std::string(value)});
    return;
  }
  fields[*shown].value = value;
  if (!IsSeven(field)) return;
  std::size_t kept = 0;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i != *shown && fieldOf(fields[i].key) == field) continue;
    if (kept != i) fields[kept] = std::move(fields[i]);
    ++kept;
  }
  fields.resize(kept);
}

FieldList ShownFields(const FieldList& fields, FieldOfKey fieldOf) {
  FieldList shown;
  shown.reserve(fields.size());
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::string_view field = fieldOf(fields[i].key);
    if (!IsSeven(field)) {
      shown.push_back(fields[i]);
    } else if (ShownPair(fields, field, fieldOf) == i) {
      shown.push_back({std::string(field), fields[i].value});
    }
  }
  return shown;
}

}  // namespace marlinote
