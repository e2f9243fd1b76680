#include "ape_format.h"

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

// Calls `take(key, value)` for every well-formed item in file order, a value up to its first
// zero byte; a damaged item ends the walk.
template <typename Take>
void ForEachItem(std::string_view items, Take take) {
  std::size_t pos = 0;
  while (items.size() - pos >= kItemHeadSize) {
    const std::size_t valueSize = ReadLe32(items, pos);
    const std::size_t keyStart = pos + kItemHeadSize;
    const std::size_t keyEnd = items.find('\0', keyStart);
    if (keyEnd == std::string_view::npos) break;
    const std::size_t valueStart = keyEnd + 1;
    if (valueSize > items.size() - valueStart) break;
    const std::string_view value = items.substr(valueStart, valueSize);
    take(items.substr(keyStart, keyEnd - keyStart), value.substr(0, value.find('\0')));
    pos = valueStart + valueSize;
  }
}

}  // namespace

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

std::string RenderApeFooter(std::uint32_t tagSize, std::uint32_t itemCount) {
  std::string footer(kPreamble);
  AppendLe32(footer, kApeVersion);
  AppendLe32(footer, tagSize);
  AppendLe32(footer, itemCount);
  AppendLe32(footer, 0);
  footer.append(8, '\0');
  return footer;
}

FieldList ParseApeItems(std::string_view items) {
  std::size_t count = 0;
  ForEachItem(items, [&count](std::string_view, std::string_view) { ++count; });
  // Counted first, so that the list takes no more room than its pairs need: a folder scan
  // keeps one list per file.
  FieldList fields;
  fields.reserve(count);
  ForEachItem(items, [&fields](std::string_view key, std::string_view value) {
    fields.push_back({std::string(key), std::string(value)});
  });
  return fields;
}

std::string RenderApeItems(const FieldList& fields) {
  std::string items;
  for (const TagField& f : fields) {
    AppendLe32(items, static_cast<std::uint32_t>(f.value.size() + 1));
    AppendLe32(items, 0);
    items.append(f.key).push_back('\0');
    items.append(f.value).push_back('\0');
  }
  return items;
}

std::optional<std::string> RenderApeTag(const FieldList& fields) {
  std::string tag = RenderApeItems(fields);
  if (tag.size() > kApeMaxTagSize - kApeFooterSize) return std::nullopt;
  const auto tagSize = static_cast<std::uint32_t>(tag.size() + kApeFooterSize);
  return tag + RenderApeFooter(tagSize, static_cast<std::uint32_t>(fields.size()));
}

}  // namespace marlinote
