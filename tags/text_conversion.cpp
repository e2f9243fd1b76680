#include "text_conversion.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <memory>

namespace marlinote {
namespace {

// No code page 932 text for this character, or no character for these bytes.
constexpr std::uint16_t kNone = 0xFFFF;
constexpr std::uint32_t kReplacement = 0xFFFD;

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (valid()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts all of the input at once; the number of output bytes, or 0 when it cannot.
  std::size_t Convert(const char* in, std::size_t inLength, char* out, std::size_t outSize) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* inPtr = const_cast<char*>(in);
    char* outPtr = out;
    std::size_t outLeft = outSize;
    if (iconv(cd_, &inPtr, &inLength, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
        inLength != 0)
      return 0;
    return outSize - outLeft;
  }

 private:
  iconv_t cd_;
};

// The whole code page 932 mapping as the C library's iconv has it, built once, so that the
// conversions of a folder scan cost a table look-up per character.
struct Cp932Tables {
  // BMP character -> one byte (below 0x100) or lead << 8 | trail, or kNone.
  std::array<std::uint16_t, 0x10000> encode;
  // One byte -> character, or kNone (also for lead bytes).
  std::array<std::uint16_t, 0x100> single;
  // Lead << 8 | trail -> character, or kNone.
  std::array<std::uint16_t, 0x10000> pair;
};

bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

std::unique_ptr<Cp932Tables> BuildTables() {
  auto tables = std::make_unique<Cp932Tables>();
  tables->encode.fill(kNone);
  tables->single.fill(kNone);
  tables->pair.fill(kNone);
  // Without the converter, plain ASCII is still known.
  for (unsigned c = 0; c < 0x80; ++c)
    tables->encode[c] = tables->single[c] = static_cast<std::uint16_t>(c);

  Iconv encoder("CP932", "UTF-16LE");
  Iconv decoder("UTF-16LE", "CP932");
  if (!encoder.valid() || !decoder.valid()) return tables;

  char out[8];
  for (unsigned c = 0x80; c < 0x10000; ++c) {
    if (c >= 0xD800 && c < 0xE000) continue;
    const char in[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    const std::size_t n = encoder.Convert(in, 2, out, sizeof out);
    const auto b0 = static_cast<unsigned char>(out[0]);
    const auto b1 = static_cast<unsigned char>(out[1]);
    if (n == 1) tables->encode[c] = b0;
    if (n == 2) tables->encode[c] = static_cast<std::uint16_t>(b0 << 8 | b1);
  }
  auto unit = [&out] {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(out[0]) |
                                      static_cast<unsigned char>(out[1]) << 8);
  };
  for (unsigned b = 0x80; b < 0x100; ++b) {
    const char in[1] = {static_cast<char>(b)};
    if (decoder.Convert(in, 1, out, sizeof out) == 2) tables->single[b] = unit();
  }
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsCp932LeadByte(static_cast<unsigned char>(lead))) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      if (decoder.Convert(in, 2, out, sizeof out) == 2) tables->pair[lead << 8 | trail] = unit();
    }
  }
  return tables;
}

const Cp932Tables& Tables() {
  static const std::unique_ptr<Cp932Tables> tables = BuildTables();
  return *tables;
}

void AppendLocal(std::string& out, std::uint16_t code) {
  if (code >= 0x100) out.push_back(static_cast<char>(code >> 8));
  out.push_back(static_cast<char>(code & 0xFF));
}

void AppendUtf8(std::string& out, std::uint32_t unit) {
  if (unit < 0x80) {
    out.push_back(static_cast<char>(unit));
  } else if (unit < 0x800) {
    out.push_back(static_cast<char>(0xC0 | unit >> 6));
    out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | unit >> 12));
    out.push_back(static_cast<char>(0x80 | (unit >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
  }
}

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

struct Utf8Char {
  std::uint32_t unit;
  std::size_t length;
};

// The character of the well-formed UTF-8 sequence at `i`; nothing for an overlong form, a
// surrogate half, a character beyond U+10FFFF, a sequence cut short or a byte that begins none.
std::optional<Utf8Char> DecodeUtf8(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  if (lead < 0x80) return Utf8Char{lead, 1};
  std::size_t length = 0;
  std::uint32_t unit = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    unit = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    unit = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    unit = lead & 0x07;
  } else {
    return std::nullopt;
  }
  if (text.size() - i < length) return std::nullopt;
  for (std::size_t k = 1; k < length; ++k) {
    const auto b = static_cast<unsigned char>(text[i + k]);
    if (!IsContinuation(b)) return std::nullopt;
    unit = unit << 6 | (b & 0x3F);
  }
  if ((length == 3 && unit < 0x800) || (length == 4 && (unit < 0x10000 || unit > 0x10FFFF)) ||
      (unit >= 0xD800 && unit < 0xE000))
    return std::nullopt;
  return Utf8Char{unit, length};
}

}  // namespace

