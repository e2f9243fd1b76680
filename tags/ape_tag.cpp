#include "ape_tag.h"

#include "platform/file_handle.h"
#include "platform/file_ops.h"
#include "tags/ape_format.h"
#include "tags/tag_types.h"
#include "tags/tail_io.h"

namespace marlinote {

namespace {

// The footer at the end of an open file, with the file's size. A tag size below the
// footer's own or beyond the file's start is taken as no tag: cutting by it would destroy
// audio data.
std::optional<ApeFooter> ReadFooter(std::FILE* file, std::int64_t& size) {
  size = StreamSize(file);
  if (size < static_cast<std::int64_t>(kApeFooterSize)) return std::nullopt;
  std::string bytes;
  if (!ReadBytesAt(file, size - static_cast<std::int64_t>(kApeFooterSize), kApeFooterSize, bytes))
    return std::nullopt;
  std::optional<ApeFooter> footer = ParseApeFooter(bytes);
  if (!footer || footer->tagSize < kApeFooterSize || footer->tagSize > size) return std::nullopt;
  return footer;
}

}  // namespace

int TAPETag::ReadTag(const std::string& path) {
  FileHandle file = OpenFile(path, "rb");
  if (!file) return -1;
  std::int64_t size = 0;
  const std::optional<ApeFooter> footer = ReadFooter(file.get(), size);
  if (!footer) return -1;
  std::string items;
  if (!ReadBytesAt(file.get(), size - footer->tagSize, footer->tagSize - kApeFooterSize, items))
    return -1;
  const FieldList fields = ParseApeItems(items);
  path_ = path;
  fields_.insert(fields_.end(), fields.begin(), fields.end());
  return 0;
}

int TAPETag::GetTagType() const { return kTagApe; }

bool TAPETag::RemoveTag() {
  FileHandle file = OpenFile(path_, "r+b");
  if (!file) return false;
  std::int64_t size = 0;
  const std::optional<ApeFooter> footer = ReadFooter(file.get(), size);
  return footer && TruncateStream(file.get(), size - footer->tagSize);
}

bool TAPETag::WriteTag() {
  const std::optional<std::string> tag = RenderApeTag(fields_);
  return tag && AppendToFile(path_, *tag);
}

}  // namespace marlinote
