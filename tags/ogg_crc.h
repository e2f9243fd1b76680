#pragma once

#include <cstddef>
#include <cstdint>

namespace marlinote {

// The CRC-32 of Ogg pages: polynomial 0x04C11DB7, bits taken most significant first, initial
// value 0, no final inversion. Continues from `crc` (0 for a new checksum). Uses carry-less
// multiplication where the processor has it, a table otherwise; both give the same value.
std::uint32_t OggCrcUpdate(std::uint32_t crc, const unsigned char* data, std::size_t size);

// The same computed with the table only, for comparison.
std::uint32_t OggCrcUpdateByTable(std::uint32_t crc, const unsigned char* data, std::size_t size);

// The checksum of a page as its header should carry it: computed over the header with the
// checksum field (bytes 22 to 25) taken as zeros, then the body.
std::uint32_t OggPageChecksum(const unsigned char* header, std::size_t headerLength,
                              const unsigned char* body, std::size_t bodyLength);

}  // namespace marlinote
