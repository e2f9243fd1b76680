#include "sort_files.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace marlinote {

namespace {

// The key text of a file name, A to Z lowered. Other bytes stay: multi-byte characters of
// the UTF-8 name hold no byte below 0x80.
void BuildKeyText(std::string_view fileName, bool byExtension, bool wholeName, std::string& key) {
  const auto dot = wholeName ? std::string_view::npos : fileName.rfind('.');
  const std::string_view name = fileName.substr(0, dot);
  key.clear();
  if (byExtension && dot != std::string_view::npos) key += fileName.substr(dot);
  key += name;
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
}

// One entry to sort: its first key bytes as a number (bytes after the key's end are zero),
// which decides most comparisons without reading the key itself.
struct SortItem {
  std::uint64_t prefix;
  const char* key;
  int index;
};

constexpr std::size_t kPrefixBytes = sizeof(std::uint64_t);

std::uint64_t PrefixOf(const char* key) {
  std::uint64_t prefix = 0;
  std::size_t i = 0;
  for (; i < kPrefixBytes && key[i] != '\0'; ++i)
    prefix = prefix << 8 | static_cast<unsigned char>(key[i]);
  return i == 0 ? 0 : prefix << (8 * (kPrefixBytes - i));
}

// strcmp of the two keys: negative, zero or positive.
int CompareKeys(const SortItem& a, const SortItem& b) {
  if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
  // Equal prefixes with a zero in them are equal keys that ended there.
  if ((a.prefix & 0xFF) == 0) return 0;
  return std::strcmp(a.key + kPrefixBytes, b.key + kPrefixBytes);
}

// The indices of the keys in sorted order; entries with equal keys keep their order.
std::vector<int> SortedOrder(const FileSortKeys& keys, bool ascending) {
  std::vector<SortItem> items(keys.Count());
  for (std::size_t i = 0; i < items.size(); ++i)
    items[i] = {PrefixOf(keys.Key(i)), keys.Key(i), static_cast<int>(i)};
  const int direction = ascending ? 1 : -1;
  std::sort(items.begin(), items.end(), [direction](const SortItem& a, const SortItem& b) {
    const int c = CompareKeys(a, b) * direction;
    return c < 0 || (c == 0 && a.index < b.index);
  });
  std::vector<int> order(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) order[i] = items[i].index;
  return order;
}

}  // namespace

struct FileSortKeys::Collation {
  std::unique_ptr<icu::Collator> collator;
  std::vector<UChar> utf16;
};

FileSortKeys::FileSortKeys(int order, bool wholeNames)
    : byExtension_(order >= kSortExtendAscend),
      wholeNames_(wholeNames),
      collation_(std::make_unique<Collation>()) {
  UErrorCode status = U_ZERO_ERROR;
  collation_->collator.reset(icu::Collator::createInstance(icu::Locale::getDefault(), status));
  if (U_SUCCESS(status))
    collation_->collator->setAttribute(UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, status);
  if (U_FAILURE(status)) collation_->collator.reset();
}

FileSortKeys::~FileSortKeys() = default;

void FileSortKeys::Add(std::string_view fileName) {
  BuildKeyText(fileName, byExtension_, wholeNames_, text_);
  offsets_.push_back(keys_.size());
  if (collation_->collator)
    AppendCollationKey();
  else
    keys_.insert(keys_.end(), text_.begin(), text_.end());
  keys_.push_back('\0');
}

// The key without its terminating zero.
void FileSortKeys::AppendCollationKey() {
  std::vector<UChar>& utf16 = collation_->utf16;
  utf16.resize(text_.size() + 1);
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(utf16.data(), static_cast<int32_t>(utf16.size()), &length, text_.data(),
                       static_cast<int32_t>(text_.size()), 0xFFFD, nullptr, &status);
  if (U_FAILURE(status)) length = 0;

  const std::size_t start = keys_.size();
  keys_.resize(start + 64);
  for (;;) {
    const auto room = static_cast<int32_t>(keys_.size() - start);
    const int32_t needed = collation_->collator->getSortKey(
        utf16.data(), length, reinterpret_cast<uint8_t*>(keys_.data() + start), room);
    if (needed <= room) {
      // The size includes the key's own terminating zero.
      keys_.resize(start + (needed > 0 ? static_cast<std::size_t>(needed) - 1 : 0));
      return;
    }
    keys_.resize(start + static_cast<std::size_t>(needed));
  }
}

bool SortFiles(TTagList& list, int order) {
  if (order < kSortNameAscend || order > kSortExtendDescend) return false;
  FileSortKeys keys(order);
  for (int i = 0; i < list.Count(); ++i) keys.Add(list.Get(i).GetFileName());
  return SortFiles(list, order, keys);
}

bool SortFiles(TTagList& list, int order, const FileSortKeys& keys) {
  if (order < kSortNameAscend || order > kSortExtendDescend) return false;
  list.Arrange(SortedOrder(keys, order == kSortNameAscend || order == kSortExtendAscend));
  return true;
}

void SortNames(std::vector<std::string>& names) {
  FileSortKeys keys(kSortNameAscend, true);
  for (const std::string& name : names) keys.Add(name);
  std::vector<std::string> sorted;
  sorted.reserve(names.size());
  for (int index : SortedOrder(keys, true))
    sorted.push_back(std::move(names[static_cast<std::size_t>(index)]));
  names = std::move(sorted);
}

}  // namespace marlinote
