#include <gtest/gtest.h>

#include <algorithm>

#include "tags/id3v1_tag.h"
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

// A trailer with the given slot bytes; everything else zero.
std::string Trailer(std::initializer_list<std::pair<std::size_t, std::string>> slots) {
  std::string t(kId3v1Size, '\0');
  t.replace(0, 3, "TAG");
  for (const auto& [offset, bytes] : slots) t.replace(offset, bytes.size(), bytes);
  return t;
}

std::string FieldOf(const FieldList& fields, const std::string& key) {
  for (const TagField& f : fields)
    if (f.key == key) return f.value;
  return "<absent>";
}

TEST(Id3v1Trailer, RendersEverySlotAtItsOffsetPaddedWithSpaces) {
  const FieldList fields = {{"Title", "T"},    {"Artist", "Ar"}, {"Album", "Alb"},
                            {"Year", "99"},    {"Comment", "C"}, {"Track", "300"},
                            {"Genre", "Anime"}};
  const std::string t = RenderId3v1Trailer(fields);
  ASSERT_EQ(t.size(), 128u);
  EXPECT_EQ(t.substr(0, 3), "TAG");
  EXPECT_EQ(t.substr(3, 30), "T" + std::string(29, ' '));
  EXPECT_EQ(t.substr(33, 30), "Ar" + std::string(28, ' '));
  EXPECT_EQ(t.substr(63, 30), "Alb" + std::string(27, ' '));
  EXPECT_EQ(t.substr(93, 4), "99  ");
  EXPECT_EQ(t.substr(97, 28), "C" + std::string(27, ' '));
  EXPECT_EQ(t[125], '\0');
  EXPECT_EQ(static_cast<unsigned char>(t[126]), 44);  // 300 keeps its low 8 bits
  EXPECT_EQ(static_cast<unsigned char>(t[127]), 255);  // the last "Anime"
}

TEST(Id3v1Trailer, AbsentFieldsGiveSpacesTrackZeroAndTheLastEmptyGenre) {
  const std::string t = RenderId3v1Trailer({});
  EXPECT_EQ(t.substr(3, 122), std::string(122, ' '));
  EXPECT_EQ(t[126], '\0');
  EXPECT_EQ(static_cast<unsigned char>(t[127]), 250);
}

TEST(Id3v1Trailer, CutsLongValuesWithoutTouchingTheNextSlot) {
  const std::string t = RenderId3v1Trailer(
      {{"Year", "20245"}, {"Album", std::string(35, 'a')}, {"Comment", std::string(40, 'c')}});
  EXPECT_EQ(t.substr(63, 30), std::string(30, 'a'));
  EXPECT_EQ(t.substr(93, 4), "2024");
  EXPECT_EQ(t.substr(97, 28), std::string(28, 'c'));
  EXPECT_EQ(t[125], '\0');
}

TEST(Id3v1Trailer, UsesTheFirstPairOfARepeatedKey) {
  const std::string t = RenderId3v1Trailer({{"Title", "first"}, {"Title", "second"}});
  EXPECT_EQ(t.substr(3, 5), "first");
}

TEST(Id3v1Trailer, NeverEndsASlotWithTheFirstByteOfATwoByteCharacter) {
  // "\x82\xA0" is a two-byte character; 0x82 is a lead byte and also a trail byte value.
  const std::string kana = "\x82\xA0";
  std::string fourteen;
  for (int i = 0; i < 14; ++i) fourteen += kana;
  // 31 bytes: a cut at 30 would keep the lead byte of the last pair.
  EXPECT_EQ(FitToSlot("a" + fourteen + kana, 30), "a" + fourteen + " ");

  std::string even;
  for (int i = 0; i < 16; ++i) even += kana;  // the cut at 30 falls between two pairs
  EXPECT_EQ(FitToSlot(even, 30), even.substr(0, 30));

  // Trail bytes can take lead-byte values: only a walk from the start tells them apart.
  const std::string trailLooksLikeLead = "\x81\x81\x81\x81" "\x81";  // pair, pair, lone lead
  EXPECT_EQ(FitToSlot(trailLooksLikeLead + "\x40", 5), "\x81\x81\x81\x81 ");
  EXPECT_EQ(FitToSlot("ab\x81\x81" "cd", 4), "ab\x81\x81");
  // Single-byte katakana (0xA1-0xDF) are not lead bytes.
  EXPECT_EQ(FitToSlot("abc\xB1\xB2", 4), "abc\xB1");
  // A value that fits is never changed, even when it ends in a lone lead byte.
  EXPECT_EQ(FitToSlot("ab\x82", 4), "ab\x82 ");
}

