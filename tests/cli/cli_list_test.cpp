// marlinote-cli list on real folders, with the filter file in the current folder and the
// settings file under a temporary XDG_CONFIG_HOME; its CSV export of tags that other
// programs wrote (vorbiscomment, the Python library mutagen).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <filesystem>
#include <optional>
#include <utility>

#include "catalogue/csv_export.h"
#include "tags/ape_format.h"
#include "tags/tag_probe.h"
#include "tags/id3v1_trailer.h"
#include "tests/cli/cli_runner.h"
#include "tests/cli/cp932_texts.h"
#include "tests/support/file_bytes.h"
#include "tests/support/ogg_maker.h"
#include "tests/support/shell.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"

namespace marlinote {
namespace {

namespace fs = std::filesystem;
using test::AudioBytes;
using test::HasMutagen;
using test::kHyou;
using test::kPython;
using test::kSakura;
using test::ReadBytes;
using test::RunCliWith;
using test::RunShell;
using test::TempDir;
using test::WriteBytes;

// A filter file: "MLFF", the count, then 40-byte entries of a flag and a text.
std::string FilterFile(const std::vector<std::pair<std::string, bool>>& entries) {
  std::string bytes = "MLFF";
  for (int shift = 0; shift < 32; shift += 8)
    bytes += static_cast<char>(entries.size() >> shift & 0xFF);
  for (const auto& [extension, enabled] : entries) {
    std::string entry(40, '\0');
    entry[0] = enabled ? 1 : 0;
    entry.replace(1, extension.size(), extension);
    bytes += entry;
  }
  return bytes;
}

// The table's lines split into cells; the header line is row 0.
std::vector<std::vector<std::string>> Cells(const std::string& table) {
  std::vector<std::vector<std::string>> rows;
  std::size_t start = 0;
  for (std::size_t end; (end = table.find('\n', start)) != std::string::npos; start = end + 1) {
    std::vector<std::string> row;
    const std::string line = table.substr(start, end - start);
    for (std::size_t from = 0;;) {
      const std::size_t tab = line.find('\t', from);
      row.push_back(line.substr(from, tab - from));
      if (tab == std::string::npos) break;
      from = tab + 1;
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

// The cells of one column below the header.
std::vector<std::string> Column(const std::string& table, std::size_t column) {
  std::vector<std::string> cells;
  const auto rows = Cells(table);
  for (std::size_t i = 1; i < rows.size(); ++i)
    cells.push_back(column < rows[i].size() ? rows[i][column] : "?");
  return cells;
}

using Names = std::vector<std::string>;

// Every test runs in an empty current folder (where "./filefilter.dat" is looked for) with
// its own settings folder, both put back afterwards.
class CliList : public ::testing::Test {
 protected:
  void SetUp() override {
    oldCwd_ = fs::current_path();
    fs::create_directories(cwd.path());
    fs::current_path(cwd.path());
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) oldConfig_ = old;
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  }
  void TearDown() override {
    fs::current_path(oldCwd_);
    if (oldConfig_)
      setenv("XDG_CONFIG_HOME", oldConfig_->c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
  }

  void MakeFiles(const Names& names) {
    for (const std::string& name : names) {
      fs::create_directories(fs::path(dir.file(name)).parent_path());
      WriteBytes(dir.file(name), AudioBytes(200));
    }
  }
  Names Listed(std::vector<std::string> args) {
    args.insert(args.begin(), "list");
    args.push_back(dir.path());
    const auto run = RunCliWith(args);
    EXPECT_EQ(run.status, 0) << run.err;
    return Column(run.out, 1);
  }

  TempDir dir, cwd, config;

 private:
  fs::path oldCwd_;
  std::optional<std::string> oldConfig_;
};

TEST_F(CliList, TableShowsTitleEveryColumnAndTheKindOfEachFile) {
  WriteBytes(dir.file("A.MP3"), AudioBytes(900) + RenderId3v1Trailer({{"Title", kSakura},
                                                                       {"Artist", kHyou},
                                                                       {"Year", "1999"},
                                                                       {"Track", "7"},
                                                                       {"Genre", "Anime"}}));
  test::WriteOggVorbis(dir.file("b.ogg"),
                       {.comments = {"TITLE=Song", "COMMENT=one\ntwo\tthree\\"}});
  WriteBytes(dir.file("c.ape"),
             AudioBytes(300) + *RenderApeTag({{"Title", "x"}, {"Album", "\xFF"}}));
  MakeFiles({"README", "bad\xFF.wav", "two\nlines.wav", ".hidden.mp3", "sub/d.mp3"});

  const auto run = RunCliWith({"list", dir.path()});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "Title\tFileName\tAirtist\tAlbum\tComment\tYear\tGenre\tTrack\tType\n"
            "桜の季節\tA.MP3\t表\t\t\t1999\tAnime\t7\tID3v1_Tag\n"
            "Song\tb.ogg\t\t\tone\\ntwo\\tthree\\\\\t\t\t\tOgg_Tag\n"
            "\tbad\xEF\xBF\xBD.wav\t\t\t\t\t\t\tAbstract_Tag\n"
            "x\tc.ape\t\t\xEF\xBF\xBD\t\t\t\t\tApe_Tag\n"
            "\tREADME\t\t\t\t\t\t\tAbstract_Tag\n"
            "\ttwo\\nlines.wav\t\t\t\t\t\t\tAbstract_Tag\n");

  // An empty folder gives the header alone.
  TempDir empty;
  EXPECT_EQ(Cells(RunCliWith({"list", empty.path()}).out).size(), 1u);
}

TEST_F(CliList, TheFilterListComesFromTheCurrentFolderOrTheGivenFile) {
  MakeFiles({"Song.MP3", "b.ogg", "c.wav", "README", "x.tar.gz"});
  EXPECT_EQ(Listed({}), (Names{"b.ogg", "c.wav", "README", "Song.MP3", "x.tar.gz"}));

  WriteBytes(cwd.file("filefilter.dat"), FilterFile({{".mp3", true}, {".ogg", false}}));
  EXPECT_EQ(Listed({}), Names{"Song.MP3"});

  const std::string other = cwd.file("other.dat");
  WriteBytes(other, FilterFile({{".OGG", true}, {".gz", true}, {".tar.gz", true}}));
  EXPECT_EQ(Listed({"--filter-file", other}), (Names{"b.ogg", "x.tar.gz"}));
  // No entries at all lists nothing; a missing or foreign file lists everything.
  WriteBytes(other, FilterFile({}));
  EXPECT_EQ(Listed({"--filter-file", other}), Names{});
  EXPECT_EQ(Listed({"--filter-file", cwd.file("missing.dat")}).size(), 5u);
  WriteBytes(other, "not a filter file");
  EXPECT_EQ(Listed({"--filter-file", other}).size(), 5u);
}

TEST_F(CliList, RecursiveEntersSubfoldersButNotHiddenOnes) {
  MakeFiles({"a.mp3", "sub/b.mp3", "sub/deeper/c.mp3", ".hidden/d.mp3", "sub/.e.mp3"});
  fs::create_directory_symlink("sub", dir.file("link"));
  EXPECT_EQ(Listed({}), Names{"a.mp3"});
  EXPECT_EQ(Listed({"--recursive"}), (Names{"a.mp3", "b.mp3", "c.mp3"}));
}

TEST_F(CliList, EverySortOrder) {
  MakeFiles({"b.mp3", "A.ogg", "c", ".d"});
  // A dot sorts before letters, so a file without an extension follows the others by
  // extension.
  EXPECT_EQ(Listed({}), (Names{"A.ogg", "b.mp3", "c"}));
  EXPECT_EQ(Listed({"--sort", "name"}), (Names{"A.ogg", "b.mp3", "c"}));
  EXPECT_EQ(Listed({"--sort", "name-desc"}), (Names{"c", "b.mp3", "A.ogg"}));
  EXPECT_EQ(Listed({"--sort=ext"}), (Names{"b.mp3", "A.ogg", "c"}));
  EXPECT_EQ(Listed({"--sort", "ext-desc"}), (Names{"c", "A.ogg", "b.mp3"}));
}

TEST_F(CliList, ColumnsAreTheStoredOnesAndTheSettingsAreOnlyRead) {
  WriteBytes(dir.file("a.mp3"),
             AudioBytes(300) + RenderId3v1Trailer({{"Title", "Song"}, {"Artist", "X"}}));
  std::string reg = "Windows Registry Editor Version 5.00\r\n";
  const char* names[] = {"タイトル", "ファイル名", "A", "B", "C", "年", "G", "T"};
  for (int i = 0; i < 8; ++i) {
    // The Title stays first even when its stored switch is off.
    const bool enabled = i == 1 || i == 5;
    reg += "\r\n[HKEY_CURRENT_USER\\Software\\Velmora\\Marlinote\\Column" + std::to_string(i) +
           "]\r\n\"Enabled\"=dword:0000000" + (enabled ? "1" : "0") +
           "\r\n\"Width\"=dword:00000050\r\n\"Name\"=\"" + names[i] + "\"\r\n";
  }
  fs::create_directories(config.file("Velmora"));
  const std::string settings = config.file("Velmora/Marlinote.reg");
  WriteBytes(settings, reg);

  const auto table = RunCliWith({"list", dir.path()});
  EXPECT_EQ(table.out, "タイトル\tファイル名\t年\tType\nSong\ta.mp3\t\tID3v1_Tag\n");
  // The export keeps its fixed header words.
  const auto csv = RunCliWith({"list", "--csv", "-", dir.path()});
  EXPECT_EQ(csv.out, "\"Title\",\"FileName\",\"Year\"\r\n\"Song\",\"a.mp3\",\"\"\r\n");
  EXPECT_EQ(ReadBytes(settings), reg);
  EXPECT_EQ(std::distance(fs::directory_iterator(config.file("Velmora")), fs::directory_iterator()),
            1);
}

TEST_F(CliList, CsvGoesToStandardOutputOrReplacesTheFileWhole) {
  // An ID3v1.1 trailer always holds a track number.
  WriteBytes(dir.file("a \"q\".mp3"), AudioBytes(300) + RenderId3v1Trailer({{"Title", kSakura}}));
  MakeFiles({"夜.wav"});
  const std::string expected =
      "\"Title\",\"FileName\",\"Artist\",\"Album\",\"Comment\",\"Year\",\"Genre\",\"Track\"\r\n"
      "\"" + kSakura + "\",\"a \"\"q\"\".mp3\",\"\",\"\",\"\",\"\",\"\",\"0\"\r\n"
      "\"\",\"\x96\xE9.wav\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n";
  const auto toStdout = RunCliWith({"list", "--csv", "-", dir.path()});
  EXPECT_EQ(toStdout.status, 0);
  EXPECT_EQ(toStdout.out, expected);

  const std::string csv = cwd.file("out.csv");
  WriteBytes(csv, "older and longer content than the export");
  const auto toFile = RunCliWith({"list", "--csv", csv, dir.path()});
  EXPECT_EQ(toFile.status, 0) << toFile.err;
  EXPECT_EQ(toFile.out, csv + ": 2 rows written\n");
  EXPECT_EQ(ReadBytes(csv), expected);

  const std::string nowhere = cwd.file("missing/out.csv");
  const auto failed = RunCliWith({"list", "--csv", nowhere, dir.path()});
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(failed.out, "");
  EXPECT_EQ(failed.err.rfind(nowhere + ": cannot be created", 0), 0u) << failed.err;
}

TEST_F(CliList, AFolderThatCannotBeReadIsNamedAndNothingIsWritten) {
  const std::string csv = cwd.file("keep.csv");
  WriteBytes(csv, "kept");
  MakeFiles({"file.mp3"});
  for (const std::string& folder : {dir.file("missing"), dir.file("file.mp3")}) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"list", folder}, {"list", "--csv", "-", folder},
          {"list", "--csv", csv, "--recursive", folder}}) {
      const auto run = RunCliWith(args);
      EXPECT_EQ(run.status, 1) << folder;
      EXPECT_EQ(run.out, "") << folder;
      EXPECT_EQ(run.err.rfind(folder + ": cannot be read: ", 0), 0u) << run.err;
      EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
  }
  EXPECT_EQ(ReadBytes(csv), "kept");
}

TEST_F(CliList, ASubfolderWithoutReadPermissionIsNamedAndTheRestListed) {
  MakeFiles({"a.mp3", "open/b.mp3", "closed/c.mp3"});
  for (const std::string& folder : {dir.path(), dir.file("open"), dir.file("closed")})
    fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec);
  fs::permissions(dir.file("closed"), fs::perms::none);
  const std::optional<std::string> result = test::RunUnprivilegedForText([&] {
    if (access(dir.path().c_str(), R_OK | X_OK) != 0) return std::string("no access");
    const auto run = RunCliWith({"list", "--recursive", dir.path()});
    std::string text = std::to_string(run.status) + "|" + run.err;
    for (const std::string& name : Column(run.out, 1)) text += name + ";";
    return text;
  });
  ASSERT_TRUE(result);
  if (*result == "no access")
    GTEST_SKIP() << "the temporary folder is out of reach of an unprivileged user";
  EXPECT_EQ(*result,
            "1|" + dir.file("closed") + ": cannot be read: Permission denied\na.mp3;b.mp3;");
}

