#include "ogg_tag.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_handle.h"
#include "platform/file_ops.h"
#include "tags/comment_editor.h"
#include "tags/tag_types.h"
#include "tags/text_conversion.h"
#include "tags/vorbis_key_map.h"

namespace marlinote {
namespace {

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

}  // namespace

TOggTag::TOggTag() : write_(WriteToStream) {}

TOggTag::TOggTag(WriteFunction write) : write_(write ? write : WriteToStream) {}

int TOggTag::ReadTag(const std::string& path) {
  FileHandle file = OpenFile(path, "rb");
  if (!file) return -1;
  std::unique_ptr<EditorState> state = NewEditor();
  if (OpenEditorFile(*state, file.get()) != 0) return -1;

  path_ = path;
  fields_.push_back({field::kVendor, state->vendor});
  const vorbis_comment& comments = *EditorComments(*state);
  for (int i = 0; i < comments.comments; ++i) {
    const std::string raw(comments.user_comments[i],
                          static_cast<std::size_t>(comments.comment_lengths[i]));
    const std::string local = Utf8ToLocal(raw);
    TagField pair;
    const auto equals = local.find('=');
    if (equals == std::string::npos) {
      pair.value = local;
    } else {
      pair.key = FieldKeyFromVorbisKey(std::string_view(local).substr(0, equals));
      pair.value = local.substr(equals + 1);
    }
    fields_.push_back(pair);
    // A comment without "=" goes back with an empty key, like any pair of an empty key.
    read_.push_back({pair, raw.find('=') == std::string::npos ? "=" + raw : raw});
  }
  return 0;
}

int TOggTag::GetTagType() const { return kTagOgg; }

// An Ogg file has no tag to cut off: WriteTag replaces the comment header in place.
bool TOggTag::RemoveTag() { return true; }

std::vector<std::string> TOggTag::CommentsToWrite() const {
  std::vector<bool> used(read_.size(), false);
  std::vector<std::string> comments;
  for (const TagField& pair : fields_) {
    if (pair.key == field::kVendor) continue;
    std::size_t i = 0;
    while (i < read_.size() && (used[i] || !(read_[i].field == pair))) ++i;
    if (i < read_.size()) {
      used[i] = true;
      comments.push_back(read_[i].raw);
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
  const std::string backup = path_ + ".src";
  // An existing backup may be the only copy of an earlier file: leave everything as it is.
  if (!RenameNoReplace(path_, backup)) return false;

  bool written = false;
  {
    FileHandle output = OpenFile(path_, "wb");
    FileHandle input = output ? OpenFile(backup, "rb") : nullptr;
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
  std::rename(backup.c_str(), path_.c_str());
  return false;
}

}  // namespace marlinote
