#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tags/genre_table.h"
#include "tags/tag_types.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

namespace marlinote {
namespace {

using test::TempDir;
using test::WriteBytes;

TEST(TagTypeName, NamesForEveryIdAndEmptyOutside) {
  EXPECT_EQ(TagTypeName(-1), "Abstract_Tag");
  EXPECT_EQ(TagTypeName(0), "Ape_Tag");
  EXPECT_EQ(TagTypeName(1), "ID3v1_Tag");
  EXPECT_EQ(TagTypeName(2), "Ogg_Tag");
  EXPECT_EQ(TagTypeName(3), "ID3v2_Tag");
  EXPECT_EQ(TagTypeName(4), "WMA_Tag");
  EXPECT_EQ(TagTypeName(5), "");
  EXPECT_EQ(TagTypeName(-2), "");
}

TEST(CheckTagCompatibility, SignatureDecidesForEveryWantedKind) {
  TempDir dir;
  struct Row {
    const char* head;
    int results[6];  // wanted -1, 0, 1, 2, 3, 4
  };
  // Files named .mp3, so that only a signature can make the answer differ from the name's.
  const Row rows[] = {
      {"MAC ", {-2, 0, 0, -2, -2, -2}},
      {"RIFF", {-2, -2, -2, -2, -2, -2}},
      {"OggS", {-3, -3, -3, 0, -3, -3}},
      {"\xFF\xFB\x90\x00", {-2, -2, 0, -2, 0, -2}},
  };
  for (const Row& row : rows) {
    const std::string path = dir.file("a.mp3");
    WriteBytes(path, std::string(row.head) + "rest of the data");
    for (int wanted = -1; wanted <= 4; ++wanted)
      EXPECT_EQ(CheckTagCompatibility(path, wanted), row.results[wanted + 1])
          << row.head << " wanted " << wanted;
  }
}

TEST(CheckTagCompatibility, WithoutSignatureTheLastExtensionDecides) {
  TempDir dir;
  const std::string data = "\xFF\xFB\x90\x00 frames";
  for (const char* name : {"a.MP3", "b.Mp3", "c.mp3"}) {
    WriteBytes(dir.file(name), data);
    EXPECT_EQ(CheckTagCompatibility(dir.file(name), 1), 0) << name;
    EXPECT_EQ(CheckTagCompatibility(dir.file(name), 0), -2) << name;
  }
  for (const char* name : {"d.mp3.wav", "mp3", "e.mp", ".mp3x"}) {
    WriteBytes(dir.file(name), data);
    EXPECT_EQ(CheckTagCompatibility(dir.file(name), 1), -2) << name;
  }
  // A folder name with a dot does not lend its extension to a file without one.
  std::filesystem::create_directory(dir.file("album.mp3"));
  WriteBytes(dir.file("album.mp3/track"), data);
  EXPECT_EQ(CheckTagCompatibility(dir.file("album.mp3/track"), 1), -2);
}

TEST(CheckTagCompatibility, ShortFileIsJudgedByItsNameAndMissingFileIsUnreadable) {
  TempDir dir;
  WriteBytes(dir.file("short.mp3"), "Ogg");
  EXPECT_EQ(CheckTagCompatibility(dir.file("short.mp3"), 1), 0);
  WriteBytes(dir.file("empty.ogg"), "");
  EXPECT_EQ(CheckTagCompatibility(dir.file("empty.ogg"), 2), -2);
  EXPECT_EQ(CheckTagCompatibility(dir.file("missing.mp3"), 1), -1);
}

TEST(CheckMp3Extension, OnlyId3KindsPass) {
  EXPECT_EQ(CheckMp3Extension("/x/a.mp3", 1), 0);
  EXPECT_EQ(CheckMp3Extension("/x/a.mp3", 3), 0);
  for (int wanted : {-1, 0, 2, 4}) EXPECT_EQ(CheckMp3Extension("/x/a.mp3", wanted), -2);
  // ":" and "\" are ordinary characters in a file name here.
  EXPECT_EQ(CheckMp3Extension("/x/c:a.mp3", 1), 0);
  EXPECT_EQ(CheckMp3Extension("/x/a.mp3\\b", 1), -2);
}

TEST(GenreTable, NamesAndIndexes) {
  EXPECT_STREQ(GenreName(0), "Blues");
  EXPECT_STREQ(GenreName(29), "Juzz+Funk");
  EXPECT_STREQ(GenreName(101), "SpeechChanson");
  EXPECT_STREQ(GenreName(127), "Dram & Bass");
  EXPECT_STREQ(GenreName(145), "Anime");
  EXPECT_STREQ(GenreName(147), "Synthpop");
  EXPECT_STREQ(GenreName(148), "");
  EXPECT_STREQ(GenreName(250), "");
  EXPECT_STREQ(GenreName(251), "Seiyu");
  EXPECT_STREQ(GenreName(255), "Anime");
  EXPECT_STREQ(GenreName(256), "");
  EXPECT_STREQ(GenreName(-1), "");

  EXPECT_EQ(GenreIndex("Anime"), 255);
  EXPECT_EQ(GenreIndex(""), 250);
  EXPECT_EQ(GenreIndex("Polka"), 75);
}

// Names typed in other letter cases, or spelled as other programs spell them, find the
// table's entry; a name the table lacks is stored as no genre, never as "Blues".
TEST(GenreTable, FindsNamesWithoutRegardToCaseAndByTheirCommonSpellings) {
  const std::pair<const char*, int> found[] = {
      {"rock", 17},         {"ROCK", 17},          {"anime", 255},        {"jpop", 146},
      {"", 250},            {"Euro-Techno", 25},   {"Jazz+Funk", 29},     {"jazz+funk", 29},
      {"Psychedelic", 67},  {"Bebop", 85},         {"Avantgarde", 90},    {"Psychedelic Rock", 93},
      {"Speech", 101},      {"Rhythmic Soul", 118}, {"Drum & Bass", 127}, {"DRUM & BASS", 127},
      {"Christian Gangsta Rap", 136}, {"Juzz+Funk", 29}, {"Tecno Ambient", 252},
  };
  for (const auto& [name, index] : found) {
    EXPECT_EQ(FindGenreIndex(name), index) << name;
    EXPECT_EQ(GenreIndex(name), index) << name;
  }
  for (const char* unknown : {"No Such Genre", "Rock ", " Rock", "Blues\t", "Ｒｏｃｋ"}) {
    EXPECT_EQ(FindGenreIndex(unknown), std::nullopt) << unknown;
    EXPECT_EQ(GenreIndex(unknown), 250) << unknown;
  }
}

TEST(GenreTable, EveryNamedEntryMapsBackToItselfExceptTheFirstAnime) {
  int named = 0;
  for (int i = 0; i < kGenreCount; ++i) {
    const std::string name = GenreName(i);
    if (name.empty()) continue;
    ++named;
    EXPECT_EQ(GenreIndex(name), i == 145 ? 255 : i) << name;
  }
  EXPECT_EQ(named, 153);
}

}  // namespace
}  // namespace marlinote
