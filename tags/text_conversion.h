#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace marlinote {

// UTF-8 to code page 932. A character that code page 932 cannot hold, a cut sequence, a
// four-byte sequence, an overlong form and a byte that begins no sequence each become one
// space; a leading byte-order mark is dropped. Never reads past the end of its text.
std::string Utf8ToLocal(std::string_view utf8);

// Whether every byte is below 0x80: such a text reads the same in UTF-8 and code page 932.
bool IsAscii(std::string_view text);

// Whether two texts are equal when ASCII letters are compared without regard to case; other
// bytes (those of code page 932 or UTF-8 characters among them) must be equal.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// Whether a code page 932 byte begins a two-byte character.
inline bool IsCp932LeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Code page 932 to UTF-8. A byte that is not valid code page 932 becomes U+FFFD.
std::string LocalToUtf8(std::string_view local);

// Whether the bytes are well-formed UTF-8: no overlong form, surrogate half, character beyond
// U+10FFFF or sequence cut short.
bool IsValidUtf8(std::string_view text);

// Code page 932 bytes of a UTF-8 text, or nothing when the text is not valid UTF-8 or holds a
// character that code page 932 cannot hold. For text a person typed: it is refused, never
// replaced.
std::optional<std::string> Utf8ToLocalExact(std::string_view utf8);

}  // namespace marlinote
