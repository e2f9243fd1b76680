#include "ape_tag.h"

#include "tags/ape_block.h"
#include "tags/field_entries.h"
#include "tags/file_sample.h"
#include "tags/tag_types.h"
#include "tags/tail_file.h"

namespace marlinote {

namespace {

// The bytes of the tag that ends a file (its header included, when it has one, as
// ApeTagSpan says).
std::optional<std::string> ReadTagBytes(const TailFile& file) {
  const std::int64_t size = file.Size();
  if (size < static_cast<std::int64_t>(kApeFooterSize)) return std::nullopt;
  std::string bytes;
  if (!file.ReadAt(size - static_cast<std::int64_t>(kApeFooterSize), kApeFooterSize, bytes))
    return std::nullopt;
  const std::optional<ApeFooter> footer = ParseApeFooterOfFile(bytes, size);
  if (!footer) return std::nullopt;
  const std::size_t span = ApeTagSpan(*footer, size);
  if (!file.ReadAt(size - static_cast<std::int64_t>(span), span, bytes)) return std::nullopt;
  return bytes;
}

// The tag that ends a file, and the offset at which it begins.
std::optional<ApeTagBlock> ReadTagAtEnd(const TailFile& file, std::int64_t& start) {
  const std::optional<std::string> bytes = ReadTagBytes(file);
  if (!bytes) return std::nullopt;
  const std::optional<ApeTagParts> parts = SplitApeTag(*bytes);
  if (!parts) return std::nullopt;
  start = file.Size() - parts->footer.tagSize - (parts->form.header ? kApeFooterSize : 0);
  return OwnedApeTag(*parts);
}

}  // namespace

TAPETag::TAPETag(ApeForm form) : form_(form) {}

TAPETag::~TAPETag() = default;

std::unique_ptr<TAPETag> TAPETag::ReadFrom(const std::string& path, FileSample& file) {
  const std::int64_t size = file.Size();
  if (size < static_cast<std::int64_t>(kApeFooterSize)) return nullptr;
  const std::string_view tail = file.Tail();
  const std::optional<ApeFooter> footer =
      ParseApeFooterOfFile(tail.substr(tail.size() - kApeFooterSize), size);
  if (!footer) return nullptr;
  const std::size_t span = ApeTagSpan(*footer, size);
  std::string spill;
  const std::optional<std::string_view> bytes = file.Bytes(size - span, span, spill);
  if (!bytes) return nullptr;
  std::optional<ApeContents> contents = ParseApeContents(*bytes);
  if (!contents) return nullptr;
  auto tag = std::make_unique<TAPETag>(contents->form);
  tag->path_ = path;
  tag->fields_ = std::move(contents->fields);
  tag->onFile_ = true;
  return tag;
}

int TAPETag::ReadTag(const std::string& path) {
  TailFile file;
  if (!file.Open(path, TailFile::Access::kRead)) return -1;
  const std::optional<std::string> bytes = ReadTagBytes(file);
  if (!bytes) return -1;
  std::optional<ApeContents> contents = ParseApeContents(*bytes);
  if (!contents) return -1;
  path_ = path;
  fields_.insert(fields_.end(), contents->fields.begin(), contents->fields.end());
  form_ = contents->form;
  onFile_ = true;
  return 0;
}

FieldOfKey TAPETag::KeyFolding() const { return SevenFieldOf; }

int TAPETag::GetTagType() const { return kTagApe; }

bool TAPETag::RemoveTag() {
  TailFile file;
  std::int64_t start = 0;
  if (!file.Open(path_, TailFile::Access::kReadWrite)) return false;
  std::optional<ApeTagBlock> tag = ReadTagAtEnd(file, start);
  if (!tag || file.Replace(start, {}) != TailWrite::kReplaced) return false;
  // A new object writes a new tag; only the object's own tag is written over.
  if (onFile_) cut_ = std::make_unique<ApeTagBlock>(std::move(*tag));
  return true;
}

bool TAPETag::TagEndsFile() const { return true; }

std::optional<std::int64_t> TAPETag::TagStart(const TailFile& file) const {
  std::int64_t start = 0;
  if (!ReadTagAtEnd(file, start)) return std::nullopt;
  return start;
}

std::optional<std::string> TAPETag::RenderTag(const TailFile& file, std::int64_t, bool own) {
  std::int64_t start = 0;
  std::optional<ApeTagBlock> base = own ? ReadTagAtEnd(file, start) : std::nullopt;
  return RenderApeTag(ApplyApeFields(base ? *base : ApeTagBlock{form_, 0, {}}, fields_));
}

void TAPETag::TagWritten() {
  cut_.reset();
  onFile_ = true;
}

bool TAPETag::WriteTag() {
  TailFile file;
  if (!file.Open(path_, TailFile::Access::kReadWrite)) return false;
  // Appended: the tag the fields are written over is the one RemoveTag cut off, else the
  // one at the end of the file while this object's tag is there, else a new one.
  std::int64_t start = 0;
  std::optional<ApeTagBlock> onFile = cut_ || !onFile_ ? std::nullopt : ReadTagAtEnd(file, start);
  const ApeTagBlock base = cut_ ? *cut_ : onFile ? std::move(*onFile) : ApeTagBlock{form_, 0, {}};
  const std::optional<std::string> bytes = RenderApeTag(ApplyApeFields(base, fields_));
  if (!bytes || file.Replace(file.Size(), *bytes) != TailWrite::kReplaced) return false;
  TagWritten();
  return true;
}

std::string_view TAPETag::TextEncoding() const { return ApeEncodingName(form_.encoding); }

}  // namespace marlinote
