#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/tag_list.h"

namespace marlinote {

// The sort orders of the sort menu.
inline constexpr int kSortNameAscend = 0;
inline constexpr int kSortNameDescend = 1;
inline constexpr int kSortExtendAscend = 2;
inline constexpr int kSortExtendDescend = 3;

// The collation sort keys of file names for one of the sort orders, in the order the names
// were added. The keys come from the name: the name key is the name without its extension
// (from the last dot), the extension key is the extension followed by the name key. Keys
// are taken with A to Z lowered, by the collation of ICU's default locale with punctuation
// taken into account. With `wholeNames` a dot starts no extension: the key is the whole name
// (folder names).
class FileSortKeys {
 public:
  explicit FileSortKeys(int order, bool wholeNames = false);
  ~FileSortKeys();
  FileSortKeys(const FileSortKeys&) = delete;
  FileSortKeys& operator=(const FileSortKeys&) = delete;

  void Add(std::string_view fileName);
  std::size_t Count() const { return offsets_.size(); }
  // The key of the i-th name, ended by a zero byte (the only one it holds).
  const char* Key(std::size_t i) const { return keys_.data() + offsets_[i]; }

 private:
  // The locale's collator and what it works in; null where ICU has none.
  struct Collation;

  void AppendCollationKey();

  bool byExtension_;
  bool wholeNames_;
  std::unique_ptr<Collation> collation_;
  std::string text_;
  std::vector<char> keys_;
  std::vector<std::size_t> offsets_;
};

// Sorts the list by file name (orders 0 and 1) or by extension, then name (2 and 3),
// ascending or descending, by the keys of FileSortKeys. Entries with equal keys keep their
// order. Any other order sorts nothing and gives false.
bool SortFiles(TTagList& list, int order);

// The same with keys gathered beforehand (by the scan that listed the files): the i-th key
// must be that of entry i's file name.
bool SortFiles(TTagList& list, int order, const FileSortKeys& keys);

// Sorts names (UTF-8) by the keys of whole names, ascending: folder names in the order in
// which the list sorts file names. Names with equal keys keep their order.
void SortNames(std::vector<std::string>& names);

}  // namespace marlinote
