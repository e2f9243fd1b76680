#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

#include "tags/ape_format.h"
#include "tags/ape_tag.h"
#include "tags/id3v1_trailer.h"
#include "tags/tag_edit.h"
#include "tags/tag_probe.h"
#include "tests/support/file_bytes.h"
#include "tests/support/size_limit.h"
#include "tests/support/temp_dir.h"

namespace marlinote {
namespace {

using test::AudioBytes;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;
using namespace std::string_literals;

std::string Le32(std::uint32_t v) {
  std::string s;
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  return s;
}

// An item as another program may write it: the value exactly as given, no zero added; flags 2
// mark binary data.
std::string Item(const std::string& key, const std::string& value, std::uint32_t flags = 0) {
  return Le32(static_cast<std::uint32_t>(value.size())) + Le32(flags) + key + '\0' + value;
}

// A footer as another program may write it (version 2000, header flag set).
std::string Footer(std::uint32_t tagSize, std::uint32_t count) {
  return "APETAGEX"s + Le32(2000) + Le32(tagSize) + Le32(count) + Le32(0xA0000000u) +
         std::string(8, '\0');
}

// A tag as other programs write it: a header when asked (flags say so in header and footer
// alike), the items, the footer.
std::string TagOf(std::uint32_t version, const std::string& items, std::uint32_t count,
                  bool header) {
  const std::uint32_t size = static_cast<std::uint32_t>(items.size() + 32);
  auto end = [&](std::uint32_t flags) {
    return "APETAGEX"s + Le32(version) + Le32(size) + Le32(count) + Le32(flags) + std::string(8, '\0');
  };
  return (header ? end(0xA0000000u) : "") + items + end(header ? 0x80000000u : 0);
}

std::uint32_t Le32At(const std::string& bytes, std::size_t offset) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i)
    v |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
  return v;
}

TEST(ApeFormat, ItemsAndFooterLayout) {
  const std::string items = RenderApeItems({{"Title", "abc"}, {"Year", ""}});
  // 4 + 4 + "Title\0" + "abc\0", then 4 + 4 + "Year\0" + "\0".
  EXPECT_EQ(items, Le32(4) + Le32(0) + "Title\0abc\0"s + Le32(1) + Le32(0) + "Year\0\0"s);
  EXPECT_EQ(items.size(), 18u + 14u);

  const std::string footer = RenderApeFooter(64, 2);
  ASSERT_EQ(footer.size(), 32u);
  EXPECT_EQ(footer.substr(0, 8), "APETAGEX");
  EXPECT_EQ(Le32At(footer, 8), 1000u);
  EXPECT_EQ(Le32At(footer, 12), 64u);
  EXPECT_EQ(Le32At(footer, 16), 2u);
  EXPECT_EQ(Le32At(footer, 20), 0u);
  EXPECT_EQ(footer.substr(24), std::string(8, '\0'));
}

TEST(ApeFormat, ParsesFooterFields) {
  const auto footer = ParseApeFooter(Footer(300, 7));
  ASSERT_TRUE(footer);
  EXPECT_EQ(footer->version, 2000u);
  EXPECT_EQ(footer->tagSize, 300u);
  EXPECT_EQ(footer->itemCount, 7u);
  EXPECT_EQ(footer->flags, 0xA0000000u);
  EXPECT_FALSE(ParseApeFooter("APETAGEY" + Footer(300, 7).substr(8)));
  EXPECT_FALSE(ParseApeFooter(Footer(300, 7).substr(0, 31)));
}

TEST(ApeFormat, ValuesReadTheSameWithOrWithoutTheirZeroByte) {
  const std::string items = Item("Title", "abc\0"s) + Item("ARTIST", "x") + Item("Comment", "a\0b"s);
  const FieldList expected = {{"Title", "abc"}, {"ARTIST", "x"}, {"Comment", "a"}};
  EXPECT_EQ(ParseApeItems(items), expected);
}

