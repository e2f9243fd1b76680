#include "ogg_crc.h"

#include <array>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace marlinote {

namespace {

constexpr std::uint32_t kPolynomial = 0x04C11DB7;

// Eight tables, so that the table walk takes eight bytes a step.
using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

Tables MakeTables() {
  Tables t{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t crc = i << 24;
    for (int bit = 0; bit < 8; ++bit) crc = (crc << 1) ^ ((crc & 0x80000000u) ? kPolynomial : 0);
    t[0][i] = crc;
  }
  for (std::uint32_t i = 0; i < 256; ++i)
    for (std::size_t j = 1; j < 8; ++j) t[j][i] = t[0][t[j - 1][i] >> 24] ^ (t[j - 1][i] << 8);
  return t;
}

const Tables& Table() {
  static const Tables tables = MakeTables();
  return tables;
}

#if defined(__x86_64__)

// x^n mod P.
std::uint64_t PowerModP(unsigned n) {
  std::uint32_t r = 1;
  for (unsigned i = 0; i < n; ++i) r = (r << 1) ^ ((r & 0x80000000u) ? kPolynomial : 0);
  return r;
}

// floor(x^64 / P), for the Barrett reduction.
std::uint64_t QuotientOfX64() {
  constexpr unsigned __int128 kP = (static_cast<unsigned __int128>(1) << 32) | kPolynomial;
  unsigned __int128 rest = static_cast<unsigned __int128>(1) << 64;
  std::uint64_t quotient = 0;
  for (int bit = 64; bit >= 32; --bit) {
    if ((rest >> bit) & 1) {
      quotient |= std::uint64_t{1} << (bit - 32);
      rest ^= kP << (bit - 32);
    }
  }
  return quotient;
}

struct FoldConstants {
  std::uint64_t x576 = PowerModP(576), x512 = PowerModP(512);
  std::uint64_t x192 = PowerModP(192), x128 = PowerModP(128);
  std::uint64_t x96 = PowerModP(96), x64 = PowerModP(64);
  std::uint64_t mu = QuotientOfX64();
  std::uint64_t p = (std::uint64_t{1} << 32) | kPolynomial;
};

const FoldConstants& Constants() {
  static const FoldConstants constants;
  return constants;
}

// A 16-byte block as a polynomial: its first byte in the highest bits.
__attribute__((target("pclmul,ssse3,sse4.1"))) inline __m128i Load(const unsigned char* p) {
  const __m128i reverse = _mm_setr_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
  return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), reverse);
}

// x * x^n + d, reduced below degree 96 by k = (x^(n+64) mod P, x^n mod P).
__attribute__((target("pclmul,ssse3,sse4.1"))) inline __m128i Fold(__m128i x, __m128i k, __m128i d) {
  return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x11), _mm_clmulepi64_si128(x, k, 0x00)), d);
}

__attribute__((target("pclmul,ssse3,sse4.1"))) inline std::uint64_t Multiply(std::uint64_t a, std::uint64_t b) {
  return static_cast<std::uint64_t>(_mm_cvtsi128_si64(
      _mm_clmulepi64_si128(_mm_cvtsi64_si128(static_cast<long long>(a)),
                           _mm_cvtsi64_si128(static_cast<long long>(b)), 0x00)));
}

// (x * x^32) mod P for a polynomial x below degree 128.
__attribute__((target("pclmul,ssse3,sse4.1"))) std::uint32_t Reduce(__m128i x) {
  const FoldConstants& c = Constants();
  const auto high = static_cast<std::uint64_t>(_mm_extract_epi64(x, 1));
  const auto low = static_cast<std::uint64_t>(_mm_cvtsi128_si64(x));
  // high * x^96 + low * x^32, below degree 96.
  const __m128i a = _mm_clmulepi64_si128(_mm_cvtsi64_si128(static_cast<long long>(high)),
                                         _mm_cvtsi64_si128(static_cast<long long>(c.x96)), 0x00);
  const __m128i t = _mm_xor_si128(a, _mm_set_epi64x(static_cast<long long>(low >> 32),
                                                    static_cast<long long>(low << 32)));
  // Its top 32 bits times x^64, below degree 64.
  const auto top = static_cast<std::uint64_t>(_mm_extract_epi64(t, 1));
  const std::uint64_t u = Multiply(top, c.x64) ^ static_cast<std::uint64_t>(_mm_cvtsi128_si64(t));
  // Barrett: the quotient of u by P, then the remainder.
  const std::uint64_t quotient = Multiply(u >> 32, c.mu) >> 32;
  return static_cast<std::uint32_t>(u ^ Multiply(quotient, c.p));
}

