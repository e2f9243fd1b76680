#include <gtest/gtest.h>

#include <algorithm>

#include "tags/ape_format.h"
#include "tags/id3v1_trailer.h"
#include "tests/cli/cli_runner.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

namespace marlinote {
namespace {

using test::AudioBytes;
using test::ReadBytes;
using test::RunCliWith;
using test::TempDir;
using test::WriteBytes;

class CliConvert : public ::testing::Test {
 protected:
  TempDir dir;
  std::string audio = "\xFF\xFB\x90\x00" + AudioBytes(1000);  // an MPEG frame header first
  std::string mp3 = dir.file("a.mp3");
  const FieldList fields = {{"Title", "t"}, {"Artist", "a"}, {"Album", "b"}, {"Year", "1999"},
                            {"Comment", "c"}, {"Track", "5"}, {"Genre", "Rock"}};

  void SetUp() override { WriteBytes(mp3, audio + RenderId3v1Trailer(fields)); }
};

TEST_F(CliConvert, ToApeAndBackKeepsFieldsAndAudio) {
  const auto run = RunCliWith({"convert", "--to", "ape", mp3});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, mp3 + ": ID3v1_Tag -> Ape_Tag\n");
  EXPECT_EQ(ReadBytes(mp3), audio + *RenderApeTag(fields));
  EXPECT_EQ(RunCliWith({"convert", "--to=id3v1", mp3}).status, 0);
  EXPECT_EQ(ReadBytes(mp3), audio + RenderId3v1Trailer(fields));
}

TEST_F(CliConvert, SameKindIsDoneWithoutWriting) {
  const std::string before = ReadBytes(mp3);
  const auto run = RunCliWith({"convert", "--to", "id3v1", mp3});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, mp3 + ": already ID3v1_Tag\n");
  EXPECT_EQ(ReadBytes(mp3), before);
}

TEST_F(CliConvert, CheckRefusesWhatTheDataCannotOrDoesNotUsuallyCarry) {
  const std::string before = ReadBytes(mp3);
  const auto unusual = RunCliWith({"convert", "--to", "ape", "--check", mp3});
  EXPECT_EQ(unusual.status, 1);
  EXPECT_NE(unusual.err.find("--yes"), std::string::npos);
  EXPECT_EQ(ReadBytes(mp3), before);
  // --yes alone does not check at all, so it only matters with --check.
  EXPECT_EQ(RunCliWith({"convert", "--to", "ape", "--check", "--yes", mp3}).status, 0);
  EXPECT_EQ(ReadBytes(mp3), audio + *RenderApeTag(fields));
  EXPECT_EQ(RunCliWith({"convert", "--to", "id3v1", "--check", mp3}).status, 0);

  const std::string ogg = dir.file("b.ogg");
  const std::string oggBytes = "OggS" + AudioBytes(500) + RenderId3v1Trailer(fields);
  WriteBytes(ogg, oggBytes);
  for (const char* to : {"ape", "id3v1"}) {
    const auto run = RunCliWith({"convert", "--to", to, "--check", "--yes", ogg});
    EXPECT_EQ(run.status, 1) << to;
    EXPECT_EQ(run.err.rfind(ogg + ": its data cannot carry", 0), 0u) << run.err;
  }
  EXPECT_EQ(ReadBytes(ogg), oggBytes);
}

TEST_F(CliConvert, FailuresAndUsage) {
  const auto missing = RunCliWith({"convert", "--to", "ape", "--check", dir.file("none.mp3"), mp3});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 2);  // two refusals

  EXPECT_EQ(RunCliWith({"convert", mp3}).status, 2);
  EXPECT_EQ(RunCliWith({"convert", "--to", "ogg", mp3}).status, 2);
  EXPECT_EQ(RunCliWith({"convert", "--to", "ape"}).status, 2);
}

}  // namespace
}  // namespace marlinote