TEST(Id3v1Trailer, TrackTextToByte) {
  EXPECT_EQ(TrackByte("7"), 7);
  EXPECT_EQ(TrackByte("255"), 255);
  EXPECT_EQ(TrackByte("256"), 0);
  EXPECT_EQ(TrackByte("-1"), 255);
  EXPECT_EQ(TrackByte("+12"), 12);
  EXPECT_EQ(TrackByte("3/12"), 0);
  EXPECT_EQ(TrackByte("12a"), 0);
  EXPECT_EQ(TrackByte(""), 0);
  EXPECT_EQ(TrackByte("+-1"), 0);
  EXPECT_EQ(TrackByte("99999999999"), 0);
}

TEST(Id3v1Trailer, ParsesFieldsInTagOrderTrimmedAndUpToTheirFirstZero) {
  const std::string full(30, 'x');
  const auto fields = ParseId3v1Trailer(Trailer({{3, full},
                                                 {33, "  two  "},
                                                 {63, "\t\x01" "al\0bum"s},
                                                 {93, "1999"},
                                                 {97, "note"},
                                                 {126, "\xC8"},
                                                 {127, "\x91"}}));
  ASSERT_TRUE(fields);
  const FieldList expected = {{"Title", full}, {"Artist", "two"}, {"Album", "al"},
                              {"Year", "1999"}, {"Comment", "note"}, {"Track", "200"},
                              {"Genre", "Anime"}};
  EXPECT_EQ(*fields, expected);
}

TEST(Id3v1Trailer, TrackOnlyWhenByte125IsZero) {
  EXPECT_EQ(FieldOf(*ParseId3v1Trailer(Trailer({})), "Track"), "0");
  // An ID3v1.0 comment fills all 30 bytes: no track, and the comment keeps them.
  const auto v10 = ParseId3v1Trailer(Trailer({{97, std::string(30, 'c')}}));
  EXPECT_EQ(FieldOf(*v10, "Track"), "<absent>");
  EXPECT_EQ(FieldOf(*v10, "Comment"), std::string(30, 'c'));
}

TEST(Id3v1Trailer, UnnamedGenreReadsEmptyAndIsWrittenAs250) {
  const auto fields = ParseId3v1Trailer(Trailer({{127, "\xC8"}}));
  EXPECT_EQ(FieldOf(*fields, "Genre"), "");
  EXPECT_EQ(static_cast<unsigned char>(RenderId3v1Trailer(*fields)[127]), 250);
}

TEST(Id3v1Trailer, RejectsBytesWithoutTheSignature) {
  std::string t = Trailer({});
  t[2] = 'X';
  EXPECT_FALSE(ParseId3v1Trailer(t));
  EXPECT_FALSE(ParseId3v1Trailer(Trailer({}).substr(0, 127)));
}

class Id3v1File : public ::testing::Test {
 protected:
  TempDir dir;
  std::string path = dir.file("song.mp3");
  std::string audio = AudioBytes(4000);
};

TEST_F(Id3v1File, WritesBehindTheAudioAndReadsBackWhatWasWritten) {
  WriteBytes(path, audio);
  const FieldList fields = {{"Title", "\x8D\xF7\x82\xCC\x89\xD4"},  // Japanese bytes
                            {"Artist", "  Band  "}, {"Album", "LP"},   {"Year", "2001"},
                            {"Comment", "c"},       {"Track", "12"},   {"Genre", "Rock"}};
  TID3v1Tag writer;
  writer.SetFilePath(path);
  writer.GetFieldList() = fields;
  ASSERT_TRUE(writer.WriteTag());

  const std::string bytes = ReadBytes(path);
  ASSERT_EQ(bytes.size(), audio.size() + 128);
  EXPECT_EQ(bytes.substr(0, audio.size()), audio);
  EXPECT_EQ(bytes.substr(audio.size()), RenderId3v1Trailer(fields));

  TID3v1Tag reader;
  ASSERT_EQ(reader.ReadTag(path), 0);
  EXPECT_EQ(reader.GetFilePath(), path);
  FieldList expected = fields;
  expected[1].value = "Band";  // spaces around a value do not survive the trailer
  EXPECT_EQ(reader.GetFieldList(), expected);
}

TEST_F(Id3v1File, RemoveCutsExactlyTheTrailer) {
  WriteBytes(path, audio + Trailer({{3, "x"}}));
  TID3v1Tag tag;
  ASSERT_EQ(tag.ReadTag(path), 0);
  ASSERT_TRUE(tag.RemoveTag());
  EXPECT_EQ(ReadBytes(path), audio);
  EXPECT_EQ(tag.GetField("Title"), "x");  // the object keeps its fields
  EXPECT_FALSE(tag.RemoveTag());          // no trailer is left to cut
  EXPECT_EQ(ReadBytes(path), audio);
}

