// The probe that reads each file's head and tail once must make exactly the objects that each
// kind's own ReadTag makes in turn: same kind, same path, same fields in the same order, for
// every kind of file the benchmark corpus holds, damaged ones included.
#include <gtest/gtest.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "bench/corpus.h"
#include "bench/corpus_formats.h"
#include "catalogue/filter_list.h"
#include "catalogue/folder_scan.h"
#include "catalogue/sort_files.h"
#include "tags/comment_editor.h"
#include "tags/file_sample.h"
#include "tags/tag_probe.h"
#include "tags/tag_types.h"
#include "tests/support/file_bytes.h"
#include "tests/support/id3v2_maker.h"
#include "tests/support/temp_dir.h"
#include "tests/support/time_limit.h"

namespace marlinote {
namespace {

using test::TempDir;

// lame's stream where lame runs; else frame headers and silence, which the probe takes alike.
std::string MpegStream(const std::string& folder) {
  try {
    return bench::MakeMpegStream(folder, 0.3);
  } catch (const std::exception&) {
    std::string frames;
    for (int i = 0; i < 12; ++i) frames += std::string("\xff\xfb\x90\x00", 4) + std::string(413, '\0');
    return frames;
  }
}

std::string Describe(const TAbstractTag& tag) {
  std::string text = "type " + std::to_string(tag.GetTagType()) + " path " + tag.GetFilePath();
  for (const TagField& f : tag.GetFieldList()) text += "\n  [" + f.key + "]=[" + f.value + "]";
  return text;
}

void ExpectSameObject(const std::string& path) {
  const auto fast = CreateTagForFile(path);
  const auto reference = ProbeKindsInTurn(path);
  ASSERT_TRUE(fast && reference);
  EXPECT_EQ(Describe(*fast), Describe(*reference)) << path;
}

// Every size a reader takes at once: the head, the tail, both, the editor's chunk.
std::vector<std::size_t> Boundaries() {
  return {128,
          kEditorChunkSize,
          2 * kEditorChunkSize,
          FileSample::kHeadSize,
          FileSample::kTailSize,
          FileSample::kHeadSize + FileSample::kTailSize,
          4 * kEditorChunkSize};
}

// Drops the file's data from the page cache, as far as the file system lets it.
void DropFromCache(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  fdatasync(fd);
  posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  close(fd);
}

class ProbeEquivalence : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    folder_ = dir_->file("corpus");
    mkdir(folder_.c_str(), 0755);
    bench::MakeCorpus(folder_, MpegStream(dir_->path()),
                      {.count = 64, .damaged = true, .boundaries = Boundaries()});
  }
  static void TearDownTestSuite() { delete dir_; }

  static std::vector<std::string> Names() {
    std::vector<std::string> names;
    // Every entry, hidden ones, links and folders included, in the order a scan meets them.
    DIR* dir = opendir(folder_.c_str());
    while (const dirent* entry = dir ? readdir(dir) : nullptr)
      if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
        names.emplace_back(entry->d_name);
    if (dir) closedir(dir);
    return names;
  }

  static TempDir* dir_;
  static std::string folder_;
};

TempDir* ProbeEquivalence::dir_ = nullptr;
std::string ProbeEquivalence::folder_;

TEST_F(ProbeEquivalence, EveryFileOfTheCorpusGivesTheSameObject) {
  std::set<int> kinds;
  std::vector<std::string> paths;
  for (const std::string& name : Names()) paths.push_back(folder_ + "/" + name);
  paths.push_back(folder_ + "/not-there.mp3");
  paths.push_back(folder_);
  ASSERT_GT(paths.size(), 200u);
  for (const std::string& path : paths) {
    ExpectSameObject(path);
    kinds.insert(CreateTagForFile(path)->GetTagType());
  }
  EXPECT_EQ(kinds, (std::set<int>{kTagNone, kTagApe, kTagId3v1, kTagOgg}));
}

