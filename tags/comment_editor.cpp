#include "comment_editor.h"

#include <cstdlib>
#include <cstring>

namespace marlinote {
namespace {

constexpr const char* kTruncated = "Input truncated or empty.";
constexpr const char* kNotOgg = "Input is not an Ogg bitstream.";
constexpr const char* kFirstPage = "Error reading first page of Ogg bitstream.";
constexpr const char* kInitialHeader = "Error reading initial header packet.";
constexpr const char* kNotVorbis = "Ogg bitstream does not contain vorbis data.";
constexpr const char* kCorruptSecondary = "Corrupt secondary header.";
constexpr const char* kEofInHeaders = "EOF before end of vorbis headers.";
constexpr const char* kCorruptData = "Corrupt or missing data, continuing...";
constexpr const char* kTooLarge = "Vorbis packet too large.";
constexpr const char* kMultiplexed =
    "Multiplexed Ogg streams cannot be edited: the first stream's pages are interleaved with "
    "another's.";
constexpr const char* kWriteFailed =
    "Error writing stream to output. Output stream may be corrupted or truncated.";

// Reads up to one chunk into the sync state; the number of bytes read.
std::size_t ReadChunk(EditorState& state) {
  char* buffer = ogg_sync_buffer(state.sync->get(), kEditorChunkSize);
  if (!buffer) return 0;
  std::size_t bytes = state.read(buffer, 1, kEditorChunkSize, state.input);
  // A callback that claims more than it was given room for is not believed.
  if (bytes > kEditorChunkSize) bytes = kEditorChunkSize;
  ogg_sync_wrote(state.sync->get(), static_cast<long>(bytes));
  return bytes;
}

int Fail(EditorState& state, const char* error) {
  ClearEditor(state);
  state.error = error;
  return -1;
}

bool Put(const EditorState& state, void* output, const unsigned char* data, long length) {
  return state.write(data, 1, static_cast<std::size_t>(length), output) ==
         static_cast<std::size_t>(length);
}

bool PutPage(const EditorState& state, void* output, const ogg_page& page) {
  return Put(state, output, page.header, page.header_len) &&
         Put(state, output, page.body, page.body_len);
}

void Append32(std::vector<unsigned char>& out, std::size_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<unsigned char>(value >> shift));
}

// The Vorbis I comment header: type 3, "vorbis", vendor, comments, framing bit.
std::vector<unsigned char> CommentHeader(const vorbis_comment& comments,
                                         const std::string& vendor) {
  std::vector<unsigned char> out{3, 'v', 'o', 'r', 'b', 'i', 's'};
  Append32(out, vendor.size());
  out.insert(out.end(), vendor.begin(), vendor.end());
  const int count = comments.comments > 0 ? comments.comments : 0;
  Append32(out, static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const char* text = comments.user_comments ? comments.user_comments[i] : nullptr;
    const int length = text && comments.comment_lengths ? comments.comment_lengths[i] : 0;
    Append32(out, static_cast<std::size_t>(length > 0 ? length : 0));
    if (length > 0) out.insert(out.end(), text, text + length);
  }
  out.push_back(1);
  return out;
}

ogg_packet HeaderPacket(std::vector<unsigned char>& bytes, bool first, ogg_int64_t number) {
  ogg_packet packet{};
  packet.packet = bytes.data();
  packet.bytes = static_cast<long>(bytes.size());
  packet.b_o_s = first ? 1 : 0;
  packet.e_o_s = 0;
  packet.granulepos = 0;
  packet.packetno = number;
  return packet;
}

// The next complete page of the input, reading as needed; false at the end of the input.
bool NextPage(EditorState& state, ogg_page& page) {
  for (;;) {
    const int result = ogg_sync_pageout(state.sync->get(), &page);
    if (result > 0) return true;
    if (result < 0) continue;  // a hole: the next call starts after it
    if (ReadChunk(state) == 0) return false;
  }
}

// The next audio packet of the first stream. A page of another stream ends the stream and is
// held in `held` until the first stream's last page is out.
bool FetchPacket(EditorState& state, ogg_packet& packet, ogg_page& held) {
  for (;;) {
    if (ogg_stream_packetout(state.input_stream->get(), &packet) > 0) return true;
    if (state.end_of_input) return false;
    ogg_page page;
    if (!NextPage(state, page)) return false;
    // Serial first: an end-of-stream page of another stream is no page of ours and must be
    // kept like any other.
    if (ogg_page_serialno(&page) != state.serial) {
      state.end_of_input = true;
      state.extra_page = true;
      held = page;
      return false;
    }
    if (ogg_page_eos(&page)) state.end_of_input = true;
    ogg_stream_pagein(state.input_stream->get(), &page);
    if (static_cast<std::size_t>(state.input_stream->get()->body_fill) > kEditorMaxPacketBytes) {
      state.packet_too_large = true;
      return false;
    }
  }
}

// Headers, the repaginated audio of the first stream and the held page. False on a short write.
bool WriteFirstStream(EditorState& state, void* output) {
  std::vector<unsigned char> commentBytes = CommentHeader(*state.comments->get(), state.vendor);
  ogg_packet main = HeaderPacket(state.main_header, true, 0);
  ogg_packet comment = HeaderPacket(commentBytes, false, 1);
  ogg_packet setup = HeaderPacket(state.setup_header, false, 2);

  OggStreamState out(state.serial);
  ogg_stream_packetin(out.get(), &main);
  ogg_stream_packetin(out.get(), &comment);
  ogg_stream_packetin(out.get(), &setup);
  // The header pages, held until they are known to be no larger than a reader takes: a
  // comment header beyond that would make the file read as having no comments at all.
  std::vector<unsigned char> headerPages;
  ogg_page page;
  while (ogg_stream_flush(out.get(), &page)) {
    headerPages.insert(headerPages.end(), page.header, page.header + page.header_len);
    headerPages.insert(headerPages.end(), page.body, page.body + page.body_len);
    if (headerPages.size() > kEditorMaxHeaderBytes) {
      state.packet_too_large = true;
      return false;
    }
  }
  if (!Put(state, output, headerPages.data(), static_cast<long>(headerPages.size()))) return false;

  ogg_int64_t granule = 0;
  bool flushNeeded = false;
  bool pageNeeded = false;
  ogg_packet packet;
  ogg_page held{};
  while (FetchPacket(state, packet, held)) {
    const long size = vorbis_packet_blocksize(state.info->get(), &packet);
    const long previous = state.previous_block_size;
    state.previous_block_size = size;
    granule += previous == 0 ? 0 : (size + previous) / 4;

    if (flushNeeded) {
      if (ogg_stream_flush(out.get(), &page) && !PutPage(state, output, page)) return false;
    } else if (pageNeeded) {
      if (ogg_stream_pageout(out.get(), &page) && !PutPage(state, output, page)) return false;
    }
    flushNeeded = pageNeeded = false;

    if (packet.granulepos == -1) {
      packet.granulepos = granule;
      ogg_stream_packetin(out.get(), &packet);
    } else if (granule > packet.granulepos) {
      granule = packet.granulepos;
      ogg_stream_packetin(out.get(), &packet);
      flushNeeded = true;
    } else {
      ogg_stream_packetin(out.get(), &packet);
      pageNeeded = true;
    }
  }

  if (state.packet_too_large || state.interleaved) return false;
  out.get()->e_o_s = 1;
  while (ogg_stream_flush(out.get(), &page))
    if (!PutPage(state, output, page)) return false;
  return !state.extra_page || PutPage(state, output, held);
}

// Everything after the first stream, as it is. Bytes that belong to no page (a damaged page,
// a trailer of another format) are the file's too and go through unchanged.
bool CopyRest(EditorState& state, void* output) {
  ogg_sync_state* sync = state.sync->get();
  state.end_of_input = false;
  while (!state.end_of_input) {
    for (;;) {
      ogg_page page;
      const long result = ogg_sync_pageseek(sync, &page);
      if (result == 0) break;
      if (result < 0) {
        state.error = kCorruptData;
        if (!Put(state, output, sync->data + sync->returned + result, -result)) return false;
        continue;
      }
      // A page of the first stream after it ended: its pages were interleaved with another's.
      if (ogg_page_serialno(&page) == state.serial) {
        state.interleaved = true;
        return false;
      }
      if (!Put(state, output, page.header, page.header_len)) {
        std::fputs("Bumming out\n", stderr);
        return false;
      }
      if (!Put(state, output, page.body, page.body_len)) {
        std::fputs("Bumming out 2\n", stderr);
        return false;
      }
    }
    if (ReadChunk(state) == 0) state.end_of_input = true;
  }
  const long rest = sync->fill - sync->returned;
  return rest <= 0 || Put(state, output, sync->data + sync->returned, rest);
}

}  // namespace