TEST_F(Id3v1File, WritingTwiceLeavesTwoTrailersAndTheLastIsRead) {
  WriteBytes(path, audio);
  TID3v1Tag tag;
  tag.SetFilePath(path);
  tag.SetField("Title", "one");
  ASSERT_TRUE(tag.WriteTag());
  tag.SetField("Title", "two");
  ASSERT_TRUE(tag.WriteTag());
  EXPECT_EQ(ReadBytes(path).size(), audio.size() + 256);
  TID3v1Tag reader;
  ASSERT_EQ(reader.ReadTag(path), 0);
  EXPECT_EQ(reader.GetField("Title"), "two");
}

TEST_F(Id3v1File, NoTrailerLeavesTheObjectUntouched) {
  TID3v1Tag tag;
  EXPECT_EQ(tag.ReadTag(dir.file("missing.mp3")), -1);
  WriteBytes(path, audio);
  EXPECT_EQ(tag.ReadTag(path), -1);
  // Shorter than a trailer, even when it begins with "TAG".
  WriteBytes(path, "TAG" + std::string(100, ' '));
  EXPECT_EQ(tag.ReadTag(path), -1);
  tag.SetFilePath(path);
  EXPECT_FALSE(tag.RemoveTag());
  EXPECT_EQ(ReadBytes(path).size(), 103u);
  EXPECT_EQ(tag.GetFieldList().size(), 0u);
  // A folder is not a file with a trailer.
  EXPECT_EQ(tag.ReadTag(dir.path()), -1);
}

TEST_F(Id3v1File, FailedWriteLeavesNoHalfTrailer) {
  WriteBytes(path, audio);
  TID3v1Tag tag;
  tag.SetFilePath(path);
  tag.SetField("Title", "t");
  // The file may grow by 100 bytes only: the trailer's first bytes land, then the disk is
  // "full".
  const int wrote = test::RunWithFileSizeLimit(audio.size() + 100, [&] { return tag.WriteTag(); });
  EXPECT_EQ(wrote, 0);
  EXPECT_EQ(ReadBytes(path), audio);
}

// Trailers as other programs write them, saved with every field handed back as read and one
// changed, as the window does for ticked fields left alone: only the changed field's bytes
// change. NUL padding, a 30-byte ID3v1.0 comment and genre bytes the table has no name for
// (or a second name for) stay as they were; a track given to an ID3v1.0 trailer takes the
// comment's last two bytes; a genre name is found whatever its case or common spelling, and
// one the table lacks is no genre.
TEST_F(Id3v1File, ASaveRewritesOnlyTheBytesOfTheChangedField) {
  const std::string lame = Trailer({{3, "Old"}, {33, "Artist"}, {97, "a comment"}, {127, "\xFF"}});
  const std::string v10 = Trailer({{3, "Old"}, {97, std::string(30, 'c')}, {127, "\x91"}});
  const std::string spaced = Trailer({{3, "Old" + std::string(27, ' ')}, {33, std::string(30, ' ')},
                                      {93, "99\0\0"s}, {126, "\x07"}, {127, "\xBD"}});
  const auto with = [](std::string bytes, std::size_t at, const std::string& slot) {
    return bytes.replace(at, slot.size(), slot);
  };
  const struct {
    std::string original;
    TagField edit;
    std::string expected;
  } cases[] = {
      {lame, {"Title", "New"}, with(lame, 3, FitToSlot("New", 30))},
      {v10, {"Title", "New"}, with(v10, 3, FitToSlot("New", 30))},
      {spaced, {"Title", "New"}, with(spaced, 3, FitToSlot("New", 30))},
      {v10, {"Track", "5"}, with(v10, 125, "\0\x05"s)},
      {v10, {"Genre", "jazz+funk"}, with(v10, 127, "\x1D")},
      {v10, {"Genre", "No Such Genre"}, with(v10, 127, "\xFA")},
  };
  for (const auto& c : cases) {
    WriteBytes(path, audio + c.original);
    std::unique_ptr<TAbstractTag> tag = CreateTagForFile(path);
    FieldList edits = tag->GetFieldList();
    const auto read = std::find_if(edits.begin(), edits.end(), [&](auto& f) { return f.key == c.edit.key; });
    if (read == edits.end()) edits.push_back(c.edit);
    else read->value = c.edit.value;
    ASSERT_EQ(SaveFields(*tag, edits), SaveResult::kSaved) << c.edit.value;
    EXPECT_EQ(ReadBytes(path), audio + c.expected) << c.edit.value;
  }
}

}  // namespace
}  // namespace marlinote
