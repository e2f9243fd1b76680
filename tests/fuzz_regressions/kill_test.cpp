// A save that is killed at any moment: the real marlinote-cli run under strace, which kills
// it (SIGKILL) at one system call after another, or makes one of them fail. Whatever the
// moment, the file ends with a readable tag, the old one or the new one, the audio in front
// of it is unchanged, an Ogg file under its name is the old file or the new one byte for
// byte, and the next save goes through as if nothing had happened. And a batch stopped by
// Ctrl-C (or kill, or a closed terminal) finishes the file in hand and tells its caller.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_beside.h"
#include "platform/stop_signals.h"
#include "tags/ape_format.h"
#include "tags/ape_tag.h"
#include "tags/id3v1_tag.h"
#include "tags/id3v1_trailer.h"
#include "tags/id3v2_tag.h"
#include "tags/tag_probe.h"
#include "tests/support/child_process.h"
#include "tests/support/file_bytes.h"
#include "tests/support/id3v2_maker.h"
#include "tests/support/ogg_maker.h"
#include "tests/support/temp_dir.h"

namespace marlinote {
namespace {

namespace fs = std::filesystem;
using test::Ending;
using test::ReadBytes;
using test::RunProgram;
using test::TempDir;
using test::WriteBytes;

constexpr const char* kStrace = "/usr/bin/strace";

// The calls of a save that change a file or could: a kill is tried at each of them. The
// calls of the program's start (loading libraries) and the reads change nothing; leaving
// them out keeps the test to seconds.
constexpr const char* kWriteCalls =
    "openat,pwrite64,write,ftruncate,fsync,fdatasync,close,rename,renameat,renameat2,unlinkat,"
    "fchown,fchmod,flock";

// What a file reads as: its kind of tag and its fields.
struct Tagging {
  int kind;
  FieldList fields;
  bool operator==(const Tagging&) const = default;
};

Tagging TaggingOf(const std::string& path) {
  std::unique_ptr<TAbstractTag> tag = CreateTagForFile(path);
  return {tag->GetTagType(), tag->GetFieldList()};
}

// Each tag of a file on its own (a file can carry an ID3v2 tag at its start and an APE tag
// or ID3v1 trailer at its end): the fields each kind reads, nothing for a kind it lacks.
std::vector<std::optional<FieldList>> EachTagOf(const std::string& path) {
  std::unique_ptr<TAbstractTag> kinds[] = {std::make_unique<TID3v2Tag>(), std::make_unique<TAPETag>(),
                                           std::make_unique<TID3v1Tag>()};
  std::vector<std::optional<FieldList>> tags;
  for (auto& kind : kinds)
    tags.push_back(kind->ReadTag(path) == 0 ? std::optional(kind->GetFieldList()) : std::nullopt);
  return tags;
}

std::vector<std::string> Cli(std::vector<std::string> args, const std::string& path) {
  args.insert(args.begin(), MARLINOTE_CLI_PROGRAM);
  args.push_back(path);
  return args;
}

// Runs marlinote-cli under strace, which sees only the calls on the file, its folder and the
// file that an Ogg save makes beside it.
Ending RunTraced(const std::string& path, const std::vector<std::string>& strace,
                 const std::vector<std::string>& cli) {
  const fs::path file(path);
  std::vector<std::string> args = {kStrace, "-qq", "-P", path, "-P", file.parent_path(),
                                   "-P", file.parent_path() / FileBeside::NameFor(file.filename()),
                                   "-e", std::string("trace=") + kWriteCalls};
  args.insert(args.end(), strace.begin(), strace.end());
  args.insert(args.end(), cli.begin(), cli.end());
  // LeakSanitizer cannot work under ptrace: in a sanitizer build its check at the exit
  // would fail every traced run.
  const char* asan = std::getenv("ASAN_OPTIONS");
  return RunProgram(args, {.folder = {}, .environment = {std::string("ASAN_OPTIONS=") + (asan ? asan : "") + ":detect_leaks=0"}});
}

// Each call of a traced run as its name and the how-many-th call of that name it is, which
// is how strace counts where to inject.
std::vector<std::pair<std::string, int>> CallsOf(const std::string& trace) {
  std::vector<std::pair<std::string, int>> calls;
  std::map<std::string, int> seen;
  std::istringstream lines(trace);
  for (std::string line; std::getline(lines, line);) {
    const auto paren = line.find('(');
    if (paren == std::string::npos || line.compare(0, 3, "+++") == 0) continue;
    const std::string name = line.substr(0, paren);
    calls.emplace_back(name, ++seen[name]);
  }
  return calls;
}

struct SaveCase {
  const char* name;
  const char* file;
  std::string bytes;
  // How many bytes in front of the tag must never change.
  std::size_t audio;
  std::vector<std::string> command;
  // An Ogg file: under its name always exactly the old file or the new one.
  bool wholeFile = false;
  // Bytes that must stay whole somewhere in the file (the audio behind an ID3v2 tag).
  std::string kept = {};
};

std::vector<SaveCase> SaveCases() {
  const std::string audio = test::AudioBytes(6000);
  const FieldList ape = {{"Title", "a title of some length"}, {"Artist", "Band"}};
  const FieldList id3 = {{"Title", "old"}, {"Artist", "Band"}, {"Genre", "Jazz"}};
  const std::string ogg = test::MakeOggVorbis({.comments = {"TITLE=old", "ARTIST=Band"}, .samples = 20000});
  const std::vector<test::RawFrame> frames = {{"TIT2", test::TextContent(1, "old")},
                                              {"TPE1", test::TextContent(0, "Band")},
                                              {"APIC", std::string("\0image/png\0\x03\0", 13) + audio.substr(0, 900)}};
  const std::string padded = test::MakeId3v2Tag(3, frames, 300);
  const std::string tight = test::MakeId3v2Tag(4, frames, 0);
  return {
      {"APE, a longer tag", "a.ape", audio + *RenderApeTag(ape), audio.size(),
       {"set", "--title", "a much longer title than the one before it", "--comment", "new"}},
      {"APE, a shorter tag", "b.ape", audio + *RenderApeTag(ape), audio.size(),
       {"set", "--title", "short"}},
      {"APE, a tag of the same length", "c.ape", audio + *RenderApeTag(ape), audio.size(),
       {"set", "--title", "A TITLE OF SOME LENGTH"}},
      {"ID3v1", "d.mp3", audio + RenderId3v1Trailer(id3), audio.size(), {"set", "--title", "new"}},
      {"APE to ID3v1", "e.mp3", audio + *RenderApeTag(ape), audio.size(), {"convert", "--to", "id3v1"}},
      {"ID3v1 to APE", "f.mp3", audio + RenderId3v1Trailer(id3), audio.size(), {"convert", "--to", "ape"}},
      {"Ogg Vorbis", "g.ogg", ogg, 0, {"set", "--title", "new"}, true},
      {"ID3v2, its padding takes the change", "h.mp3", padded + audio, 0,
       {"set", "--title", "new"}, false, audio},
      {"ID3v2 outgrowing its padding, an ID3v1 trailer beside it", "i.mp3",
       tight + audio + RenderId3v1Trailer(id3), 0, {"set", "--title", "a longer title"}, false, audio},
      {"ID3v2 and an APE tag", "j.mp3", padded + audio + *RenderApeTag(ape), 0,
       {"set", "--artist", "another band"}, false, audio},
      {"ID3v2 to APE", "k.mp3", tight + audio + RenderId3v1Trailer(id3), 0,
       {"convert", "--to", "ape"}, false, audio},
      {"ID3v1 to ID3v2", "l.mp3", audio + RenderId3v1Trailer(id3), 0,
       {"convert", "--to", "id3v2"}, false, audio},
  };
}

class KilledSave : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(access(kStrace, X_OK), 0) << "Debian's strace is needed (scripts/setup installs it)";
  }
};

