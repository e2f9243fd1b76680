#include "id3v1_trailer.h"

#include <charconv>
#include <cstdint>

#include "tags/genre_table.h"
#include "tags/text_conversion.h"

namespace marlinote {

namespace {

struct Slot {
  const char* key;
  std::size_t offset;
  std::size_t readWidth;
  std::size_t writeWidth;
};

// Tag order. The comment is read over 30 bytes (an ID3v1.0 comment fills them all) but
// written over 28, since bytes 125 and 126 hold the track.
constexpr Slot kCommentSlot = {field::kComment, 97, 30, 28};
constexpr Slot kSlots[] = {
    {field::kTitle, 3, 30, 30}, {field::kArtist, 33, 30, 30}, {field::kAlbum, 63, 30, 30},
    {field::kYear, 93, 4, 4},   kCommentSlot,
};
constexpr std::size_t kTrackMarkOffset = 125;
constexpr std::size_t kTrackOffset = 126;
constexpr std::size_t kGenreOffset = 127;

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string ReadText(std::string_view slot) {
  slot = slot.substr(0, slot.find('\0'));
  while (!slot.empty() && IsBlank(slot.front())) slot.remove_prefix(1);
  while (!slot.empty() && IsBlank(slot.back())) slot.remove_suffix(1);
  return std::string(slot);
}

const std::string* FirstValue(const FieldList& fields, std::string_view key) {
  for (const TagField& f : fields)
    if (f.key == key) return &f.value;
  return nullptr;
}

}  // namespace

std::optional<FieldList> ParseId3v1Trailer(std::string_view trailer) {
  if (trailer.size() != kId3v1Size || trailer.substr(0, 3) != "TAG") return std::nullopt;
  FieldList fields;
  // Exactly the pairs it will hold: a folder scan keeps one list per file.
  fields.reserve(std::size(kSlots) + (trailer[kTrackMarkOffset] == '\0' ? 2 : 1));
  for (const Slot& slot : kSlots)
    fields.push_back({slot.key, ReadText(trailer.substr(slot.offset, slot.readWidth))});
  if (trailer[kTrackMarkOffset] == '\0') {
    const auto track = static_cast<unsigned char>(trailer[kTrackOffset]);
    fields.push_back({field::kTrack, std::to_string(track)});
  }
  const auto genre = static_cast<unsigned char>(trailer[kGenreOffset]);
  fields.push_back({field::kGenre, GenreName(genre)});
  return fields;
}

std::string FitToSlot(std::string_view value, std::size_t width) {
  std::string slot(width, ' ');
  const std::size_t copied = value.size() < width ? value.size() : width;
  value.copy(slot.data(), copied);
  if (value.size() > width) {
    // Only a walk from the start tells lead bytes from trail bytes.
    std::size_t i = 0;
    while (i < width) {
      if (IsCp932LeadByte(static_cast<unsigned char>(value[i]))) {
        if (i == width - 1) slot[i] = ' ';
        i += 2;
      } else {
        ++i;
      }
    }
  }
  return slot;
}

unsigned char TrackByte(std::string_view track) {
  if (track.size() > 1 && track[0] == '+' && track[1] != '-') track.remove_prefix(1);
  std::int32_t number = 0;
  const char* end = track.data() + track.size();
  const auto [stop, error] = std::from_chars(track.data(), end, number);
  if (track.empty() || error != std::errc() || stop != end) return 0;
  return static_cast<unsigned char>(static_cast<std::uint32_t>(number) & 0xFF);
}

std::string RenderId3v1Trailer(const FieldList& fields, std::string_view replaced) {
  const bool over = replaced.size() == kId3v1Size && replaced.substr(0, 3) == "TAG";
  auto valueOf = [&fields](const char* key) {
    const std::string* value = FirstValue(fields, key);
    return value ? std::string_view(*value) : std::string_view();
  };
  // Whether a slot of the replaced trailer reads as the value: then it keeps its bytes.
  auto kept = [&](const Slot& slot, std::string_view value) {
    return over && ReadText(replaced.substr(slot.offset, slot.readWidth)) == value;
  };
  auto keep = [&](std::string& trailer, std::size_t offset, std::size_t width) {
    trailer.replace(offset, width, replaced.substr(offset, width));
  };

  std::string trailer(kId3v1Size, '\0');
  trailer.replace(0, 3, "TAG");
  for (const Slot& slot : kSlots) {
    if (slot.offset == kCommentSlot.offset) continue;
    const std::string_view value = valueOf(slot.key);
    if (kept(slot, value))
      keep(trailer, slot.offset, slot.writeWidth);
    else
      trailer.replace(slot.offset, slot.writeWidth, FitToSlot(value, slot.writeWidth));
  }

  // An ID3v1.0 comment fills the track's bytes too, so it stays only while no track is given.
  const std::string_view comment = valueOf(field::kComment);
  const std::string_view track = valueOf(field::kTrack);
  const bool version10 = over && replaced[kTrackMarkOffset] != '\0';
  const bool commentKept = kept(kCommentSlot, comment);
  const bool trackKept =
      over && (version10 ? track.empty()
                         : std::to_string(static_cast<unsigned char>(replaced[kTrackOffset])) == track);
  if (commentKept && trackKept) {
    keep(trailer, kCommentSlot.offset, kCommentSlot.readWidth);
  } else {
    if (commentKept && !version10)
      keep(trailer, kCommentSlot.offset, kCommentSlot.writeWidth);
    else
      trailer.replace(kCommentSlot.offset, kCommentSlot.writeWidth,
                      FitToSlot(comment, kCommentSlot.writeWidth));
    trailer[kTrackMarkOffset] = '\0';
    trailer[kTrackOffset] = trackKept ? replaced[kTrackOffset] : static_cast<char>(TrackByte(track));
  }

  const std::string_view genre = valueOf(field::kGenre);
  const bool genreKept = over && GenreName(static_cast<unsigned char>(replaced[kGenreOffset])) == genre;
  trailer[kGenreOffset] = genreKept ? replaced[kGenreOffset] : static_cast<char>(GenreIndex(genre));
  return trailer;
}

}  // namespace marlinote
