#include "ogg_tag.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include "platform/file_handle.h"
#include "platform/file_ops.h"
#include "tags/comment_editor.h"
#include "tags/file_sample.h"
#include "tags/tag_types.h"
#include "tags/text_conversion.h"
#include "tags/vorbis_key_map.h"

namespace marlinote {
namespace {

constexpr std::size_t kStreamBufferSize = std::size_t{1} << 20;

// The new file gets the permissions of the one it replaces, not the process's defaults.
void KeepMode(std::FILE* from, std::FILE* to) {
  struct stat st {};
  if (fstat(fileno(from), &st) == 0) (void)fchmod(fileno(to), st.st_mode & 07777);
}

// Everything written is on disk, or the error that kept it from getting there.
bool FinishOutput(FileHandle output) {
  if (std::fflush(output.get()) != 0 || std::ferror(output.get())) return false;
  if (fsync(fileno(output.get())) != 0 && errno != EINVAL && errno != ENOSYS) return false;
  return std::fclose(output.release()) == 0;
}

// The file a path names, through every symbolic link on the way: the rebuilt file must take
// the place of that file, not of a link to it, which would then stand as a copy while the
// file it pointed to kept its old comments.
std::optional<std::string> ResolvedPath(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path.c_str(), nullptr), &std::free);
  if (!resolved) return std::nullopt;
  return std::string(resolved.get());
}

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
  fields_.reserve(fields_.size() + 1 + count);
  fields_.push_back({field::kVendor, state.vendor});
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < count; ++i)
    bytes += sizeof(std::uint32_t) + static_cast<std::size_t>(comments.comment_lengths[i]);
  read_.reserve(bytes);
  for (std::size_t i = 0; i < count; ++i) {
    const std::string_view raw(comments.user_comments[i],
                               static_cast<std::size_t>(comments.comment_lengths[i]));
    fields_.push_back(PairOf(raw));
    const auto length = static_cast<std::uint32_t>(raw.size());
    read_.append(reinterpret_cast<const char*>(&length), sizeof length).append(raw);
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

std::vector<std::string> TOggTag::CommentsToWrite() const {
  const std::vector<ReadComment> read = CommentsAsRead();
  std::vector<bool> used(read.size(), false);
  std::vector<std::string> comments;
  for (const TagField& pair : fields_) {
    if (pair.key == field::kVendor) continue;
    std::size_t i = 0;
    while (i < read.size() && (used[i] || !(read[i].field == pair))) ++i;
    if (i < read.size()) {
      used[i] = true;
      comments.push_back(read[i].raw);
    } else {
      std::string text(VorbisKeyFromFieldKey(pair.key));
      text += '=';
      text += pair.value;
      comments.push_back(LocalToUtf8(text));
    }
  }
  return comments;
}

bool TOggTag::WriteTag() {
  const std::optional<std::string> target = ResolvedPath(path_);
  // A file its user may not write is left alone, as the other kinds leave it: replacing it
  // through its folder would go round its permissions.
  if (!target || !OpenFile(*target, "r+b") || !CanWriteFile()) return false;
  const std::string backup = *target + ".src";
  // An existing backup may be the only copy of an earlier file: leave everything as it is.
  if (!RenameNoReplace(*target, backup)) return false;

  bool written = false;
  {
    // The whole file passes through both streams: with their default buffers every 4 KiB
    // would cost a system call. Declared first, so that they outlive the streams.
    const auto inputBuffer = std::make_unique_for_overwrite<char[]>(kStreamBufferSize);
    const auto outputBuffer = std::make_unique_for_overwrite<char[]>(kStreamBufferSize);
    FileHandle output = OpenFile(*target, "wb");
    FileHandle input = output ? OpenFile(backup, "rb") : nullptr;
    if (input) {
      std::setvbuf(output.get(), outputBuffer.get(), _IOFBF, kStreamBufferSize);
      std::setvbuf(input.get(), inputBuffer.get(), _IOFBF, kStreamBufferSize);
    }
    std::unique_ptr<EditorState> state = NewEditor();
    if (input && OpenEditor(*state, input.get(), ReadFromStream, write_) == 0) {
      KeepMode(input.get(), output.get());
      vorbis_comment* comments = EditorComments(*state);
      vorbis_comment_clear(comments);
      vorbis_comment_init(comments);
      for (const std::string& text : CommentsToWrite()) AddEditorComment(*comments, text);
      // The backup is removed next, so every byte must have reached the disk first.
      written = WriteEditor(*state, output.get()) == 0 && FinishOutput(std::move(output));
    }
  }
  if (written) {
    RemoveFile(backup);
    return true;
  }
  // Replaces whatever part of the new file was written, in one step.
  std::rename(backup.c_str(), target->c_str());
  return false;
}

}  // namespace marlinote
