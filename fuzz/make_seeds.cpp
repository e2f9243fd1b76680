// Writes the seed inputs of every fuzz target, made by the program's own writers (and the
// test helper that encodes real Ogg Vorbis streams), into <folder>/<target>/.
//
//   make_seeds <folder>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/filter_list.h"
#include "catalogue/settings.h"
#include "platform/reg_file_store.h"
#include "platform/reg_text.h"
#include "tags/ape_format.h"
#include "tags/ape_tag.h"
#include "tags/id3v1_tag.h"
#include "tags/id3v1_trailer.h"
#include "tests/support/file_bytes.h"
#include "tests/support/id3v2_maker.h"
#include "tests/support/ogg_maker.h"

namespace {

namespace fs = std::filesystem;
namespace m = marlinote;
using marlinote::test::AudioBytes;
using marlinote::test::ReadBytes;
using marlinote::test::WriteBytes;

const std::string kSakura = "\x8D\xF7\x82\xCC\x8B\x47\x90\xDF";  // 桜の季節 in code page 932
const m::FieldList kSeven = {{"Title", kSakura}, {"Artist", "Band"}, {"Album", "LP"},
                             {"Year", "1999"},   {"Comment", "c"},   {"Track", "3"},
                             {"Genre", "Jazz"}};

class Seeds {
 public:
  Seeds(const fs::path& root, const std::string& target) : folder_(root / target) {
    fs::create_directories(folder_);
  }
  void Add(const std::string& name, const std::string& bytes) {
    WriteBytes((folder_ / name).string(), bytes);
  }
  std::string Path(const std::string& name) const { return (folder_ / name).string(); }

