#include "bench/measure.h"

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace marlinote::bench {

namespace {

std::int64_t StatusKilobytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::size_t length = std::strlen(field);
  while (std::getline(status, line))
    if (line.compare(0, length, field) == 0) return std::atoll(line.c_str() + length) * 1024;
  return -1;
}

}  // namespace

double TimeSeconds(const std::function<void()>& body) {
  const auto start = std::chrono::steady_clock::now();
  body();
  const auto end = std::chrono::steady_clock::now();
  return std::chrono::duration<double>(end - start).count();
}

double CpuSeconds(const std::function<void()>& body) {
  timespec start{}, end{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &start);
  body();
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &end);
  return static_cast<double>(end.tv_sec - start.tv_sec) +
         static_cast<double>(end.tv_nsec - start.tv_nsec) / 1e9;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::vector<std::vector<double>> TimeInRounds(const std::vector<Contender>& contenders, int rounds,
                                              std::vector<std::vector<double>>* cpu) {
  for (const Contender& c : contenders) {
    c.prepare();
    c.body();
  }
  std::vector<std::vector<double>> times(contenders.size());
  if (cpu) cpu->assign(contenders.size(), {});
  for (int r = 0; r < rounds; ++r)
    for (std::size_t k = 0; k < contenders.size(); ++k) {
      const std::size_t c = (k + static_cast<std::size_t>(r)) % contenders.size();
      contenders[c].prepare();
      double processor = 0;
      times[c].push_back(TimeSeconds([&] { processor = CpuSeconds(contenders[c].body); }));
      if (cpu) (*cpu)[c].push_back(processor);
    }
  return times;
}

std::vector<double> Ratios(const std::vector<double>& a, const std::vector<double>& b) {
  std::vector<double> ratios;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) ratios.push_back(a[i] / b[i]);
  return ratios;
}

std::string Spread(const std::vector<double>& values, int decimals) {
  if (values.empty()) return "-";
  char text[96];
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  std::snprintf(text, sizeof text, "%.*f (%.*f .. %.*f)", decimals, Median(values), decimals,
                *low, decimals, *high);
  return text;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    if (entry->d_type == DT_REG || entry->d_type == DT_LNK) names.emplace_back(entry->d_name);
  }
  closedir(dir);
  return names;
}

bool FlushFileSystem(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool flushed = syncfs(fd) == 0;
  close(fd);
  return flushed;
}

void DropFromPageCache(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    close(fd);
  }
}

std::size_t FilesInPageCache(const std::vector<std::string>& paths) {
  const auto pageSize = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  std::vector<unsigned char> pages;
  std::size_t cached = 0;
  for (const std::string& path : paths) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st {};
    if (fstat(fd, &st) == 0 && st.st_size > 0) {
      const auto size = static_cast<std::size_t>(st.st_size);
      // Mapping reads nothing; mincore only looks.
      void* map = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
      if (map != MAP_FAILED) {
        pages.resize((size + pageSize - 1) / pageSize);
        if (mincore(map, size, pages.data()) == 0 &&
            std::any_of(pages.begin(), pages.end(), [](unsigned char p) { return p & 1; }))
          ++cached;
        munmap(map, size);
      }
    }
    close(fd);
  }
  return cached;
}

std::int64_t ResidentBytes() { return StatusKilobytes("VmRSS:"); }

std::int64_t PeakResidentBytes() { return StatusKilobytes("VmHWM:"); }

bool ResetPeakResident() {
  std::FILE* f = std::fopen("/proc/self/clear_refs", "w");
  if (!f) return false;
  const bool ok = std::fputs("5", f) >= 0;
  return std::fclose(f) == 0 && ok;
}

std::int64_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<std::int64_t>(info.uordblks + info.hblkhd);
}

long ArgOr(int argc, char** argv, int index, long fallback) {
  return index < argc ? std::atol(argv[index]) : fallback;
}

}  // namespace marlinote::bench
