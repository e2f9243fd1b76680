#include "id3v1_tag.h"

#include "platform/file_handle.h"
#include "platform/file_ops.h"
#include "tags/file_sample.h"
#include "tags/id3v1_trailer.h"
#include "tags/tag_types.h"
#include "tags/tail_io.h"

namespace marlinote {

namespace {

// The last 128 bytes of an open file and the file's size; false when the file is shorter
// or they are not a trailer.
bool ReadTrailer(std::FILE* file, std::string& trailer, std::int64_t& size) {
  size = StreamSize(file);
  if (size < static_cast<std::int64_t>(kId3v1Size)) return false;
  return ReadBytesAt(file, size - static_cast<std::int64_t>(kId3v1Size), kId3v1Size, trailer) &&
         trailer.compare(0, 3, "TAG") == 0;
}

}  // namespace

std::unique_ptr<TID3v1Tag> TID3v1Tag::ReadFrom(const std::string& path, const FileSample& file) {
  if (file.Size() < static_cast<std::int64_t>(kId3v1Size)) return nullptr;
  const std::string_view tail = file.Tail();
  std::optional<FieldList> fields = ParseId3v1Trailer(tail.substr(tail.size() - kId3v1Size));
  if (!fields) return nullptr;
  auto tag = std::make_unique<TID3v1Tag>();
  tag->path_ = path;
  tag->fields_ = std::move(*fields);
  tag->onFile_ = true;
  return tag;
}

int TID3v1Tag::ReadTag(const std::string& path) {
  FileHandle file = OpenFile(path, "rb");
  if (!file) return -1;
  std::string trailer;
  std::int64_t size = 0;
  if (!ReadTrailer(file.get(), trailer, size)) return -1;
  std::optional<FieldList> fields = ParseId3v1Trailer(trailer);
  if (!fields) return -1;
  path_ = path;
  fields_.insert(fields_.end(), fields->begin(), fields->end());
  onFile_ = true;
  return 0;
}

int TID3v1Tag::GetTagType() const { return kTagId3v1; }

bool TID3v1Tag::RemoveTag() {
  FileHandle file = OpenFile(path_, "r+b");
  if (!file) return false;
  std::string trailer;
  std::int64_t size = 0;
  if (!ReadTrailer(file.get(), trailer, size) ||
      !TruncateStream(file.get(), size - static_cast<std::int64_t>(kId3v1Size)))
    return false;
  // A new object writes a new trailer; only the object's own trailer is written over.
  if (onFile_) cut_ = std::make_unique<std::string>(std::move(trailer));
  return true;
}

std::optional<std::string> TID3v1Tag::TagToWrite() {
  std::string replaced;
  if (cut_) {
    replaced = *cut_;
  } else if (onFile_) {
    std::int64_t size = 0;
    FileHandle file = OpenFile(path_, "rb");
    if (!file || !ReadTrailer(file.get(), replaced, size)) replaced.clear();
  }
  return RenderId3v1Trailer(fields_, replaced);
}

bool TID3v1Tag::WriteTag() {
  if (!AppendToFile(path_, *TagToWrite())) return false;
  cut_.reset();
  onFile_ = true;
  return true;
}

}  // namespace marlinote