 private:
  fs::path folder_;
};

class NoBoxes : public m::MessageBoxes {
 public:
  int Show(const std::string&, const std::string&, int) override { return m::kResultOk; }
  void ShowPlain(const std::string&) override {}
};

class Window : public m::SettingsWindow {
 public:
  int GetMetric(Metric metric) const override { return 100 + 10 * metric; }
  void SetMetric(Metric, int) override {}
  std::vector<int> ListColumnWidths() const override { return {120, 80, 200, 64, 64, 40, 90, 30}; }
};

void ApeSeeds(const fs::path& root) {
  Seeds seeds(root, "ape_read");
  const std::string audio = AudioBytes(200);
  // Written by TAPETag itself, behind audio.
  const std::string path = seeds.Path("tagged.ape");
  WriteBytes(path, audio);
  m::TAPETag tag;
  tag.SetFilePath(path);
  tag.GetFieldList() = kSeven;
  tag.GetFieldList().push_back({"X-OTHER", std::string("a\0b", 3)});
  tag.WriteTag();
  seeds.Add("footer-only.ape", *m::RenderApeTag({}));
  seeds.Add("one-item.ape", *m::RenderApeTag({{"Title", "x"}}));
  // A header in front of the items, as other programs write it.
  const std::string items = m::RenderApeItems({{"Album", "a"}, {"", "empty key"}});
  seeds.Add("with-header.ape", audio.substr(0, 20) + "APETAGEX" + std::string(24, '\0') + items +
                                   m::RenderApeFooter(items.size() + 32, 2));
  seeds.Add("apeid3.mp3", audio + *m::RenderApeTag(kSeven) + m::RenderId3v1Trailer(kSeven));
}

void Id3v1Seeds(const fs::path& root) {
  Seeds seeds(root, "id3v1_read");
  const std::string audio = AudioBytes(64);
  const std::string path = seeds.Path("tagged.mp3");
  WriteBytes(path, audio);
  m::TID3v1Tag tag;
  tag.SetFilePath(path);
  tag.GetFieldList() = kSeven;
  tag.WriteTag();
  seeds.Add("long-values.mp3", m::RenderId3v1Trailer({{"Title", std::string(40, 't')},
                                                      {"Comment", std::string(16, '\x82') + "x"},
                                                      {"Track", "300"},
                                                      {"Genre", "Anime"}}));
  // ID3v1.0: the comment fills 30 bytes, no track.
  std::string v10 = m::RenderId3v1Trailer(kSeven);
  v10.replace(97, 30, std::string(30, 'c'));
  seeds.Add("v10.mp3", v10);
}

// ID3v2 tags as other programs write them: each version, each text encoding, a code page 932
// text marked ISO-8859-1, a picture, a 2.3 year, a genre number, an ID3v1 trailer behind the
// audio.
void Id3v2Seeds(const fs::path& root) {
  using m::test::MakeId3v2Tag;
  using m::test::TextContent;
  Seeds seeds(root, "id3v2_read");
  const std::string audio = AudioBytes(64);
  seeds.Add("v23.mp3", MakeId3v2Tag(3, {{"TIT2", TextContent(1, "\xE6\xA1\x9C")},
                                        {"TPE1", TextContent(0, kSakura)},
                                        {"TYER", TextContent(0, "1999")},
                                        {"COMM", std::string("\0eng\0memo", 9)},
                                        {"TCON", TextContent(0, "(145)")}}, 40) +
                            audio + m::RenderId3v1Trailer(kSeven));
  seeds.Add("v24.mp3", MakeId3v2Tag(4, {{"TIT2", TextContent(3, std::string("a\0b", 3))},
                                        {"TDRC", TextContent(3, "2024-05-01")},
                                        {"APIC", std::string("\0image/png\0\x03\0", 13) + audio},
                                        {"TXXX", std::string("\0REPLAYGAIN_TRACK_GAIN\0-6 dB", 29)}}, 0) +
                            audio);
  seeds.Add("v22.mp3", MakeId3v2Tag(2, {{"TT2", TextContent(0, "Old")}, {"TYE", TextContent(0, "99")}}, 8) + audio);
  // A genre number the ID3v1 table has no name for, which TagLib's 2.3 rendering would lose.
  seeds.Add("v23-genre-number.mp3", MakeId3v2Tag(3, {{"TCON", TextContent(0, "199")}}, 20) + audio);
}

void OggSeeds(const fs::path& root) {
  Seeds seeds(root, "comment_editor");
  using m::test::MakeOggVorbis;
  seeds.Add("short.ogg", MakeOggVorbis({.comments = {"TITLE=" + std::string("\xE3\x82\xA2"), "x"},
                                        .samples = 2000}));
  seeds.Add("stereo-pages.ogg", MakeOggVorbis({.comments = {"ARTIST=a", "ALBUM=b"},
                                               .samples = 3000,
                                               .channels = 2,
                                               .rate = 22050,
                                               .packets_per_page = 3}));
  seeds.Add("chained.ogg", m::test::MakeChainedOggVorbis({.samples = 1000},
                                                         {.samples = 1000, .serial = 7}));
  seeds.Add("trailer.ogg", MakeOggVorbis({.samples = 1000}) + m::RenderId3v1Trailer(kSeven));
}

// Files of every kind for the probe, and ones whose tag or headers reach beyond the bytes it
// reads first (the first 16 KiB and the last 4 KiB).
void ProbeSeeds(const fs::path& root) {
  Seeds seeds(root, "tag_probe");
  using m::test::MakeOggVorbis;
  const std::string audio = AudioBytes(300);
  seeds.Add("ape", audio + *m::RenderApeTag(kSeven));
  seeds.Add("id3v1", audio + m::RenderId3v1Trailer(kSeven));
  seeds.Add("id3v1-behind-ape", audio + *m::RenderApeTag(kSeven) + m::RenderId3v1Trailer(kSeven));
  seeds.Add("ape-behind-id3v1", audio + m::RenderId3v1Trailer(kSeven) + *m::RenderApeTag(kSeven));
  seeds.Add("long-ape", audio + *m::RenderApeTag({{"Comment", std::string(6000, 'c')}}));
  seeds.Add("ogg", MakeOggVorbis({.comments = {"TITLE=t"}, .samples = 1000}));
  seeds.Add("long-ogg", MakeOggVorbis({.comments = {"COMMENT=" + std::string(20000, 'c')},
                                       .samples = 1000}));
  seeds.Add("ogg-with-ape", MakeOggVorbis({.samples = 1000}) + *m::RenderApeTag(kSeven));
  seeds.Add("none", audio);
  seeds.Add("id3v2-and-ape", m::test::MakeId3v2Tag(3, {{"TIT2", m::test::TextContent(1, "t")}}, 20) +
                                 audio + *m::RenderApeTag(kSeven));
}

void TextSeeds(const fs::path& root) {
  Seeds seeds(root, "text_conversion");
  seeds.Add("cp932", kSakura + "ABC\xB1\xB2 \x81");  // kanji, ASCII, half-width kana, a cut pair
  seeds.Add("utf8", "\xEF\xBB\xBF\xE6\xA1\x9C \xCE\xB1\xD0\x96 \xF0\x9F\x98\x80 \xE3\x82");
  seeds.Add("latin", "caf\xC3\xA9 \xC2\xA5 \xE3\x80\x9C");
}

void FilterSeeds(const fs::path& root) {
  Seeds seeds(root, "filter_list");
  NoBoxes boxes;
  m::FilterList list;
  list.Replace({{".mp3", true}, {".ogg", false}, {".*", true}, {".\x83\x41", true}});
  const std::string path = seeds.Path("list.tmp");
  list.WriteFilterList(path, boxes);
  // The fuzz target takes a file name first, then the file's bytes.
  seeds.Add("list", std::string("Song.MP3\\") + ReadBytes(path));
  m::FilterList::Default().WriteFilterList(path, boxes);
  seeds.Add("default", std::string("README\\") + ReadBytes(path));
  fs::remove(path);
}

void SettingsSeeds(const fs::path& root) {
  Seeds seeds(root, "settings_file");
  const std::string path = seeds.Path("saved.tmp");
  {
    m::RegFileStore store(path);
    m::MainSettings settings;
    settings.ColumnTable[2].Enabled = false;
    settings.ColumnTable[4].Name = "\xE3\x82\xB3\xE3\x83\xA1\xE3\x83\xB3\xE3\x83\x88";
    settings.FileExtSync = 1;
    Window window;
    m::SaveSettings(store, settings, window);
  }
  seeds.Add("saved.reg", ReadBytes(path));
  fs::remove(path);
  m::RegKeys keys;
  keys["Software\\Other"]["Expand"] = m::RegValue::Text("%HOME%\\x", m::kRegExpandSz);
  keys["Software\\Other"]["Lines"] = m::RegValue::Text("a\nb");
  keys["Software\\Other"][""] = m::RegValue{m::kRegBinary, 0, std::string("\x00\xFF", 2)};
  keys["Software\\Other"]["Multi"] = m::RegValue{7, 0, std::string("a\0b\0\0", 5)};
  seeds.Add("types.reg", m::RenderRegText(keys));
  seeds.Add("regedit4.reg",
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Velmora\\Marlinote\\Column0]\r\n"
            "\"Enabled\"=dword:00000001\r\n\"Name\"=hex(2):41,42,00\r\n; comment\r\n"
            "@=hex:01,\\\r\n  02\r\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds <folder>\n");
    return 2;
  }
  const fs::path root = argv[1];
  ApeSeeds(root);
  Id3v1Seeds(root);
  Id3v2Seeds(root);
  ProbeSeeds(root);
  OggSeeds(root);
  TextSeeds(root);
  FilterSeeds(root);
  SettingsSeeds(root);
  return 0;
}
