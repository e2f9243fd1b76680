#include "ape_tag.h"

#include "platform/file_handle.h"
#include "platform/file_ops.h"
#include "tags/ape_block.h"
#include "tags/field_entries.h"
#include "tags/file_sample.h"
#include "tags/tag_types.h"
#include "tags/tail_io.h"

namespace marlinote {

namespace {

// The bytes of the tag that ends an open file (its header included, when it has one, as
// ApeTagSpan says) and the file's size.
std::optional<std::string> ReadTagBytes(std::FILE* file, std::int64_t& size) {
  size = StreamSize(file);
  if (size < static_cast<std::int64_t>(kApeFooterSize)) return std::nullopt;
  std::string bytes;
  if (!ReadBytesAt(file, size - static_cast<std::int64_t>(kApeFooterSize), kApeFooterSize, bytes))
    return std::nullopt;
  const std::optional<ApeFooter> footer = ParseApeFooterOfFile(bytes, size);
  if (!footer) return std::nullopt;
  const std::size_t span = ApeTagSpan(*footer, size);
  if (!ReadBytesAt(file, size - static_cast<std::int64_t>(span), span, bytes)) return std::nullopt;
  return bytes;
}

// The tag that ends an open file, and the offset at which it begins.
std::optional<ApeTagBlock> ReadTagAtEnd(std::FILE* file, std::int64_t& start) {
  std::int64_t size = 0;
  const std::optional<std::string> bytes = ReadTagBytes(file, size);
  if (!bytes) return std::nullopt;
  const std::optional<ApeTagParts> parts = SplitApeTag(*bytes);
  if (!parts) return std::nullopt;
  start = size - parts->footer.tagSize - (parts->form.header ? kApeFooterSize : 0);
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
  FileHandle file = OpenFile(path, "rb");
  if (!file) return -1;
  std::int64_t size = 0;
  const std::optional<std::string> bytes = ReadTagBytes(file.get(), size);
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
  FileHandle file = OpenFile(path_, "r+b");
  if (!file) return false;
  std::int64_t start = 0;
  std::optional<ApeTagBlock> tag = ReadTagAtEnd(file.get(), start);
  if (!tag || !TruncateStream(file.get(), start)) return false;
  // A new object writes a new tag; only the object's own tag is written over.
  if (onFile_) cut_ = std::make_unique<ApeTagBlock>(std::move(*tag));
  return true;
}

ApeTagBlock TAPETag::Base() const {
  if (cut_) return *cut_;
  if (onFile_) {
    std::int64_t start = 0;
    FileHandle file = OpenFile(path_, "rb");
    if (file) {
      if (std::optional<ApeTagBlock> tag = ReadTagAtEnd(file.get(), start)) return std::move(*tag);
    }
  }
  return ApeTagBlock{form_, 0, {}};
}

std::optional<std::string> TAPETag::TagToWrite() {
  return RenderApeTag(ApplyApeFields(Base(), fields_));
}

bool TAPETag::WriteTag() {
  const ApeTagBlock tag = ApplyApeFields(Base(), fields_);
  const std::optional<std::string> bytes = RenderApeTag(tag);
  if (!bytes || !AppendToFile(path_, *bytes)) return false;
  form_ = tag.form;
  cut_.reset();
  onFile_ = true;
  return true;
}

std::string_view TAPETag::TextEncoding() const { return ApeEncodingName(form_.encoding); }

}  // namespace marlinote
