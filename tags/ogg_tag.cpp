#include "ogg_tag.h"

#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <unordered_map>

#include "platform/file_handle.h"
#include "platform/replace_file.h"
#include "tags/comment_editor.h"
#include "tags/file_sample.h"
#include "tags/tag_types.h"
#include "tags/text_conversion.h"
#include "tags/vorbis_key_map.h"

namespace marlinote {
namespace {

constexpr std::size_t kStreamBufferSize = std::size_t{1} << 20;

// Reads a sampled file for the comment editor.
std::size_t ReadFromSample(void* buffer, std::size_t size, std::size_t count, void* handle) {
  if (size == 0) return 0;
  return static_cast<FileSample*>(handle)->ReadNext(buffer, size * count) / size;
}

// The pair a comment reads as: split at its first "=" after conversion, the key mapped.
TagField PairOf(std::string_view raw) {
  const std::string local = Utf8ToLocal(raw);
  TagField pair;
  const auto equals = local.find('=');
  if (equals == std::string::npos) {
    pair.value = local;
  } else {
    pair.key = FieldKeyFromVorbisKey(std::string_view(local).substr(0, equals));
    pair.value = local.substr(equals + 1);
  }
  return pair;
}

// The comment a pair is written as when no read comment reads as it.
std::string RenderedComment(const TagField& pair) {
  std::string text(VorbisKeyFromFieldKey(pair.key));
  text += '=';
  text += pair.value;
  return LocalToUtf8(text);
}

// Whether the comment `raw`, read as `pair`, would be written back as exactly its bytes
// without them: then they need not be kept. The same as RenderedComment(pair) == raw, found
// without building the comment: every comment of a listed Ogg file is asked, and building
// them cost a folder scan 5,000 instructions per Ogg file more.
bool RendersAsRead(const TagField& pair, std::string_view raw) {
  const auto equals = raw.find('=');
  if (equals == std::string_view::npos) return false;
  const std::string_view key = raw.substr(0, equals);
  const std::string_view value = raw.substr(equals + 1);
  if (!IsAscii(key) || VorbisKeyFromFieldKey(pair.key) != key) return false;
  return IsAscii(value) ? pair.value == value : LocalToUtf8(pair.value) == value;
}

}  // namespace

TOggTag::TOggTag() : write_(WriteToStream) {}

TOggTag::TOggTag(WriteFunction write) : write_(write ? write : WriteToStream) {}

std::unique_ptr<TOggTag> TOggTag::ReadFrom(const std::string& path, FileSample& file) {
  // The editor finds no first page where the file does not begin with one.
  if (file.Head().substr(0, 4) != "OggS") return nullptr;
  EditorState state;
  if (OpenEditorForReading(state, &file, ReadFromSample) != 0) return nullptr;
  auto tag = std::make_unique<TOggTag>();
  tag->TakeComments(path, state);
  return tag;
}

int TOggTag::ReadTag(const std::string& path) {
  FileHandle file = OpenFile(path, "rb");
  if (!file) return -1;
  std::unique_ptr<EditorState> state = NewEditor();
  if (OpenEditorFile(*state, file.get()) != 0) return -1;
  TakeComments(path, *state);
  return 0;
}

void TOggTag::TakeComments(const std::string& path, EditorState& state) {
  path_ = path;
  const vorbis_comment& comments = *EditorComments(state);
  const auto count = static_cast<std::size_t>(comments.comments > 0 ? comments.comments : 0);
  const auto raw = [&comments](std::size_t i) {
    return std::string_view(comments.user_comments[i], static_cast<std::size_t>(comments.comment_lengths[i]));
  };
  fields_.reserve(fields_.size() + 1 + count);
  fields_.push_back({field::kVendor, state.vendor});
  bool rendersAsRead = true;
  for (std::size_t i = 0; i < count; ++i) {
    fields_.push_back(PairOf(raw(i)));
    rendersAsRead = rendersAsRead && RendersAsRead(fields_.back(), raw(i));
  }
  // Most files' comments are written as this program writes them: their pairs give back
  // their bytes, and keeping a copy would cost a listed file more than its texts.
  if (rendersAsRead) return;
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < count; ++i) bytes += sizeof(std::uint32_t) + raw(i).size();
  read_.reserve(bytes);
  for (std::size_t i = 0; i < count; ++i) {
    const auto length = static_cast<std::uint32_t>(raw(i).size());
    read_.append(reinterpret_cast<const char*>(&length), sizeof length).append(raw(i));
  }
}

