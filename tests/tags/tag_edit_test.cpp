#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tags/ape_format.h"
#include "tags/ape_tag.h"
#include "tags/id3v1_tag.h"
#include "tags/id3v1_trailer.h"
#include "tags/ogg_tag.h"
#include "tags/tag_edit.h"
#include "tags/tag_probe.h"
#include "tags/tag_types.h"
#include "tests/support/file_bytes.h"
#include "tests/support/ogg_maker.h"
#include "tests/support/size_limit.h"
#include "tests/support/temp_dir.h"

namespace marlinote {
namespace {

std::string ApeTag(const FieldList& fields) { return *RenderApeTag(fields); }

using test::AudioBytes;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// The seven fields in tag order, as an ID3v1 trailer reads them.
const FieldList kSeven = {{"Title", "\x8D\xF7"}, {"Artist", "A"}, {"Album", "B"},
                          {"Year", "2003"},      {"Comment", "C"}, {"Track", "4"},
                          {"Genre", "Jazz"}};

class TagEdit : public ::testing::Test {
 protected:
  TempDir dir;
  std::string path = dir.file("song.mp3");
  std::string audio = AudioBytes(2500);
};

TEST_F(TagEdit, MakeTagBuildsOnlyApeId3v1AndId3v2) {
  EXPECT_EQ(MakeTag(0)->GetTagType(), kTagApe);
  EXPECT_EQ(MakeTag(1)->GetTagType(), kTagId3v1);
  EXPECT_EQ(MakeTag(3)->GetTagType(), kTagId3v2);
  for (int type : {-1, 2, 4}) EXPECT_EQ(MakeTag(type), nullptr) << type;
}

TEST_F(TagEdit, Id3v1ToApeAndBackKeepsFieldsAndAudio) {
  WriteBytes(path, audio + RenderId3v1Trailer(kSeven));
  std::unique_ptr<TAbstractTag> entry = CreateTagForFile(path);
  ASSERT_EQ(entry->GetTagType(), kTagId3v1);

  ASSERT_EQ(ChangeTagType(entry, kTagApe), TypeChangeResult::kChanged);
  EXPECT_EQ(entry->GetTagType(), kTagApe);
  EXPECT_EQ(entry->GetFieldList(), kSeven);
  EXPECT_EQ(ReadBytes(path), audio + ApeTag(kSeven));
  EXPECT_EQ(CreateTagForFile(path)->GetFieldList(), kSeven);

  ASSERT_EQ(ChangeTagType(entry, kTagId3v1), TypeChangeResult::kChanged);
  EXPECT_EQ(entry->GetTagType(), kTagId3v1);
  EXPECT_EQ(ReadBytes(path), audio + RenderId3v1Trailer(kSeven));
}

TEST_F(TagEdit, ApeKeysBeyondTheSevenAreDroppedOnlyByTheTrailer) {
  // "ARTIST" is the Artist field of an APE tag; "X-KEY" is no field of the trailer.
  const FieldList fields = {{"Title", "t"}, {"ARTIST", "other program"}, {"X-KEY", "x"}};
  WriteBytes(path, audio + ApeTag(fields));
  std::unique_ptr<TAbstractTag> entry = CreateTagForFile(path);
  ASSERT_EQ(ChangeTagType(entry, kTagId3v1), TypeChangeResult::kChanged);
  const FieldList shown = {{"Title", "t"}, {"Artist", "other program"}, {"X-KEY", "x"}};
  EXPECT_EQ(ReadBytes(path), audio + RenderId3v1Trailer(shown));
  // The new object still carries every pair it was given.
  EXPECT_EQ(entry->GetFieldList(), shown);
}

TEST_F(TagEdit, AnApeTagWhoseBytesLookLikeATrailerIsReplacedWhole) {
  // The comment's value and the zero byte behind it end the tag's items: "TAG" stands 128
  // bytes before the file's end, where a trailer would begin.
  std::string comment(150, 'c');
  comment.replace(comment.size() + 1 - (kId3v1Size - kApeFooterSize), 3, "TAG");
  const FieldList fields = {{"Title", "t"}, {"Comment", comment}};
  const std::string original = audio + ApeTag(fields);
  WriteBytes(path, original);
  ASSERT_EQ(original.substr(original.size() - kId3v1Size, 3), "TAG");
  std::unique_ptr<TAbstractTag> entry = CreateTagForFile(path);
  ASSERT_EQ(entry->GetTagType(), kTagApe);
  ASSERT_EQ(ChangeTagType(entry, kTagId3v1), TypeChangeResult::kChanged);
  EXPECT_EQ(ReadBytes(path), audio + RenderId3v1Trailer(fields));
}

TEST_F(TagEdit, SameKindOrUnbuildableKindChangesNothing) {
  const std::string original = audio + RenderId3v1Trailer(kSeven);
  WriteBytes(path, original);
  std::unique_ptr<TAbstractTag> entry = CreateTagForFile(path);
  const TAbstractTag* before = entry.get();
  for (int type : {1, 2, 4, -1})
    EXPECT_EQ(ChangeTagType(entry, type), TypeChangeResult::kNothingToDo) << type;
  EXPECT_EQ(entry.get(), before);
  EXPECT_EQ(ReadBytes(path), original);
}

TEST_F(TagEdit, UntaggedFileGetsAnEmptyTagOfTheNewKind) {
  WriteBytes(path, audio);
  std::unique_ptr<TAbstractTag> entry = CreateTagForFile(path);
  ASSERT_EQ(entry->GetTagType(), kTagNone);
  ASSERT_EQ(ChangeTagType(entry, kTagId3v1), TypeChangeResult::kChanged);
  EXPECT_EQ(ReadBytes(path), audio + RenderId3v1Trailer({}));
}

TEST_F(TagEdit, OldTagNoLongerAtTheEndFailsAndLeavesTheEntry) {
  WriteBytes(path, audio + RenderId3v1Trailer(kSeven));
  std::unique_ptr<TAbstractTag> entry = CreateTagForFile(path);
  // Another program appended data after the scan.
  const std::string changed = ReadBytes(path) + "appended";
  WriteBytes(path, changed);
  const TAbstractTag* before = entry.get();
  EXPECT_EQ(ChangeTagType(entry, kTagApe), TypeChangeResult::kFailed);
  EXPECT_EQ(entry.get(), before);
  EXPECT_EQ(ReadBytes(path), changed);
}

TEST_F(TagEdit, FailedWriteOfTheNewKindPutsTheOldTagBack) {
  // ID3v1 to APE: the APE tag of the seven fields is larger than the trailer it replaces,
  // so with the file unable to grow past its size the new tag fails and the old one fits.
  const std::string original = audio + RenderId3v1Trailer(kSeven);
  WriteBytes(path, original);
  std::unique_ptr<TAbstractTag> entry = CreateTagForFile(path);
  ASSERT_GT(ApeTag(kSeven).size(), kId3v1Size);
  const int result = test::RunWithFileSizeLimit(original.size(), [&] {
    return static_cast<int>(ChangeTagType(entry, kTagApe));
  });
  EXPECT_EQ(result, static_cast<int>(TypeChangeResult::kFailed));
  EXPECT_EQ(ReadBytes(path), original);

  // APE to ID3v1: a one-field APE tag is smaller than a trailer.
  const std::string ape = audio + ApeTag({{"Title", "t"}});
  WriteBytes(path, ape);
  entry = CreateTagForFile(path);
  ASSERT_EQ(entry->GetTagType(), kTagApe);
  const int back = test::RunWithFileSizeLimit(ape.size(), [&] {
    return static_cast<int>(ChangeTagType(entry, kTagId3v1));
  });
  EXPECT_EQ(back, static_cast<int>(TypeChangeResult::kFailed));
  EXPECT_EQ(ReadBytes(path), ape);
}

TEST_F(TagEdit, SaveSetsOnlyTheGivenFieldsAndRewritesTheTag) {
  const FieldList fields = {{"Title", "t"}, {"Album", "old"}, {"X-KEY", "kept"}};
  WriteBytes(path, audio + ApeTag(fields));
  std::unique_ptr<TAbstractTag> tag = CreateTagForFile(path);
  EXPECT_EQ(SaveFields(*tag, {{"Album", "new"}, {"Genre", "Rock"}}), SaveResult::kSaved);
  const FieldList expected = {{"Title", "t"}, {"Album", "new"}, {"X-KEY", "kept"},
                              {"Genre", "Rock"}};
  EXPECT_EQ(ReadBytes(path), audio + ApeTag(expected));
  EXPECT_EQ(tag->GetFieldList(), expected);
}

TEST_F(TagEdit, SaveOnAnUntaggedFileWritesNothing) {
  WriteBytes(path, audio);
  std::unique_ptr<TAbstractTag> tag = CreateTagForFile(path);
  EXPECT_EQ(SaveFields(*tag, {{"Title", "t"}}), SaveResult::kNoTagKind);
  EXPECT_EQ(ReadBytes(path), audio);
}

TEST_F(TagEdit, SaveWhoseOldTagCannotBeCutWritesNothingAndKeepsTheOldFields) {
  WriteBytes(path, audio + RenderId3v1Trailer(kSeven));
  std::unique_ptr<TAbstractTag> tag = CreateTagForFile(path);
  const FieldList before = tag->GetFieldList();
  const std::string changed = ReadBytes(path) + "appended";
  WriteBytes(path, changed);
  EXPECT_EQ(SaveFields(*tag, {{"Title", "t"}}), SaveResult::kRemoveFailed);
  EXPECT_EQ(ReadBytes(path), changed);
  EXPECT_EQ(tag->GetFieldList(), before);
}

TEST_F(TagEdit, FailedSaveWriteRestoresTheOldTagInFileAndObject) {
  const FieldList fields = {{"Title", "t"}};
  const std::string original = audio + ApeTag(fields);
  WriteBytes(path, original);
  std::unique_ptr<TAbstractTag> tag = CreateTagForFile(path);
  const int result = test::RunWithFileSizeLimit(original.size(), [&] {
    const SaveResult saved = SaveFields(*tag, {{"Comment", std::string(200, 'c')}});
    // The child reports whether the object went back to the old fields as well.
    return static_cast<int>(saved) * 2 + (tag->GetFieldList() == fields ? 1 : 0);
  });
  EXPECT_EQ(result, static_cast<int>(SaveResult::kWriteFailed) * 2 + 1);
  EXPECT_EQ(ReadBytes(path), original);
}

// An APE tag that counts the times its tag is written.
class ApeTagCountingWrites : public TAPETag {
 public:
  TagWriteResult ReplaceTag(const TAbstractTag& replaced) override {
    ++writes;
    return TAPETag::ReplaceTag(replaced);
  }
  int writes = 0;
};

// A field counts as changed only when its value differs byte for byte from the one read: a
// save that hands back every value as read leaves the file alone (an Ogg file is not even
// rebuilt), and so does an empty value for a field the tag does not hold.
TEST_F(TagEdit, ASaveOfValuesAsTheyWereReadWritesNothing) {
  const FieldList fields = {{"TITLE", "t"}, {"Artist", "a"}};
  WriteBytes(path, audio + ApeTag(fields));
  ApeTagCountingWrites ape;
  ASSERT_EQ(ape.ReadTag(path), 0);
  EXPECT_EQ(SaveFields(ape, {{"Title", "t"}, {"Artist", "a"}, {"Album", ""}}), SaveResult::kUnchanged);
  EXPECT_EQ(ape.writes, 0);
  EXPECT_EQ(ape.GetFieldList(), fields);

  const std::string ogg = dir.file("a.ogg");
  test::WriteOggVorbis(ogg, {.comments = {"title=t"}});
  struct stat before {}, after {};
  ASSERT_EQ(stat(ogg.c_str(), &before), 0);
  TOggTag tag;
  ASSERT_EQ(tag.ReadTag(ogg), 0);
  EXPECT_EQ(SaveFields(tag, {{"Title", "t"}, {"Comment", ""}}), SaveResult::kUnchanged);
  ASSERT_EQ(stat(ogg.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino) << "the file was rebuilt";
}

// A file that cannot even grow back to its own size (a file size limit below it): a new tag
// of the old one's length is written over it and fails after a few bytes, which are put
// back; a longer one fails behind the file's end. The old tag stays either way.
TEST_F(TagEdit, NoRoomForTheNewTagLeavesTheOldOneInPlace) {
  const std::string original = audio + RenderId3v1Trailer(kSeven);
  WriteBytes(path, original);
  std::unique_ptr<TAbstractTag> tag = CreateTagForFile(path);
  const int saved = test::RunWithFileSizeLimit(audio.size() + 10, [&] {
    const SaveResult result = SaveFields(*tag, {{"Title", "x"}});
    return static_cast<int>(result) * 2 + (tag->GetFieldList() == kSeven ? 1 : 0);
  });
  EXPECT_EQ(saved, static_cast<int>(SaveResult::kWriteFailed) * 2 + 1);
  EXPECT_EQ(ReadBytes(path), original);

  const int changed = test::RunWithFileSizeLimit(audio.size() + 10, [&] {
    return static_cast<int>(ChangeTagType(tag, kTagApe));
  });
  EXPECT_EQ(changed, static_cast<int>(TypeChangeResult::kFailed));
  EXPECT_EQ(ReadBytes(path), original);
}

}  // namespace
}  // namespace marlinote
