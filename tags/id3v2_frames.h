#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "tags/tag_field.h"

namespace marlinote {

// The ID3v2 tag at the start of a file, read and rendered by TagLib: this file and its .cpp
// are the only place that sees TagLib, so that the rest of the program speaks of fields.

inline constexpr std::size_t kId3v2HeaderSize = 10;

struct Id3v2Header {
  // The major version: 2, 3 or 4.
  int version = 3;
  // The whole tag: header, extended header, frames, padding and footer.
  std::int64_t size = 0;
};

// The tag that `head` (a file's first bytes, at least the 10 of a header) begins with;
// nothing when it begins with no ID3v2 header of version 2.2 to 2.4.
std::optional<Id3v2Header> ReadId3v2Header(std::string_view head);

struct Id3v2Contents {
  int version = 3;
  // The seven fields the tag holds, in code page 932, in the order of an ID3v1 trailer's.
  FieldList fields;
};

// The fields of a whole tag (`ReadId3v2Header(tag)->size` bytes); nothing when it is no tag.
// Texts in UTF-16 and UTF-8 are converted to code page 932, a character it cannot hold
// becoming a space. A frame marked ISO-8859-1 whose bytes are valid code page 932 holding a
// kana character (lead byte 0x82 or 0x83) is read as code page 932, which is what older
// Japanese programs wrote into such frames; any other one as ISO-8859-1.
std::optional<Id3v2Contents> ParseId3v2Tag(std::string_view tag);

// `count` bytes of a tag from `offset` (its header is at 0): a view that holds until the next
// call, or nothing when they cannot be read.
using Id3v2Bytes =
    std::function<std::optional<std::string_view>(std::size_t offset, std::size_t count)>;

// What ParseId3v2Tag reads of the whole tag, read from the frames of the seven fields and
// the headers of the others, so that a picture or other large frame is neither read nor
// parsed. A whole 2.3 tag unsynchronised, an extended header, a footer or a 2.2 tag is read
// whole.
std::optional<Id3v2Contents> ProbeId3v2Tag(const Id3v2Bytes& bytes);

// The bytes of tag `old` (a whole tag as read, or empty for a new tag) with every one of
// the seven fields of `fields` whose value differs from what `old` shows written anew: its
// frames are replaced by one frame of the value (none for an empty value), UTF-16 in a 2.3
// tag and UTF-8 in a 2.4 tag. Every other frame keeps its value; pictures and other binary
// frames keep their bytes. A 2.4 tag stays 2.4; any other tag, and a new one, is written as
// 2.3. The result is exactly as long as `old` when its frames fit there (the padding takes
// the rest), else the frames and 1024 bytes of padding. Nothing when `old` is not a tag,
// the tag would be larger than ID3v2 allows, or a field nobody changed would read otherwise
// (TagLib cannot render frames whose encoding byte ID3v2 does not know as they read).
std::optional<std::string> RenderId3v2Tag(std::string_view old, const FieldList& fields);

}  // namespace marlinote
