#include "ape_format.h"

#include "tags/text_conversion.h"

namespace marlinote {

namespace {

constexpr std::string_view kPreamble = "APETAGEX";
constexpr std::size_t kItemHeadSize = 8;

std::uint32_t ReadLe32(std::string_view bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i)
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
  return value;
}

void AppendLe32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::string_view UpToZero(std::string_view value) { return value.substr(0, value.find('\0')); }

}  // namespace

const char* ApeEncodingName(ApeEncoding encoding) {
  return encoding == ApeEncoding::kUtf8 ? "utf-8" : "cp932";
}

std::optional<ApeFooter> ParseApeFooter(std::string_view bytes) {
  if (bytes.size() != kApeFooterSize || bytes.substr(0, kPreamble.size()) != kPreamble)
    return std::nullopt;
  return ApeFooter{ReadLe32(bytes, 8), ReadLe32(bytes, 12), ReadLe32(bytes, 16),
                   ReadLe32(bytes, 20)};
}

std::optional<ApeFooter> ParseApeFooterOfFile(std::string_view bytes, std::int64_t fileSize) {
  std::optional<ApeFooter> footer = ParseApeFooter(bytes);
  if (!footer || footer->tagSize < kApeFooterSize || footer->tagSize > fileSize ||
      footer->tagSize > kApeMaxTagSize)
    return std::nullopt;
  return footer;
}

std::size_t ApeTagSpan(const ApeFooter& footer, std::int64_t fileSize) {
  const bool roomForHeader =
      fileSize - static_cast<std::int64_t>(footer.tagSize) >= static_cast<std::int64_t>(kApeFooterSize);
  return footer.tagSize + ((footer.flags & kApeHasHeader) && roomForHeader ? kApeFooterSize : 0);
}

std::string RenderApeTagEnd(std::uint32_t version, std::uint32_t tagSize, std::uint32_t itemCount,
                            std::uint32_t flags) {
  std::string end(kPreamble);
  AppendLe32(end, version);
  AppendLe32(end, tagSize);
  AppendLe32(end, itemCount);
  AppendLe32(end, flags);
  end.append(8, '\0');
  return end;
}

std::string RenderApeFooter(std::uint32_t tagSize, std::uint32_t itemCount) {
  return RenderApeTagEnd(kApeVersion, tagSize, itemCount, 0);
}

void AppendApeItem(std::string& out, std::uint32_t flags, std::string_view key,
                   std::string_view value) {
  AppendLe32(out, static_cast<std::uint32_t>(value.size()));
  AppendLe32(out, flags);
  out.append(key).push_back('\0');
  out.append(value);
}

std::vector<ApeItemView> SplitApeItems(std::string_view items) {
  std::vector<ApeItemView> views;
  std::size_t pos = 0;
  while (items.size() - pos >= kItemHeadSize) {
    const std::size_t valueSize = ReadLe32(items, pos);
    const std::size_t keyStart = pos + kItemHeadSize;
    const std::size_t keyEnd = items.find('\0', keyStart);
    if (keyEnd == std::string_view::npos) break;
    const std::size_t valueStart = keyEnd + 1;
    if (valueSize > items.size() - valueStart) break;
    views.push_back({ReadLe32(items, pos + 4), items.substr(keyStart, keyEnd - keyStart),
                     items.substr(valueStart, valueSize)});
    pos = valueStart + valueSize;
  }
  return views;
}

ApeEncoding DetectApeEncoding(std::uint32_t version, const std::vector<ApeItemView>& items) {
  if (version < kApeVersion2) return ApeEncoding::kCp932;
  for (const ApeItemView& item : items) {
    if (IsBinaryApeItem(item.flags) || IsAscii(item.value)) continue;
    if (!IsValidUtf8(item.value)) return ApeEncoding::kCp932;
  }
  return ApeEncoding::kUtf8;
}

TagField ApeItemPair(const ApeItemView& item, ApeEncoding encoding) {
  const std::string_view value = UpToZero(item.value);
  // Binary data is no text of the tag's encoding: its bytes are taken as they are.
  if (encoding == ApeEncoding::kCp932 || IsBinaryApeItem(item.flags))
    return {std::string(item.key), std::string(value)};
  return {Utf8ToLocal(item.key), Utf8ToLocal(value)};
}

FieldList ParseApeItems(std::string_view items) {
  const std::vector<ApeItemView> views = SplitApeItems(items);
  FieldList fields;
  // Exactly as large as its pairs: a folder scan keeps one list per file.
  fields.reserve(views.size());
  for (const ApeItemView& item : views) fields.push_back(ApeItemPair(item, ApeEncoding::kCp932));
  return fields;
}

std::optional<ApeTagParts> SplitApeTag(std::string_view bytes) {
  if (bytes.size() < kApeFooterSize) return std::nullopt;
  const std::optional<ApeFooter> footer = ParseApeFooter(bytes.substr(bytes.size() - kApeFooterSize));
  if (!footer || footer->tagSize < kApeFooterSize || footer->tagSize > bytes.size())
    return std::nullopt;
  const std::size_t itemsStart = bytes.size() - footer->tagSize;
  ApeTagParts parts{*footer, {footer->version, false, ApeEncoding::kCp932},
                    SplitApeItems(bytes.substr(itemsStart, footer->tagSize - kApeFooterSize))};
  if ((footer->flags & kApeHasHeader) && itemsStart >= kApeFooterSize) {
    const std::optional<ApeFooter> header =
        ParseApeFooter(bytes.substr(itemsStart - kApeFooterSize, kApeFooterSize));
    parts.form.header = header && header->tagSize == footer->tagSize;
  }
  parts.form.encoding = DetectApeEncoding(footer->version, parts.items);
  return parts;
}

std::optional<ApeContents> ParseApeContents(std::string_view bytes) {
  const std::optional<ApeTagParts> parts = SplitApeTag(bytes);
  if (!parts) return std::nullopt;
  ApeContents contents{parts->form, {}};
  contents.fields.reserve(parts->items.size());
  for (const ApeItemView& item : parts->items)
    contents.fields.push_back(ApeItemPair(item, parts->form.encoding));
  return contents;
}

std::string RenderApeItems(const FieldList& fields) {
  std::string items;
  for (const TagField& f : fields) AppendApeItem(items, 0, f.key, f.value + '\0');
  return items;
}

std::optional<std::string> RenderApeTag(const FieldList& fields) {
  std::string tag = RenderApeItems(fields);
  if (tag.size() > kApeMaxTagSize - kApeFooterSize) return std::nullopt;
  const auto tagSize = static_cast<std::uint32_t>(tag.size() + kApeFooterSize);
  return tag + RenderApeFooter(tagSize, static_cast<std::uint32_t>(fields.size()));
}

}  // namespace marlinote
