#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "tags/abstract_tag.h"

namespace marlinote {

// The files the window lists, in display order: row i shows entry i. The list owns its tag
// objects; entries are never null. Indices outside 0..Count()-1 are a caller's error.
class TTagList {
 public:
  TTagList() = default;
  TTagList(const TTagList&) = delete;
  TTagList& operator=(const TTagList&) = delete;

  void Add(std::unique_ptr<TAbstractTag> entry);
  int Count() const { return static_cast<int>(entries_.size()); }
  TAbstractTag& Get(int index) { return *entries_[static_cast<std::size_t>(index)]; }
  const TAbstractTag& Get(int index) const { return *entries_[static_cast<std::size_t>(index)]; }
  // Puts the new entry in the slot and hands the one that was there back to the caller.
  std::unique_ptr<TAbstractTag> Replace(int index, std::unique_ptr<TAbstractTag> entry);
  // Destroys every entry.
  void Clear() { entries_.clear(); }
  // Moves every entry, in order, to the end of `other`; this list is left empty.
  void MoveTo(TTagList& other);

  // Reorders the entries by a comparison of two entry indices (negative, zero or positive)
  // taken before the sort, so that a caller can compare values it computed once per
  // entry. Entries that compare equal may end in any order.
  void Sort(const std::function<int(int a, int b)>& compare);
  // Reorders the entries so that the one at index order[i] comes to index i; `order` holds
  // every index exactly once.
  void Arrange(const std::vector<int>& order);

 private:
  std::vector<std::unique_ptr<TAbstractTag>> entries_;
};

}  // namespace marlinote
