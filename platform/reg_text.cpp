#include "reg_text.h"

#include <unicode/ustring.h>

#include <cstdio>
#include <vector>

#include "platform/memory_settings_store.h"

namespace marlinote {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";
constexpr std::string_view kRoot = "HKEY_CURRENT_USER";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

class LineReader {
 public:
  explicit LineReader(std::string_view text) : rest_(text) {}
  bool Next(std::string_view& line) {
    if (rest_.empty()) return false;
    const auto end = rest_.find('\n');
    line = rest_.substr(0, end);
    rest_ = end == std::string_view::npos ? std::string_view() : rest_.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
  }

 private:
  std::string_view rest_;
};

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return !RegNameLess{}(a, b) && !RegNameLess{}(b, a);
}

void TrimLeft(std::string_view& s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
}

void TrimRight(std::string_view& s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 1 to 8 hex digits, the whole text.
bool ParseHexNumber(std::string_view s, std::uint32_t& value) {
  if (s.empty() || s.size() > 8) return false;
  value = 0;
  for (char c : s) {
    const int d = HexDigit(c);
    if (d < 0) return false;
    value = value << 4 | static_cast<std::uint32_t>(d);
  }
  return true;
}

// A text in double quotes with \" and \\ escaped; consumes it from `s`.
bool ParseQuoted(std::string_view& s, std::string& out) {
  if (s.empty() || s.front() != '"') return false;
  out.clear();
  for (std::size_t i = 1; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '"') {
      s.remove_prefix(i + 1);
      return true;
    }
    if (c == '\\') {
      if (i + 1 == s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) return false;
      out += s[++i];
    } else {
      out += c;
    }
  }
  return false;
}

// "xx,xx,..." (possibly empty), spaces allowed around each byte.
bool ParseHexBytes(std::string_view s, std::string& out) {
  out.clear();
  TrimLeft(s);
  TrimRight(s);
  if (s.empty()) return true;
  for (;;) {
    const auto comma = s.find(',');
    std::string_view item = s.substr(0, comma);
    TrimLeft(item);
    TrimRight(item);
    if (item.size() != 2 || HexDigit(item[0]) < 0 || HexDigit(item[1]) < 0) return false;
    out += static_cast<char>(HexDigit(item[0]) << 4 | HexDigit(item[1]));
    if (comma == std::string_view::npos) return true;
    s.remove_prefix(comma + 1);
  }
}

std::string Utf16LeToUtf8(std::string_view bytes) {
  std::vector<UChar> units;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto unit = static_cast<UChar>(static_cast<unsigned char>(bytes[i]) |
                                         static_cast<unsigned char>(bytes[i + 1]) << 8);
    if (unit == 0) break;
    units.push_back(unit);
  }
  std::string out(units.size() * 3, '\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, units.data(),
                     static_cast<int32_t>(units.size()), 0xFFFD, nullptr, &status);
  out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
  return out;
}

// With the terminating zero.
std::string Utf8ToUtf16Le(std::string_view text) {
  std::vector<UChar> units(text.size() + 1);
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(units.data(), static_cast<int32_t>(units.size()), &length, text.data(),
                       static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
  if (U_FAILURE(status)) length = 0;
  std::string bytes;
  bytes.reserve((static_cast<std::size_t>(length) + 1) * 2);
  for (int32_t i = 0; i < length; ++i) {
    bytes += static_cast<char>(units[i] & 0xFF);
    bytes += static_cast<char>(units[i] >> 8);
  }
  bytes.append(2, '\0');
  return bytes;
}

// The data after "=": a quoted text, dword:, hex: or hex(N):. Hex data may go on over the
// following lines, each line but the last ending with "\".
bool ParseData(std::string_view data, LineReader& lines, bool unicode, RegValue& value) {
  if (!data.empty() && data.front() == '"') {
    std::string text;
    if (!ParseQuoted(data, text) || !data.empty()) return false;
    value = RegValue::Text(std::move(text));
    return true;
  }
  if (data.substr(0, 6) == "dword:") {
    std::uint32_t number = 0;
    if (!ParseHexNumber(data.substr(6), number)) return false;
    value = RegValue::Dword(number);
    return true;
  }
  if (data.substr(0, 3) != "hex") return false;
  data.remove_prefix(3);
  std::uint32_t type = kRegBinary;
  if (!data.empty() && data.front() == '(') {
    const auto close = data.find(')');
    if (close == std::string_view::npos || !ParseHexNumber(data.substr(1, close - 1), type))
      return false;
    data.remove_prefix(close + 1);
  }
  if (data.empty() || data.front() != ':') return false;
  data.remove_prefix(1);
  std::string joined;
  TrimRight(data);
  while (!data.empty() && data.back() == '\\') {
    data.remove_suffix(1);
    joined += data;
    if (!lines.Next(data)) return false;
    TrimLeft(data);
    TrimRight(data);
  }
  joined += data;
  std::string bytes;
  if (!ParseHexBytes(joined, bytes)) return false;

  if (type == kRegSz || type == kRegExpandSz) {
    if (!unicode) {
      value = RegValue::Text(bytes.substr(0, bytes.find('\0')), type);
      return true;
    }
    if (bytes.size() % 2 != 0) return false;
    value = RegValue::Text(Utf16LeToUtf8(bytes), type);
    return true;
  }
  if (type == kRegDword) {
    if (bytes.size() != 4) return false;
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = number << 8 | static_cast<unsigned char>(bytes[i]);
    value = RegValue::Dword(number);
    return true;
  }
  value = RegValue{type, 0, std::move(bytes)};
  return true;
}

bool ParseSection(std::string_view inner, std::string& key) {
  if (inner.size() < kRoot.size() || !EqualsNoCase(inner.substr(0, kRoot.size()), kRoot))
    return false;
  inner.remove_prefix(kRoot.size());
  if (inner.empty()) {
    key.clear();
    return true;
  }
  if (inner.front() != '\\') return false;
  key = inner.substr(1);
  return true;
}

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  out += '"';
}

