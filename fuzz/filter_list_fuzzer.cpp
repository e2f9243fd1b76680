// The filter file reader over any bytes: never a crash, never more than its bound of
// entries, matching never fails, and a list that was read is written and read back equal,
// matching the same names.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "catalogue/filter_list.h"
#include "fuzz/memory_file.h"

namespace {

using marlinote::FilterList;
using marlinote::fuzz::Check;
using marlinote::fuzz::MemoryFile;

class CountingBoxes : public marlinote::MessageBoxes {
 public:
  int Show(const std::string&, const std::string&, int) override {
    ++shown;
    return marlinote::kResultOk;
  }
  void ShowPlain(const std::string&) override { ++shown; }
  int shown = 0;
};

// A folder of its own for the written file, in memory where the system has one.
std::string WrittenPath() {
  std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm/marlinote-fuzz-XXXXXX"
                                                      : "/tmp/marlinote-fuzz-XXXXXX";
  if (!mkdtemp(pattern.data())) std::abort();
  return pattern + "/filefilter.dat";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MemoryFile file;
  static const std::string written = WrittenPath();
  FuzzedDataProvider provider(data, size);
  const std::string name = provider.ConsumeRandomLengthString(64);
  const std::string bytes = provider.ConsumeRemainingBytesAsString();
  file.Assign(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());

  FilterList list;
  list.ReadFilterList(file.path());
  Check(list.Entries().size() <= static_cast<std::size_t>(FilterList::kMaxEntries));
  for (const char* other : {".", "..", "a.mp3", "README", ".profile", "x.OGG"})
    list.MatchesFilter(other);
  const bool matches = list.MatchesFilter(name);

  // Writing and reading back the longest lists (up to the bound) costs milliseconds each and
  // takes no other path; the short ones keep the run fast.
  if (list.Entries().size() > 1024) return 0;
  CountingBoxes boxes;
  Check(list.WriteFilterList(written, boxes) && boxes.shown == 0);
  FilterList back;
  back.ReadFilterList(written);
  Check(back.Entries().size() == list.Entries().size());
  for (std::size_t i = 0; i < list.Entries().size(); ++i)
    Check(back.Entries()[i].bytes == list.Entries()[i].bytes);
  Check(back.MatchesFilter(name) == matches);
  return 0;
}
