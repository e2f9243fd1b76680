#include "ape_tag.h"

#include "platform/file_handle.h"
#include "platform/file_ops.h"
#include "tags/ape_format.h"
#include "tags/file_sample.h"
#include "tags/tag_types.h"
#include "tags/tail_io.h"

namespace marlinote {

namespace {

// The footer at the end of an open file, with the file's size.
std::optional<ApeFooter> ReadFooter(std::FILE* file, std::int64_t& size) {
  size = StreamSize(file);
  if (size < static_cast<std::int64_t>(kApeFooterSize)) return std::nullopt;
  std::string bytes;
  if (!ReadBytesAt(file, size - static_cast<std::int64_t>(kApeFooterSize), kApeFooterSize, bytes))
    return std::nullopt;
  return ParseApeFooterOfFile(bytes, size);
}

}  // namespace

std::unique_ptr<TAPETag> TAPETag::ReadFrom(const std::string& path, FileSample& file) {
  const std::int64_t size = file.Size();
  if (size < static_cast<std::int64_t>(kApeFooterSize)) return nullptr;
  const std::string_view tail = file.Tail();
  const std::optional<ApeFooter> footer =
      ParseApeFooterOfFile(tail.substr(tail.size() - kApeFooterSize), size);
  if (!footer) return nullptr;
  std::string spill;
  const std::optional<std::string_view> items =
      file.Bytes(size - footer->tagSize, footer->tagSize - kApeFooterSize, spill);
  if (!items) return nullptr;
  auto tag = std::make_unique<TAPETag>();
  tag->path_ = path;
  tag->fields_ = ParseApeItems(*items);
  return tag;
}

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