TEST_F(KilledSave, AKillAtAnyCallLeavesTheOldTagOrTheNewOneAndTheNextSaveWorks) {
  for (const SaveCase& c : SaveCases()) {
    TempDir dir;
    const std::string path = dir.file(c.file);
    WriteBytes(path, c.bytes);
    const Tagging before = TaggingOf(path);
    const auto eachBefore = EachTagOf(path);
    ASSERT_EQ(RunProgram(Cli(c.command, path)).code, 0) << c.name;
    const Tagging after = TaggingOf(path);
    const auto eachAfter = EachTagOf(path);
    const std::string afterBytes = ReadBytes(path);
    ASSERT_NE(before, after) << c.name;

    WriteBytes(path, c.bytes);
    const std::string trace = dir.file("trace");
    ASSERT_EQ(RunTraced(path, {"-o", trace}, Cli(c.command, path)).code, 0) << c.name;
    const std::vector<std::pair<std::string, int>> calls = CallsOf(ReadBytes(trace));
    fs::remove(trace);
    ASSERT_GE(calls.size(), 3u) << c.name;

    for (const auto& [call, nth] : calls) {
      const std::string where = std::string(c.name) + ", killed at " + call + " #" + std::to_string(nth);
      WriteBytes(path, c.bytes);
      const std::string inject = "inject=" + call + ":signal=SIGKILL:when=" + std::to_string(nth);
      const Ending killed = RunTraced(path, {"-o", "/dev/null", "-e", inject}, Cli(c.command, path));
      EXPECT_TRUE(killed.signaled && killed.code == SIGKILL) << where;

      const std::string bytes = ReadBytes(path);
      EXPECT_TRUE(bytes.compare(0, c.audio, c.bytes, 0, c.audio) == 0) << where;
      const Tagging now = TaggingOf(path);
      EXPECT_TRUE(now == before || now == after) << where;
      const auto each = EachTagOf(path);
      for (std::size_t k = 0; k < each.size(); ++k)
        EXPECT_TRUE(each[k] == eachBefore[k] || each[k] == eachAfter[k]) << where << ", tag " << k;
      EXPECT_NE(bytes.find(c.kept), std::string::npos) << where;
      if (c.wholeFile) {
        EXPECT_TRUE(bytes == c.bytes || bytes == afterBytes) << where;
      }

      const Ending next = RunProgram(Cli({"set", "--title", "again"}, path));
      EXPECT_EQ(next.code, 0) << where << ": " << next.err;
      EXPECT_EQ(CreateTagForFile(path)->GetField("Title"), "again") << where;
      EXPECT_TRUE(ReadBytes(path).compare(0, c.audio, c.bytes, 0, c.audio) == 0) << where;
      EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1) << where;
    }
  }
}