std::size_t ReadFromStream(void* buffer, std::size_t size, std::size_t count, void* handle) {
  return std::fread(buffer, size, count, static_cast<std::FILE*>(handle));
}

std::size_t WriteToStream(const void* buffer, std::size_t size, std::size_t count, void* handle) {
  return std::fwrite(buffer, size, count, static_cast<std::FILE*>(handle));
}

std::unique_ptr<EditorState> NewEditor() { return std::make_unique<EditorState>(); }

namespace {

// A setup header (packet type 5) changes only the stream info when the parser takes it.
bool IsSetupHeader(const ogg_packet& packet) {
  return packet.bytes > 0 && packet.packet[0] == 5;
}

// The three header packets, from the pages of the state's sync state. Reading stops with the
// page that completes the setup header.
int OpenHeaders(EditorState& state, bool forWriting) {
  ogg_sync_state* sync = state.sync->get();
  const std::size_t firstChunk = ReadChunk(state);
  ogg_page page;
  if (ogg_sync_pageout(sync, &page) != 1) return Fail(state, firstChunk < kEditorChunkSize ? kTruncated : kNotOgg);

  state.serial = ogg_page_serialno(&page);
  state.input_stream.emplace(state.serial);
  state.info.emplace();
  state.comments.emplace();
  ogg_stream_state* stream = state.input_stream->get();

  if (ogg_stream_pagein(stream, &page) < 0) return Fail(state, kFirstPage);
  ogg_packet packet;
  if (ogg_stream_packetout(stream, &packet) != 1) return Fail(state, kInitialHeader);
  if (vorbis_synthesis_headerin(state.info->get(), state.comments->get(), &packet) < 0)
    return Fail(state, kNotVorbis);
  if (forWriting) state.main_header.assign(packet.packet, packet.packet + packet.bytes);

  // The comment and setup headers; the parser's verdict on them is not needed to copy them.
  int had = 0;
  std::size_t taken = firstChunk;
  while (had < 2) {
    const int pageResult = ogg_sync_pageout(sync, &page);
    if (pageResult < 0) continue;
    if (pageResult == 0) {
      if (taken >= kEditorMaxHeaderBytes) return Fail(state, kTooLarge);
      const std::size_t more = ReadChunk(state);
      if (more == 0) return Fail(state, kEofInHeaders);
      taken += more;
      continue;
    }
    if (forWriting && ogg_page_serialno(&page) != state.serial) state.interleaved = true;
    ogg_stream_pagein(stream, &page);
    while (had < 2) {
      const int packetResult = ogg_stream_packetout(stream, &packet);
      if (packetResult == 0) break;
      if (packetResult < 0) return Fail(state, kCorruptSecondary);
      if (forWriting || !IsSetupHeader(packet))
        vorbis_synthesis_headerin(state.info->get(), state.comments->get(), &packet);
      if (forWriting && had == 1) state.setup_header.assign(packet.packet, packet.packet + packet.bytes);
      ++had;
    }
  }

  const char* vendor = state.comments->get()->vendor;
  state.vendor = vendor ? vendor : "";
  return 0;
}

}  // namespace

