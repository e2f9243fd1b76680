#include "output_text.h"

#include <cstdio>

#include "tags/text_conversion.h"

namespace marlinote::cli {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

std::string HexEscape(const char* prefix, unsigned value, int digits) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%s%0*X", prefix, digits, value);
  return buffer;
}

// The length of the well-formed UTF-8 sequence at `i`, or 0.
std::size_t SequenceLength(std::string_view s, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    return 0;
  }
  if (s.size() - i < length) return 0;
  if (byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k)
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  return length;
}

// Appends `utf8` with each byte that begins no well-formed sequence as U+FFFD. Each ASCII
// character goes to `escape(c, out)` first, which appends an escape and returns true, or
// returns false to keep the character as it is.
template <typename Escape>
void AppendRepaired(std::string_view utf8, Escape escape, std::string& out) {
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t length = SequenceLength(utf8, i);
    if (length == 0) {
      out += kReplacement;
      ++i;
      continue;
    }
    if (length > 1 || !escape(static_cast<unsigned char>(utf8[i]), out))
      out.append(utf8.substr(i, length));
    i += length;
  }
}

// The escapes that a backslash, a line break and a tab take in both kinds of output.
const char* CommonEscape(unsigned char c) {
  switch (c) {
    case '\\': return "\\\\";
    case '\n': return "\\n";
    case '\r': return "\\r";
    case '\t': return "\\t";
    default: return nullptr;
  }
}

}  // namespace

std::string DisplayText(std::string_view local) { return DisplayUtf8(LocalToUtf8(local)); }

std::string DisplayUtf8(std::string_view utf8) {
  std::string out;
  AppendRepaired(utf8, [](unsigned char c, std::string& to) {
    if (const char* common = CommonEscape(c)) to += common;
    else if (c < 0x20 || c == 0x7F) to += HexEscape("\\x", c, 2);
    else return false;
    return true;
  }, out);
  return out;
}

std::string JsonString(std::string_view utf8) {
  std::string out = "\"";
  AppendRepaired(utf8, [](unsigned char c, std::string& to) {
    if (const char* common = CommonEscape(c)) to += common;
    else if (c == '"') to += "\\\"";
    else if (c < 0x20) to += HexEscape("\\u", c, 4);
    else return false;
    return true;
  }, out);
  return out + "\"";
}

std::string JsonPathMembers(std::string_view path) {
  std::string members = "\"path\":" + JsonString(path);
  if (IsValidUtf8(path)) return members;
  members += ",\"pathBytes\":\"";
  constexpr char kDigits[] = "0123456789abcdef";
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    members += kDigits[byte >> 4];
    members += kDigits[byte & 0xF];
  }
  return members + "\"";
}

}  // namespace marlinote::cli
