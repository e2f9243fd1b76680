// Faults that strike between the scan of a folder and the edit of a file, or that the
// folder itself causes, for every writer: the file keeps its previous bytes under its name,
// no backup or temporary file is left beside it, and the caller learns of the failure.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/csv_export.h"
#include "catalogue/filter_list.h"
#include "catalogue/settings.h"
#include "platform/reg_file_store.h"
#include "tags/ape_format.h"
#include "tags/id3v1_trailer.h"
#include "tags/tag_edit.h"
#include "tags/tag_probe.h"
#include "tags/tag_types.h"
#include "tests/cli/cli_runner.h"
#include "tests/support/file_bytes.h"
#include "tests/support/ogg_maker.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"

namespace marlinote {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::RunUnprivileged;
using test::TempDir;
using test::WriteBytes;

const FieldList kFields = {{"Title", "old"}, {"Artist", "Band"}, {"Track", "3"}};

// One file of each kind of tag, as its bytes before any edit.
struct Sample {
  const char* name;
  int kind;
  std::string bytes;
};

std::vector<Sample> Samples() {
  const std::string audio = test::AudioBytes(3000);
  return {{"a.ape", kTagApe, audio + *RenderApeTag(kFields)},
          {"b.mp3", kTagId3v1, audio + RenderId3v1Trailer(kFields)},
          {"c.ogg", kTagOgg,
           test::MakeOggVorbis({.comments = {"TITLE=old", "ARTIST=Band"}, .samples = 8000})}};
}

// The names in a folder, sorted.
std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The edit the window and marlinote-cli make: the ticked fields set, the old tag removed and
// the new one written.
int Save(const std::string& path) {
  std::unique_ptr<TAbstractTag> tag = CreateTagForFile(path);
  return static_cast<int>(SaveFields(*tag, {{"Title", "new"}}));
}

class WriteFaults : public ::testing::Test {
 protected:
  // Open to the user the unprivileged runs take.
  void SetUp() override { ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0); }

  TempDir dir;
};

TEST_F(WriteFaults, AFileMadeReadOnlyAfterTheScanKeepsItsBytes) {
  for (const Sample& sample : Samples()) {
    const std::string path = dir.file(sample.name);
    // The scan reads the file; then another program takes away the right to write it.
    const int saved = RunUnprivileged([&] {
      WriteBytes(path, sample.bytes);
      std::unique_ptr<TAbstractTag> tag = CreateTagForFile(path);
      if (tag->GetTagType() != sample.kind || chmod(path.c_str(), 0444) != 0) return 100;
      return static_cast<int>(SaveFields(*tag, {{"Title", "new"}}));
    });
    // A tag that is cut off the end of the file cannot even be cut; an Ogg file is not
    // rebuilt in its folder either.
    const SaveResult expected =
        sample.kind == kTagOgg ? SaveResult::kWriteFailed : SaveResult::kRemoveFailed;
    EXPECT_EQ(saved, static_cast<int>(expected)) << sample.name;
    EXPECT_TRUE(ReadBytes(path) == sample.bytes) << sample.name;
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{sample.name});
    fs::remove(path);
  }

  // A type change of a read-only file: the old tag stays and so does the entry.
  const std::vector<Sample> samples = Samples();
  for (const Sample* sample : {&samples[0], &samples[1]}) {
    const std::string path = dir.file(sample->name);
    const int changed = RunUnprivileged([&] {
      WriteBytes(path, sample->bytes);
      std::unique_ptr<TAbstractTag> entry = CreateTagForFile(path);
      if (chmod(path.c_str(), 0444) != 0) return 100;
      const TAbstractTag* before = entry.get();
      const TypeChangeResult result =
          ChangeTagType(entry, sample->kind == kTagApe ? kTagId3v1 : kTagApe);
      return entry.get() == before ? static_cast<int>(result) : 101;
    });
    EXPECT_EQ(changed, static_cast<int>(TypeChangeResult::kFailed)) << sample->name;
    EXPECT_TRUE(ReadBytes(path) == sample->bytes) << sample->name;
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{sample->name});
    fs::remove(path);
  }
}

