#include "tests/support/id3v2_maker.h"

#include <cstdint>
#include <stdexcept>

namespace marlinote::test {
namespace {

void PutSize(std::string& out, std::size_t size, int bytes, bool syncSafe) {
  const int bits = syncSafe ? 7 : 8;
  for (int i = bytes - 1; i >= 0; --i)
    out += static_cast<char>((size >> (bits * i)) & ((1u << bits) - 1));
}

// UTF-8 to UTF-16 little-endian code units.
std::u16string Utf16(const std::string& text) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    const int length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? b : b & (0x7F >> length);
    for (int k = 1; k < length; ++k) c = c << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    i += static_cast<std::size_t>(length);
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

}  // namespace

std::string TextContent(int encoding, const std::string& text) {
  std::string out(1, static_cast<char>(encoding));
  if (encoding != 1) return out + text;
  out += "\xFF\xFE";
  for (char16_t unit : Utf16(text)) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
  }
  return out;
}

std::string MakeId3v2Tag(int version, const std::vector<RawFrame>& frames, std::size_t padding) {
  std::string body;
  for (const RawFrame& frame : frames) {
    if (frame.id.size() != (version == 2 ? 3u : 4u)) throw std::invalid_argument(frame.id);
    body += frame.id;
    PutSize(body, frame.content.size(), version == 2 ? 3 : 4, version == 4);
    if (version != 2) body += std::string(2, '\0');
    body += frame.content;
  }
  body.append(padding, '\0');
  std::string tag = "ID3";
  tag += static_cast<char>(version);
  tag += std::string(2, '\0');
  PutSize(tag, body.size(), 4, true);
  return tag + body;
}

}  // namespace marlinote::test