TEST_F(ProbeEquivalence, TagsBeyondTheHeadAndTailAreReadFromTheSameOpenFile) {
  const auto huge = CreateTagForFile(folder_ + "/ogg-huge-comment.ogg");
  EXPECT_EQ(huge->GetTagType(), kTagOgg);
  EXPECT_EQ(huge->GetField("Comment").size(), 200000u);
  EXPECT_EQ(huge->GetField("Artist"), "end");
  const auto large = CreateTagForFile(folder_ + "/ape-large-value.mp3");
  EXPECT_EQ(large->GetTagType(), kTagApe);
  EXPECT_EQ(large->GetField("Artist"), "after");
  EXPECT_EQ(CreateTagForFile(folder_ + "/ogg-then-id3v1.ogg")->GetTagType(), kTagOgg);
  EXPECT_EQ(CreateTagForFile(folder_ + "/ogg-then-ape.ogg")->GetTagType(), kTagApe);
  EXPECT_EQ(CreateTagForFile(folder_ + "/oggs-then-mpeg-id3v1.ogg")->GetTagType(), kTagId3v1);
}

// The scan gathers sort keys as it lists and reads files ahead; the list must be the
// reference objects sorted by the keys SortFiles takes from the entries, whether the files'
// data was in the page cache or not.
TEST_F(ProbeEquivalence, ListFolderEqualsTheKindsInTurnSorted) {
  const FilterList filter = FilterList::Default();
  for (int order = kSortNameAscend; order <= kSortExtendDescend; ++order) {
    if (order % 2 == 1)
      for (const std::string& name : Names()) DropFromCache(folder_ + "/" + name);
    TTagList scanned;
    ListFolder(scanned, folder_, filter, false, order);
    TTagList reference;
    for (const std::string& name : Names()) {
      struct stat st {};
      if (name[0] != '.' && stat((folder_ + "/" + name).c_str(), &st) == 0 && S_ISREG(st.st_mode))
        reference.Add(ProbeKindsInTurn(folder_ + "/" + name));
    }
    SortFiles(reference, order);
    ASSERT_EQ(scanned.Count(), reference.Count());
    for (int i = 0; i < scanned.Count(); ++i)
      ASSERT_EQ(Describe(scanned.Get(i)), Describe(reference.Get(i))) << "order " << order << " row " << i;
  }
}

// The sort compares the first eight key bytes as a number before it reads the keys: the
// order must be that of comparing the whole keys, for keys ending before, at and after
// eight bytes, equal keys keeping their order.
TEST(SortByKeys, OrdersAsWholeKeysCompare) {
  const std::vector<std::string> names = {
      "abcdefgh.mp3", "abcdefg.mp3", "abcdefghi.mp3", "ABCDEFGH.ogg", "abcdefgh", "a", "", ".mp3",
      "abcdefgh.MP3", "abcdefgi.mp3", "abc defg.mp3", "桜の季節 01.mp3", "桜の季節 1.mp3", "b.mp3",
      "abcdefgh.mp3", "abcdefghij.ogg", "Zz.mp3", ".ogg"};
  for (int order = kSortNameAscend; order <= kSortExtendDescend; ++order) {
    FileSortKeys keys(order);
    TTagList list;
    for (const std::string& name : names) {
      keys.Add(name);
      auto tag = std::make_unique<TAbstractTag>();
      tag->SetFilePath("/music/" + name);
      list.Add(std::move(tag));
    }
    std::vector<int> expected(names.size());
    for (std::size_t i = 0; i < expected.size(); ++i) expected[i] = static_cast<int>(i);
    std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
      const int c = std::strcmp(keys.Key(static_cast<std::size_t>(a)), keys.Key(static_cast<std::size_t>(b)));
      return order % 2 == 0 ? c < 0 : c > 0;
    });
    SortFiles(list, order);
    for (std::size_t i = 0; i < names.size(); ++i)
      EXPECT_EQ(list.Get(static_cast<int>(i)).GetFilePath(), "/music/" + names[static_cast<std::size_t>(expected[i])])
          << "order " << order << " row " << i;
  }
}

// An ID3v2 tag as its header says: unsynchronised (flag 0x80), with an extended header (0x40).
std::string WithFlags(std::string tag, char flags) {
  tag[5] = flags;
  return tag;
}

