#include "abstract_tag.h"

#include "platform/file_beside.h"
#include "tags/tag_types.h"
#include "tags/tail_file.h"

namespace marlinote {

int TAbstractTag::ReadTag(const std::string& path) {
  path_ = path;
  return 0;
}

std::string TAbstractTag::GetField(std::string_view key) const {
  if (const FieldOfKey fold = KeyFolding()) {
    const std::optional<std::size_t> shown = ShownPair(fields_, key, fold);
    return shown ? fields_[*shown].value : std::string();
  }
  for (const TagField& f : fields_)
    if (f.key == key) return f.value;
  return {};
}

int TAbstractTag::GetTagType() const { return kTagNone; }

std::string TAbstractTag::GetFilePath() const { return path_; }

std::string TAbstractTag::GetFileName() const {
  const auto slash = path_.rfind('/');
  return slash == std::string::npos ? path_ : path_.substr(slash + 1);
}

FieldList& TAbstractTag::GetFieldList() { return fields_; }

int TAbstractTag::SetField(std::string_view key, std::string_view value) {
  if (const FieldOfKey fold = KeyFolding()) {
    SetShownField(fields_, key, value, fold);
    return 1;
  }
  for (TagField& f : fields_) {
    if (f.key == key) {
      f.value = value;
      return 1;
    }
  }
  fields_.push_back({std::string(key), std::string(value)});
  return 1;
}

bool TAbstractTag::CopyFields(const FieldList& fields) {
  RemoveTag();
  fields_.insert(fields_.end(), fields.begin(), fields.end());
  return true;
}

int TAbstractTag::SetFilePath(const std::string& path) {
  path_ = path;
  return 1;
}

bool TAbstractTag::RemoveTag() {
  fields_.clear();
  return true;
}

bool TAbstractTag::WriteTag() { return false; }

FieldList TAbstractTag::ShownFields() const {
  const FieldOfKey fold = KeyFolding();
  return fold ? marlinote::ShownFields(fields_, fold) : fields_;
}

FieldOfKey TAbstractTag::KeyFolding() const { return nullptr; }

TagWriteResult TAbstractTag::ReplaceTag(const TAbstractTag& replaced) {
  TailFile file;
  if (!file.Open(path_, TailFile::Access::kReadWrite)) return TagWriteResult::kNotReached;
  std::optional<std::int64_t> start = replaced.TagStart(file);
  const bool own = start && &replaced == this;
  if (!start) {
    if (replaced.TagEndsFile()) return TagWriteResult::kNotReached;
    start = TagStart(file).value_or(file.Size());
  }
  const std::optional<std::string> bytes = RenderTag(file, *start, own);
  if (!bytes) return TagWriteResult::kFailed;
  // A rewrite of the file by another save would undo the change (an ID3v2 tag's); one that
  // was killed left its new file beside this one, which goes now.
  if (!FileBeside::ClearLeftover(path_)) return TagWriteResult::kNotReached;
  switch (file.Replace(*start, *bytes)) {
    case TailWrite::kReplaced:
      TagWritten();
      return TagWriteResult::kWritten;
    case TailWrite::kKept:
      return TagWriteResult::kFailed;
    case TailWrite::kLost:
      break;
  }
  return TagWriteResult::kLost;
}

bool TAbstractTag::TagEndsFile() const { return false; }

std::optional<std::int64_t> TAbstractTag::TagStart(const TailFile&) const { return std::nullopt; }

std::optional<std::string> TAbstractTag::RenderTag(const TailFile&, std::int64_t, bool) {
  return std::nullopt;
}

void TAbstractTag::TagWritten() {}

bool TAbstractTag::CanWriteFile() { return true; }

TagWriteResult TAbstractTag::RemoveReplacedTag() { return TagWriteResult::kWritten; }

bool TAbstractTag::StaysBesideId3v2() const { return false; }

std::string_view TAbstractTag::TextEncoding() const { return {}; }

std::string_view TAbstractTag::FormatVersion() const { return {}; }

}  // namespace marlinote
