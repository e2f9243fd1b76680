// ID3v2 tags as other programs lay them out, made byte by byte: what the list shows, what a
// save leaves in the file as mutagen and TagLib read it, and how the tag lives beside the
// other kinds.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <set>
#include <sstream>

#include "tags/ape_format.h"
#include "tags/ape_tag.h"
#include "tags/id3v1_tag.h"
#include "tags/id3v1_trailer.h"
#include "tags/id3v2_tag.h"
#include "tags/tag_edit.h"
#include "tags/tag_probe.h"
#include "tags/tag_types.h"
#include "tests/support/file_bytes.h"
#include "tests/support/id3v2_maker.h"
#include "tests/support/ogg_maker.h"
#include "tests/support/shell.h"
#include "tests/support/taglib_ape.h"
#include "tests/support/temp_dir.h"

namespace marlinote {
namespace {

using test::AudioBytes;
using test::MakeId3v2Tag;
using test::RawFrame;
using test::ReadBytes;
using test::TempDir;
using test::TextContent;
using test::WriteBytes;

// Code page 932 bytes of the texts used below.
const std::string kSakura = "\x82\xB3\x82\xAD\x82\xE7";                   // さくら
const std::string kOldTitle = "\x8C\xC3\x82\xA2\x91\xE8\x96\xBC";         // 古い題名
const std::string kNewTitle = "\x90\x56\x82\xB5\x82\xA2\x91\xE8\x96\xBC";  // 新しい題名
const std::string kPicture = std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16) + AudioBytes(300, 7);

// A tag of every kind of frame a player or tagger leaves: texts in the three encodings, a
// code page 932 text and a Windows-1252 text both marked ISO-8859-1, a genre by number, a
// comment, a picture, lyrics, ReplayGain and a private frame.
std::vector<RawFrame> RichFrames(int version, const std::string& genre = "(145)") {
  return {{"TIT2", TextContent(1, "古い題名")},
          {"TPE1", TextContent(0, kSakura)},
          {"TALB", TextContent(0, "It\x92s")},
          {version == 4 ? "TDRC" : "TYER", TextContent(0, "1999")},
          {"COMM", std::string("\0eng\0memo", 9)},
          {"TRCK", TextContent(version == 4 ? 3 : 1, "3/12")},
          {"TCON", TextContent(0, genre)},
          {"APIC", std::string("\0image/png\0\x03\0", 13) + kPicture},
          {"USLT", std::string("\0jpn\0line one\r\nline two", 23)},
          {"TXXX", std::string("\0REPLAYGAIN_TRACK_GAIN\0-6.50 dB", 31)},
          {"PRIV", std::string("owner\0\x01\x02\0\x03", 10)}};
}

std::string Hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char b : bytes) hex += {kDigits[b >> 4], kDigits[b & 15]};
  return hex;
}

// What mutagen reads of the tag: its version, then each frame as mutagen prints it, and a
// picture's bytes in hex.
std::map<std::string, std::string> MutagenFrames(const std::string& path) {
  const test::Shell read = test::RunShell(
      std::string(test::kPython) +
      " -c \"import sys\nfrom mutagen.id3 import ID3\nt = ID3(sys.argv[1], load_v1=False)\n"
      "print('version', '2.%d' % t.version[1])\nfor k in sorted(t.keys()):\n"
      "  f = t[k]\n  print(k, f.data.hex() if f.FrameID == 'APIC' else repr(f._pprint()))\" '" +
      path + "' 2>&1");
  EXPECT_EQ(read.status, 0) << read.out;
  std::map<std::string, std::string> frames;
  std::istringstream lines(read.out);
  for (std::string line; std::getline(lines, line);) {
    const auto space = line.find(' ');
    frames[line.substr(0, space)] = line.substr(space + 1);
  }
  return frames;
}

std::multiset<std::string> Lines(const std::string& text) {
  std::multiset<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.insert(line);
  return lines;
}

class Id3v2Tag : public ::testing::Test {
 protected:
  TempDir dir;
  std::string path = dir.file("song.mp3");
  std::string audio = AudioBytes(3000);
};

TEST_F(Id3v2Tag, EachVersionAndEncodingReadsAsPlayersShowIt) {
  struct Case {
    const char* name;
    int version;
    std::vector<RawFrame> frames;
    FieldList fields;
  };
  const FieldList rich = {{"Title", kOldTitle}, {"Artist", kSakura}, {"Album", "It s"},
                          {"Year", "1999"},     {"Comment", "memo"}, {"Track", "3/12"},
                          {"Genre", "Anime"}};
  const std::vector<Case> cases = {
      {"2.3, UTF-16 and ISO-8859-1", 3, RichFrames(3), rich},
      {"2.4, UTF-8 and ISO-8859-1", 4, RichFrames(4), rich},
      {"2.4 UTF-8: several values, a date, characters code page 932 lacks, a genre number, "
       "only a described comment",
       4,
       {{"TIT2", TextContent(3, "Caf\xC3\xA9 \xF0\x9F\x8E\xB5")},
        {"TCON", TextContent(3, std::string("17\0J-Pop", 8))},
        {"TDRC", TextContent(3, "2024-05-01")},
        {"COMM", std::string("\0engiTunNORM\0 000", 17)}},
       {{"Title", "Caf   "}, {"Year", "2024-05-01"}, {"Comment", " 000"},
        {"Genre", "Rock/J-Pop"}}},
      {"2.2, three-letter frames", 2,
       {{"TT2", TextContent(0, "Old")}, {"TP1", TextContent(1, "歌手")}, {"TYE", TextContent(0, "1990")}},
       {{"Title", "Old"}, {"Artist", "\x89\xCC\x8E\xE8"}, {"Year", "1990"}}},
  };
  for (const Case& c : cases) {
    WriteBytes(path, MakeId3v2Tag(c.version, c.frames, 100) + audio + RenderId3v1Trailer({{"Title", "v1"}}));
    std::unique_ptr<TAbstractTag> tag = CreateTagForFile(path);
    ASSERT_EQ(tag->GetTagType(), kTagId3v2) << c.name;
    EXPECT_EQ(tag->GetFieldList(), c.fields) << c.name;
    EXPECT_EQ(tag->FormatVersion(), "2." + std::to_string(c.version)) << c.name;
    EXPECT_EQ(ProbeKindsInTurn(path)->GetFieldList(), c.fields) << c.name;
  }
}

