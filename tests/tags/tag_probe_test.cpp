#include <gtest/gtest.h>

#include "tags/ape_format.h"
#include "tags/id3v1_trailer.h"
#include "tags/tag_edit.h"
#include "tags/tag_probe.h"
#include "tags/tag_types.h"
#include "tests/support/file_bytes.h"
#include "tests/support/ogg_maker.h"
#include "tests/support/temp_dir.h"

namespace marlinote {
namespace {

std::string ApeTag(const FieldList& fields) { return *RenderApeTag(fields); }

using test::AudioBytes;
using test::TempDir;
using test::WriteBytes;

class Probe : public ::testing::Test {
 protected:
  TempDir dir;
  std::string path = dir.file("x.mp3");
  std::string audio = AudioBytes(1500);
};

TEST_F(Probe, ApeTagAtTheVeryEndWinsOverATrailerInFront) {
  WriteBytes(path, audio + RenderId3v1Trailer({{"Title", "id3"}}) + ApeTag({{"Title", "ape"}}));
  const auto tag = CreateTagForFile(path);
  EXPECT_EQ(tag->GetTagType(), kTagApe);
  EXPECT_EQ(tag->GetField("Title"), "ape");
  EXPECT_EQ(tag->GetFilePath(), path);
}

TEST_F(Probe, TrailerBehindAnApeTagIsId3v1) {
  WriteBytes(path, audio + ApeTag({{"Title", "ape"}}) + RenderId3v1Trailer({{"Title", "id3"}}));
  const auto tag = CreateTagForFile(path);
  EXPECT_EQ(tag->GetTagType(), kTagId3v1);
  EXPECT_EQ(tag->GetField("Title"), "id3");
}

TEST_F(Probe, OggFileIsOggUntilAnApeTagIsAppended) {
  const std::string ogg = dir.file("x.ogg");
  test::WriteOggVorbis(ogg, {.comments = {"TITLE=vorbis"}});
  ASSERT_EQ(CreateTagForFile(ogg)->GetTagType(), kTagOgg);

  // A change to APE without the data check appends an APE tag and keeps the comments.
  std::unique_ptr<TAbstractTag> entry = CreateTagForFile(ogg);
  ASSERT_EQ(ChangeTagType(entry, kTagApe), TypeChangeResult::kChanged);
  const auto tag = CreateTagForFile(ogg);
  EXPECT_EQ(tag->GetTagType(), kTagApe);
  EXPECT_EQ(tag->GetField("Title"), "vorbis");
  EXPECT_EQ(test::DecodeOggVorbis(ogg).comments, std::vector<std::string>{"TITLE=vorbis"});
}

TEST_F(Probe, FileWithoutAKnownTagOrUnreadableRecordsOnlyThePath) {
  WriteBytes(path, audio);
  for (const std::string& p : {path, dir.file("missing.mp3"), dir.path()}) {
    const auto tag = CreateTagForFile(p);
    EXPECT_EQ(tag->GetTagType(), kTagNone) << p;
    EXPECT_EQ(tag->GetFilePath(), p);
    EXPECT_TRUE(tag->GetFieldList().empty());
  }
}

}  // namespace
}  // namespace marlinote
