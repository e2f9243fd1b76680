#pragma once

#include <ogg/ogg.h>

#include <cstddef>
#include <string>

#include "tags/comment_editor.h"

namespace marlinote {

// Finds the pages of an input read in chunks, exactly as libogg's sync state does (the same
// pages, the same bytes skipped, the same answers from PageOut), but verifies checksums with
// OggCrcUpdate and keeps no more than the bytes not yet returned. For reading the headers
// of many files quickly.
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

  ReadFunction read_;
  void* input_;
  std::string data_;
  std::size_t returned_ = 0;
  bool unsynced_ = false;
};

}  // namespace marlinote
