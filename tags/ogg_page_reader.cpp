#include "ogg_page_reader.h"

#include <cstring>

#include "tags/ogg_crc.h"

namespace marlinote {

namespace {

constexpr std::size_t kPageHeaderSize = 27;

std::uint32_t Le32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

std::size_t OggPageReader::ReadChunk() {
  // What was returned is no longer needed; the rest moves to the front.
  if (returned_ > 0) {
    std::memmove(Data(), Data() + returned_, fill_ - returned_);
    fill_ -= returned_;
    returned_ = 0;
  }
  if (fill_ + kEditorChunkSize > (heap_.empty() ? sizeof held_ : heap_.size())) {
    if (heap_.empty()) heap_.assign(held_, held_ + fill_);
    heap_.resize(fill_ + kEditorChunkSize);
  }
  std::size_t bytes = read_(Data() + fill_, 1, kEditorChunkSize, input_);
  if (bytes > kEditorChunkSize) bytes = kEditorChunkSize;
  fill_ += bytes;
  return bytes;
}

long OggPageReader::PageSeek(ogg_page& page) {
  unsigned char* start = Data() + returned_;
  const std::size_t bytes = fill_ - returned_;
  if (bytes < kPageHeaderSize) return 0;

  bool synced = std::memcmp(start, "OggS", 4) == 0;
  if (synced) {
    const std::size_t headerBytes = kPageHeaderSize + start[26];
    if (bytes < headerBytes) return 0;
    std::size_t bodyBytes = 0;
    for (std::size_t i = 0; i < start[26]; ++i) bodyBytes += start[kPageHeaderSize + i];
    if (headerBytes + bodyBytes > bytes) return 0;
    synced = OggPageChecksum(start, headerBytes, start + headerBytes, bodyBytes) == Le32(start + 22);
    if (synced) {
      page.header = start;
      page.header_len = static_cast<long>(headerBytes);
      page.body = start + headerBytes;
      page.body_len = static_cast<long>(bodyBytes);
      unsynced_ = false;
      returned_ += headerBytes + bodyBytes;
      return static_cast<long>(headerBytes + bodyBytes);
    }
  }
  // No page here: on to the next byte that could begin one.
  const void* next = std::memchr(start + 1, 'O', bytes - 1);
  const std::size_t skipped =
      next ? static_cast<std::size_t>(static_cast<const unsigned char*>(next) - start) : bytes;
  returned_ += skipped;
  return -static_cast<long>(skipped);
}

int OggPageReader::PageOut(ogg_page& page) {
  for (;;) {
    const long result = PageSeek(page);
    if (result > 0) return 1;
    if (result == 0) return 0;
    if (!unsynced_) {
      unsynced_ = true;
      return -1;
    }
  }
}

}  // namespace marlinote
