#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tags/ape_format.h"

namespace marlinote {

// One item of a tag, byte for byte.
struct ApeItem {
  std::uint32_t flags = 0;
  std::string key;
  // Every byte the value size counts: separators and a terminating zero included.
  std::string value;

  bool operator==(const ApeItem&) const = default;
};

// An APE tag as a file holds it: its form and every item as it stands, so that a save
// writes back the items nobody changed exactly as they were (binary values, several values
// in one item, values without a terminating zero, keys of any spelling).
struct ApeTagBlock {
  ApeForm form;
  // The footer's flags other than those that say where the header and the footer are.
  std::uint32_t flags = 0;
  std::vector<ApeItem> items;
};

// The tag of the parts, with copies of its bytes.
ApeTagBlock OwnedApeTag(const ApeTagParts& parts);

// The tag that holds `fields` in list order, written over `old`: a pair that reads exactly
// as an item of `old` not taken yet keeps that item byte for byte; every other pair becomes
// a new text item in the old tag's encoding; items that no pair reads as are left out. The
// tag keeps the old one's form and flags.
ApeTagBlock ApplyApeFields(const ApeTagBlock& old, const FieldList& fields);

// The bytes of the tag: its header when its form has one, the items, the footer. Nothing
// when the tag would be larger than kApeMaxTagSize.
std::optional<std::string> RenderApeTag(const ApeTagBlock& tag);

}  // namespace marlinote