TEST(ApeFormat, DamagedItemEndsTheParseKeepingEarlierPairs) {
  const std::string good = Item("Title", "t");
  // Value size running past the end, including sizes that overflow when added.
  for (std::uint32_t size : {2u, 0xFFFFFFFFu, 0xFFFFFFF0u}) {
    const std::string bad = Le32(size) + Le32(0) + "Album\0" "x"s;
    EXPECT_EQ(ParseApeItems(good + bad), (FieldList{{"Title", "t"}})) << size;
  }
  // A key without its zero byte.
  EXPECT_EQ(ParseApeItems(good + Le32(1) + Le32(0) + "Album"), (FieldList{{"Title", "t"}}));
  // Fewer bytes than an item's two sizes.
  EXPECT_EQ(ParseApeItems(good + "\x01\x00\x00"s), (FieldList{{"Title", "t"}}));
  EXPECT_EQ(ParseApeItems(""), FieldList{});
}

class ApeFile : public ::testing::Test {
 protected:
  TempDir dir;
  std::string path = dir.file("song.ape");
  std::string audio = AudioBytes(3000);
};

TEST_F(ApeFile, WritesBehindTheAudioAndReadsBackEveryPairInOrder) {
  WriteBytes(path, audio);
  const FieldList fields = {{"Title", "\x8D\xF7"},  {"ARTIST", "upper-case key"},
                            {"Year", ""},           {"", "empty key"},
                            {"Comment", "line\r\n2"}, {"Title", "second Title"}};
  TAPETag writer;
  writer.SetFilePath(path);
  writer.GetFieldList() = fields;
  ASSERT_TRUE(writer.WriteTag());

  const std::string bytes = ReadBytes(path);
  const std::string items = RenderApeItems(fields);
  EXPECT_EQ(bytes, audio + items + RenderApeFooter(items.size() + 32, 6));

  TAPETag reader;
  ASSERT_EQ(reader.ReadTag(path), 0);
  EXPECT_EQ(reader.GetFilePath(), path);
  EXPECT_EQ(reader.GetFieldList(), fields);
}

TEST_F(ApeFile, ReadsATagWithAHeaderAndCutsOnlyItemsAndFooter) {
  const std::string items = Item("Title", "x") + Item("Genre", "Rock");
  const std::string header = "APETAGEX"s + std::string(24, '\0');
  WriteBytes(path, audio + header + items + Footer(items.size() + 32, 2));
  TAPETag tag;
  ASSERT_EQ(tag.ReadTag(path), 0);
  EXPECT_EQ(tag.GetFieldList(), (FieldList{{"Title", "x"}, {"Genre", "Rock"}}));
  ASSERT_TRUE(tag.RemoveTag());
  EXPECT_EQ(ReadBytes(path), audio + header);
}

TEST_F(ApeFile, RemoveThenWriteLeavesOneTagAtTheEnd) {
  const std::string items = Item("Title", "old") + Item("Album", "a");
  WriteBytes(path, audio + items + Footer(items.size() + 32, 2));
  TAPETag tag;
  ASSERT_EQ(tag.ReadTag(path), 0);
  tag.SetField("Title", "new");
  tag.SetField("Track", "3");
  ASSERT_TRUE(tag.RemoveTag());
  EXPECT_EQ(tag.GetField("Title"), "new");  // the object keeps its fields
  ASSERT_TRUE(tag.WriteTag());
  // The version 2000 tag stays one: new values in UTF-8 without a zero byte, the item nobody
  // changed as it was, and flags that no longer claim the header it never had.
  const std::string newItems = Item("Title", "new") + Item("Album", "a") + Item("Track", "3");
  EXPECT_EQ(ReadBytes(path), audio + TagOf(2000, newItems, 3, false));
}

TEST_F(ApeFile, TagFollowedByOtherBytesIsNotFound) {
  const std::string items = Item("Title", "x");
  const std::string trailer = "TAG" + std::string(125, ' ');
  WriteBytes(path, audio + items + Footer(items.size() + 32, 1) + trailer);
  TAPETag tag;
  EXPECT_EQ(tag.ReadTag(path), -1);
  tag.SetFilePath(path);
  EXPECT_FALSE(tag.RemoveTag());
}

