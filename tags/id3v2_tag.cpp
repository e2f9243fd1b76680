#include "id3v2_tag.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/file_beside.h"
#include "platform/replace_file.h"
#include "tags/ape_tag.h"
#include "tags/file_sample.h"
#include "tags/id3v1_tag.h"
#include "tags/id3v2_frames.h"
#include "tags/tag_edit.h"
#include "tags/tag_types.h"
#include "tags/tail_file.h"

namespace marlinote {
namespace {

constexpr std::size_t kCopyBufferSize = std::size_t{1} << 20;

// The whole ID3v2 tag the open file begins with; nothing when it begins with none.
std::optional<std::string> TagAtStart(const TailFile& file) {
  std::string head;
  if (file.Size() < static_cast<std::int64_t>(kId3v2HeaderSize) ||
      !file.ReadAt(0, kId3v2HeaderSize, head))
    return std::nullopt;
  const std::optional<Id3v2Header> header = ReadId3v2Header(head);
  std::string tag;
  if (!header || header->size > file.Size() ||
      !file.ReadAt(0, static_cast<std::size_t>(header->size), tag))
    return std::nullopt;
  return tag;
}

bool ReadAt(int fd, std::int64_t offset, char* buffer, std::size_t count) {
  for (std::size_t done = 0; done < count;) {
    const ssize_t n = pread(fd, buffer + done, count - done, static_cast<off_t>(offset) + done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Whether the file still begins as it did when it was read: with `old`, `size` bytes long.
bool StillAsRead(int fd, std::string_view old, std::int64_t size) {
  struct stat st {};
  if (fstat(fd, &st) != 0 || st.st_size != size) return false;
  std::string head(old.empty() ? 4 : old.size(), '\0');
  if (static_cast<std::int64_t>(head.size()) > size) return old.empty();
  if (!ReadAt(fd, 0, head.data(), head.size())) return false;
  // An Ogg stream must begin its file: no tag goes in front of it.
  return old.empty() ? head != "OggS" : head == old;
}

// The file rebuilt as `tag` and then its bytes from the end of `old` (the tag it begins
// with, or empty) up to `keepTo`, renamed over the old file.
TagWriteResult Rewrite(const std::string& path, std::string_view old, std::int64_t size,
                       std::string_view tag, std::int64_t keepTo) {
  const WriteResult written = RewriteFile(path, [&](int from, int to) {
    if (!StillAsRead(from, old, size) || !WriteAll(to, tag)) return false;
    std::vector<char> buffer(kCopyBufferSize);
    for (auto at = static_cast<std::int64_t>(old.size()); at < keepTo;) {
      const auto count = static_cast<std::size_t>(
          std::min<std::int64_t>(keepTo - at, static_cast<std::int64_t>(buffer.size())));
      if (!ReadAt(from, at, buffer.data(), count) || !WriteAll(to, {buffer.data(), count}))
        return false;
      at += static_cast<std::int64_t>(count);
    }
    return true;
  });
  switch (written) {
    case WriteResult::kOk:
      return TagWriteResult::kWritten;
    case WriteResult::kWriteFailed:
      return TagWriteResult::kFailed;
    case WriteResult::kCannotCreate:
    case WriteResult::kLinkRefused:
    case WriteResult::kNotRegularFile:
      break;
  }
  return TagWriteResult::kNotReached;
}

std::string ValueOr(const FieldList& fields, std::string_view key) {
  for (const TagField& f : fields)
    if (f.key == key) return f.value;
  return {};
}

}  // namespace

std::unique_ptr<TID3v2Tag> TID3v2Tag::ReadFrom(const std::string& path, FileSample& file) {
  const std::optional<Id3v2Header> header = ReadId3v2Header(file.Head());
  // A tag that reaches past the end of its file is none, as for ReadTag.
  if (!header || header->size > file.Size()) return nullptr;
  std::string spill;
  std::optional<Id3v2Contents> contents =
      ProbeId3v2Tag([&](std::size_t offset, std::size_t count) {
        return file.Bytes(static_cast<std::int64_t>(offset), count, spill);
      });
  if (!contents) return nullptr;
  auto tag = std::make_unique<TID3v2Tag>();
  tag->path_ = path;
  tag->fields_ = std::move(contents->fields);
  tag->version_ = static_cast<signed char>(contents->version);
  tag->onFile_ = true;
  return tag;
}

int TID3v2Tag::ReadTag(const std::string& path) {
  TailFile file;
  if (!file.Open(path, TailFile::Access::kRead)) return -1;
  const std::optional<std::string> current = TagAtStart(file);
  std::optional<Id3v2Contents> contents = current ? ParseId3v2Tag(*current) : std::nullopt;
  if (!contents) return -1;
  path_ = path;
  fields_.insert(fields_.end(), contents->fields.begin(), contents->fields.end());
  version_ = static_cast<signed char>(contents->version);
  onFile_ = true;
  return 0;
}

int TID3v2Tag::GetTagType() const { return kTagId3v2; }

std::string_view TID3v2Tag::TextEncoding() const { return version_ == 4 ? "utf-8" : "utf-16"; }

std::string_view TID3v2Tag::FormatVersion() const {
  return version_ == 2 ? "2.2" : version_ == 4 ? "2.4" : "2.3";
}

TagWriteResult TID3v2Tag::Put(TailFile& file, const std::string& base,
                              const std::optional<std::string>& current, std::int64_t keepTo) {
  const std::optional<std::string> bytes = RenderId3v2Tag(base, fields_);
  if (!bytes) return TagWriteResult::kFailed;
  if (current && current->size() == bytes->size() && keepTo == file.Size()) {
    // A rewrite of the file by another save would undo the write; one that was killed left
    // its new file beside this one, which goes now.
    if (!FileBeside::ClearLeftover(path_)) return TagWriteResult::kNotReached;
    switch (file.WriteOver(0, *bytes)) {
      case TailWrite::kReplaced:
        break;
      case TailWrite::kKept:
        return TagWriteResult::kFailed;
      case TailWrite::kLost:
        return TagWriteResult::kLost;
    }
  } else {
    const TagWriteResult result =
        Rewrite(path_, current.value_or(std::string()), file.Size(), *bytes, keepTo);
    if (result != TagWriteResult::kWritten) return result;
  }
  if (ReadId3v2Header(base).value_or(Id3v2Header{}).version != 4) version_ = 3;
  onFile_ = true;
  cut_.reset();
  return TagWriteResult::kWritten;
}

bool TID3v2Tag::WriteOtherTags(const FieldList& before) const {
  FieldList changes;
  for (const TagField& f : fields_)
    if (f.value != ValueOr(before, f.key)) changes.push_back(f);
  if (changes.empty()) return true;
  std::unique_ptr<TAbstractTag> others[] = {std::make_unique<TAPETag>(),
                                            std::make_unique<TID3v1Tag>()};
  for (std::unique_ptr<TAbstractTag>& other : others) {
    if (other->ReadTag(path_) != 0) continue;
    const SaveResult saved = SaveFields(*other, changes);
    if (saved != SaveResult::kSaved && saved != SaveResult::kUnchanged) return false;
  }
  return true;
}

TagWriteResult TID3v2Tag::ReplaceTag(const TAbstractTag& replaced) {
  if (&replaced == this) {
    // The tags at the end first: when the rewrite fails, the list's tag is as it was.
    TailFile reading;
    if (!reading.Open(path_, TailFile::Access::kRead)) return TagWriteResult::kNotReached;
    const std::optional<std::string> read = TagAtStart(reading);
    if (onFile_ && !read) return TagWriteResult::kNotReached;
    const std::optional<Id3v2Contents> before = read ? ParseId3v2Tag(*read) : std::nullopt;
    if (!WriteOtherTags(before ? before->fields : FieldList{})) return TagWriteResult::kFailed;
  }
  TailFile file;
  if (!file.Open(path_, TailFile::Access::kReadWrite)) return TagWriteResult::kNotReached;
  const std::optional<std::string> current = TagAtStart(file);
  if (&replaced == this && onFile_ && !current) return TagWriteResult::kNotReached;
  std::int64_t keepTo = file.Size();
  if (&replaced != this && TagEndsFileOf(replaced) && !replaced.StaysBesideId3v2()) {
    const std::optional<std::int64_t> start = TagStartOf(replaced, file);
    if (!start) return TagWriteResult::kNotReached;
    keepTo = *start;
  }
  return Put(file, current.value_or(std::string()), current, keepTo);
}

TagWriteResult TID3v2Tag::RemoveReplacedTag() {
  TailFile file;
  if (!file.Open(path_, TailFile::Access::kRead)) return TagWriteResult::kNotReached;
  const std::optional<std::string> current = TagAtStart(file);
  if (!current) return TagWriteResult::kWritten;
  return Rewrite(path_, *current, file.Size(), {}, file.Size());
}

bool TID3v2Tag::RemoveTag() {
  TailFile file;
  if (!file.Open(path_, TailFile::Access::kRead)) return false;
  std::optional<std::string> current = TagAtStart(file);
  if (!current || Rewrite(path_, *current, file.Size(), {}, file.Size()) != TagWriteResult::kWritten)
    return false;
  if (onFile_) cut_ = std::make_unique<std::string>(std::move(*current));
  onFile_ = false;
  return true;
}

bool TID3v2Tag::WriteTag() {
  TailFile file;
  if (!file.Open(path_, TailFile::Access::kReadWrite)) return false;
  const std::optional<std::string> current = TagAtStart(file);
  const std::string base = cut_ ? *cut_ : onFile_ ? current.value_or(std::string()) : std::string();
  return Put(file, base, current, file.Size()) == TagWriteResult::kWritten;
}

}  // namespace marlinote