// A step of a tag's replacement that fails (a full disk, a disk error): before the new tag
// is whole at the file's end the file goes back to what it was; after, the save is done.
TEST_F(KilledSave, AFailingStepLeavesTheOldTagOrFinishesTheNewOne) {
  const std::string audio = test::AudioBytes(6000);
  const std::string old = audio + *RenderApeTag({{"Title", "old"}});
  const struct {
    const char* name;
    const char* title;
    const char* fault;
    bool saved;
  } cases[] = {
      {"behind the end", "longer", "pwrite64:error=ENOSPC:when=1", false},
      {"over the old tag", "longer", "pwrite64:error=EIO:when=2", false},
      {"the cut after the new tag", "longer", "ftruncate:error=EIO:when=1", true},
      {"over a tag of the same length", "new", "pwrite64:error=EIO:when=1", false},
  };
  TempDir dir;
  const std::string path = dir.file("a.ape");
  for (const auto& c : cases) {
    WriteBytes(path, old);
    const Ending run = RunTraced(path, {"-o", "/dev/null", "-e", std::string("inject=") + c.fault},
                                 Cli({"set", "--title", c.title}, path));
    const std::string bytes = ReadBytes(path);
    if (c.saved) {
      EXPECT_EQ(run.code, 0) << c.name << ": " << run.err;
      EXPECT_EQ(CreateTagForFile(path)->GetFieldList(), (FieldList{{"Title", c.title}})) << c.name;
      EXPECT_EQ(bytes.substr(0, audio.size()), audio) << c.name;
    } else {
      EXPECT_EQ(run.code, 1) << c.name;
      EXPECT_NE(run.err.find(": the new tag could not be written; the file keeps its old tag"),
                std::string::npos)
          << c.name << ": " << run.err;
      EXPECT_TRUE(bytes == old) << c.name;
    }
  }
}

// Whether the process blocks SIGINT (and so has reached the start of its main).
bool BlocksSigint(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.compare(0, 7, "SigBlk:") == 0)
      return (std::stoull(line.substr(7), nullptr, 16) >> (SIGINT - 1)) & 1;
  }
  return false;
}

// A `set` over many files, each with an old APE tag; args holds the command line.
struct Batch {
  static constexpr int kFiles = 1500;
  TempDir dir;
  std::string audio = test::AudioBytes(300);
  std::string old = audio + *RenderApeTag({{"Title", "old"}, {"Artist", "Band"}});
  std::vector<std::string> args = {MARLINOTE_CLI_PROGRAM, "set", "--title", "new"};
  static constexpr std::size_t kFirstFile = 4;

  Batch() {
    for (int i = 0; i < kFiles; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "f%04d.ape", i);
      args.push_back(dir.file(name));
      WriteBytes(args.back(), old);
    }
  }
};

