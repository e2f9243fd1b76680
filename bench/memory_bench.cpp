// Memory that a listed file costs: the folder scan of COUNT files, and what it leaves in the
// heap and adds to the peak resident set, per file and beyond the tag texts themselves.
//   bench_memory [COUNT]      (default 100000)
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

#include "bench/corpus.h"
#include "tests/support/temp_dir.h"
#include "bench/measure.h"
#include "catalogue/filter_list.h"
#include "catalogue/folder_scan.h"
#include "catalogue/sort_files.h"
#include "tags/tag_types.h"

namespace marlinote::bench {
namespace {

// The bytes of the keys and values that the entry's fields hold.
std::size_t TagTextBytes(const TAbstractTag& tag) {
  std::size_t bytes = 0;
  for (const TagField& f : tag.GetFieldList()) bytes += f.key.size() + f.value.size();
  return bytes;
}

void Measure(std::size_t count) {
  const test::TempDir scratch("marlinote-bench");
  const std::string folder = scratch.file("corpus");
  mkdir(folder.c_str(), 0755);
  const CorpusStats stats = MakeCorpus(folder, MakeMpegStream(scratch.path()), {.count = count});
  FilterList filter;
  filter.Replace({{".mp3", true}, {".ogg", true}, {".ape", true}});

  // The files are in the page cache since they were written; the heap has not held a list
  // yet, so the peak shows everything the scan takes, temporary buffers included.
  const bool peakReset = ResetPeakResident();
  const std::int64_t residentBefore = ResidentBytes();
  const std::int64_t heapBefore = HeapInUse();
  auto list = std::make_unique<TTagList>();
  ListFolder(*list, folder, filter, false, kSortNameAscend);
  const std::int64_t heapAfter = HeapInUse();
  const std::int64_t peak = PeakResidentBytes();

  std::size_t textBytes = 0;
  for (int i = 0; i < list->Count(); ++i) textBytes += TagTextBytes(list->Get(i));
  const double n = static_cast<double>(list->Count());
  const double heapPerFile = static_cast<double>(heapAfter - heapBefore) / n;
  const double textPerFile = static_cast<double>(textBytes) / n;

  std::printf("Memory of the file list after a folder scan of %zu files (%zu ID3v1, %zu APE, %zu Ogg "
              "Vorbis, %zu untagged)\n",
              stats.files(), stats.id3v1, stats.ape, stats.ogg, stats.plain);
  std::printf("  heap per listed file beyond its tag texts   %.0f bytes   (goal: under 1024)\n",
              heapPerFile - textPerFile);
  std::printf("  heap per listed file                        %.0f bytes\n", heapPerFile);
  std::printf("  tag texts (keys and values) per file        %.0f bytes\n", textPerFile);
  if (peakReset)
    std::printf("  peak resident set added by the scan         %.0f bytes per file\n",
                static_cast<double>(peak - residentBefore) / n);
  else
    std::printf("  peak resident set: cannot be reset here, not measured\n");
  std::printf("  peak resident set of the process            %.1f MB (%.1f MB before the scan)\n",
              static_cast<double>(peak) / 1e6, static_cast<double>(residentBefore) / 1e6);
  std::fflush(stdout);

  // Each kind alone: the same files, linked into a folder of their own.
  std::map<int, std::string> kindFolders;
  for (int i = 0; i < list->Count(); ++i) {
    const TAbstractTag& tag = list->Get(i);
    auto [it, added] = kindFolders.try_emplace(tag.GetTagType(), scratch.file("kind" + std::to_string(tag.GetTagType() + 1)));
    if (added) mkdir(it->second.c_str(), 0755);
    link(tag.GetFilePath().c_str(), (it->second + "/" + tag.GetFileName()).c_str());
  }
  list.reset();
  for (const auto& [type, kindFolder] : kindFolders) {
    const std::int64_t before = HeapInUse();
    TTagList kindList;
    ListFolder(kindList, kindFolder, filter, false, kSortNameAscend);
    const double files = kindList.Count();
    std::size_t texts = 0;
    for (int i = 0; i < kindList.Count(); ++i) texts += TagTextBytes(kindList.Get(i));
    const double heap = static_cast<double>(HeapInUse() - before) / files;
    std::printf("  %-10s %6.0f files: heap %4.0f bytes per file, %4.0f beyond its tag texts (%3.0f)\n",
                TagTypeName(type).c_str(), files, heap, heap - static_cast<double>(texts) / files,
                static_cast<double>(texts) / files);
  }
  std::fflush(stdout);
}

}  // namespace
}  // namespace marlinote::bench

int main(int argc, char** argv) {
  marlinote::bench::Measure(static_cast<std::size_t>(marlinote::bench::ArgOr(argc, argv, 1, 100000)));
  return 0;
}