TEST_F(WriteFaults, AFileRemovedAfterTheScanIsNotMadeAgain) {
  for (const Sample& sample : Samples()) {
    const std::string path = dir.file(sample.name);
    WriteBytes(path, sample.bytes);
    std::unique_ptr<TAbstractTag> tag = CreateTagForFile(path);
    ASSERT_EQ(tag->GetTagType(), sample.kind);
    fs::remove(path);
    EXPECT_NE(SaveFields(*tag, {{"Title", "new"}}), SaveResult::kSaved) << sample.name;
    if (sample.kind != kTagOgg) {
      WriteBytes(path, sample.bytes);
      std::unique_ptr<TAbstractTag> entry = CreateTagForFile(path);
      fs::remove(path);
      EXPECT_EQ(ChangeTagType(entry, sample.kind == kTagApe ? kTagId3v1 : kTagApe),
                TypeChangeResult::kFailed);
    }
    EXPECT_TRUE(Names(dir.path()).empty()) << sample.name;
  }
}

TEST_F(WriteFaults, AFolderWithoutWritePermissionStopsOnlyTheOggRewrite) {
  const std::string folder = dir.file("locked");
  const std::vector<Sample> samples = Samples();
  const std::string filterFile = folder + "/filefilter.dat";
  const std::string settingsFile = folder + "/Marlinote.reg";
  const std::string csvFile = folder + "/list.csv";
  const std::string formerFilter = "MLFF\x01\x00\x00\x00\x01.mp3" + std::string(35, '\0');
  const std::string formerSettings = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Old]\n";

  // Each bit tells one writer's failure as its caller sees it.
  const int failures = RunUnprivileged([&] {
    fs::create_directory(folder);
    for (const Sample& sample : samples) WriteBytes(folder + "/" + sample.name, sample.bytes);
    WriteBytes(filterFile, formerFilter);
    WriteBytes(settingsFile, formerSettings);
    WriteBytes(csvFile, "former");
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);

    int bits = 0;
    // The Ogg file is rebuilt from a backup beside it, which cannot be made; APE and ID3v1
    // tags are written into the file itself.
    if (Save(folder + "/c.ogg") == static_cast<int>(SaveResult::kWriteFailed)) bits |= 1;
    if (Save(folder + "/a.ape") == static_cast<int>(SaveResult::kSaved)) bits |= 2;
    if (Save(folder + "/b.mp3") == static_cast<int>(SaveResult::kSaved)) bits |= 4;
    // The filter file, the settings file and the CSV export would go to a temporary file
    // beside theirs first; without one, they are written in place.
    struct Boxes : MessageBoxes {
      int Show(const std::string&, const std::string&, int) override {
        shown = true;
        return kResultOk;
      }
      void ShowPlain(const std::string&) override {}
      bool shown = false;
    } boxes;
    if (FilterList::Default().WriteFilterList(filterFile, boxes) && !boxes.shown) bits |= 8;
    RegFileStore store(settingsFile);
    store.CreateKey("Software\\New");
    if (store.Flush()) bits |= 16;
    TTagList list;
    list.Add(CreateTagForFile(folder + "/a.ape"));
    if (ExportCsv(csvFile, list, DefaultColumnTable()) == WriteResult::kOk) bits |= 32;
    return bits;
  });
  EXPECT_EQ(failures, 63);
  EXPECT_TRUE(ReadBytes(folder + "/c.ogg") == samples[2].bytes);
  EXPECT_EQ(CreateTagForFile(folder + "/a.ape")->GetField("Title"), "new");
  EXPECT_EQ(CreateTagForFile(folder + "/b.mp3")->GetField("Title"), "new");
  EXPECT_EQ(ReadBytes(filterFile), std::string("MLFF\x01\x00\x00\x00\x01.*", 11) + std::string(37, '\0'));
  EXPECT_EQ(ReadBytes(settingsFile), formerSettings + "\n[HKEY_CURRENT_USER\\Software\\New]\n");
  EXPECT_EQ(ReadBytes(csvFile).substr(0, 7), "\"Title\"");
  EXPECT_EQ(Names(folder), (std::vector<std::string>{"Marlinote.reg", "a.ape", "b.mp3", "c.ogg",
                                                     "filefilter.dat", "list.csv"}));
}