TEST_F(Id3v2Tag, ASaveChangesOnlyTheChangedFrameAsMutagenAndTagLibReadIt) {
  if (!test::HasMutagen()) GTEST_SKIP() << "python3-mutagen is not installed";
  struct Case {
    const char* name;
    int version;
    std::size_t padding;
    // Whether the changed tag fits the old one: one write in place, else a new file.
    bool inPlace;
    // The genre frame's text, the Genre saved (empty: left as it is) and the Genre then read.
    std::string genre;
    const char* newGenre;
    const char* genreRead;
  };
  // TagLib's 2.3 rendering writes a genre number as a reference, "(199)", which it reads as
  // no genre at all when the ID3v1 table has no name for the number; the values "(14" and
  // ")" show as "(14/)", which it would read as a reference.
  for (const Case& c : {Case{"2.3, padding takes the change", 3, 200, true, "(145)", "", "Anime"},
                        Case{"2.4, padding takes the change", 4, 200, true, "(145)", "", "Anime"},
                        Case{"2.3, the tag outgrows its padding", 3, 0, false, "(145)", "", "Anime"},
                        Case{"2.4, the tag outgrows its padding", 4, 2, false, "(145)", "", "Anime"},
                        Case{"2.3, a genre number without a name", 3, 200, true, "199", "", "199"},
                        Case{"2.3, a genre number without a name saved", 3, 200, true, "(145)",
                             "199", "199"},
                        Case{"2.3, genre values that show as a reference", 3, 200, true,
                             std::string("(14\0)", 5), "", "(14/)"}}) {
    const std::string tag = MakeId3v2Tag(c.version, RichFrames(c.version, c.genre), c.padding);
    WriteBytes(path, tag + audio);
    std::map<std::string, std::string> before = MutagenFrames(path);
    struct stat old {};
    ASSERT_EQ(stat(path.c_str(), &old), 0);

    std::unique_ptr<TAbstractTag> entry = CreateTagForFile(path);
    const std::string taglibBefore = test::TagLibId3v2Frames(path);
    FieldList saved = {{"Title", kNewTitle}, {"Album", "It s"}};
    if (*c.newGenre) saved.push_back({"Genre", c.newGenre});
    ASSERT_EQ(SaveFields(*entry, saved), SaveResult::kSaved) << c.name;

    const std::string bytes = ReadBytes(path);
    struct stat now {};
    ASSERT_EQ(stat(path.c_str(), &now), 0);
    EXPECT_EQ(bytes.size() == tag.size() + audio.size() && now.st_ino == old.st_ino, c.inPlace) << c.name;
    EXPECT_EQ(bytes.substr(bytes.size() - audio.size()), audio) << c.name;
    EXPECT_EQ(bytes[3], static_cast<char>(c.version)) << c.name;

    std::map<std::string, std::string> after = MutagenFrames(path);
    EXPECT_EQ(after["TIT2"], "'新しい題名'") << c.name;
    // The code page 932 text marked ISO-8859-1 now reads right everywhere.
    EXPECT_EQ(after["TPE1"], "'さくら'") << c.name;
    EXPECT_EQ(after["APIC:"], Hex(kPicture)) << c.name;
    for (const char* key : {"TIT2", "TPE1"}) before.erase(key), after.erase(key);
    if (*c.newGenre) {
      EXPECT_EQ(after["TCON"], "'Unknown'") << c.name;  // mutagen's table has no 199 either
      before.erase("TCON"), after.erase("TCON");
    }
    EXPECT_EQ(after, before) << c.name;

    // TagLib reads every frame as before but the changed ones, in whatever order.
    std::multiset<std::string> taglib = Lines(test::TagLibId3v2Frames(path));
    std::multiset<std::string> expected = Lines(taglibBefore);
    EXPECT_EQ(taglib.erase("TIT2=新しい題名"), 1u) << c.name;
    EXPECT_EQ(expected.erase("TIT2=古い題名"), 1u) << c.name;
    if (*c.newGenre) {
      EXPECT_EQ(taglib.erase(std::string("TCON=") + c.newGenre), 1u) << c.name;
      EXPECT_EQ(expected.erase("TCON=145"), 1u) << c.name;
    }
    EXPECT_EQ(taglib, expected) << c.name;
    const std::unique_ptr<TAbstractTag> read = CreateTagForFile(path);
    EXPECT_EQ(read->GetField("Title"), kNewTitle) << c.name;
    EXPECT_EQ(read->GetField("Genre"), c.genreRead) << c.name;
  }
}

}  // namespace
}  // namespace marlinote