std::string Utf8ToLocal(std::string_view utf8) {
  // ASCII stands for itself: most keys and many values need no table at all.
  if (IsAscii(utf8)) return std::string(utf8);
  const Cp932Tables& tables = Tables();
  std::string out;
  out.reserve(utf8.size());
  const std::size_t n = utf8.size();
  std::size_t i = 0;
  bool first = true;
  while (i < n) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    std::size_t length = 1;
    std::uint32_t unit = lead;
    // A continuation byte standing alone, or a byte that begins nothing, is no character.
    bool invalid = (lead >= 0x80 && lead < 0xC0) || lead >= 0xF8;
    if (lead >= 0xC0 && !invalid) {
      if ((lead & 0xE0) == 0xC0) {
        length = 2;
        unit = lead & 0x1F;
      } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
      } else {
        length = 3;
        unit = lead & 0x0F;
      }
    }
    std::size_t k = 1;
    for (; k < length && i + k < n && IsContinuation(static_cast<unsigned char>(utf8[i + k])); ++k)
      unit = unit << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += k;
    const bool wasFirst = first;
    first = false;
    // Overlong forms would smuggle in ASCII, a zero byte among them.
    invalid = invalid || (length == 2 && unit < 0x80) || (length == 3 && unit < 0x800);
    // A sequence cut short (by the end or by a byte that cannot continue it), a character
    // beyond 16 bits and bytes that are no UTF-8 each stand as one space.
    if (invalid || k < length || length == 4) {
      out.push_back(' ');
      continue;
    }
    if (wasFirst && (unit == 0xFEFF || unit == 0xFFFE)) continue;
    const std::uint16_t code = tables.encode[unit];
    if (code == kNone)
      out.push_back(' ');
    else
      AppendLocal(out, code);
  }
  return out;
}

std::string LocalToUtf8(std::string_view local) {
  const Cp932Tables& tables = Tables();
  std::string out;
  out.reserve(local.size() + local.size() / 2);
  const std::size_t n = local.size();
  for (std::size_t i = 0; i < n;) {
    const auto b = static_cast<unsigned char>(local[i]);
    if (IsCp932LeadByte(b)) {
      const auto trail = i + 1 < n ? static_cast<unsigned char>(local[i + 1]) : 0;
      if (i + 1 < n && IsTrailByte(trail)) {
        const std::uint16_t unit = tables.pair[b << 8 | trail];
        AppendUtf8(out, unit == kNone ? kReplacement : unit);
        i += 2;
      } else {
        AppendUtf8(out, kReplacement);
        ++i;
      }
      continue;
    }
    const std::uint16_t unit = tables.single[b];
    AppendUtf8(out, unit == kNone ? kReplacement : unit);
    ++i;
  }
  return out;
}

bool IsAscii(std::string_view text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::optional<Utf8Char> c = DecodeUtf8(text, i);
    if (!c) return false;
    i += c->length;
  }
  return true;
}

std::optional<std::string> Utf8ToLocalExact(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  const Cp932Tables& tables = Tables();
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const std::optional<Utf8Char> c = DecodeUtf8(utf8, i);
    // Code page 932 holds nothing beyond 16 bits, so four-byte sequences are refused with the
    // invalid ones.
    if (!c || c->unit > 0xFFFF) return std::nullopt;
    const std::uint16_t code = tables.encode[c->unit];
    if (code == kNone) return std::nullopt;
    AppendLocal(out, code);
    i += c->length;
  }
  return out;
}

}  // namespace marlinote
