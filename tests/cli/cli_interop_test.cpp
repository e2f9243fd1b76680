// marlinote-cli on files that other programs wrote, and those programs on what it writes:
// vorbiscomment and oggenc (vorbis-tools) for Ogg Vorbis, lame for MPEG files, the Python
// library mutagen and TagLib for ID3v1, ID3v2, APE and Vorbis comments.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/cli/cli_runner.h"
#include "tests/support/file_bytes.h"
#include "tests/support/ogg_maker.h"
#include "tests/support/shell.h"
#include "tests/support/taglib_ape.h"
#include "tests/support/temp_dir.h"

namespace marlinote {
namespace {

using test::AudioBytes;
using test::HasMutagen;
using test::ReadBytes;
using test::kPython;
using test::RunShell;
using test::RunCliWith;
using test::Shell;
using test::TempDir;
using test::WriteBytes;

// A second of a tone as a WAVE file, for lame and oggenc to encode.
std::string WriteWave(const TempDir& dir) {
  const std::string path = dir.file("tone.wav");
  const Shell made = RunShell(std::string(kPython) +
                              " -c \"import wave, math, struct, sys\n"
                              "w = wave.open(sys.argv[1], 'wb'); w.setnchannels(1); w.setsampwidth(2)\n"
                              "w.setframerate(22050)\n"
                              "w.writeframes(b''.join(struct.pack('<h', int(8000 * math.sin(i / 9)))"
                              " for i in range(22050)))\" '" + path + "'");
  EXPECT_EQ(made.status, 0) << made.out;
  return path;
}

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

// A tag as today's taggers write it: APEv2 with a header, UTF-8 text (an emoji that code page
// 932 cannot hold among it), two values in one item, a binary cover. A save of one field
// keeps everything else, and a type change leaves no header behind.
TEST_F(CliMutagen, ApeTagOfTodaysTaggersKeepsEveryItemThroughSetAndConvert) {
  const std::string mp3 = dir.file("a.mp3");
  ASSERT_EQ(RunShell("lame --quiet '" + WriteWave(dir) + "' '" + mp3 + "'").status, 0);
  const Shell wrote = RunPython(dir, R"(
import sys
from mutagen.apev2 import APEv2, APEValue, BINARY
tag = APEv2()
tag['Title'] = 'Smile \U0001F600'
tag['Artist'] = ['A1', 'A2']
tag['Cover Art (Front)'] = APEValue(b'cover.jpg\x00' + bytes(range(256)) * 120, BINARY)
tag['Other Key'] = 'kept'
tag.save(sys.argv[1])
)", mp3);
  ASSERT_EQ(wrote.status, 0) << wrote.out;
  const auto shown = RunCliWith({"show", "--json", mp3});
  EXPECT_NE(shown.out.find("\"encoding\":\"utf-8\""), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("[\"Artist\",\"A1\"]"), std::string::npos) << shown.out;

  ASSERT_EQ(RunCliWith({"set", "--album", "歌", "--title", "Smile  ", mp3}).status, 0);
  const char* const check = R"(
import sys
from mutagen.apev2 import APEv2
tag = APEv2(sys.argv[1])
for key, value in sorted(tag.items()):
    print(key, value.kind, list(value) if value.kind != 1 else value.value == b'cover.jpg\x00' + bytes(range(256)) * 120)
)";
  EXPECT_EQ(RunPython(dir, check, mp3).out,
            "Album 0 ['歌']\nArtist 0 ['A1', 'A2']\nCover Art (Front) 1 True\n"
            "Other Key 0 ['kept']\nTitle 0 ['Smile 😀']\n");
  EXPECT_EQ(test::TagLibApeItems(mp3),
            "ALBUM=歌\nARTIST=A1|A2\nCOVER ART (FRONT)=<30730 bytes>\nOTHER KEY=kept\n"
            "TITLE=Smile 😀\n");

