// The code page 932 conversions over any bytes: never a read past the end, UTF-8 out of
// LocalToUtf8 always valid, and code page 932 text that went out as UTF-8 (an Ogg comment)
// comes back as the same bytes once it has been through one round.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/memory_file.h"
#include "tags/text_conversion.h"

namespace {

using marlinote::fuzz::Check;

// Well-formed UTF-8 of one to three bytes per character, no surrogates, no overlong forms.
bool IsBmpUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    std::size_t length = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : 0;
    if (length == 0 || text.size() - i < length) return false;
    std::uint32_t unit = length == 1 ? b : length == 2 ? (b & 0x1F) : (b & 0x0F);
    for (std::size_t k = 1; k < length; ++k) {
      const auto c = static_cast<unsigned char>(text[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      unit = unit << 6 | (c & 0x3F);
    }
    if ((length == 2 && unit < 0x80) || (length == 3 && unit < 0x800) ||
        (unit >= 0xD800 && unit < 0xE000))
      return false;
    i += length;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const std::string utf8 = marlinote::LocalToUtf8(bytes);
  Check(IsBmpUtf8(utf8));
  const std::string local = marlinote::Utf8ToLocal(bytes);
  Check(local.size() <= 2 * size);

  const std::string settled = marlinote::Utf8ToLocal(utf8);
  Check(marlinote::Utf8ToLocal(marlinote::LocalToUtf8(settled)) == settled);

  if (const auto exact = marlinote::Utf8ToLocalExact(bytes)) {
    Check(IsBmpUtf8(bytes));
    Check(marlinote::Utf8ToLocal(marlinote::LocalToUtf8(*exact)) == *exact);
  }
  return 0;
}
