#pragma once

#include <ogg/ogg.h>

#include <cstddef>
#include <vector>

#include "tags/comment_editor.h"

namespace marlinote {

// Finds the pages of an input read in chunks, exactly as libogg's sync state does (the same
// pages, the same bytes skipped, the same answers from PageOut), but verifies checksums with
// OggCrcUpdate and holds the first chunks in itself rather than on the heap. For reading the
// headers of many files quickly.
class OggPageReader {
 public:
  OggPageReader(ReadFunction read, void* input) : read_(read), input_(input) {}

  // Reads up to one chunk (kEditorChunkSize bytes) more; the number of bytes read. Pages
  // returned before are no longer valid.
  std::size_t ReadChunk();

  // Like ogg_sync_pageout: 1 with the next page, 0 when more bytes are needed, -1 the first
  // time bytes had to be skipped to find a page.
  int PageOut(ogg_page& page);

 private:
  // Like ogg_sync_pageseek: the page's length, 0, or minus the number of bytes skipped.
  long PageSeek(ogg_page& page);

  unsigned char* Data() { return heap_.empty() ? held_ : heap_.data(); }

  ReadFunction read_;
  void* input_;
  // The bytes read and not yet returned as a page or skipped: [returned_, fill_) of Data(),
  // in held_ until they outgrow it, then in heap_.
  std::size_t fill_ = 0;
  std::size_t returned_ = 0;
  bool unsynced_ = false;
  unsigned char held_[2 * kEditorChunkSize];
  std::vector<unsigned char> heap_;
};

}  // namespace marlinote
