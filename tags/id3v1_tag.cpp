#include "id3v1_tag.h"

#include "tags/file_sample.h"
#include "tags/id3v1_trailer.h"
#include "tags/tag_types.h"
#include "tags/tail_file.h"

namespace marlinote {

namespace {

// The last 128 bytes of a file; false when the file is shorter or they are not a trailer.
bool ReadTrailer(const TailFile& file, std::string& trailer) {
  const std::int64_t size = file.Size();
  if (size < static_cast<std::int64_t>(kId3v1Size)) return false;
  return file.ReadAt(size - static_cast<std::int64_t>(kId3v1Size), kId3v1Size, trailer) &&
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
  TailFile file;
  std::string trailer;
  if (!file.Open(path, TailFile::Access::kRead) || !ReadTrailer(file, trailer)) return -1;
  std::optional<FieldList> fields = ParseId3v1Trailer(trailer);
  if (!fields) return -1;
  path_ = path;
  fields_.insert(fields_.end(), fields->begin(), fields->end());
  onFile_ = true;
  return 0;
}

int TID3v1Tag::GetTagType() const { return kTagId3v1; }

bool TID3v1Tag::RemoveTag() {
  TailFile file;
  std::string trailer;
  if (!file.Open(path_, TailFile::Access::kReadWrite) || !ReadTrailer(file, trailer) ||
      file.Replace(file.Size() - static_cast<std::int64_t>(kId3v1Size), {}) != TailWrite::kReplaced)
    return false;
  // A new object writes a new trailer; only the object's own trailer is written over.
  if (onFile_) cut_ = std::make_unique<std::string>(std::move(trailer));
  return true;
}

bool TID3v1Tag::TagEndsFile() const { return true; }

bool TID3v1Tag::StaysBesideId3v2() const { return true; }

std::optional<std::int64_t> TID3v1Tag::TagStart(const TailFile& file) const {
  std::string trailer;
  if (!ReadTrailer(file, trailer)) return std::nullopt;
  return file.Size() - static_cast<std::int64_t>(kId3v1Size);
}

std::optional<std::string> TID3v1Tag::RenderTag(const TailFile& file, std::int64_t, bool own) {
  std::string replaced;
  if (own && !ReadTrailer(file, replaced)) replaced.clear();
  return RenderId3v1Trailer(fields_, replaced);
}

void TID3v1Tag::TagWritten() {
  cut_.reset();
  onFile_ = true;
}

bool TID3v1Tag::WriteTag() {
  TailFile file;
  if (!file.Open(path_, TailFile::Access::kReadWrite)) return false;
  // Appended, written over the trailer RemoveTag cut off, else over the one at the end of the
  // file while it is this object's.
  std::string replaced;
  if (cut_) replaced = *cut_;
  else if (!onFile_ || !ReadTrailer(file, replaced)) replaced.clear();
  if (file.Replace(file.Size(), RenderId3v1Trailer(fields_, replaced)) != TailWrite::kReplaced)
    return false;
  TagWritten();
  return true;
}

}  // namespace marlinote
