#pragma once

#include "catalogue/tag_list.h"

namespace marlinote {

// The sort orders of the sort menu.
inline constexpr int kSortNameAscend = 0;
inline constexpr int kSortNameDescend = 1;
inline constexpr int kSortExtendAscend = 2;
inline constexpr int kSortExtendDescend = 3;

// Sorts the list by file name (orders 0 and 1) or by extension, then name (2 and 3),
// ascending or descending. The keys come from each entry's file name: the name key is the
// name without its extension (from the last dot), the extension key is the extension
// followed by the name key. Keys are compared with A to Z lowered, by the collation of
// ICU's default locale with punctuation taken into account. Entries with equal keys may end
// in any order. Any other order sorts nothing and gives false.
bool SortFiles(TTagList& list, int order);

}  // namespace marlinote
