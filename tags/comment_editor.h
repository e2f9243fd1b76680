#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tags/ogg_resources.h"

namespace marlinote {

// Transfer functions shaped like fread and fwrite: they return the number of elements moved.
// The handle is whatever the caller gave (a FILE*, an in-memory buffer).
using ReadFunction = std::size_t (*)(void* buffer, std::size_t size, std::size_t count,
                                     void* handle);
using WriteFunction = std::size_t (*)(const void* buffer, std::size_t size, std::size_t count,
                                      void* handle);

// fread and fwrite on the FILE* given as handle.
std::size_t ReadFromStream(void* buffer, std::size_t size, std::size_t count, void* handle);
std::size_t WriteToStream(const void* buffer, std::size_t size, std::size_t count, void* handle);

// The comment editor: reads the three Vorbis header packets of an Ogg file's first logical
// stream, lets the caller replace the comments, then writes the file again with the new
// comment header, the first stream repaginated and everything after it copied through.
// Every library structure and buffer is held by a member, so dropping the state (or
// ClearEditor) releases all of it on any path.
struct EditorState {
  std::optional<OggSyncState> sync;
  std::optional<OggStreamState> input_stream;
  std::optional<VorbisComment> comments;
  std::optional<VorbisInfo> info;
  ReadFunction read = nullptr;
  WriteFunction write = nullptr;
  void* input = nullptr;
  int serial = 0;
  std::vector<unsigned char> main_header;
  std::vector<unsigned char> setup_header;
  const char* error = nullptr;
  std::string vendor;
  long previous_block_size = 0;
  bool extra_page = false;
  bool end_of_input = false;
  // An audio packet of the first stream grew past kEditorMaxPacketBytes, or the header pages
  // of a write would grow past kEditorMaxHeaderBytes.
  bool packet_too_large = false;
  // The first stream's pages are interleaved with another stream's: the file is multiplexed,
  // not chained, and cannot be rebuilt stream by stream. Found among the header pages by
  // OpenEditor, so that WriteEditor refuses before it writes anything; found later (a page of
  // the first stream after another stream's), it ends the write as a failure.
  bool interleaved = false;
};

// Input and output move in chunks of this many bytes.
inline constexpr std::size_t kEditorChunkSize = 4096;

// Limits against damaged or hostile streams, whose packets could otherwise take memory
// without bound (a chain of continued pages never ends a packet): the three headers must be
// complete within this much input, and no audio packet may be larger. Real streams stay far
// below both; larger ones fail with "Vorbis packet too large.". A write whose header pages
// would be larger than the first limit fails the same way before it writes anything.
inline constexpr std::size_t kEditorMaxHeaderBytes = 16 << 20;
inline constexpr std::size_t kEditorMaxPacketBytes = 16 << 20;

std::unique_ptr<EditorState> NewEditor();

// Reads the headers from the input. 0, or -1 with the error set and everything released.
int OpenEditor(EditorState& state, void* input, ReadFunction read, WriteFunction write);

// OpenEditor for reading the comments only: the vendor and the comments come out exactly as
// OpenEditor finds them, but faster: the setup header is neither parsed nor kept (only the
// stream info, which nobody reads, depends on it). WriteEditor refuses such a state.
int OpenEditorForReading(EditorState& state, void* input, ReadFunction read);

// OpenEditor over a stdio stream, reading and writing with fread and fwrite.
int OpenEditorFile(EditorState& state, std::FILE* input);

// The comment block of an opened state (null before): the caller may clear and refill it.
vorbis_comment* EditorComments(EditorState& state);

// Replaces the block's comments (and its vendor, which the write takes from the input) with
// comments of exactly these bytes, a NUL byte included, which the library's own
// vorbis_comment_add would cut at. False when memory runs out; the block then holds the
// comments put in so far.
bool SetEditorComments(vorbis_comment& block, const std::vector<std::string>& comments);

// Writes the stream with the current comments to the output. 0, or -1 with the error set;
// an interleaved stream is refused before anything is written.
int WriteEditor(EditorState& state, void* output);

// The last error text, empty when there was none.
const char* EditorError(const EditorState& state);

// Releases everything the state holds and leaves it as NewEditor made it.
void ClearEditor(EditorState& state);

void FreeEditor(std::unique_ptr<EditorState>& state);

}  // namespace marlinote
