#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/folder_walk.h"
#include "catalogue/scan_control.h"
#include "tags/file_sample.h"

namespace marlinote {

// The files of a walk in its order, each opened and its head and tail read, for one thread
// that probes them in turn. The next kWindow files are opened ahead of the one handed out
// and the kernel is asked to read their bytes meanwhile (those it holds are taken at once),
// so that the disk works on many files while the thread waits for one. While the files are
// found in the page cache, they are read one at a time as they are needed, and the kernel
// is not asked.
//
// Files opened ahead hold a descriptor each. When none is left, no more are opened ahead
// until those are used; a file that cannot be opened even then, with every folder the walk
// can spare closed, is named unreadable (with the reason), never listed as a file without
// a tag. Anything that is not a regular file when opened is left out.
class ReadAhead {
 public:
  // On the virtual disk where it was measured, 16 to 128 files ahead listed a folder whose
  // data was not cached equally fast; the fewer, the fewer descriptors held.
  static constexpr std::size_t kWindow = 32;
  // Files found in the page cache in a row after which the cache is looked in first.
  static constexpr std::size_t kCachedToTrust = 16;

  struct File {
    std::string path;
    std::size_t nameStart = 0;
    FileSample sample;
    FileSample::OpenResult result = FileSample::OpenResult::kCannotOpen;

    std::string_view Name() const { return std::string_view(path).substr(nameStart); }
  };

  ReadAhead(FolderWalk& walk, std::vector<UnreadablePath>& unreadable);

  // The next file, opened and read (or the result of failing to); null at the end. Valid
  // until the next call.
  File* Next();

 private:
  enum class Opened { kQueued, kLeftOut, kNoDescriptor };

  void Fill();
  // Whether to look for the next files in the page cache before asking the kernel.
  void Learn(bool cached);
  // Opens the walk's current file into `file`.
  Opened Open(File& file, bool lastChance);

  FolderWalk& walk_;
  std::vector<UnreadablePath>& unreadable_;
  std::unique_ptr<File[]> ring_;
  std::size_t head_ = 0;
  std::size_t count_ = 0;
  File* out_ = nullptr;
  // The walk stands at a file that is still to be opened.
  bool pending_ = false;
  // Whether the files met lately were in the page cache, and how many in a row.
  bool expectCached_ = true;
  std::size_t cachedInARow_ = 0;
  bool ended_ = false;
};

}  // namespace marlinote