// Damage of every kind at random places of real Ogg streams and tags. The probe reads an
// ID3v2 tag's frames of the seven fields and only the headers of the others (a picture
// before them, one beyond the head), where ReadTag has TagLib read the whole tag.
TEST(ProbeEquivalenceMutated, DamagedCopiesGiveTheSameObject) {
  TempDir dir;
  const bench::OggTemplate t = bench::MakeOggTemplate(3, 8000);
  using test::MakeId3v2Tag;
  using test::TextContent;
  const std::string picture = std::string("\0image/png\0\x03\0", 13) + test::AudioBytes(5000, 3);
  const std::vector<test::RawFrame> frames23 = {
      {"TIT2", TextContent(1, "title")}, {"APIC", picture}, {"TXXX", std::string("\0k\0v", 4)},
      {"TPE1", TextContent(0, "artist")}, {"TYER", TextContent(0, "1999")},
      {"COMM", std::string("\0eng\0memo", 9)}, {"TCON", TextContent(0, "(145)")}};
  const std::vector<test::RawFrame> frames24 = {
      {"APIC", picture},
      {"TIT2", TextContent(3, "title")},
      {"TCON", TextContent(3, std::string("17\0J-Pop", 8))}};
  const std::vector<std::string> originals = {
      bench::OggWithComments(t, {"TITLE=a", "ARTIST=b", "COMMENT=" + std::string(300, 'c')}),
      bench::OggWithComments(t, {"TITLE=" + std::string(9000, 't')}) + bench::ApeTag({{"Title", "x"}}),
      std::string(3000, '\x80') + bench::ApeTag({{"Title", "ape"}, {"Artist", "y"}}),
      std::string(3000, '\x80') + bench::Id3v1Trailer({"id3", "a", "b", "1999", "c", 3, 17}),
      MakeId3v2Tag(3, frames23, 200) + std::string(3000, '\x80'),
      MakeId3v2Tag(4, frames24, 0) + std::string(3000, '\x80'),
      WithFlags(MakeId3v2Tag(3, frames23, 20), '\x80') + std::string(3000, '\x80'),
      WithFlags(MakeId3v2Tag(4, frames24, 20), '\x40') + std::string(3000, '\x80'),
  };
  std::mt19937 random(20240);
  const std::string path = dir.file("mutated.ogg");
  std::multiset<int> kinds;
  for (const std::string& original : originals) {
    test::WriteBytes(path, original);
    ExpectSameObject(path);
    kinds.insert(CreateTagForFile(path)->GetTagType());
  }
  EXPECT_EQ(kinds, (std::multiset<int>{kTagOgg, kTagApe, kTagApe, kTagId3v1, kTagId3v2, kTagId3v2,
                                       kTagId3v2, kTagId3v2}));
  for (int round = 0; round < 800; ++round) {
    std::string bytes = originals[static_cast<std::size_t>(round) % originals.size()];
    const int damage = static_cast<int>(random() % 4);
    const std::size_t at = random() % bytes.size();
    if (damage == 0) {
      for (int i = 0; i < 1 + static_cast<int>(random() % 4); ++i)
        bytes[random() % bytes.size()] ^= static_cast<char>(1 << (random() % 8));
    } else if (damage == 1) {
      bytes.resize(at);
    } else if (damage == 2) {
      bytes.insert(at, std::string(1 + random() % 300, static_cast<char>(random())));
    } else {
      bytes.erase(at, 1 + random() % 300);
    }
    test::WriteBytes(path, bytes);
    ExpectSameObject(path);
    if (HasFailure()) {
      ADD_FAILURE() << "round " << round;
      return;
    }
  }
}

