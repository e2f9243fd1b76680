#include "output_text.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/file_handle.h"
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

}  // namespace

std::string DisplayText(std::string_view local) { return DisplayUtf8(LocalToUtf8(local)); }

std::string DisplayUtf8(std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t length = SequenceLength(utf8, i);
    if (length == 0) {
      out += kReplacement;
      ++i;
      continue;
    }
    const char c = utf8[i];
    const auto u = static_cast<unsigned char>(c);
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '\t') out += "\\t";
    else if (u < 0x20 || u == 0x7F) out += HexEscape("\\x", u, 2);
    else out.append(utf8.substr(i, length));
    i += length;
  }
  return out;
}

std::string JsonString(std::string_view utf8) {
  std::string out = "\"";
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t length = SequenceLength(utf8, i);
    if (length == 0) {
      out += kReplacement;
      ++i;
      continue;
    }
    const char c = utf8[i];
    if (c == '"') out += "\\\"";
    else if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '\t') out += "\\t";
    else if (static_cast<unsigned char>(c) < 0x20) out += HexEscape("\\u", static_cast<unsigned char>(c), 4);
    else out.append(utf8.substr(i, length));
    i += length;
  }
  return out + "\"";
}

std::optional<std::string> UnreadableReason(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return std::strerror(errno);
  if (S_ISDIR(st.st_mode)) return "is a folder";
  if (!OpenFile(path, "rb")) return std::string("cannot be opened: ") + std::strerror(errno);
  return std::nullopt;
}

}  // namespace marlinote::cli
