#include <gtest/gtest.h>

#include <algorithm>

#include "cli/output_text.h"
#include "tags/ape_format.h"
#include "tags/id3v1_trailer.h"
#include "tests/cli/cli_runner.h"
#include "tests/cli/cp932_texts.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

namespace marlinote {
namespace {

using test::AudioBytes;
using test::kHyou;
using test::kSakura;
using test::RunCliWith;
using test::TempDir;
using test::WriteBytes;

TEST(CliOutputText, DisplayTextIsOneLineOfUtf8) {
  EXPECT_EQ(cli::DisplayText(kSakura), "桜の季節");
  EXPECT_EQ(cli::DisplayText(kHyou), "表");  // a trail byte 0x5C is no backslash
  EXPECT_EQ(cli::DisplayText("a\r\nb\tc\\d\x01" "e\x7F"), "a\\r\\nb\\tc\\\\d\\x01e\\x7F");
  EXPECT_EQ(cli::DisplayText("\x81"), "\xEF\xBF\xBD");  // a lead byte without its pair
}

TEST(CliOutputText, JsonStringEscapesAndRepairsUtf8) {
  EXPECT_EQ(cli::JsonString("a\"b\\c\n\x01/"), "\"a\\\"b\\\\c\\n\\u0001/\"");
  EXPECT_EQ(cli::JsonString("桜😀"), "\"桜😀\"");
  // A cut sequence, an overlong form and a surrogate are not UTF-8.
  EXPECT_EQ(cli::JsonString("\xE6\xA1"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\"");
  EXPECT_EQ(cli::JsonString("\xC0\xAF"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\"");
  EXPECT_EQ(cli::JsonString("\xED\xA0\x80x"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDx\"");
}

class CliShow : public ::testing::Test {
 protected:
  TempDir dir;
  std::string mp3 = dir.file("a.mp3");
  std::string ape = dir.file("b.ape");
  std::string bare = dir.file("c.wav");

  void SetUp() override {
    WriteBytes(mp3, AudioBytes(900) + RenderId3v1Trailer({{"Title", kSakura},
                                                          {"Artist", kHyou},
                                                          {"Year", "1999"},
                                                          {"Track", "7"},
                                                          {"Genre", "Anime"}}));
    WriteBytes(ape, AudioBytes(700) + *RenderApeTag({{"Title", "x"},
                                                    {"Comment", "line 1\r\nline \"2\""},
                                                    {"KEY", "\xFF"}}));
    WriteBytes(bare, AudioBytes(100));
  }
};

TEST_F(CliShow, PrintsKindAndEveryPairInListOrder) {
  const auto run = RunCliWith({"show", mp3, ape, bare});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "File: " + mp3 + "\nType: 1 ID3v1_Tag\n"
            "Title=桜の季節\nArtist=表\nAlbum=\nYear=1999\nComment=\nTrack=7\nGenre=Anime\n"
            "\n"
            "File: " + ape + "\nType: 0 Ape_Tag\n"
            "Title=x\nComment=line 1\\r\\nline \"2\"\nKEY=\xEF\xBF\xBD\n"
            "\n"
            "File: " + bare + "\nType: -1 Abstract_Tag\n");
}

TEST_F(CliShow, JsonHoldsOneObjectPerFile) {
  const auto run = RunCliWith({"show", "--json", ape, bare});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "[\n"
            "{\"path\":\"" + ape + "\",\"type\":0,\"typeName\":\"Ape_Tag\",\"encoding\":\"cp932\","
            "\"version\":null,\"fields\":[[\"Title\",\"x\"],[\"Comment\",\"line 1\\r\\nline \\\"2\\\"\"],"
            "[\"KEY\",\"\xEF\xBF\xBD\"]]},\n"
            "{\"path\":\"" + bare + "\",\"type\":-1,\"typeName\":\"Abstract_Tag\",\"encoding\":null,"
            "\"version\":null,\"fields\":[]}\n"
            "]\n");
}

TEST_F(CliShow, UnreadableFileFailsAndTheOthersAreStillShown) {
  const auto run = RunCliWith({"show", "--json", dir.file("missing.mp3"), dir.path(), bare});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find(dir.file("missing.mp3") + ": "), std::string::npos);
  EXPECT_NE(run.err.find(dir.path() + ": is a folder"), std::string::npos);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2);
  EXPECT_NE(run.out.find("\"path\":\"" + bare + "\""), std::string::npos);
  EXPECT_EQ(RunCliWith({"show", "--json", dir.file("missing.mp3")}).out, "[\n]\n");
}

TEST_F(CliShow, UsageErrors) {
  EXPECT_EQ(RunCliWith({"show"}).status, 2);
  EXPECT_EQ(RunCliWith({"show", "--jsn", mp3}).status, 2);
  EXPECT_EQ(RunCliWith({"show", "--json=yes", mp3}).status, 2);
  // After "--" a name beginning with a dash is a file.
  WriteBytes(dir.file("-x.mp3"), AudioBytes(10));
  const auto run = RunCliWith({"show", "--", dir.file("-x.mp3")});
  EXPECT_EQ(run.status, 0);
}

TEST(CliApp, HelpAndDispatch) {
  const auto help = RunCliWith({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* text : {"show", "set", "convert", "Exit status"})
    EXPECT_NE(help.out.find(text), std::string::npos) << text;
  EXPECT_EQ(RunCliWith({"help", "set"}).out, RunCliWith({"set", "--help"}).out);
  EXPECT_NE(RunCliWith({"convert", "-h"}).out.find("--check"), std::string::npos);

  const auto none = RunCliWith({});
  EXPECT_EQ(none.status, 2);
  EXPECT_NE(none.err.find("Commands:"), std::string::npos);
  EXPECT_EQ(RunCliWith({"frobnicate"}).status, 2);
  EXPECT_EQ(RunCliWith({"help", "frobnicate"}).status, 2);
}

}  // namespace
}  // namespace marlinote