// Every range of every size of file, from the sampled bytes or from the file, whichever way
// the file was opened: at once by path, or started and finished with the data in the page
// cache or not, looked for there first or the kernel asked first.
TEST(FileSample, GivesEveryRangeAsTheFileHoldsItHoweverItWasOpened) {
  TempDir dir;
  const int folder = open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const std::string path = dir.file("f");
  const struct {
    const char* way;
    bool dropped;
    std::function<FileSample::OpenResult(FileSample&)> open;
  } ways[] = {
      {"by path", false, [&](FileSample& f) { return f.Open(path); }},
      {"started, cached, looked for", false, [&](FileSample& f) { return f.Start(folder, "f", true); }},
      {"started, cached, asked", false, [&](FileSample& f) { return f.Start(folder, "f", false); }},
      {"started, dropped, looked for", true, [&](FileSample& f) { return f.Start(folder, "f", true); }},
      {"started, dropped, asked", true, [&](FileSample& f) { return f.Start(folder, "f", false); }},
  };
  const std::size_t both = FileSample::kHeadSize + FileSample::kTailSize;
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, FileSample::kTailSize - 1,
                           FileSample::kHeadSize, both - 1, both, both + 1, 3 * both + 17, std::size_t{70000}}) {
    const std::string bytes = test::AudioBytes(size, static_cast<unsigned>(size));
    test::WriteBytes(path, bytes);
    for (const auto& way : ways) {
      SCOPED_TRACE(std::string(way.way) + ", size " + std::to_string(size));
      if (way.dropped) DropFromCache(path);
      FileSample file;
      FileSample::OpenResult opened = way.open(file);
      if (opened == FileSample::OpenResult::kRead && &way != &ways[0]) opened = file.Finish();
      ASSERT_EQ(opened, FileSample::OpenResult::kRead);
      EXPECT_EQ(file.Size(), static_cast<std::int64_t>(size));
      EXPECT_EQ(file.Head(), bytes.substr(0, FileSample::kHeadSize));
      EXPECT_EQ(file.Tail(), bytes.substr(size - std::min(size, FileSample::kTailSize)));
      for (std::size_t offset = 0; offset <= size; offset += 1 + size / 13)
        for (std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{32}, std::size_t{5000}}) {
          std::string spill;
          const auto got = file.Bytes(static_cast<std::int64_t>(offset), count, spill);
          if (offset + count > size)
            EXPECT_FALSE(got) << offset << " " << count;
          else
            EXPECT_EQ(got.value_or("-"), bytes.substr(offset, count)) << offset;
        }
      std::string read;
      char chunk[kEditorChunkSize];
      for (std::size_t n; (n = file.ReadNext(chunk, sizeof chunk)) > 0;) read.append(chunk, n);
      EXPECT_EQ(read, bytes);
    }
  }
  close(folder);
}

// Only regular files are opened, and nothing waits: not a FIFO without a writer, not a
// device, not a folder.
TEST(FileSample, AnythingButARegularFileIsRefusedWithoutWaiting) {
  TempDir dir;
  const std::string fifo = dir.file("pipe.mp3");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  ASSERT_EQ(symlink(fifo.c_str(), dir.file("link.mp3").c_str()), 0);
  const int folder = open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const struct {
    std::string path;
    FileSample::OpenResult result;
  } cases[] = {
      {fifo, FileSample::OpenResult::kNotRegular},
      {dir.file("link.mp3"), FileSample::OpenResult::kNotRegular},
      {"/dev/null", FileSample::OpenResult::kNotRegular},
      {dir.path(), FileSample::OpenResult::kNotRegular},
      {dir.file("missing.mp3"), FileSample::OpenResult::kCannotOpen},
  };
  // The first case that gave another result (its number, from 1), or 0.
  const int wrong = test::RunWithTimeLimit(10, [&] {
    for (std::size_t i = 0; i < std::size(cases); ++i) {
      FileSample file;
      if (file.Open(cases[i].path) != cases[i].result || CreateTagForFile(cases[i].path)->GetTagType() != kTagNone)
        return static_cast<int>(i) + 1;
    }
    // Opened relative to its folder, as a scan does after the folder said "file".
    FileSample file;
    return file.Start(folder, "pipe.mp3", false) == FileSample::OpenResult::kNotRegular ? 0 : 99;
  });
  EXPECT_EQ(wrong, 0);
  close(folder);
}

}  // namespace
}  // namespace marlinote