TEST_F(WriteFaults, MarlinoteCliNamesEveryFileItCouldNotWriteAndGoesOn) {
  const std::vector<Sample> samples = Samples();
  const std::string locked = dir.file("locked");
  const std::string readOnlyApe = dir.file("a.ape");
  const std::string readOnlyMp3 = dir.file("b.mp3");
  const std::string readOnlyOgg = dir.file("c.ogg");
  const std::string lockedOgg = locked + "/d.ogg";
  const std::string olderBackupOgg = dir.file("e.ogg");
  const std::string writable = dir.file("f.mp3");
  const std::string errors = dir.file("errors.txt");

  const int status = RunUnprivileged([&] {
    WriteBytes(readOnlyApe, samples[0].bytes);
    WriteBytes(readOnlyMp3, samples[1].bytes);
    WriteBytes(readOnlyOgg, samples[2].bytes);
    fs::create_directory(locked);
    WriteBytes(lockedOgg, samples[2].bytes);
    // A backup that an older version of the program left: no concern of a save now.
    WriteBytes(olderBackupOgg, samples[2].bytes);
    WriteBytes(olderBackupOgg + ".src", "an earlier backup");
    WriteBytes(writable, samples[1].bytes);
    for (const std::string& path : {readOnlyApe, readOnlyMp3, readOnlyOgg})
      chmod(path.c_str(), 0444);
    chmod(locked.c_str(), 0555);
    const test::CliRun run = test::RunCliWith({"set", "--title", "new", readOnlyApe, readOnlyMp3,
                                               readOnlyOgg, lockedOgg, olderBackupOgg, writable});
    WriteBytes(errors, run.err);
    return run.status;
  });
  EXPECT_EQ(status, 1);
  const std::string err = ReadBytes(errors);
  for (const std::string& path : {readOnlyApe, readOnlyMp3})
    EXPECT_NE(err.find(path + ": the old tag could not be reached (is the file writable"),
              std::string::npos)
        << err;
  for (const std::string& path : {readOnlyOgg, lockedOgg})
    EXPECT_NE(err.find(path + ": the new tag could not be written; the file keeps its old tag"),
              std::string::npos)
        << err;
  EXPECT_EQ(err.find(writable), std::string::npos) << err;
  EXPECT_EQ(err.find(olderBackupOgg), std::string::npos) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 4) << err;

  EXPECT_TRUE(ReadBytes(readOnlyApe) == samples[0].bytes);
  EXPECT_TRUE(ReadBytes(readOnlyMp3) == samples[1].bytes);
  for (const std::string& path : {readOnlyOgg, lockedOgg})
    EXPECT_TRUE(ReadBytes(path) == samples[2].bytes) << path;
  EXPECT_EQ(ReadBytes(olderBackupOgg + ".src"), "an earlier backup");
  for (const std::string& path : {olderBackupOgg, writable})
    EXPECT_EQ(CreateTagForFile(path)->GetField("Title"), "new") << path;
  EXPECT_EQ(Names(locked), std::vector<std::string>{"d.ogg"});
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"a.ape", "b.mp3", "c.ogg", "e.ogg",
                                                          "e.ogg.src", "errors.txt", "f.mp3",
                                                          "locked"}));
}

}  // namespace
}  // namespace marlinote