TEST_F(ApeFile, ImpossibleTagSizeIsNoTagAndTheFileIsNeverCut) {
  const std::string items = Item("Title", "x");
  const std::uint32_t fileSize = static_cast<std::uint32_t>(audio.size() + items.size() + 32);
  for (std::uint32_t tagSize : {0u, 31u, fileSize + 1, 0xFFFFFFFFu}) {
    const std::string original = audio + items + Footer(tagSize, 1);
    WriteBytes(path, original);
    TAPETag tag;
    EXPECT_EQ(tag.ReadTag(path), -1) << tagSize;
    tag.SetFilePath(path);
    EXPECT_FALSE(tag.RemoveTag()) << tagSize;
    EXPECT_EQ(ReadBytes(path), original) << tagSize;
    EXPECT_TRUE(tag.GetFieldList().empty());
  }
  // A tag exactly as large as the file, and a footer alone, are real tags.
  const std::string whole = items + Footer(items.size() + 32, 1);
  WriteBytes(path, whole);
  TAPETag tag;
  ASSERT_EQ(tag.ReadTag(path), 0);
  ASSERT_TRUE(tag.RemoveTag());
  EXPECT_EQ(ReadBytes(path), "");
  WriteBytes(path, audio + Footer(32, 0));
  TAPETag empty;
  EXPECT_EQ(empty.ReadTag(path), 0);
  EXPECT_TRUE(empty.GetFieldList().empty());
}

TEST_F(ApeFile, DamagedItemInAFileKeepsTheEarlierPairs) {
  // The last item claims more bytes than lie before the footer.
  const std::string items = Item("Title", "t") + Le32(500) + Le32(0) + "Album\0abc"s;
  WriteBytes(path, audio + items + Footer(items.size() + 32, 2));
  TAPETag tag;
  ASSERT_EQ(tag.ReadTag(path), 0);
  EXPECT_EQ(tag.GetFieldList(), (FieldList{{"Title", "t"}}));
}

TEST_F(ApeFile, ShortOrMissingFileHasNoTag) {
  TAPETag tag;
  EXPECT_EQ(tag.ReadTag(dir.file("missing.ape")), -1);
  WriteBytes(path, "APETAGEX");
  EXPECT_EQ(tag.ReadTag(path), -1);
  EXPECT_EQ(tag.GetFilePath(), "");
}

TEST_F(ApeFile, FailedWriteLeavesNoHalfTag) {
  WriteBytes(path, audio);
  TAPETag tag;
  tag.SetFilePath(path);
  tag.SetField("Comment", std::string(5000, 'c'));
  const int wrote = test::RunWithFileSizeLimit(audio.size() + 4096, [&] { return tag.WriteTag(); });
  EXPECT_EQ(wrote, 0);
  EXPECT_EQ(ReadBytes(path), audio);
}

// A footer can claim a tag of almost 4 GiB, and a file can be that large without taking a
// disk (holes). Believing it would cost 4 GiB of memory to read; such a tag is no tag, and
// the file is never cut by it.
TEST_F(ApeFile, ATagClaimedLargerThanAnyRealOneIsNoTag) {
  const std::string tail = Item("Title", "x") + Footer(0xFFFFFF00u, 1);
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  const off_t holes = 0xFFFFFF00LL - static_cast<off_t>(tail.size());
  const bool made = ftruncate(fd, holes) == 0 &&
                    pwrite(fd, tail.data(), tail.size(), holes) == static_cast<ssize_t>(tail.size());
  close(fd);
  ASSERT_TRUE(made);
  const auto start = std::chrono::steady_clock::now();
  TAPETag tag;
  EXPECT_EQ(tag.ReadTag(path), -1);
  tag.SetFilePath(path);
  EXPECT_FALSE(tag.RemoveTag());
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0);
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_size, 0xFFFFFF00LL);
}

