#pragma once

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <functional>
#include <string>

namespace marlinote {

// How far a folder scan has come.
struct ScanProgress {
  // Folders opened and read, the listed folder included.
  std::size_t folders = 0;
  // Files listed.
  std::size_t files = 0;
};

// What a caller that runs a scan on another thread gives it. Both parts are optional.
struct ScanControl {
  // Set from any thread to end the scan before the next file or folder; the list then holds
  // what was found so far, and the result says that it stopped.
  const std::atomic<bool>* stop = nullptr;
  // Called on the scanning thread after every folder read and every file listed, so it must
  // be quick (store the figures; show them elsewhere).
  std::function<void(const ScanProgress&)> progress;
};

// A folder or file that a scan could not list, with the system's reason (an errno value).
struct UnreadablePath {
  std::string path;
  int error = 0;
  // A folder whose entries failed part of the way: those before the failure were listed.
  bool partly = false;

  bool operator==(const UnreadablePath&) const = default;
};

// Out of file descriptors: a shortage that passes, not a property of the file.
inline bool IsOutOfDescriptors(int error) { return error == EMFILE || error == ENFILE; }

}  // namespace marlinote
