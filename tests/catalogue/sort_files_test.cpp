#include "catalogue/sort_files.h"

#include <gtest/gtest.h>
#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <initializer_list>
#include <memory>

namespace marlinote {
namespace {

void Fill(TTagList& list, std::initializer_list<std::string> paths) {
  list.Clear();
  for (const std::string& path : paths) {
    auto tag = std::make_unique<TAbstractTag>();
    tag->SetFilePath(path);
    list.Add(std::move(tag));
  }
}

std::vector<std::string> Paths(const TTagList& list) {
  std::vector<std::string> paths;
  for (int i = 0; i < list.Count(); ++i) paths.push_back(list.Get(i).GetFilePath());
  return paths;
}

// Sorting follows ICU's default locale; each test sets it and puts the former one back.
class SortFilesTest : public ::testing::Test {
 protected:
  void SetLocale(const char* name) {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale(name), status);
    ASSERT_TRUE(U_SUCCESS(status));
  }
  void SetUp() override { SetLocale("en_US"); }
  void TearDown() override {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(former_, status);
  }

  icu::Locale former_ = icu::Locale::getDefault();
  TTagList list_;
};

TEST_F(SortFilesTest, TheFourOrders) {
  const auto sorted = [&](int order) {
    Fill(list_, {"/m/b.mp3", "/m/A.ogg", "/m/c"});
    EXPECT_TRUE(SortFiles(list_, order));
    return Paths(list_);
  };
  using V = std::vector<std::string>;
  // Thai collation ignores punctuation unless told otherwise; the dot must count here too.
  for (const char* locale : {"en_US", "ja_JP", "th"}) {
    SCOPED_TRACE(locale);
    SetLocale(locale);
    EXPECT_EQ(sorted(kSortNameAscend), (V{"/m/A.ogg", "/m/b.mp3", "/m/c"}));
    EXPECT_EQ(sorted(kSortNameDescend), (V{"/m/c", "/m/b.mp3", "/m/A.ogg"}));
    // Extension keys ".mp3b", ".ogga" and "c": the dot sorts before letters.
    EXPECT_EQ(sorted(kSortExtendAscend), (V{"/m/b.mp3", "/m/A.ogg", "/m/c"}));
    EXPECT_EQ(sorted(kSortExtendDescend), (V{"/m/c", "/m/A.ogg", "/m/b.mp3"}));
  }
}

TEST_F(SortFilesTest, KeysComeFromTheFileNameAlone) {
  // The folder takes no part; the name key ends at the last dot; a dot file's name key is
  // empty; case does not count.
  Fill(list_, {"/a/zeta.mp3", "/z/alpha.b.mp3", "/m/.mp3", "/b/ALPHA.A.ogg", "/c/alpha.mp3"});
  SortFiles(list_, kSortNameAscend);
  EXPECT_EQ(Paths(list_), (std::vector<std::string>{"/m/.mp3", "/c/alpha.mp3", "/b/ALPHA.A.ogg",
                                                    "/z/alpha.b.mp3", "/a/zeta.mp3"}));
  SortFiles(list_, kSortExtendAscend);
  EXPECT_EQ(Paths(list_), (std::vector<std::string>{"/m/.mp3", "/c/alpha.mp3", "/z/alpha.b.mp3",
                                                    "/a/zeta.mp3", "/b/ALPHA.A.ogg"}));
}

TEST_F(SortFilesTest, EqualKeysKeepTheirOrderAndOtherOrdersSortNothing) {
  Fill(list_, {"/x/song.MP3", "/b.mp3", "/y/Song.mp3", "/a.mp3", "/a.ogg"});
  ASSERT_TRUE(SortFiles(list_, kSortNameDescend));
  // Entries with equal keys keep the order they had, in a descending sort too.
  EXPECT_EQ(Paths(list_),
            (std::vector<std::string>{"/x/song.MP3", "/y/Song.mp3", "/b.mp3", "/a.mp3", "/a.ogg"}));

  const std::vector<std::string> before = Paths(list_);
  EXPECT_FALSE(SortFiles(list_, -1));
  EXPECT_FALSE(SortFiles(list_, 4));
  EXPECT_EQ(Paths(list_), before);

  Fill(list_, {});
  EXPECT_TRUE(SortFiles(list_, kSortExtendDescend));
  EXPECT_EQ(list_.Count(), 0);
}

TEST_F(SortFilesTest, AgreesWithTheLocaleCollationComparedPairByPair) {
  SetLocale("ja_JP");
  const std::string longName(300, 'q');
  Fill(list_, {"/f/きょく.mp3", "/f/キョク.ogg", "/f/曲.mp3", "/f/Ärger.mp3", "/f/arger.mp3",
               "/f/10.mp3", "/f/9.mp3", "/f/a-b.mp3", "/f/ab.mp3", "/f/a b.mp3", "/f/_x.mp3",
               "/f/ｱ.mp3", "/f/" + longName + "a.mp3", "/f/" + longName + ".mp3",
               "/f/bad\xff.mp3", "/f/Ωmega.flac"});
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(icu::Locale("ja_JP"), status));
  collator->setAttribute(UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, status);
  ASSERT_TRUE(U_SUCCESS(status));
  for (int order : {kSortNameAscend, kSortExtendDescend}) {
    ASSERT_TRUE(SortFiles(list_, order));
    for (int i = 0; i + 1 < list_.Count(); ++i) {
      auto key = [&](int index) {
        std::string name = list_.Get(index).GetFileName();
        const auto dot = name.rfind('.');
        std::string text = order == kSortExtendDescend ? name.substr(dot) : "";
        text += name.substr(0, dot);
        std::transform(text.begin(), text.end(), text.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
        return icu::UnicodeString::fromUTF8(text);
      };
      UCollationResult result = collator->compare(key(i), key(i + 1), status);
      if (order == kSortExtendDescend) result = static_cast<UCollationResult>(-result);
      EXPECT_LE(result, 0) << list_.Get(i).GetFileName() << " before " << list_.Get(i + 1).GetFileName();
    }
  }
}

}  // namespace
}  // namespace marlinote
