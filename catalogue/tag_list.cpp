#include "tag_list.h"

#include <algorithm>
#include <cassert>
#include <iterator>
#include <numeric>

namespace marlinote {

void TTagList::Add(std::unique_ptr<TAbstractTag> entry) {
  assert(entry);
  entries_.push_back(std::move(entry));
}

std::unique_ptr<TAbstractTag> TTagList::Replace(int index, std::unique_ptr<TAbstractTag> entry) {
  assert(entry);
  entries_[static_cast<std::size_t>(index)].swap(entry);
  return entry;
}

void TTagList::MoveTo(TTagList& other) {
  if (&other == this) return;
  other.entries_.insert(other.entries_.end(), std::make_move_iterator(entries_.begin()),
                        std::make_move_iterator(entries_.end()));
  entries_.clear();
}

void TTagList::Sort(const std::function<int(int a, int b)>& compare) {
  // The entries stay in place while the comparison runs: it sees them at their old indices.
  std::vector<int> order(entries_.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](int a, int b) { return compare(a, b) < 0; });
  Arrange(order);
}

void TTagList::Arrange(const std::vector<int>& order) {
  assert(order.size() == entries_.size());
  std::vector<std::unique_ptr<TAbstractTag>> arranged;
  arranged.reserve(entries_.size());
  for (int i : order) arranged.push_back(std::move(entries_[static_cast<std::size_t>(i)]));
  entries_ = std::move(arranged);
}

}  // namespace marlinote