void AppendHex(std::string& out, std::string_view bytes) {
  char item[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(item, sizeof item, i == 0 ? "%02x" : ",%02x",
                  static_cast<unsigned char>(bytes[i]));
    out += item;
  }
}

void AppendData(std::string& out, const RegValue& value) {
  char buffer[24];
  if (value.type == kRegDword) {
    std::snprintf(buffer, sizeof buffer, "dword:%08x", value.number);
    out += buffer;
  } else if (value.type == kRegSz && IsValidValueName(value.data)) {
    // A quoted string holds what a quoted value name holds: no control character.
    AppendQuoted(out, value.data);
  } else if (value.type == kRegSz || value.type == kRegExpandSz) {
    out += value.type == kRegSz ? "hex(1):" : "hex(2):";
    AppendHex(out, Utf8ToUtf16Le(value.data));
  } else {
    if (value.type == kRegBinary) {
      out += "hex:";
    } else {
      std::snprintf(buffer, sizeof buffer, "hex(%x):", value.type);
      out += buffer;
    }
    AppendHex(out, value.data);
  }
}

}  // namespace

std::optional<RegKeys> ParseRegText(std::string_view text) {
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
    text.remove_prefix(kByteOrderMark.size());
  LineReader lines(text);
  std::string_view line;
  if (!lines.Next(line)) return std::nullopt;
  TrimRight(line);
  if (line != kHeader && line != kOldHeader) return std::nullopt;
  const bool unicode = line == kHeader;

  RegKeys keys;
  // The values of the section being read. Held rather than looked up by the key's path for
  // every value, which would make a long path with many values cost their product.
  RegValues* values = nullptr;
  std::string name;
  while (lines.Next(line)) {
    TrimRight(line);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      std::string path;
      if (line.back() != ']' || !ParseSection(line.substr(1, line.size() - 2), path) ||
          !IsValidKeyPath(path))
        return std::nullopt;
      values = &keys.try_emplace(std::move(path)).first->second;
      continue;
    }
    if (!values) return std::nullopt;
    if (line.front() == '@') {
      name.clear();
      line.remove_prefix(1);
    } else if (!ParseQuoted(line, name)) {
      return std::nullopt;
    }
    if (line.empty() || line.front() != '=') return std::nullopt;
    line.remove_prefix(1);
    RegValue value;
    if (!ParseData(line, lines, unicode, value) || !IsValidValueName(name)) return std::nullopt;
    (*values)[name] = std::move(value);
  }
  return keys;
}

std::string RenderRegText(const RegKeys& keys) {
  std::string out(kHeader);
  out += '\n';
  for (const auto& [key, values] : keys) {
    out += "\n[";
    out += kRoot;
    if (!key.empty()) {
      out += '\\';
      out += key;
    }
    out += "]\n";
    for (const auto& [name, value] : values) {
      if (name.empty())
        out += '@';
      else
        AppendQuoted(out, name);
      out += '=';
      AppendData(out, value);
      out += '\n';
    }
  }
  return out;
}

}  // namespace marlinote