int OpenEditor(EditorState& state, void* input, ReadFunction read, WriteFunction write) {
  ClearEditor(state);
  state.input = input;
  state.read = read;
  state.write = write;
  state.sync.emplace();
  return OpenHeaders(state, true);
}

int OpenEditorForReading(EditorState& state, void* input, ReadFunction read) {
  ClearEditor(state);
  state.input = input;
  state.read = read;
  state.sync.emplace();
  return OpenHeaders(state, false);
}

int OpenEditorFile(EditorState& state, std::FILE* input) {
  return OpenEditor(state, input, ReadFromStream, WriteToStream);
}

vorbis_comment* EditorComments(EditorState& state) {
  return state.comments ? state.comments->get() : nullptr;
}

bool SetEditorComments(vorbis_comment& block, const std::vector<std::string>& comments) {
  vorbis_comment_clear(&block);
  vorbis_comment_init(&block);
  // Each array is allocated once: vorbis_comment_add grows them by one slot per comment, a
  // copy of the whole array each time where realloc cannot grow it in place. The block
  // frees what it holds as libvorbis allocates it, with free().
  block.user_comments = static_cast<char**>(std::calloc(comments.size() + 1, sizeof(char*)));
  block.comment_lengths = static_cast<int*>(std::calloc(comments.size() + 1, sizeof(int)));
  if (!block.user_comments || !block.comment_lengths) return false;
  for (const std::string& text : comments) {
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (!copy) return false;
    std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    block.user_comments[block.comments] = copy;
    block.comment_lengths[block.comments] = static_cast<int>(text.size());
    ++block.comments;
  }
  return true;
}

int WriteEditor(EditorState& state, void* output) {
  if (!state.sync || !state.comments || !state.write || state.main_header.empty()) {
    state.error = kWriteFailed;
    return -1;
  }
  if (state.interleaved) {
    state.error = kMultiplexed;
    return -1;
  }
  state.end_of_input = false;
  state.extra_page = false;
  state.packet_too_large = false;

  const bool written = WriteFirstStream(state, output) && CopyRest(state, output);

  state.main_header = {};
  state.setup_header = {};
  if (written && state.end_of_input) return 0;
  state.error = state.packet_too_large ? kTooLarge : state.interleaved ? kMultiplexed : kWriteFailed;
  return -1;
}

const char* EditorError(const EditorState& state) { return state.error ? state.error : ""; }

void ClearEditor(EditorState& state) {
  state.comments.reset();
  state.input_stream.reset();
  state.sync.reset();
  state.vendor = {};
  state.main_header = {};
  state.setup_header = {};
  state.info.reset();
  state.read = nullptr;
  state.write = nullptr;
  state.input = nullptr;
  state.serial = 0;
  state.error = nullptr;
  state.previous_block_size = 0;
  state.extra_page = false;
  state.end_of_input = false;
  state.packet_too_large = false;
  state.interleaved = false;
}

void FreeEditor(std::unique_ptr<EditorState>& state) {
  if (state) ClearEditor(*state);
  state.reset();
}

}  // namespace marlinote