// At least 64 bytes.
__attribute__((target("pclmul,ssse3,sse4.1"))) std::uint32_t UpdateByFolding(
    std::uint32_t crc, const unsigned char* data, std::size_t size) {
  const FoldConstants& c = Constants();
  __m128i x0 = _mm_xor_si128(Load(data), _mm_set_epi32(static_cast<int>(crc), 0, 0, 0));
  __m128i x1 = Load(data + 16);
  __m128i x2 = Load(data + 32);
  __m128i x3 = Load(data + 48);
  data += 64;
  size -= 64;
  const __m128i by512 = _mm_set_epi64x(static_cast<long long>(c.x576), static_cast<long long>(c.x512));
  for (; size >= 64; data += 64, size -= 64) {
    x0 = Fold(x0, by512, Load(data));
    x1 = Fold(x1, by512, Load(data + 16));
    x2 = Fold(x2, by512, Load(data + 32));
    x3 = Fold(x3, by512, Load(data + 48));
  }
  const __m128i by128 = _mm_set_epi64x(static_cast<long long>(c.x192), static_cast<long long>(c.x128));
  __m128i x = Fold(Fold(Fold(x0, by128, x1), by128, x2), by128, x3);
  for (; size >= 16; data += 16, size -= 16) x = Fold(x, by128, Load(data));
  return OggCrcUpdateByTable(Reduce(x), data, size);
}

bool CanFold() {
  static const bool can = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("ssse3") &&
                          __builtin_cpu_supports("sse4.1");
  return can;
}

#endif

}  // namespace

std::uint32_t OggCrcUpdateByTable(std::uint32_t crc, const unsigned char* data, std::size_t size) {
  const Tables& t = Table();
  for (; size >= 8; data += 8, size -= 8) {
    crc ^= static_cast<std::uint32_t>(data[0]) << 24 | static_cast<std::uint32_t>(data[1]) << 16 |
           static_cast<std::uint32_t>(data[2]) << 8 | data[3];
    crc = t[7][crc >> 24] ^ t[6][(crc >> 16) & 0xFF] ^ t[5][(crc >> 8) & 0xFF] ^ t[4][crc & 0xFF] ^
          t[3][data[4]] ^ t[2][data[5]] ^ t[1][data[6]] ^ t[0][data[7]];
  }
  for (; size > 0; ++data, --size) crc = (crc << 8) ^ t[0][(crc >> 24) ^ *data];
  return crc;
}

std::uint32_t OggCrcUpdate(std::uint32_t crc, const unsigned char* data, std::size_t size) {
#if defined(__x86_64__)
  if (size >= 64 && CanFold()) return UpdateByFolding(crc, data, size);
#endif
  return OggCrcUpdateByTable(crc, data, size);
}

std::uint32_t OggPageChecksum(const unsigned char* header, std::size_t headerLength,
                              const unsigned char* body, std::size_t bodyLength) {
  static constexpr unsigned char kZeros[4] = {};
  std::uint32_t crc = OggCrcUpdate(0, header, 22);
  crc = OggCrcUpdate(crc, kZeros, sizeof kZeros);
  // The segment table and the body usually stand together: one pass over both.
  if (header + headerLength == body)
    return OggCrcUpdate(crc, header + 26, headerLength - 26 + bodyLength);
  crc = OggCrcUpdate(crc, header + 26, headerLength - 26);
  return OggCrcUpdate(crc, body, bodyLength);
}

}  // namespace marlinote
