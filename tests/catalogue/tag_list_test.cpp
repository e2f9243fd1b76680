#include "catalogue/tag_list.h"

#include <gtest/gtest.h>

namespace marlinote {
namespace {

// A tag object that counts its own destruction.
class CountedTag : public TAbstractTag {
 public:
  CountedTag(std::string path, int& destroyed) : destroyed_(destroyed) { SetFilePath(path); }
  ~CountedTag() override { ++destroyed_; }

 private:
  int& destroyed_;
};

TEST(TTagList, OwnsItsEntriesAndHandsBackWhatReplaceTakesOut) {
  int destroyed = 0;
  {
    TTagList list;
    list.Add(std::make_unique<CountedTag>("/a", destroyed));
    list.Add(std::make_unique<CountedTag>("/b", destroyed));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Get(1).GetFilePath(), "/b");

    std::unique_ptr<TAbstractTag> old = list.Replace(0, std::make_unique<CountedTag>("/c", destroyed));
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(old->GetFilePath(), "/a");
    EXPECT_EQ(list.Get(0).GetFilePath(), "/c");
    old.reset();
    EXPECT_EQ(destroyed, 1);

    // Moved entries change owner, in order, and none is destroyed.
    TTagList other;
    other.Add(std::make_unique<CountedTag>("/o", destroyed));
    list.MoveTo(other);
    EXPECT_EQ(list.Count(), 0);
    ASSERT_EQ(other.Count(), 3);
    EXPECT_EQ(other.Get(1).GetFilePath(), "/c");
    EXPECT_EQ(other.Get(2).GetFilePath(), "/b");
    EXPECT_EQ(destroyed, 1);
    other.MoveTo(list);

    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(destroyed, 4);
    list.Add(std::make_unique<CountedTag>("/d", destroyed));
  }
  EXPECT_EQ(destroyed, 5);  // the list's end destroys what it still holds
}

TEST(TTagList, SortComparesEntriesAtTheirIndicesBeforeTheSort) {
  TTagList list;
  const std::vector<int> keys = {3, 1, 4, 1, 5, 9, 2, 6};
  for (int key : keys) {
    auto tag = std::make_unique<TAbstractTag>();
    tag->SetFilePath(std::string("/").append(std::to_string(key)));
    list.Add(std::move(tag));
  }
  list.Sort([&](int a, int b) { return keys[static_cast<std::size_t>(a)] - keys[static_cast<std::size_t>(b)]; });
  std::string order;
  for (int i = 0; i < list.Count(); ++i) order += list.Get(i).GetFileName();
  EXPECT_EQ(order, "11234569");
}

}  // namespace
}  // namespace marlinote