std::vector<TOggTag::ReadComment> TOggTag::CommentsAsRead() const {
  std::vector<ReadComment> comments;
  for (std::size_t pos = 0; pos + sizeof(std::uint32_t) <= read_.size();) {
    std::uint32_t length = 0;
    std::memcpy(&length, read_.data() + pos, sizeof length);
    pos += sizeof length;
    const std::string_view raw(read_.data() + pos, length);
    pos += length;
    // A comment without "=" goes back with an empty key, like any pair of an empty key.
    comments.push_back({PairOf(raw), raw.find('=') == std::string_view::npos
                                         ? std::string("=").append(raw)
                                         : std::string(raw)});
  }
  return comments;
}

FieldOfKey TOggTag::KeyFolding() const { return FieldOfVorbisPairKey; }

int TOggTag::GetTagType() const { return kTagOgg; }

std::string_view TOggTag::TextEncoding() const { return "utf-8"; }

bool TOggTag::CanWriteFile() {
  // A file that cannot be opened is no layout question: the write itself reports it.
  FileHandle file = OpenFile(path_, "rb");
  if (!file) return true;
  std::unique_ptr<EditorState> state = NewEditor();
  return OpenEditorFile(*state, file.get()) != 0 || !state->interleaved;
}

// An Ogg file has no tag to cut off: WriteTag replaces the comment header in place.
bool TOggTag::RemoveTag() { return true; }

namespace {

struct FieldHash {
  std::size_t operator()(const TagField& pair) const {
    const std::hash<std::string> hash;
    return hash(pair.key) * 31 + hash(pair.value);
  }
};

// The read comments that read as one pair, in stream order, and how many of them are taken.
struct SamePair {
  std::vector<std::size_t> comments;
  std::size_t taken = 0;
};

// The editor over the old file, its comments replaced, writes the new one.
bool WriteNewFile(int from, int to, const std::vector<std::string>& comments,
                  TOggTag::WriteFunction write) {
  // The whole file passes through both streams: with their default buffers every 4 KiB
  // would cost a system call. Declared first, so that they outlive the streams.
  const auto inputBuffer = std::make_unique_for_overwrite<char[]>(kStreamBufferSize);
  const auto outputBuffer = std::make_unique_for_overwrite<char[]>(kStreamBufferSize);
  FdHandle inputFd(dup(from));
  FdHandle outputFd(dup(to));
  FileHandle input(inputFd ? fdopen(inputFd.get(), "rb") : nullptr);
  if (input) inputFd.Release();
  FileHandle output(outputFd ? fdopen(outputFd.get(), "wb") : nullptr);
  if (output) outputFd.Release();
  if (!input || !output) return false;
  std::setvbuf(input.get(), inputBuffer.get(), _IOFBF, kStreamBufferSize);
  std::setvbuf(output.get(), outputBuffer.get(), _IOFBF, kStreamBufferSize);
  std::unique_ptr<EditorState> state = NewEditor();
  if (OpenEditor(*state, input.get(), ReadFromStream, write) != 0) return false;
  return SetEditorComments(*EditorComments(*state), comments) &&
         WriteEditor(*state, output.get()) == 0 && std::fflush(output.get()) == 0 &&
         !std::ferror(output.get()) && std::fclose(output.release()) == 0;
}

}  // namespace

std::vector<std::string> TOggTag::CommentsToWrite() const {
  const std::vector<ReadComment> read = CommentsAsRead();
  // Each pair keeps the bytes of the first read comment that reads as it and no earlier pair
  // took; found through a map, so that many comments take no longer than a few.
  std::unordered_map<TagField, SamePair, FieldHash> byPair;
  for (std::size_t i = 0; i < read.size(); ++i) byPair[read[i].field].comments.push_back(i);
  std::vector<std::string> comments;
  comments.reserve(fields_.size());
  for (const TagField& pair : fields_) {
    if (pair.key == field::kVendor) continue;
    const auto same = byPair.find(pair);
    if (same != byPair.end() && same->second.taken < same->second.comments.size()) {
      comments.push_back(read[same->second.comments[same->second.taken++]].raw);
    } else {
      comments.push_back(RenderedComment(pair));
    }
  }
  return comments;
}

bool TOggTag::WriteTag() {
  const std::vector<std::string> comments = CommentsToWrite();
  return RewriteFile(path_, [&](int from, int to) {
           return WriteNewFile(from, to, comments, write_);
         }) == WriteResult::kOk;
}

TagWriteResult TOggTag::ReplaceTag(const TAbstractTag&) {
  return WriteTag() ? TagWriteResult::kWritten : TagWriteResult::kFailed;
}

}  // namespace marlinote
