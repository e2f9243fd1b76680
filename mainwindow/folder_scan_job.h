#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "catalogue/filter_list.h"
#include "catalogue/folder_scan.h"
#include "catalogue/scan_control.h"
#include "catalogue/tag_list.h"

namespace marlinote {

// The folder scan a job runs: ListFolder, or a stand-in that a test can hold up.
using FolderLister =
    std::function<ScanResult(TTagList& list, const std::string& folder, const FilterList& filter,
                             bool recursive, int sortOrder, const ScanControl& control)>;

// What a folder scan found: the files, sorted, and how the scan ended.
struct FolderListing {
  std::unique_ptr<TTagList> files;
  // `stopped` also when the scan's thread was left behind.
  ScanResult result;
  // The text of an exception that ended the scan, or empty.
  std::string error;
};

// Lists a folder as a folder click does, on a thread of its own, so that the window goes on
// while it runs.
//
// The thread lists into a list that only it sees and hands every file over to the job, with
// its sort key, as soon as the scan has listed it. So the files found so far can be taken at
// any moment, also while the thread is stuck in a read that does not return (a dead network
// mount). The thread is then left behind: it shares nothing with the window any more but the
// job's lock and flags, drops whatever it still finds, and frees what it holds once its read
// returns.
class FolderScanJob {
 public:
  struct Request {
    std::string folder;
    FilterList filter;
    bool recursive = false;
    int sortOrder = 0;
  };

  // Starts the thread. `ended` is called on that thread once the scan has ended and its files
  // are sorted, unless the job was taken or destroyed before.
  FolderScanJob(Request request, FolderLister lister, std::function<void()> ended);
  // Stops the thread and leaves it behind; `ended` is not called any more.
  ~FolderScanJob();
  FolderScanJob(const FolderScanJob&) = delete;
  FolderScanJob& operator=(const FolderScanJob&) = delete;

  ScanProgress Progress() const;
  // Asks the scan to stop before its next file or folder.
  void Stop();
  bool Ended() const;
  // Waits for the end of the scan, at most this long; whether it has ended.
  bool WaitUntilEnded(std::chrono::milliseconds timeout) const;
  // The files found, sorted by the request's order: all of them once Ended(); before that, those
  // handed over so far, and the thread is stopped and left behind. Once only.
  FolderListing Take();

 private:
  struct Shared;
  static void Run(const std::shared_ptr<Shared>& shared, const FolderLister& lister);

  std::shared_ptr<Shared> shared_;
};

}  // namespace marlinote
