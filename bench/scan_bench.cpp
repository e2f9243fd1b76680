// Folder scan against the bare loop that is the limit of a scan reading one file at a time,
// and against TagLib reading the same files' tags: with the files' data in the page cache
// (warm), and with it dropped from the cache before every run (cold).
//   bench_scan [ROUNDS [COUNT...]]      (default: 7 rounds, 10000 and 100000 files)
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/corpus.h"
#include "tests/support/temp_dir.h"
#include "bench/measure.h"
#include "catalogue/filter_list.h"
#include "catalogue/folder_scan.h"
#include "catalogue/sort_files.h"
#include "tags/file_sample.h"
#include "tags/tag_probe.h"

namespace marlinote::bench {
namespace {

// Calls `visit(path, folderFd, name)` for every plain file and link of the folder, as a scan
// meets them.
template <typename Visit>
void ForEachFile(const std::string& folder, Visit visit) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  std::string path = folder + "/";
  const std::size_t length = path.size();
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.' || (entry->d_type != DT_REG && entry->d_type != DT_LNK)) continue;
    path.resize(length);
    path += entry->d_name;
    visit(path, dirfd(dir), entry->d_name);
  }
  closedir(dir);
}

// The limit of a scan: open each file (relative to the open folder, as the scan does), read
// its head and its tail once, close it.
std::size_t BareLoop(const std::string& folder) {
  static char buffer[FileSample::kHeadSize + FileSample::kTailSize];
  std::size_t bytes = 0;
  ForEachFile(folder, [&bytes](const std::string&, int folderFd, const char* name) {
    const int fd = openat(folderFd, name, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st {};
    if (fstat(fd, &st) == 0) {
      const auto size = static_cast<std::size_t>(st.st_size);
      ssize_t n = 0;
      if (size <= sizeof buffer) {
        n = pread(fd, buffer, size, 0);
      } else {
        n = pread(fd, buffer, FileSample::kHeadSize, 0);
        n += pread(fd, buffer + FileSample::kHeadSize, FileSample::kTailSize,
                   st.st_size - static_cast<off_t>(FileSample::kTailSize));
      }
      bytes += static_cast<std::size_t>(n > 0 ? n : 0);
    }
    close(fd);
  });
  return bytes;
}

// What most Linux tag editors do: TagLib's FileRef without audio properties, every field.
std::size_t TagLibLoop(const std::string& folder) {
  std::size_t characters = 0;
  ForEachFile(folder, [&characters](const std::string& path, int, const char*) {
    TagLib::FileRef ref(path.c_str(), false);
    if (ref.isNull() || !ref.tag()) return;
    const TagLib::Tag* tag = ref.tag();
    characters += tag->title().size() + tag->artist().size() + tag->album().size() +
                  tag->comment().size() + tag->genre().size() + tag->year() + tag->track();
  });
  return characters;
}

// The scan as first built: each kind's own ReadTag in turn, then the same sort.
void ScanKindsInTurn(TTagList& list, const std::string& folder, const FilterList& filter) {
  ForEachFile(folder, [&](const std::string& path, int, const char*) {
    if (filter.MatchesFilter(path.substr(path.rfind('/') + 1))) list.Add(ProbeKindsInTurn(path));
  });
  SortFiles(list, kSortNameAscend);
}

std::vector<double> Rates(std::size_t count, const std::vector<double>& seconds) {
  std::vector<double> rates;
  for (const double s : seconds) rates.push_back(static_cast<double>(count) / s);
  return rates;
}

bool SameEntries(const TTagList& a, const TTagList& b) {
  if (a.Count() != b.Count()) return false;
  for (int i = 0; i < a.Count(); ++i) {
    const TAbstractTag& x = a.Get(i);
    const TAbstractTag& y = b.Get(i);
    if (x.GetTagType() != y.GetTagType() || x.GetFilePath() != y.GetFilePath() ||
        x.GetFieldList() != y.GetFieldList())
      return false;
  }
  return true;
}

void MeasureWarm(const std::string& folder, const CorpusStats& stats, const FilterList& filter,
                 int rounds, Id3v2Front id3v2) {
  const std::size_t count = stats.files();
  // Each list lives from its scan to the next contender's start, as a window keeps one list.
  std::unique_ptr<TTagList> scanned, inTurn;
  const auto fresh = [&](std::unique_ptr<TTagList>& list) {
    scanned.reset();
    inTurn.reset();
    list = std::make_unique<TTagList>();
  };
  std::size_t sink = 0;
  std::vector<std::vector<double>> cpu;
  const std::vector<std::vector<double>> t = TimeInRounds(
      {
          {[&] { ListFolder(*scanned, folder, filter, false, kSortNameAscend); },
           [&] { fresh(scanned); }},
          {[&] { sink += BareLoop(folder); }, [&] { fresh(scanned); }},
          {[&] { sink += TagLibLoop(folder); }, [&] { fresh(scanned); }},
          {[&] { ScanKindsInTurn(*inTurn, folder, filter); },
           [&] { fresh(inTurn); }},
      },
      rounds, &cpu);
  const auto& scan = t[0];
  const auto& bare = t[1];
  const auto& taglib = t[2];
  const auto& kinds = t[3];

  std::printf("Folder scan (filter, probe, sort), warm cache: %zu files (%zu ID3v2%s and "
              "ID3v1, %zu ID3v1, %zu APE, %zu Ogg Vorbis, %zu untagged; %.0f MB), %d rounds; "
              "median (min .. max)\n",
              count, stats.id3v2, id3v2 == Id3v2Front::kPicture ? " with a picture" : "",
              stats.id3v1, stats.ape, stats.ogg, stats.plain,
              static_cast<double>(stats.bytes) / 1e6, rounds);
  std::printf("  scan time / bare loop time         %s   (goal: at most 1.3)\n",
              Spread(Ratios(scan, bare), 2).c_str());
  std::printf("  TagLib time / scan time            %s   (goal: at least 2)\n",
              Spread(Ratios(taglib, scan), 2).c_str());
  std::printf("  TagLib time / bare loop time       %s\n", Spread(Ratios(taglib, bare), 2).c_str());
  std::printf("  the same in processor time: scan / bare loop %s, TagLib / scan %s\n",
              Spread(Ratios(cpu[0], cpu[1]), 2).c_str(), Spread(Ratios(cpu[2], cpu[0]), 2).c_str());
  std::printf("  kinds-in-turn scan / scan          %s\n", Spread(Ratios(kinds, scan), 2).c_str());
  std::printf("  scan                 files/s       %s\n", Spread(Rates(count, scan), 0).c_str());
  std::printf("  bare loop            files/s       %s\n", Spread(Rates(count, bare), 0).c_str());
  std::printf("  TagLib FileRef       files/s       %s\n", Spread(Rates(count, taglib), 0).c_str());
  std::printf("  kinds-in-turn scan   files/s       %s\n", Spread(Rates(count, kinds), 0).c_str());
  scanned = std::make_unique<TTagList>();
  inTurn = std::make_unique<TTagList>();
  ListFolder(*scanned, folder, filter, false, kSortNameAscend);
  ScanKindsInTurn(*inTurn, folder, filter);
  std::printf("  both scans list the same entries:  %s\n",
              SameEntries(*scanned, *inTurn) ? "yes" : "NO");
  std::fflush(stdout);
  if (sink == 0) std::printf("  (nothing was read)\n");
}

// Every contender starts with the files' data out of the page cache. The folder's entries
// and the files' inodes stay cached (only root could drop them), so this is the first
// listing of a folder whose names were seen before, as after a look in a file manager.
void MeasureCold(const std::string& folder, const CorpusStats& stats, const FilterList& filter,
                 int rounds) {
  const std::size_t count = stats.files();
  std::vector<std::string> paths;
  for (const std::string& name : FolderEntries(folder)) paths.push_back(folder + "/" + name);
  std::size_t stillCached = 0;
  std::unique_ptr<TTagList> scanned;
  const auto evict = [&] {
    scanned = std::make_unique<TTagList>();
    DropFromPageCache(paths);
    stillCached = std::max(stillCached, FilesInPageCache(paths));
  };
  std::size_t sink = 0;
  const bool flushed = FlushFileSystem(folder);
  const std::vector<std::vector<double>> t = TimeInRounds(
      {
          {[&] { ListFolder(*scanned, folder, filter, false, kSortNameAscend); }, evict},
          {[&] { sink += BareLoop(folder); }, evict},
          {[&] { sink += TagLibLoop(folder); }, evict},
      },
      rounds);
  const auto& scan = t[0];
  const auto& bare = t[1];
  const auto& taglib = t[2];

  std::printf("Folder scan (filter, probe, sort), cold cache: %zu files, %d rounds; "
              "median (min .. max)\n", count, rounds);
  if (!flushed || stillCached > 0) {
    std::printf("  not measured: the page cache kept the data of %zu of %zu files after they were "
                "dropped (a file system that keeps files in memory, or one that could not be "
                "flushed)\n", stillCached, paths.size());
    std::fflush(stdout);
    return;
  }
  std::printf("  bare loop time / scan time         %s   (goal: at least 2)\n",
              Spread(Ratios(bare, scan), 2).c_str());
  std::printf("  TagLib time / scan time            %s   (goal: at least 2)\n",
              Spread(Ratios(taglib, scan), 2).c_str());
  std::printf("  scan                 seconds       %s\n", Spread(scan, 3).c_str());
  std::printf("  bare loop            seconds       %s\n", Spread(bare, 3).c_str());
  std::printf("  TagLib FileRef       seconds       %s\n", Spread(taglib, 3).c_str());
  std::printf("  scan                 files/s       %s\n", Spread(Rates(count, scan), 0).c_str());
  std::fflush(stdout);
  if (sink == 0) std::printf("  (nothing was read)\n");
}

void Measure(std::size_t count, int rounds, Id3v2Front id3v2) {
  const test::TempDir scratch("marlinote-bench");
  const std::string folder = scratch.file("corpus");
  mkdir(folder.c_str(), 0755);
  const CorpusStats stats = MakeCorpus(folder, MakeMpegStream(scratch.path()), {.count = count, .id3v2 = id3v2});
  FilterList filter;
  filter.Replace({{".mp3", true}, {".ogg", true}, {".ape", true}});
  MeasureWarm(folder, stats, filter, rounds, id3v2);
  MeasureCold(folder, stats, filter, rounds);
}

}  // namespace
}  // namespace marlinote::bench

int main(int argc, char** argv) {
  using namespace marlinote::bench;
  const int rounds = static_cast<int>(ArgOr(argc, argv, 1, 7));
  std::vector<std::size_t> counts;
  for (int i = 2; i < argc; ++i) counts.push_back(static_cast<std::size_t>(ArgOr(argc, argv, i, 0)));
  if (counts.empty()) counts = {10000, 100000};
  // MARLINOTE_BENCH_ID3V2=small or picture: the ID3v1 quarter begins with an ID3v2 tag.
  const char* front = std::getenv("MARLINOTE_BENCH_ID3V2");
  const Id3v2Front id3v2 = !front                          ? Id3v2Front::kNone
                           : std::string(front) == "small" ? Id3v2Front::kSmall
                                                           : Id3v2Front::kPicture;
  for (std::size_t count : counts) Measure(count, rounds, id3v2);
  return 0;
}
