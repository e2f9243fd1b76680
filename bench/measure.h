#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace marlinote::bench {

// Seconds taken by `body`, on the monotonic clock.
double TimeSeconds(const std::function<void()>& body);
// Seconds of processor time (user and system) that this process spent in `body`.
double CpuSeconds(const std::function<void()>& body);

// The median of the values (the mean of the middle two for an even count); 0 for none.
double Median(std::vector<double> values);

// One contender of a measurement: `prepare` runs untimed before each timed `body`.
struct Contender {
  std::function<void()> body;
  std::function<void()> prepare = [] {};
};

// Runs each contender once to warm caches, then `rounds` rounds in which every contender
// runs once, in an order that moves by one each round, so that a slow spell of the machine
// falls on all of them alike. times[c][r] is contender c's time in round r; with `cpu`, the
// processor time of the same runs goes there, which other processes disturb less.
std::vector<std::vector<double>> TimeInRounds(const std::vector<Contender>& contenders, int rounds,
                                              std::vector<std::vector<double>>* cpu = nullptr);

// Per-round ratios a[r] / b[r].
std::vector<double> Ratios(const std::vector<double>& a, const std::vector<double>& b);

// "median (min .. max)" with the given number of decimals.
std::string Spread(const std::vector<double>& values, int decimals);

// The names of the plain files and links of a folder, in the order the file system gives,
// hidden names left out.
std::vector<std::string> FolderEntries(const std::string& folder);

// Writes the folder's file system to disk, so that the page cache can drop the files' data.
bool FlushFileSystem(const std::string& folder);
// Asks the kernel to drop the data of each file from the page cache (no root needed; only
// pages that are clean and not mapped go).
void DropFromPageCache(const std::vector<std::string>& paths);
// The number of files that have any page in the page cache, as mincore tells.
std::size_t FilesInPageCache(const std::vector<std::string>& paths);

// The process's resident set now and its peak, in bytes (from /proc/self/status).
std::int64_t ResidentBytes();
std::int64_t PeakResidentBytes();
// Makes the peak start again from the resident set of now. False where the system refuses.
bool ResetPeakResident();
// Bytes that malloc has handed out and not taken back.
std::int64_t HeapInUse();

// The number from argv[index], or `fallback` when there is no such argument.
long ArgOr(int argc, char** argv, int index, long fallback);

}  // namespace marlinote::bench
