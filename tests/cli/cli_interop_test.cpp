// marlinote-cli on files that other programs wrote, and those programs on what it writes:
// vorbiscomment (vorbis-tools) for Ogg Vorbis, the Python library mutagen for ID3v1 and APE.
#include <gtest/gtest.h>

#include "tests/cli/cli_runner.h"
#include "tests/support/file_bytes.h"
#include "tests/support/ogg_maker.h"
#include "tests/support/shell.h"
#include "tests/support/temp_dir.h"

namespace marlinote {
namespace {

using test::AudioBytes;
using test::HasMutagen;
using test::kPython;
using test::RunShell;
using test::RunCliWith;
using test::Shell;
using test::TempDir;
using test::WriteBytes;

// Runs a Python script with the file as its argument; the script prints what it found.
Shell RunPython(const TempDir& dir, const std::string& script, const std::string& file) {
  const std::string path = dir.file("check.py");
  WriteBytes(path, script);
  return RunShell(std::string(kPython) + " '" + path + "' '" + file + "' 2>&1");
}

TEST(CliInterop, OggCommentsOfVorbiscommentAreShownAndSetIsReadBack) {
  TempDir dir;
  const std::string ogg = dir.file("a.ogg");
  test::WriteOggVorbis(ogg);
  const Shell wrote = RunShell("vorbiscomment -w -t 'TITLE=桜の季節' -t 'ARTIST=山田花子' "
                               "-t 'GENRE=Anime' -t 'ENCODER=other' '" + ogg + "' 2>&1");
  ASSERT_EQ(wrote.status, 0) << wrote.out;

  const auto shown = RunCliWith({"show", ogg});
  EXPECT_EQ(shown.status, 0) << shown.err;
  for (const char* line : {"Type: 2 Ogg_Tag\n", "Title=桜の季節\n", "Artist=山田花子\n",
                           "Genre=Anime\n", "ENCODER=other\n"})
    EXPECT_NE(shown.out.find(line), std::string::npos) << line << shown.out;

  const auto set = RunCliWith({"set", "--title", "春", "--album", "表", ogg});
  EXPECT_EQ(set.status, 0) << set.err;
  const Shell listed = RunShell("vorbiscomment -l '" + ogg + "' 2>&1");
  ASSERT_EQ(listed.status, 0) << listed.out;
  for (const char* line : {"TITLE=春\n", "ARTIST=山田花子\n", "GENRE=Anime\n", "ENCODER=other\n",
                           "ALBUM=表\n"})
    EXPECT_NE(listed.out.find(line), std::string::npos) << line << listed.out;
  EXPECT_EQ(listed.out.find("桜"), std::string::npos);
}

class CliMutagen : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HasMutagen()) GTEST_SKIP() << "python3-mutagen is not installed";
  }
  TempDir dir;
};

TEST_F(CliMutagen, Id3v1WrittenByMutagenIsShown) {
  const std::string mp3 = dir.file("a.mp3");
  WriteBytes(mp3, AudioBytes(800));
  // mutagen writes ID3v1 texts as Latin-1, so bytes pass through it as Latin-1 characters.
  const Shell wrote = RunPython(dir, R"(
import sys
from mutagen.id3 import MakeID3v1, TIT2, TPE1, TALB, TDRC, COMM, TRCK, TCON
raw = lambda s: s.encode('cp932').decode('latin1')
frames = {'TIT2': TIT2(text=raw('桜の季節')), 'TPE1': TPE1(text='Band'),
          'TALB': TALB(text='LP'), 'TDRC': TDRC(text='1999'),
          'COMM': COMM(lang='eng', desc='', text='note'), 'TRCK': TRCK(text='12'),
          'TCON': TCON(text='Jazz')}
with open(sys.argv[1], 'ab') as f:
    f.write(MakeID3v1(frames))
)", mp3);
  ASSERT_EQ(wrote.status, 0) << wrote.out;
  const auto shown = RunCliWith({"show", mp3});
  EXPECT_EQ(shown.out, "File: " + mp3 + "\nType: 1 ID3v1_Tag\nTitle=桜の季節\nArtist=Band\n"
                       "Album=LP\nYear=1999\nComment=note\nTrack=12\nGenre=Jazz\n");
}

TEST_F(CliMutagen, Id3v1WrittenBySetIsReadByMutagen) {
  const std::string mp3 = dir.file("a.mp3");
  WriteBytes(mp3, AudioBytes(800));
  ASSERT_EQ(RunCliWith({"set", "--kind", "id3v1", "--title", "桜の季節", "--artist", "Band",
                        "--year", "2001", "--comment", "note", "--track", "200", "--genre",
                        "Rock", mp3})
                .status,
            0);
  const Shell read = RunPython(dir, R"(
import sys
from mutagen.id3 import ParseID3v1
with open(sys.argv[1], 'rb') as f:
    frames = ParseID3v1(f.read()[-128:])
for key in ('TIT2', 'TPE1', 'TDRC', 'COMM', 'TRCK'):
    print(key, str(frames[key]).encode('latin1').decode('cp932'))
print('TCON', frames['TCON'].genres[0])
)", mp3);
  EXPECT_EQ(read.out, "TIT2 桜の季節\nTPE1 Band\nTDRC 2001\nCOMM note\nTRCK 200\nTCON Rock\n");
}

TEST_F(CliMutagen, ApeTagOfMutagenIsShown) {
  const std::string ape = dir.file("a.ape");
  WriteBytes(ape, AudioBytes(800));
  // mutagen writes a version 2000 tag with a header; a code page 932 value goes in as bytes.
  const Shell wrote = RunPython(dir, R"(
import sys
from mutagen.apev2 import APEv2, APEValue, BINARY
tag = APEv2()
tag['Title'] = 'Written elsewhere'
tag['Artist'] = APEValue('山田花子'.encode('cp932'), BINARY)
tag['Other Key'] = 'kept'
tag.save(sys.argv[1])
)", ape);
  ASSERT_EQ(wrote.status, 0) << wrote.out;
  const auto shown = RunCliWith({"show", ape});
  for (const char* line : {"Type: 0 Ape_Tag\n", "Title=Written elsewhere\n", "Artist=山田花子\n",
                           "Other Key=kept\n"})
    EXPECT_NE(shown.out.find(line), std::string::npos) << line << shown.out;
}

TEST_F(CliMutagen, ApeTagRewrittenBySetIsReadByMutagen) {
  const std::string ape = dir.file("a.ape");
  WriteBytes(ape, AudioBytes(800));
  const Shell wrote = RunPython(dir, R"(
import sys
from mutagen.apev2 import APEv2
tag = APEv2()
tag['Title'] = 'Old'
tag['Other Key'] = 'kept'
tag.save(sys.argv[1])
)", ape);
  ASSERT_EQ(wrote.status, 0) << wrote.out;
  ASSERT_EQ(RunCliWith({"set", "--title", "New", "--album", "LP", ape}).status, 0);
  const Shell read = RunPython(dir, R"(
import sys
from mutagen.apev2 import APEv2
tag = APEv2(sys.argv[1])
for key, value in tag.items():
    print(key, repr(str(value)))
)", ape);
  // The tag stays APEv2: UTF-8 values without a terminating zero byte.
  EXPECT_EQ(read.out, "Title 'New'\nOther Key 'kept'\nAlbum 'LP'\n");
}

}  // namespace
}  // namespace marlinote