  // No reader can find an APE tag: neither its header nor its footer is left.
  ASSERT_EQ(RunCliWith({"convert", "--to", "id3v1", mp3}).status, 0);
  EXPECT_EQ(ReadBytes(mp3).find("APETAGEX"), std::string::npos);
}

// oggenc writes lower-case keys: they fill the Title column, and a change replaces them
// instead of adding a second title.
TEST_F(CliMutagen, OggencKeysInLowerCaseAreTheFieldsAndAChangeReplacesThem) {
  const std::string ogg = dir.file("a.ogg");
  ASSERT_EQ(RunShell("oggenc -Q -t 'Oggenc Title' -a 'Someone' -o '" + ogg + "' '" +
                     WriteWave(dir) + "'").status, 0);
  const auto listed = RunCliWith({"list", "--filter-file", dir.file("none"), dir.path()});
  EXPECT_NE(listed.out.find("Oggenc Title\ta.ogg\tSomeone\t"), std::string::npos) << listed.out;
  ASSERT_EQ(RunCliWith({"set", "--title", "新", ogg}).status, 0);
  const Shell comments = RunShell("vorbiscomment -l '" + ogg + "'");
  EXPECT_EQ(comments.out, "title=新\nartist=Someone\n");
  EXPECT_EQ(RunPython(dir, R"(
import sys
from mutagen.oggvorbis import OggVorbis
tags = OggVorbis(sys.argv[1]).tags
print(tags['title'], tags['artist'])
)", ogg).out, "['新'] ['Someone']\n");
}

// A multiplexed file is refused with a line that says why, and keeps every byte.
TEST(CliInterop, AMultiplexedOggFileIsRefusedAndKeepsItsBytes) {
  TempDir dir;
  const std::string ogg = dir.file("mux.ogg");
  const std::string bytes = test::MakeMultiplexedOggVorbis({.comments = {"TITLE=a"}}, {.serial = 9});
  WriteBytes(ogg, bytes);
  const auto run = RunCliWith({"set", "--title", "b", ogg});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find(ogg + ": is a multiplexed Ogg file"), std::string::npos) << run.err;
  EXPECT_EQ(ReadBytes(ogg), bytes);
}

// lame's ID3v1 trailer: NUL padding, a 30-byte ID3v1.0 comment, genre byte 145. Setting the
// title changes the title's 30 bytes and nothing else.
TEST_F(CliMutagen, Id3v1OfLameChangesOnlyTheTitleSlot) {
  const std::string mp3 = dir.file("a.mp3");
  const std::string comment = "123456789012345678901234567890";
  ASSERT_EQ(RunShell("lame --quiet --id3v1-only --tt Old --ta Band --tg 145 --tc " + comment + " '" +
                     WriteWave(dir) + "' '" + mp3 + "'").status, 0);
  const std::string before = ReadBytes(mp3);
  ASSERT_EQ(RunCliWith({"set", "--title", "New", "--genre", "Anime", mp3}).status, 0);
  std::string expected = before;
  expected.replace(expected.size() - 125, 30, "New" + std::string(27, ' '));
  EXPECT_EQ(ReadBytes(mp3), expected);
  EXPECT_EQ(RunPython(dir, R"(
import sys
from mutagen.id3 import ParseID3v1
with open(sys.argv[1], 'rb') as f:
    frames = ParseID3v1(f.read()[-128:])
print(frames['TIT2'], frames['TPE1'], frames['TCON'].genres[0])
)", mp3).out, "New Band Anime\n");
}

// A new APE tag in UTF-8 is APEv2 as mutagen and TagLib read it.
TEST_F(CliMutagen, ConvertToUtf8ApeIsReadByMutagenAndTagLib) {
  const std::string mp3 = dir.file("a.mp3");
  ASSERT_EQ(RunShell("lame --quiet '" + WriteWave(dir) + "' '" + mp3 + "'").status, 0);
  ASSERT_EQ(RunCliWith({"set", "--kind", "id3v1", "--title", "桜の季節", "--genre", "jpop", mp3}).status, 0);
  EXPECT_EQ(RunCliWith({"convert", "--to", "ape", "--ape-encoding", "id3v1", mp3}).status, 2);
  ASSERT_EQ(RunCliWith({"convert", "--to", "ape", "--ape-encoding", "utf8", mp3}).status, 0);
  EXPECT_NE(RunCliWith({"show", "--json", mp3}).out.find("\"encoding\":\"utf-8\""), std::string::npos);
  EXPECT_EQ(RunPython(dir, R"(
import sys
from mutagen.apev2 import APEv2
tag = APEv2(sys.argv[1])
print(tag['Title'], tag['Genre'], tag['Track'])
)", mp3).out, "桜の季節 JPop 0\n");
  EXPECT_NE(test::TagLibApeItems(mp3).find("TITLE=桜の季節\n"), std::string::npos);
}


// ID3v2 tags of lame (2.3, with an ID3v1 trailer and a picture) and of mutagen's mid3v2
// (2.4): listed and shown as players show them; after set, mutagen reads the new values and
// every other frame as before, the picture's bytes and the audio unchanged.
TEST_F(CliMutagen, Id3v2TagsOfLameAndMid3v2AreListedShownAndSetAsOtherReadersSeeThem) {
  const std::string wave = WriteWave(dir);
  const std::string png = dir.file("cover.png");
  WriteBytes(png, std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16) + AudioBytes(700, 3));
  const std::string lame = dir.file("lame.mp3");
  const std::string mid = dir.file("mid.mp3");
  ASSERT_EQ(RunShell("lame --quiet --tt 桜の季節 --ta 山田花子 --tl Album --ty 2001 --tn 3/12 "
                     "--tg Anime --tc memo --ti '" + png + "' '" + wave + "' '" + lame + "' 2>&1")
                .status,
            0);
  ASSERT_EQ(RunShell("lame --quiet '" + wave + "' '" + mid + "' && mid3v2 -t 'It’s 日本語' -a 歌手 "
                     "-g 145 -T 5/9 --TXXX 'REPLAYGAIN_TRACK_GAIN:-6.5 dB' '" + mid + "' 2>&1")
                .status,
            0);
  // Every frame as mutagen prints it, a picture as its bytes, and the bytes behind the tag.
  const std::string dump = R"(
import sys, hashlib
from mutagen.id3 import ID3
t = ID3(sys.argv[1], load_v1=False)
print('version 2.%d' % t.version[1])
for k in sorted(t.keys()):
    f = t[k]
    print(k, f.data.hex() if f.FrameID == 'APIC' else f._pprint())
with open(sys.argv[1], 'rb') as f:
    data = f.read()
print('audio', hashlib.sha1(data[t.size:len(data) - 128]).hexdigest())
)";
  // A row begins with the Title and ends with the tag kind.
  const auto listed = RunCliWith({"list", dir.path()});
  for (const std::string title : {"\n桜の季節\t", "\nIt’s 日本語\t"}) {
    const auto row = listed.out.find(title);
    ASSERT_NE(row, std::string::npos) << listed.out;
    EXPECT_EQ(listed.out.compare(listed.out.find('\n', row + 1) - 10, 10, "\tID3v2_Tag"), 0) << listed.out;
  }

  const struct {
    const char* path;
    const char* json;
  } files[] = {
      {lame.c_str(), R"("typeName":"ID3v2_Tag","encoding":"utf-16","version":"2.3","fields":[["Title","桜の季節"],["Artist","山田花子"],["Album","Album"],["Year","2001"],["Comment","memo"],["Track","3/12"],["Genre","Anime"]])"},
      {mid.c_str(), R"("typeName":"ID3v2_Tag","encoding":"utf-8","version":"2.4","fields":[["Title","It’s 日本語"],["Artist","歌手"],["Track","5/9"],["Genre","Anime"]])"},
  };
  for (const auto& f : files) {
    const auto shown = RunCliWith({"show", "--json", f.path});
    EXPECT_NE(shown.out.find(f.json), std::string::npos) << shown.out;
    const Shell before = RunPython(dir, dump, f.path);
    ASSERT_EQ(RunCliWith({"set", "--title", "新しい題名", "--genre", "J-Pop", f.path}).status, 0);
    const Shell after = RunPython(dir, dump, f.path);
    ASSERT_EQ(after.status, 0) << after.out;
    std::istringstream was(before.out), now(after.out);
    for (std::string a, b; std::getline(was, a) && std::getline(now, b);) {
      if (a.starts_with("TIT2 ")) EXPECT_EQ(b, "TIT2 新しい題名");
      else if (a.starts_with("TCON ")) EXPECT_EQ(b, "TCON J-Pop");
      else EXPECT_EQ(b, a) << f.path;
    }
    EXPECT_NE(test::TagLibId3v2Frames(f.path).find("TIT2=新しい題名\n"), std::string::npos) << f.path;
  }
  // lame's ID3v1 trailer got the change too.
  EXPECT_EQ(ReadBytes(lame).substr(ReadBytes(lame).size() - 125, 10), "\x90\x56\x82\xB5\x82\xA2\x91\xE8\x96\xBC");
}

// A type change into ID3v2 writes a 2.3 tag of UTF-16 texts in front of the audio and keeps
// the ID3v1 trailer as it was; a change out of ID3v2 removes the ID3v2 tag.
TEST_F(CliMutagen, ConvertingToAndFromId3v2KeepsTheAudioAndTheTrailer) {
  const std::string mp3 = dir.file("a.mp3");
  const std::string audio = AudioBytes(1500);
  WriteBytes(mp3, audio);
  ASSERT_EQ(RunCliWith({"set", "--kind", "id3v1", "--title", "桜", "--artist", "Band", mp3}).status, 0);
  const std::string trailer = ReadBytes(mp3).substr(audio.size());

  ASSERT_EQ(RunCliWith({"convert", "--to", "id3v2", mp3}).status, 0);
  const Shell read = RunPython(dir, R"(
import sys
from mutagen.id3 import ID3
t = ID3(sys.argv[1], load_v1=False)
print(t.version, int(t['TIT2'].encoding), t['TIT2'].text, t['TPE1'].text)
)", mp3);
  EXPECT_EQ(read.out, "(2, 3, 0) 1 ['桜'] ['Band']\n");
  std::string bytes = ReadBytes(mp3);
  EXPECT_EQ(bytes.substr(bytes.size() - audio.size() - trailer.size()), audio + trailer);

  ASSERT_EQ(RunCliWith({"convert", "--to", "ape", mp3}).status, 0);
  bytes = ReadBytes(mp3);
  EXPECT_EQ(bytes.substr(0, audio.size() + trailer.size()), audio + trailer);
  EXPECT_NE(RunCliWith({"show", mp3}).out.find("Type: 0 Ape_Tag\nTitle=桜\nArtist=Band\n"), std::string::npos);
}

}  // namespace
}  // namespace marlinote
