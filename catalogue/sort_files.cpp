#include "sort_files.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/ustring.h>

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
void BuildKeyText(std::string_view fileName, bool byExtension, std::string& key) {
  const auto dot = fileName.rfind('.');
  const std::string_view name = fileName.substr(0, dot);
  key.clear();
  if (byExtension && dot != std::string_view::npos) key += fileName.substr(dot);
  key += name;
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
}

// Collation sort keys of every entry, one after the other in one buffer, each ended by a
// zero byte, so that comparing two of them is a strcmp and each key is computed once.
class SortKeys {
 public:
  SortKeys(const TTagList& list, bool byExtension) : offsets_(static_cast<std::size_t>(list.Count())) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> collator(
        icu::Collator::createInstance(icu::Locale::getDefault(), status));
    if (U_SUCCESS(status))
      collator->setAttribute(UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, status);
    if (U_FAILURE(status)) collator.reset();

    std::string text;
    std::vector<UChar> utf16;
    keys_.reserve(offsets_.size() * 32);
    for (int i = 0; i < list.Count(); ++i) {
      BuildKeyText(list.Get(i).GetFileName(), byExtension, text);
      offsets_[static_cast<std::size_t>(i)] = keys_.size();
      if (collator)
        AppendCollationKey(*collator, text, utf16);
      else
        keys_.insert(keys_.end(), text.begin(), text.end());
      keys_.push_back('\0');
    }
  }

  int Compare(int a, int b) const {
    return std::strcmp(keys_.data() + offsets_[static_cast<std::size_t>(a)],
                       keys_.data() + offsets_[static_cast<std::size_t>(b)]);
  }

 private:
  // The key without its terminating zero.
  void AppendCollationKey(const icu::Collator& collator, const std::string& text,
                          std::vector<UChar>& utf16) {
    utf16.resize(text.size() + 1);
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(utf16.data(), static_cast<int32_t>(utf16.size()), &length, text.data(),
                         static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status)) length = 0;

    const std::size_t start = keys_.size();
    keys_.resize(start + 64);
    for (;;) {
      const auto room = static_cast<int32_t>(keys_.size() - start);
      const int32_t needed = collator.getSortKey(
          utf16.data(), length, reinterpret_cast<uint8_t*>(keys_.data() + start), room);
      if (needed <= room) {
        // The size includes the key's own terminating zero.
        keys_.resize(start + (needed > 0 ? static_cast<std::size_t>(needed) - 1 : 0));
        return;
      }
      keys_.resize(start + static_cast<std::size_t>(needed));
    }
  }

  std::vector<char> keys_;
  std::vector<std::size_t> offsets_;
};

}  // namespace

bool SortFiles(TTagList& list, int order) {
  if (order < kSortNameAscend || order > kSortExtendDescend) return false;
  const SortKeys keys(list, order >= kSortExtendAscend);
  if (order == kSortNameAscend || order == kSortExtendAscend)
    list.Sort([&keys](int a, int b) { return keys.Compare(a, b); });
  else
    list.Sort([&keys](int a, int b) { return keys.Compare(b, a); });
  return true;
}

}  // namespace marlinote
