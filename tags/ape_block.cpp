#include "ape_block.h"

#include "tags/text_conversion.h"

namespace marlinote {

namespace {

// The flags that say where the header and the footer are: set by the form when rendering.
constexpr std::uint32_t kLayoutFlags = kApeHasHeader | kApeHasNoFooter | kApeIsHeader;

ApeItemView ViewOf(const ApeItem& item) { return {item.flags, item.key, item.value}; }

// A text item for a pair: code page 932 bytes ending in a zero byte, as this program has
// always written them, or UTF-8 without one, as APEv2 stores text.
ApeItem NewItem(const TagField& pair, ApeEncoding encoding) {
  if (encoding == ApeEncoding::kCp932) return {0, pair.key, pair.value + '\0'};
  return {0, LocalToUtf8(pair.key), LocalToUtf8(pair.value)};
}

}  // namespace

ApeTagBlock OwnedApeTag(const ApeTagParts& parts) {
  ApeTagBlock tag{parts.form, parts.footer.flags & ~kLayoutFlags, {}};
  tag.items.reserve(parts.items.size());
  for (const ApeItemView& item : parts.items)
    tag.items.push_back({item.flags, std::string(item.key), std::string(item.value)});
  return tag;
}

ApeTagBlock ApplyApeFields(const ApeTagBlock& old, const FieldList& fields) {
  const std::size_t count = old.items.size();
  std::vector<TagField> shown;
  shown.reserve(count);
  for (const ApeItem& item : old.items) shown.push_back(ApeItemPair(ViewOf(item), old.form.encoding));
  std::vector<bool> taken(count, false);
  ApeTagBlock tag{old.form, old.flags, {}};
  tag.items.reserve(fields.size());
  // Pairs mostly come in the order of the items they were read from: the item after the
  // last one taken is tried first, so that a long tag is not searched once per pair.
  std::size_t next = 0;
  for (const TagField& pair : fields) {
    std::size_t i = next;
    if (i >= count || taken[i] || !(shown[i] == pair)) {
      i = 0;
      while (i < count && (taken[i] || !(shown[i] == pair))) ++i;
    }
    if (i < count) {
      taken[i] = true;
      tag.items.push_back(old.items[i]);
      next = i + 1;
    } else {
      tag.items.push_back(NewItem(pair, old.form.encoding));
    }
  }
  return tag;
}

std::optional<std::string> RenderApeTag(const ApeTagBlock& tag) {
  std::string items;
  for (const ApeItem& item : tag.items) AppendApeItem(items, item.flags, item.key, item.value);
  if (items.size() > kApeMaxTagSize - kApeFooterSize) return std::nullopt;
  const auto tagSize = static_cast<std::uint32_t>(items.size() + kApeFooterSize);
  const auto itemCount = static_cast<std::uint32_t>(tag.items.size());
  const std::uint32_t flags = tag.flags | (tag.form.header ? kApeHasHeader : 0);
  std::string bytes;
  if (tag.form.header)
    bytes = RenderApeTagEnd(tag.form.version, tagSize, itemCount, flags | kApeIsHeader);
  bytes += items;
  bytes += RenderApeTagEnd(tag.form.version, tagSize, itemCount, flags);
  return bytes;
}

}  // namespace marlinote
