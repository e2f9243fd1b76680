#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tags/tag_field.h"

namespace marlinote {

inline constexpr std::size_t kApeFooterSize = 32;
inline constexpr std::uint32_t kApeVersion = 1000;
// A footer that claims a larger tag is taken as no tag: reading it would take memory and
// time in proportion to a size any file can claim, and no real tag comes near it. Tags this
// large are not written either, so that every tag written can be read back.
inline constexpr std::uint32_t kApeMaxTagSize = 16 << 20;

struct ApeFooter {
  std::uint32_t version = 0;
  // Bytes of all items plus the footer; a header in front of the items is not counted.
  std::uint32_t tagSize = 0;
  std::uint32_t itemCount = 0;
  std::uint32_t flags = 0;
};

// The footer in 32 bytes; nothing when they do not begin with "APETAGEX".
std::optional<ApeFooter> ParseApeFooter(std::string_view bytes);

// The footer of a file of `fileSize` bytes from its last 32 bytes. A tag size below the
// footer's own or beyond the file's start counts as no tag: cutting by it would destroy
// audio data. So does one beyond kApeMaxTagSize.
std::optional<ApeFooter> ParseApeFooterOfFile(std::string_view bytes, std::int64_t fileSize);

// A version 1000 footer without a header: flags and reserved bytes zero.
std::string RenderApeFooter(std::uint32_t tagSize, std::uint32_t itemCount);

// The pairs of the items that fill `items` exactly. A damaged item (sizes that run past the
// end, a key without its zero byte) ends the parse; the pairs before it are kept. A value
// is taken up to its first zero byte.
FieldList ParseApeItems(std::string_view items);

// One item per pair in list order: value size (value + its zero byte), flags 0, key and a
// zero byte, value and a zero byte.
std::string RenderApeItems(const FieldList& fields);

// The items of every pair followed by their footer; nothing when the tag would be larger
// than kApeMaxTagSize.
std::optional<std::string> RenderApeTag(const FieldList& fields);

}  // namespace marlinote