TEST_F(ApeFile, TheLargestTagIsReadAndWrittenAndOneByteMoreIsNeither) {
  // One item filling a tag of exactly the largest size: 8 + "Title\0" + value + footer.
  const std::size_t valueSize = kApeMaxTagSize - kApeFooterSize - 8 - 6;
  const std::string largest = Item("Title", std::string(valueSize, 'v'));
  WriteBytes(path, audio + largest + Footer(kApeMaxTagSize, 1));
  TAPETag tag;
  ASSERT_EQ(tag.ReadTag(path), 0);
  EXPECT_EQ(tag.GetField("Title").size(), valueSize);

  WriteBytes(path, audio + largest + "v" + Footer(kApeMaxTagSize + 1, 1));
  TAPETag over;
  EXPECT_EQ(over.ReadTag(path), -1);
  // The writer adds a zero byte to every value, so this value is one byte too long for it.
  EXPECT_FALSE(RenderApeTag({{"Title", std::string(valueSize, 'v')}}));
  EXPECT_TRUE(RenderApeTag({{"Title", std::string(valueSize - 1, 'v')}}));
}

// The footer's item count is not believed either: the items are what the tag holds.
TEST_F(ApeFile, AnItemCountOfBillionsReadsTheItemsThereAre) {
  std::string items;
  for (int i = 0; i < 30000; ++i) items += Item("", "");
  items += Item("Title", "last");
  WriteBytes(path, audio + items + Footer(static_cast<std::uint32_t>(items.size() + 32), 0xFFFFFFFFu));
  TAPETag tag;
  ASSERT_EQ(tag.ReadTag(path), 0);
  ASSERT_EQ(tag.GetFieldList().size(), 30001u);
  EXPECT_EQ(tag.GetFieldList().back(), (TagField{"Title", "last"}));
}

// The encoding is decided by the tag: version 1000 is always code page 932 (half-width kana
// pairs can look like UTF-8); version 2000 is UTF-8 unless a text value is not, and binary
// values have no say.
TEST(ApeFormat, TextEncodingFollowsTheTagsVersionAndTextValues) {
  const std::string jpeg = "\xFF\xD8\xFF\xE0";
  const struct {
    std::uint32_t version;
    std::string items;
    ApeEncoding encoding;
    FieldList shown;
  } cases[] = {
      {1000, Item("Title", "\xC3\xA9\xB1"), ApeEncoding::kCp932, {{"Title", "\xC3\xA9\xB1"}}},
      {2000, Item("Title", "\xE6\xA1\x9C caf\xC3\xA9"), ApeEncoding::kUtf8, {{"Title", "\x8D\xF7 caf "}}},
      {2000, Item("Title", "\x8D\xF7") + Item("Year", "1999"), ApeEncoding::kCp932,
       {{"Title", "\x8D\xF7"}, {"Year", "1999"}}},
      {2000, Item("Title", "\xE6\xA1\x9C") + Item("Cover Art (Front)", "c.jpg\0"s + jpeg, 2),
       ApeEncoding::kUtf8, {{"Title", "\x8D\xF7"}, {"Cover Art (Front)", "c.jpg"}}},
      {2000, Item("Title", "\xED\xA0\x80"), ApeEncoding::kCp932, {{"Title", "\xED\xA0\x80"}}},
      {2000, Item("Title", "plain"), ApeEncoding::kUtf8, {{"Title", "plain"}}},
  };
  for (const auto& c : cases) {
    const auto contents = ParseApeContents(TagOf(c.version, c.items, 2, false));
    ASSERT_TRUE(contents) << c.items;
    EXPECT_EQ(contents->form.encoding, c.encoding) << c.items;
    EXPECT_EQ(contents->fields, c.shown) << c.items;
  }
}

