// The comment editor over input and output in memory. OpenEditor must never crash on any
// bytes, and OpenEditorForReading (the folder scan's, which leaves the setup header unparsed)
// must come to the same result, error or vendor and comments. A stream that opened is
// written with its comments plus one more, and what is written opens again with the same
// vendor and exactly those comments. A write that stops short must fail.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/memory_file.h"
#include "tags/comment_editor.h"
#include "tests/support/memory_stream.h"

namespace {

using marlinote::fuzz::Check;
using marlinote::test::MemoryInput;
using marlinote::test::MemoryOutput;
using marlinote::test::ReadMemory;
using marlinote::test::WriteMemory;
namespace m = marlinote;

std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

std::vector<std::string> CommentsOf(const vorbis_comment& block) {
  std::vector<std::string> texts;
  for (int i = 0; i < block.comments; ++i)
    texts.emplace_back(block.user_comments[i], static_cast<std::size_t>(block.comment_lengths[i]));
  return texts;
}

// Opens the input, replaces the comments by `comments` and writes to `out`: the result of
// WriteEditor, or 1 when the input did not open.
int Rewrite(const std::uint8_t* data, std::size_t size, const std::vector<std::string>& comments,
            MemoryOutput& out, std::string* vendor) {
  MemoryInput input{Bytes(data, size)};
  std::unique_ptr<m::EditorState> state = m::NewEditor();
  if (m::OpenEditor(*state, &input, ReadMemory, WriteMemory) != 0) {
    Check(m::EditorComments(*state) == nullptr && *m::EditorError(*state) != '\0');
    return 1;
  }
  if (vendor) *vendor = state->vendor;
  const int result = m::SetEditorComments(*m::EditorComments(*state), comments) ? m::WriteEditor(*state, &out) : -1;
  m::FreeEditor(state);
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> comments;
  {
    MemoryInput input{Bytes(data, size)};
    MemoryInput again{Bytes(data, size)};
    std::unique_ptr<m::EditorState> state = m::NewEditor();
    std::unique_ptr<m::EditorState> reading = m::NewEditor();
    const int opened = m::OpenEditor(*state, &input, ReadMemory, WriteMemory);
    Check(m::OpenEditorForReading(*reading, &again, ReadMemory) == opened);
    if (opened != 0) {
      Check(std::string(m::EditorError(*state)) == m::EditorError(*reading));
      return 0;
    }
    comments = CommentsOf(*m::EditorComments(*state));
    Check(reading->vendor == state->vendor);
    Check(CommentsOf(*m::EditorComments(*reading)) == comments);
  }
  comments.push_back(std::string("TITLE=\x00\xE3\x82\xA2", 10));

  MemoryOutput out;
  std::string vendor;
  if (Rewrite(data, size, comments, out, &vendor) != 0) return 0;

  MemoryInput written{out.bytes};
  std::unique_ptr<m::EditorState> again = m::NewEditor();
  Check(m::OpenEditor(*again, &written, ReadMemory, WriteMemory) == 0);
  Check(again->vendor == vendor);
  Check(CommentsOf(*m::EditorComments(*again)) == comments);

  // The same rewrite into an output that takes fewer bytes than it needs.
  MemoryOutput short_out;
  short_out.limit = out.bytes.size() * (data[size / 2] & 0xFF) / 256;
  Check(Rewrite(data, size, comments, short_out, nullptr) == -1);
  return 0;
}
