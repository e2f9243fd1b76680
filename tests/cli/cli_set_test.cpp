#include <gtest/gtest.h>

#include "tags/ape_format.h"
#include "tags/id3v1_trailer.h"
#include "tags/tag_probe.h"
#include "tests/cli/cli_runner.h"
#include "tests/cli/cp932_texts.h"
#include "tests/support/file_bytes.h"
#include "tests/support/size_limit.h"
#include "tests/support/temp_dir.h"

namespace marlinote {
namespace {

using test::AudioBytes;
using test::kSakura;
using test::ReadBytes;
using test::RunCliWith;
using test::TempDir;
using test::WriteBytes;

class CliSet : public ::testing::Test {
 protected:
  TempDir dir;
  std::string audio = AudioBytes(1200);
  std::string mp3 = dir.file("a.mp3");
  std::string ape = dir.file("b.ape");
  const FieldList id3Fields = {{"Title", "old"}, {"Artist", "Band"}, {"Album", "LP"},
                               {"Year", "1999"}, {"Comment", "c"},   {"Track", "3"},
                               {"Genre", "Jazz"}};
  const FieldList apeFields = {{"Title", "old"}, {"X-OTHER", "kept"}, {"Year", "2000"}};

  void SetUp() override {
    WriteBytes(mp3, audio + RenderId3v1Trailer(id3Fields));
    WriteBytes(ape, audio + *RenderApeTag(apeFields));
  }
};

TEST_F(CliSet, OneFieldChangesOnlyThatField) {
  const auto run = RunCliWith({"set", "--title", "桜の季節", mp3, ape});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  FieldList id3 = id3Fields;
  id3[0].value = kSakura;
  EXPECT_EQ(ReadBytes(mp3), audio + RenderId3v1Trailer(id3));
  FieldList apeNow = apeFields;
  apeNow[0].value = kSakura;
  EXPECT_EQ(ReadBytes(ape), audio + *RenderApeTag(apeNow));
}

TEST_F(CliSet, AValueTheFieldAlreadyHasIsNoChangeAndTheFileIsNotWritten) {
  const auto run = RunCliWith({"set", "--title", "old", "--comment", "", ape, mp3});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, ape + ": unchanged (Ape_Tag)\n" + mp3 + ": written (ID3v1_Tag)\n");
  EXPECT_EQ(ReadBytes(ape), audio + *RenderApeTag(apeFields));
}

TEST_F(CliSet, AValueThatReadsLikeTheHelpOptionIsWritten) {
  const auto run = RunCliWith({"set", "--title", "-h", "--artist", "--help", mp3});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.find("Usage"), std::string::npos);
  EXPECT_EQ(CreateTagForFile(mp3)->GetField("Title"), "-h");
  EXPECT_EQ(CreateTagForFile(mp3)->GetField("Artist"), "--help");
  // Where an option may stand, it still asks for the help and nothing is written.
  const std::string before = ReadBytes(mp3);
  EXPECT_NE(RunCliWith({"set", "--title", "x", mp3, "-h"}).out.find("Usage"), std::string::npos);
  EXPECT_EQ(ReadBytes(mp3), before);
}

TEST_F(CliSet, NewFieldsAreAppendedInEditOrder) {
  // An empty Comment is what the tag without one shows already: no change, no item.
  const auto run = RunCliWith({"set", "--track=9", "--genre", "Rock", "--artist", "A",
                               "--comment", "", ape});
  EXPECT_EQ(run.status, 0) << run.err;
  FieldList expected = apeFields;
  expected.insert(expected.end(), {{"Artist", "A"}, {"Genre", "Rock"}, {"Track", "9"}});
  EXPECT_EQ(ReadBytes(ape), audio + *RenderApeTag(expected));
}

TEST_F(CliSet, UntaggedFileNeedsKind) {
  const std::string bare = dir.file("c.mp3");
  WriteBytes(bare, audio);
  const auto refused = RunCliWith({"set", "--title", "t", bare, mp3});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err.rfind(bare + ": has no known tag", 0), 0u) << refused.err;
  EXPECT_EQ(ReadBytes(bare), audio);
  EXPECT_EQ(ReadBytes(mp3).substr(audio.size() + 3, 3), "t  ");  // the other file is written

  const auto given = RunCliWith({"set", "--kind", "ape", "--title", "桜の季節", bare});
  EXPECT_EQ(given.status, 0) << given.err;
  EXPECT_EQ(ReadBytes(bare), audio + *RenderApeTag({{"Title", kSakura}}));

  // A file that has a tag keeps its kind.
  EXPECT_EQ(RunCliWith({"set", "--kind", "ape", "--year", "2024", mp3}).status, 0);
  EXPECT_EQ(ReadBytes(mp3).size(), audio.size() + kId3v1Size);
}

TEST_F(CliSet, ValueThatCodePage932CannotHoldWritesNothingAnywhere) {
  const std::string mp3Before = ReadBytes(mp3), apeBefore = ReadBytes(ape);
  for (const char* bad : {"caf\xC3\xA9", "emoji 😀", "\xFF not UTF-8"}) {
    const auto run = RunCliWith({"set", "--title", "fine", "--track", bad, mp3, ape});
    EXPECT_EQ(run.status, 2) << bad;
    EXPECT_NE(run.err.find("--track"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(ReadBytes(mp3), mp3Before);
  EXPECT_EQ(ReadBytes(ape), apeBefore);
}

TEST_F(CliSet, UsageErrorsTouchNothing) {
  const std::string mp3Before = ReadBytes(mp3);
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"set", mp3},
           {"set", "--kind", "ape", mp3},
           {"set", "--title", "t"},
           {"set", "--title", "t", "--kind", "ogg", mp3},
           {"set", "--colour", "red", mp3},
           {"set", mp3, "--title"},
       }) {
    EXPECT_EQ(RunCliWith(args).status, 2) << args.size();
  }
  EXPECT_EQ(ReadBytes(mp3), mp3Before);
}

TEST_F(CliSet, FailedWriteKeepsTheOldTagAndFails) {
  const std::string before = ReadBytes(ape);
  // The file cannot grow: a longer tag cannot be written, and the old one goes back.
  const int status = test::RunWithFileSizeLimit(before.size(), [&] {
    const auto run = RunCliWith({"set", "--comment", std::string(300, 'c'), ape});
    const bool named = run.err.rfind(ape + ": the new tag could not be written", 0) == 0;
    return named ? run.status : 100;
  });
  EXPECT_EQ(status, 1);
  EXPECT_EQ(ReadBytes(ape), before);
}

TEST_F(CliSet, MissingFileFailsWithoutStoppingTheOthers) {
  const auto run = RunCliWith({"set", "--album", "new", dir.file("missing.mp3"), ape});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err.rfind(dir.file("missing.mp3") + ": ", 0), 0u);
  EXPECT_EQ(run.out, ape + ": written (Ape_Tag)\n");
}

}  // namespace
}  // namespace marlinote
