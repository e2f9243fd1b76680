#include "catalogue/filter_list.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/file_bytes.h"
#include "tests/support/size_limit.h"
#include "tests/support/temp_dir.h"
#include "tests/support/time_limit.h"

namespace marlinote {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

class RecordingBoxes : public MessageBoxes {
 public:
  struct Shown {
    std::string text, caption;
    int style;
  };
  int Show(const std::string& text, const std::string& caption, int style) override {
    shown.push_back({text, caption, style});
    return kResultOk;
  }
  void ShowPlain(const std::string& text) override { shown.push_back({text, "", 0}); }
  std::vector<Shown> shown;
};

std::string Entry(std::string_view text, bool enabled) {
  std::string bytes(40, '\0');
  bytes[0] = enabled ? 1 : 0;
  bytes.replace(1, text.size(), text);
  return bytes;
}

std::string Header(std::int32_t count) {
  std::string bytes = "MLFF";
  for (int shift = 0; shift < 32; shift += 8)
    bytes += static_cast<char>(static_cast<std::uint32_t>(count) >> shift & 0xFF);
  return bytes;
}

FilterList Made(const std::vector<FilterLine>& lines) {
  FilterList list;
  list.Replace(lines);
  return list;
}

class FilterListTest : public ::testing::Test {
 protected:
  TempDir dir_;
  std::string path_ = dir_.file("filefilter.dat");
  RecordingBoxes boxes_;
};

TEST_F(FilterListTest, MatchesWholeExtensionsIgnoringCase) {
  const FilterList list = Made({{".mp3", true}, {".ogg", false}, {".GZ", true}});
  EXPECT_TRUE(list.MatchesFilter("Song.MP3"));
  EXPECT_TRUE(list.MatchesFilter("archive.tar.MP3"));
  EXPECT_TRUE(list.MatchesFilter("x.tar.gz"));
  EXPECT_FALSE(list.MatchesFilter("b.ogg"));
  EXPECT_FALSE(list.MatchesFilter("c.wav"));
  EXPECT_FALSE(list.MatchesFilter("x.gz.tar"));
  EXPECT_FALSE(list.MatchesFilter("a.mp"));
  EXPECT_FALSE(list.MatchesFilter("README"));
  EXPECT_FALSE(Made({{"mp3", true}}).MatchesFilter("a.mp3"));
  EXPECT_FALSE(Made({{".mp", true}}).MatchesFilter("a.mp3"));
  EXPECT_TRUE(Made({{".profile", true}}).MatchesFilter(".profile"));
}

TEST_F(FilterListTest, EveryFileOnlyWhileTheWildcardIsEnabled) {
  EXPECT_TRUE(FilterList::Default().MatchesFilter("README"));
  EXPECT_TRUE(FilterList::Default().MatchesFilter("a.wav"));
  EXPECT_FALSE(FilterList::Default().MatchesFilter("."));
  EXPECT_FALSE(FilterList::Default().MatchesFilter(".."));
  const FilterList switchedOff = Made({{".*", false}, {".mp3", true}});
  EXPECT_FALSE(switchedOff.MatchesFilter("README"));
  EXPECT_TRUE(switchedOff.MatchesFilter("a.mp3"));
  EXPECT_FALSE(FilterList().MatchesFilter("a.mp3"));
}

TEST_F(FilterListTest, JapaneseExtensionsMatchTheirCodePage932Entries) {
  // ア is 83 41 in code page 932: its second byte is an "A" that must not be lowered, or
  // it would equal ヂ (83 61).
  EXPECT_TRUE(Made({{".\x83\x41", true}}).MatchesFilter("x.ア"));
  EXPECT_FALSE(Made({{".\x83\x61", true}}).MatchesFilter("x.ア"));
  EXPECT_TRUE(Made({{".\x8b\xc8", true}}).MatchesFilter("x.曲"));
  // No code page 932 text holds ☃; only the wildcard lists it.
  EXPECT_FALSE(Made({{". ", true}}).MatchesFilter("x.☃"));
  EXPECT_TRUE(Made({{".*", true}}).MatchesFilter("x.☃"));
}

TEST_F(FilterListTest, WritesTheFileByteForByteAndReadsItBack) {
  FilterList list = Made({{".mp3", true}, {".ogg", false}, {".abcdefghijklmnopqrstuvwxyz0123456789", true}});
  ASSERT_TRUE(list.WriteFilterList(path_, boxes_));
  EXPECT_EQ(ReadBytes(path_), Header(3) + Entry(".mp3", true) + Entry(".ogg", false) +
                                  Entry(".abcdefghijklmnopqrstuvwxyz012", true));
  EXPECT_TRUE(boxes_.shown.empty());

  FilterList back;
  back.ReadFilterList(path_);
  ASSERT_EQ(back.Entries().size(), 3u);
  EXPECT_EQ(back.Entries()[1].Extension(), ".ogg");
  EXPECT_FALSE(back.Entries()[1].Enabled());
  EXPECT_TRUE(back.MatchesFilter("Song.MP3"));
  EXPECT_FALSE(back.MatchesFilter("b.ogg"));

  // An empty list stays empty after a restart: nothing is listed, not every file.
  ASSERT_TRUE(Made({}).WriteFilterList(path_, boxes_));
  EXPECT_EQ(ReadBytes(path_), Header(0));
  back.ReadFilterList(path_);
  EXPECT_TRUE(back.Entries().empty());
  EXPECT_FALSE(back.MatchesFilter("README"));
}

TEST_F(FilterListTest, MissingOrForeignFilesGiveTheDefaultList) {
  for (const std::string& bytes : {std::string("MLF"), std::string("XLFF") + Header(1).substr(4) + Entry(".mp3", true),
                                   std::string("MLFF\x01\x00"), Header(-1) + Entry(".mp3", true)}) {
    WriteBytes(path_, bytes);
    FilterList list = Made({{".mp3", true}});
    list.ReadFilterList(path_);
    ASSERT_EQ(list.Entries().size(), 1u);
    EXPECT_EQ(list.Entries()[0].Extension(), ".*");
    EXPECT_TRUE(list.Entries()[0].Enabled());
  }
  FilterList list;
  list.ReadFilterList(dir_.file("missing.dat"));
  EXPECT_TRUE(list.MatchesFilter("anything"));
}

TEST_F(FilterListTest, AShortFileLeavesTheRestDisabledWithinABound) {
  // A full extension of 39 bytes has no terminating zero.
  WriteBytes(path_, Header(3) + Entry(std::string(39, 'x'), true) + Entry(".ogg", true).substr(0, 3));
  FilterList list;
  list.ReadFilterList(path_);
  ASSERT_EQ(list.Entries().size(), 3u);
  EXPECT_EQ(list.Entries()[0].Extension(), std::string(39, 'x'));
  EXPECT_EQ(list.Entries()[1].Extension(), ".o");
  EXPECT_FALSE(list.Entries()[2].Enabled());
  EXPECT_EQ(list.Entries()[2].Extension(), "");

  WriteBytes(path_, Header(0x7FFFFFFF) + Entry(".mp3", true));
  list.ReadFilterList(path_);
  EXPECT_EQ(list.Entries().size(), static_cast<std::size_t>(FilterList::kMaxEntries));
  EXPECT_TRUE(list.MatchesFilter("a.mp3"));
  EXPECT_FALSE(list.Entries()[1].Enabled());
}

TEST_F(FilterListTest, AFailedWriteShowsTheMessageAndKeepsTheFormerFile) {
  const std::string former = Header(1) + Entry(".mp3", true);
  WriteBytes(path_, former);
  const FilterList list = Made({{".ogg", true}, {".wav", true}});
  const int written = test::RunWithFileSizeLimit(60, [&] {
    RecordingBoxes boxes;
    const bool ok = list.WriteFilterList(path_, boxes);
    const bool messageShown = boxes.shown.size() == 1 &&
                              boxes.shown[0].text == "回復不能なエラー\nフィルタリスト保存不可。" &&
                              boxes.shown[0].caption == "謹謝" && boxes.shown[0].style == 0x10;
    return (ok ? 1 : 0) | (messageShown ? 2 : 0);
  });
  EXPECT_EQ(written, 2);
  EXPECT_EQ(ReadBytes(path_), former);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 1);

  EXPECT_FALSE(list.WriteFilterList(dir_.file("missing/filefilter.dat"), boxes_));
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].caption, "謹謝");
}

TEST_F(FilterListTest, AFifoIsReadAsNoFilterFileAndNotWrittenWithoutWaitingForAnyone) {
  ASSERT_EQ(mkfifo(path_.c_str(), 0600), 0);
  // Bit 1: the default list was read; bit 2: the list was written; bit 4: the message shown.
  EXPECT_EQ(test::RunWithTimeLimit(10, [&] {
              FilterList list = Made({{".ogg", true}});
              list.ReadFilterList(path_);
              RecordingBoxes boxes;
              const bool written = list.WriteFilterList(path_, boxes);
              return (list.MatchesFilter("a.wav") ? 1 : 0) | (written ? 2 : 0) |
                     (boxes.shown.size() == 1 ? 4 : 0);
            }),
            1 | 4);
  struct stat st {};
  EXPECT_TRUE(lstat(path_.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
}

}  // namespace
}  // namespace marlinote
