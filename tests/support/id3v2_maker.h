#pragma once

#include <string>
#include <vector>

namespace marlinote::test {

// One frame of an ID3v2 tag made byte by byte, as other programs lay them out: its id (three
// letters in 2.2, four in 2.3 and 2.4) and its content after the frame header.
struct RawFrame {
  std::string id;
  std::string content;
};

// A text frame's content: the encoding byte (0 ISO-8859-1, 1 UTF-16 with a byte-order mark,
// 3 UTF-8) and the text in it, encoded here from UTF-8 for 1, taken as bytes for 0 and 3.
std::string TextContent(int encoding, const std::string& text);

// A whole tag of version 2, 3 or 4 holding the frames in order and `padding` zero bytes.
std::string MakeId3v2Tag(int version, const std::vector<RawFrame>& frames, std::size_t padding);

}  // namespace marlinote::test