TEST(StoppedBatch, EveryFileHasItsOldOrNewTagAndTheCallerLearnsOfTheSignal) {
  const struct {
    int signal;
    int afterLines;  // -1: as soon as the program has blocked the signals
  } cases[] = {{SIGINT, -1}, {SIGINT, 1}, {SIGTERM, 1}, {SIGHUP, 150}};
  for (const auto& c : cases) {
    const std::string where = std::string(StopSignalName(c.signal)) + " after " + std::to_string(c.afterLines);
    Batch batch;
    const std::vector<std::string>& args = batch.args;
    test::RunningProgram cli(args);
    std::set<std::string> reported;
    if (c.afterLines < 0) {
      while (!BlocksSigint(cli.pid())) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    for (int line = 0; line < c.afterLines; ++line) {
      const std::optional<std::string> text = cli.ReadLine();
      ASSERT_TRUE(text) << where;
      reported.insert(text->substr(0, text->find(": written")));
    }
    cli.Signal(c.signal);
    const Ending ending = cli.Wait();
    ASSERT_TRUE(ending.signaled && ending.code == c.signal) << where << ": " << ending.code;
    std::istringstream rest(ending.out);
    for (std::string line; std::getline(rest, line);) reported.insert(line.substr(0, line.find(": written")));

    // Each file holds the new tag when it was reported written, else the old one untouched;
    // the files written are the first ones, and the last of them is named on stderr.
    int written = 0;
    for (std::size_t i = Batch::kFirstFile; i < args.size(); ++i) {
      const bool isNew = reported.count(args[i]) != 0;
      written += isNew ? 1 : 0;
      EXPECT_EQ(isNew, i - Batch::kFirstFile < reported.size()) << where << ": " << args[i];
      const std::string bytes = ReadBytes(args[i]);
      if (isNew) {
        EXPECT_EQ(bytes.substr(0, batch.audio.size()), batch.audio) << where << ": " << args[i];
        EXPECT_EQ(CreateTagForFile(args[i])->GetField("Title"), "new") << where << ": " << args[i];
      } else {
        EXPECT_TRUE(bytes == batch.old) << where << ": " << args[i];
      }
    }
    EXPECT_LT(written, Batch::kFiles) << where << ": the batch ended before the signal";
    if (written > 0) {
      EXPECT_EQ(ending.err, "marlinote-cli: stopped by " + std::string(StopSignalName(c.signal)) + " after " +
                                args[Batch::kFirstFile + written - 1] +
                                "; the files after it were left as they were\n")
          << where;
    }
  }
}

// Started ignoring the signal (nohup, a script's background job): the batch goes on.
TEST(StoppedBatch, ASignalTheProgramWasStartedIgnoringIsIgnored) {
  Batch batch;
  std::vector<std::string> args = {"/bin/sh", "-c", "trap '' HUP; exec \"$@\"", "sh"};
  args.insert(args.end(), batch.args.begin(), batch.args.end());
  test::RunningProgram cli(args);
  ASSERT_TRUE(cli.ReadLine());
  cli.Signal(SIGHUP);
  const Ending ending = cli.Wait();
  EXPECT_FALSE(ending.signaled);
  EXPECT_EQ(ending.code, 0) << ending.err;
  for (std::size_t i = Batch::kFirstFile; i < batch.args.size(); ++i)
    EXPECT_EQ(CreateTagForFile(batch.args[i])->GetField("Title"), "new") << batch.args[i];
}

#ifdef MARLINOTE_WINDOW_PROGRAM
TEST(StoppedWindow, TheWindowClosesWithoutAskingWritesItsFilesAndEndsByTheSignal) {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    TempDir dir;
    fs::create_directory(dir.file("config"));
    fs::create_directory(dir.file("work"));
    // The close question would hold the window open: unanswered, the run would not end.
    test::RunningProgram window({MARLINOTE_WINDOW_PROGRAM},
                                {dir.file("work"), {"QT_QPA_PLATFORM=offscreen", "XDG_CONFIG_HOME=" + dir.file("config")}});
    while (!BlocksSigint(window.pid())) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    window.Signal(signal);
    const Ending ending = window.Wait(std::chrono::seconds(60));
    EXPECT_TRUE(ending.signaled && ending.code == signal) << StopSignalName(signal) << ": " << ending.err;
    // What the close command writes: the filter list and the settings.
    EXPECT_TRUE(fs::is_regular_file(dir.file("work/filefilter.dat"))) << StopSignalName(signal);
    EXPECT_TRUE(fs::is_regular_file(dir.file("config/Velmora/Marlinote.reg"))) << StopSignalName(signal);
  }
}
#endif

}  // namespace
}  // namespace marlinote