// A tag as today's taggers write it: version 2000, a header, UTF-8 text (an emoji code page 932
// cannot hold among it), two values in one item, values without a zero byte, a binary cover,
// a key of the tagger's own. A save of one field keeps every other item byte for byte.
TEST_F(ApeFile, ASaveWritesOnlyTheChangedFieldAndKeepsEveryOtherItemAndTheHeader) {
  const std::string kept = Item("Title", "Smile \xF0\x9F\x98\x80") + Item("Artist", "A1\0A2"s) +
                           Item("Cover Art (Front)", "cover.jpg\0"s + AudioBytes(30000), 2) +
                           Item("Other Key", "kept");
  WriteBytes(path, audio + TagOf(2000, kept, 4, true));
  std::unique_ptr<TAbstractTag> tag = CreateTagForFile(path);
  ASSERT_EQ(tag->GetTagType(), 0);
  EXPECT_EQ(tag->TextEncoding(), "utf-8");
  EXPECT_EQ(tag->GetField("Title"), "Smile  ");
  EXPECT_EQ(tag->GetField("Artist"), "A1");

  // The window hands back a ticked field left alone as the bytes it read.
  ASSERT_EQ(SaveFields(*tag, {{"Title", "Smile  "}, {"Artist", "A1"}, {"Album", "\x89\xCC"}}),
            SaveResult::kSaved);
  EXPECT_EQ(ReadBytes(path), audio + TagOf(2000, kept + Item("Album", "\xE6\xAD\x8C"), 5, true));

  ASSERT_TRUE(tag->RemoveTag());
  EXPECT_EQ(ReadBytes(path), audio) << "the header goes with the tag";
}

// A tag this program has always written (no header, version 1000, code page 932 values with
// their zero byte, half-width kana that look like UTF-8 included) is saved as before. Keys of
// the seven fields match without regard to case: the item spelled as this program writes it
// shows the field, else the first; a change leaves one item, in the shown one's place and
// under its key.
TEST_F(ApeFile, ASaveKeepsTheShiftJisFormAndMatchesKeysWithoutRegardToCase) {
  const struct {
    FieldList items;
    std::string title;  // shown before the save
    FieldList edits;
    FieldList after;
  } cases[] = {
      {{{"Title", "\xC3\xA9\xB1\xB2"}, {"Artist", "\x8D\xF7"}}, "\xC3\xA9\xB1\xB2", {{"Album", "\xDD"}},
       {{"Title", "\xC3\xA9\xB1\xB2"}, {"Artist", "\x8D\xF7"}, {"Album", "\xDD"}}},
      {{{"TITLE", "a"}, {"ARTIST", "b"}}, "a", {{"Title", "new"}}, {{"TITLE", "new"}, {"ARTIST", "b"}}},
      {{{"TITLE", "a"}, {"X", "x"}, {"Title", "b"}}, "b", {{"Title", "new"}}, {{"X", "x"}, {"Title", "new"}}},
      {{{"title", "a"}, {"X", "x"}, {"TITLE", "b"}}, "a", {{"Title", "new"}}, {{"title", "new"}, {"X", "x"}}},
  };
  for (const auto& c : cases) {
    WriteBytes(path, audio + *RenderApeTag(c.items));
    std::unique_ptr<TAbstractTag> tag = CreateTagForFile(path);
    EXPECT_EQ(tag->GetField("Title"), c.title);
    ASSERT_EQ(SaveFields(*tag, c.edits), SaveResult::kSaved);
    EXPECT_EQ(ReadBytes(path), audio + *RenderApeTag(c.after));
  }
}

// A new APE tag in UTF-8 (a type change, a file given its first tag) is APEv2: version 2000,
// a header, values without a zero byte.
TEST_F(ApeFile, ANewUtf8TagIsWrittenAsApeV2) {
  WriteBytes(path, audio + RenderId3v1Trailer({{"Title", "\x8D\xF7"}, {"Genre", "Anime"}}));
  std::unique_ptr<TAbstractTag> tag = CreateTagForFile(path);
  ASSERT_EQ(ChangeTagType(tag, 0, ApeEncoding::kUtf8), TypeChangeResult::kChanged);
  const std::string items = Item("Title", "\xE6\xA1\x9C") + Item("Artist", "") + Item("Album", "") +
                            Item("Year", "") + Item("Comment", "") + Item("Track", "0") +
                            Item("Genre", "Anime");
  EXPECT_EQ(ReadBytes(path), audio + TagOf(2000, items, 7, true));
}

}  // namespace
}  // namespace marlinote
