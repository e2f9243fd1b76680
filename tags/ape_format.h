#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tags/tag_field.h"

namespace marlinote {

// The footer's size, which is also the header's.
inline constexpr std::size_t kApeFooterSize = 32;
inline constexpr std::uint32_t kApeVersion = 1000;
inline constexpr std::uint32_t kApeVersion2 = 2000;
// A footer that claims a larger tag is taken as no tag: reading it would take memory and
// time in proportion to a size any file can claim, and no real tag comes near it. Tags this
// large are not written either, so that every tag written can be read back.
inline constexpr std::uint32_t kApeMaxTagSize = 16 << 20;

// Flags of the header and the footer (APEv2): the tag has a header; it has no footer; these
// 32 bytes are the header.
inline constexpr std::uint32_t kApeHasHeader = 0x80000000u;
inline constexpr std::uint32_t kApeHasNoFooter = 0x40000000u;
inline constexpr std::uint32_t kApeIsHeader = 0x20000000u;

enum class ApeEncoding : std::uint8_t { kCp932, kUtf8 };

// How a tag is laid out and how its texts are stored.
struct ApeForm {
  std::uint32_t version = kApeVersion;
  bool header = false;
  ApeEncoding encoding = ApeEncoding::kCp932;

  bool operator==(const ApeForm&) const = default;
};

// The tags this program has always written: version 1000, no header, code page 932 values
// ending in a zero byte.
inline constexpr ApeForm kApeShiftJisForm{};
// APEv2 as most programs write it: version 2000, a header and a footer, UTF-8 values without
// a terminating zero.
inline constexpr ApeForm kApeUtf8Form{kApeVersion2, true, ApeEncoding::kUtf8};

// The form in which a new tag of this encoding is written.
inline constexpr ApeForm NewApeForm(ApeEncoding encoding) {
  return encoding == ApeEncoding::kUtf8 ? kApeUtf8Form : kApeShiftJisForm;
}

// "cp932" or "utf-8".
const char* ApeEncodingName(ApeEncoding encoding);

struct ApeFooter {
  std::uint32_t version = 0;
  // Bytes of all items plus the footer; a header in front of the items is not counted.
  std::uint32_t tagSize = 0;
  std::uint32_t itemCount = 0;
  std::uint32_t flags = 0;
};

// The footer (or header, which has the same layout) in 32 bytes; nothing when they do not
// begin with "APETAGEX".
std::optional<ApeFooter> ParseApeFooter(std::string_view bytes);

// The footer of a file of `fileSize` bytes from its last 32 bytes. A tag size below the
// footer's own or beyond the file's start counts as no tag: cutting by it would destroy
// audio data. So does one beyond kApeMaxTagSize.
std::optional<ApeFooter> ParseApeFooterOfFile(std::string_view bytes, std::int64_t fileSize);

// How many of the file's last bytes to read for the tag this footer ends: the tag size, and
// the 32 bytes in front of it when the flags claim a header and the file holds them.
// Whether they are the header is for the parse to judge.
std::size_t ApeTagSpan(const ApeFooter& footer, std::int64_t fileSize);

// A header or a footer: "APETAGEX", the four numbers, eight zero bytes.
std::string RenderApeTagEnd(std::uint32_t version, std::uint32_t tagSize, std::uint32_t itemCount,
                            std::uint32_t flags);

// A version 1000 footer without a header: flags and reserved bytes zero.
std::string RenderApeFooter(std::uint32_t tagSize, std::uint32_t itemCount);

// Appends one item: value size, flags, the key and a zero byte, the value's bytes.
void AppendApeItem(std::string& out, std::uint32_t flags, std::string_view key,
                   std::string_view value);

// One item as it stands in the tag.
struct ApeItemView {
  std::uint32_t flags = 0;
  std::string_view key;
  // Every byte the value size counts: separators and a terminating zero included.
  std::string_view value;
};

// Item flags: bits 1 and 2 give the kind of value; 1 is binary data, not text.
inline bool IsBinaryApeItem(std::uint32_t flags) { return (flags >> 1 & 3) == 1; }

// The items that fill `items`, in order. A damaged item (sizes that run past the end, a key
// without its zero byte) ends them; the items before it are kept.
std::vector<ApeItemView> SplitApeItems(std::string_view items);

// The text encoding of a tag: a version 2000 (or later) tag is UTF-8 when every text value
// that is not plain ASCII is valid UTF-8, otherwise code page 932, as older Japanese software
// wrote it; an older tag is always code page 932.
ApeEncoding DetectApeEncoding(std::uint32_t version, const std::vector<ApeItemView>& items);

// The pair an item shows in the field list: key and value up to the value's first zero
// byte, converted to code page 932 in a UTF-8 tag unless the value is binary data.
TagField ApeItemPair(const ApeItemView& item, ApeEncoding encoding);

// The pairs of the items of a code page 932 tag.
FieldList ParseApeItems(std::string_view items);

// A tag split into its parts, viewing the bytes it was split from.
struct ApeTagParts {
  ApeFooter footer;
  ApeForm form;
  std::vector<ApeItemView> items;
};

// The tag whose footer ends `bytes` (read as ApeTagSpan says); nothing when they end in no
// footer or hold less than its tag size. The 32 bytes in front of the items are its header
// when the footer's flags say it has one and they are "APETAGEX" with the same tag size.
std::optional<ApeTagParts> SplitApeTag(std::string_view bytes);

// What a reader takes from a tag: its form and one pair per item.
struct ApeContents {
  ApeForm form;
  FieldList fields;
};

std::optional<ApeContents> ParseApeContents(std::string_view bytes);

// One item per pair in list order, in the form this program has always written: value size
// (value + its zero byte), flags 0, key and a zero byte, value and a zero byte.
std::string RenderApeItems(const FieldList& fields);

// The items of every pair followed by their footer, in the same form; nothing when the tag
// would be larger than kApeMaxTagSize.
std::optional<std::string> RenderApeTag(const FieldList& fields);

}  // namespace marlinote
