// What every command that takes files (show, set, convert) does with odd names and with
// paths that name no regular file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tags/id3v1_trailer.h"
#include "tests/cli/cli_runner.h"
#include "tests/support/file_bytes.h"
#include "tests/support/shell.h"
#include "tests/support/temp_dir.h"

namespace marlinote {
namespace {

using test::AudioBytes;
using test::ReadBytes;
using test::RunCliWith;
using test::TempDir;
using test::WriteBytes;

TEST(CliFiles, NamesWithALineBreakAnEscapeOrBytesThatAreNotUtf8PrintOnOneLineAndApart) {
  TempDir dir;
  struct Case {
    std::string name;
    std::string shown;  // in text lines
    std::string json;   // the "path" member's text, and "pathBytes" where needed
    std::string pathBytes;
  };
  std::string folderHex;
  for (const unsigned char c : dir.path() + "/") {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02x", c);
    folderHex += digits;
  }
  const std::vector<Case> cases = {
      {"two\nlines.mp3", "two\\nlines.mp3", "two\\nlines.mp3", ""},
      {"\x1B[2Jclear.mp3", "\\x1B[2Jclear.mp3", "\\u001B[2Jclear.mp3", ""},
      {"bad\xFF.mp3", "bad\xEF\xBF\xBD.mp3", "bad\xEF\xBF\xBD.mp3", "626164ff2e6d7033"},
  };
  for (const Case& c : cases) {
    const std::string path = dir.file(c.name);
    const std::string shown = dir.path() + "/" + c.shown;
    WriteBytes(path, AudioBytes(300) + RenderId3v1Trailer({{"Title", "t"}}));

    const auto show = RunCliWith({"show", path});
    EXPECT_EQ(show.out.substr(0, show.out.find("\nType:")), "File: " + shown) << shown;
    const auto json = RunCliWith({"show", "--json", path});
    const std::string members =
        "{\"path\":\"" + dir.path() + "/" + c.json + "\"" +
        (c.pathBytes.empty() ? "" : ",\"pathBytes\":\"" + folderHex + c.pathBytes + "\"") +
        ",\"type\":1,";
    EXPECT_EQ(json.out.substr(2, members.size()), members) << shown;
    EXPECT_EQ(RunCliWith({"set", "--album", "x", path}).out, shown + ": written (ID3v1_Tag)\n");
    EXPECT_EQ(RunCliWith({"convert", "--to", "ape", path}).out,
              shown + ": ID3v1_Tag -> Ape_Tag\n");
    // A failure names the file in the same way, on one line.
    unlink(path.c_str());
    EXPECT_EQ(RunCliWith({"show", path}).err, shown + ": No such file or directory\n");
  }
}

TEST(CliFiles, AFifoOrADeviceIsNamedAsNoRegularFileWithoutWaitingAndTheOthersAreDone) {
  TempDir dir;
  const std::string fifo = dir.file("fifo.mp3");
  const std::string mp3 = dir.file("a.mp3");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::vector<std::string> others = {fifo};
  if (geteuid() == 0) {
    // The null device's numbers, under a name of the test's own.
    others.push_back(dir.file("null.mp3"));
    ASSERT_EQ(mknod(others.back().c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
  }
  for (const std::string& command :
       {std::string("show"), std::string("show --json"), std::string("set --title new"),
        std::string("convert --to ape")}) {
    WriteBytes(mp3, AudioBytes(300) + RenderId3v1Trailer({{"Title", "old"}}));
    std::string args;
    for (const std::string& other : others) args += " '" + other + "'";
    // The program itself, ended after ten seconds: a FIFO must never hold it up.
    const test::Shell run = test::RunShell("timeout 10 " + std::string(MARLINOTE_CLI_PROGRAM) +
                                           " " + command + args + " '" + mp3 + "' 2>&1 >'" +
                                           dir.file("out") + "'");
    EXPECT_EQ(run.status, 1) << command;
    std::string expected;
    for (const std::string& other : others) expected += other + ": is not a regular file\n";
    EXPECT_EQ(run.out, expected) << command;
    // The regular file after them was still done.
    const bool writes = command.rfind("show", 0) != 0;
    EXPECT_EQ(ReadBytes(mp3) != AudioBytes(300) + RenderId3v1Trailer({{"Title", "old"}}), writes)
        << command;
  }
  struct stat st {};
  EXPECT_TRUE(lstat(fifo.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
}

}  // namespace
}  // namespace marlinote