TEST_F(CliList, CsvOfTagsWrittenByOtherProgramsIsTheWindowsExport) {
  if (!HasMutagen())
    GTEST_SKIP() << "python3-mutagen is not installed";
  const std::string ogg = dir.file("1.ogg");
  test::WriteOggVorbis(ogg);
  const auto vorbis = RunShell("vorbiscomment -w -t 'TITLE=桜の季節' -t 'ARTIST=山田花子' "
                               "-t 'ALBUM=表' -t 'COMMENT=say \"hi\", ok' -t 'DATE=2001' "
                               "-t 'TRACKNUMBER=3' -t 'GENRE=Anime' '" + ogg + "' 2>&1");
  ASSERT_EQ(vorbis.status, 0) << vorbis.out;
  const std::string ape = dir.file("2.ape");
  const std::string mp3 = dir.file("3 夜.mp3");
  WriteBytes(ape, AudioBytes(800));
  WriteBytes(mp3, AudioBytes(800));
  // mutagen writes ID3v1 texts as Latin-1, so code page 932 bytes pass through it as
  // Latin-1 characters; an APE value goes in as bytes.
  WriteBytes(cwd.file("write.py"), R"(
import sys
from mutagen.apev2 import APEv2, APEValue, BINARY
from mutagen.id3 import MakeID3v1, TIT2, TPE1, TALB, TDRC, COMM, TRCK, TCON
tag = APEv2()
tag['Title'] = 'Written elsewhere'
tag['Artist'] = APEValue('山田花子'.encode('cp932'), BINARY)
tag['Year'] = '1999'
tag['Track'] = '5'
tag.save(sys.argv[1])
raw = lambda s: s.encode('cp932').decode('latin1')
frames = {'TIT2': TIT2(text=raw('桜の季節')), 'TPE1': TPE1(text='Band'),
          'TALB': TALB(text='LP'), 'TDRC': TDRC(text='1999'),
          'COMM': COMM(lang='eng', desc='', text='note'), 'TRCK': TRCK(text='12'),
          'TCON': TCON(text='Jazz')}
with open(sys.argv[2], 'ab') as f:
    f.write(MakeID3v1(frames))
)");
  const auto python = RunShell(std::string(kPython) + " write.py '" + ape + "' '" + mp3 + "' 2>&1");
  ASSERT_EQ(python.status, 0) << python.out;
  // A character that code page 932 cannot hold becomes one space in the file name.
  MakeFiles({"4 😀.wav"});

  const std::string yamada = "\x8E\x52\x93\x63\x89\xD4\x8E\x71";
  const std::string expected =
      "\"Title\",\"FileName\",\"Artist\",\"Album\",\"Comment\",\"Year\",\"Genre\",\"Track\"\r\n"
      "\"" + kSakura + "\",\"1.ogg\",\"" + yamada + "\",\"" + kHyou +
      "\",\"say \"\"hi\"\", ok\",\"2001\",\"Anime\",\"3\"\r\n"
      "\"Written elsewhere\",\"2.ape\",\"" + yamada + "\",\"\",\"\",\"1999\",\"\",\"5\"\r\n"
      "\"" + kSakura + "\",\"3 \x96\xE9.mp3\",\"Band\",\"LP\",\"note\",\"1999\",\"Jazz\",\"12\"\r\n"
      "\"\",\"4  .wav\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n";

  // The lines as the window's export builds them from its list.
  TTagList list;
  for (const std::string& file : {ogg, ape, mp3, dir.file("4 😀.wav")})
    list.Add(CreateTagForFile(file));
  EXPECT_EQ(BuildCsv(list, DefaultColumnTable()), expected);

  const auto run = RunCliWith({"list", "--csv", "-", dir.path()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, expected);
  const auto program =
      RunShell(std::string(MARLINOTE_CLI_PROGRAM) + " list --csv - '" + dir.path() + "'");
  EXPECT_EQ(program.status, 0);
  EXPECT_EQ(program.out, expected);
}

// The program itself, ended after ten seconds: a FIFO or a device must never hold it up.
test::Shell RunProgramWithin(const std::string& args) {
  return RunShell("timeout 10 " + std::string(MARLINOTE_CLI_PROGRAM) + " " + args + " 2>&1");
}

TEST_F(CliList, CsvGoesIntoAFifoOrStandardOutputAndNoFifoHoldsTheListingUp) {
  MakeFiles({"a.mp3"});
  const std::string expected = "\"Title\",\"FileName\",\"Artist\",\"Album\",\"Comment\",\"Year\","
                               "\"Genre\",\"Track\"\r\n\"\",\"a.mp3\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n";
  const auto list = [&](const std::string& csv) { return RunProgramWithin("list --csv '" + csv + "' '" + dir.path() + "'"); };

  // A FIFO that the test reads, and standard output through its name (a pipe here).
  const std::string fifo = cwd.file("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  const auto intoFifo = list(fifo);
  std::string got(4096, '\0');
  got.resize(static_cast<std::size_t>(std::max<ssize_t>(0, read(reader, got.data(), got.size()))));
  close(reader);
  EXPECT_EQ(intoFifo.status, 0) << intoFifo.out;
  EXPECT_EQ(got, expected);
  EXPECT_EQ(list("/dev/stdout").out, expected + "/dev/stdout: 1 row written\n");
  // Standard output sent to a file: the export goes where the shell sent it, after the rest.
  const std::string log = cwd.file("log");
  WriteBytes(log, "kept\n");
  EXPECT_EQ(RunShell(std::string(MARLINOTE_CLI_PROGRAM) + " list --csv /dev/stdout '" + dir.path() +
                     "' >> '" + log + "'")
                .status,
            0);
  EXPECT_EQ(ReadBytes(log), "kept\n" + expected + "/dev/stdout: 1 row written\n");

  // A FIFO that nobody reads fails at once.
  const auto unread = list(fifo);
  EXPECT_EQ(unread.status, 1);
  EXPECT_EQ(unread.out, fifo + ": cannot be created: No such device or address; nothing was written\n");
  struct stat st {};
  EXPECT_TRUE(lstat(fifo.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));

  // Nor do a FIFO as the filter file or as the settings file hold the listing up.
  fs::create_directories(config.file("Velmora"));
  ASSERT_EQ(mkfifo(config.file("Velmora/Marlinote.reg").c_str(), 0600), 0);
  const auto filteredByFifo = RunProgramWithin("list --filter-file '" + fifo + "' '" + dir.path() + "'");
  EXPECT_EQ(filteredByFifo.status, 0);
  EXPECT_EQ(Column(filteredByFifo.out, 1), Names({"a.mp3"}));
}

TEST_F(CliList, UsageErrors) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"list"}, {"list", dir.path(), cwd.path()},
        {"list", "--sort", "size", dir.path()}, {"list", "--csv"}, {"list", "--csv=", dir.path()},
        {"list", "--filter-file=", dir.path()}, {"list", "--recursive=yes", dir.path()}}) {
    const auto run = RunCliWith(args);
    EXPECT_EQ(run.status, 2) << args.back();
    EXPECT_EQ(run.err.rfind("marlinote-cli list: ", 0), 0u) << run.err;
  }
  EXPECT_NE(RunCliWith({"list", "--help"}).out.find("--filter-file"), std::string::npos);
}

}  // namespace
}  // namespace marlinote
