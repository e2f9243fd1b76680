#include "mainwindow/folder_scan_job.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "catalogue/sort_files.h"
#include "mainwindow/application.h"

namespace marlinote {

namespace {

// An order that sorts nothing: the scan lists in the file system's order, and the job sorts
// what was handed over.
constexpr int kUnsorted = -1;

// Sorts by the keys gathered while the files were handed over; should gathering have failed
// part of the way, by keys taken again.
void Sort(TTagList& files, int order, const FileSortKeys& keys) {
  if (keys.Count() == static_cast<std::size_t>(files.Count()))
    SortFiles(files, order, keys);
  else
    SortFiles(files, order);
}

}  // namespace

struct FolderScanJob::Shared {
  explicit Shared(Request r, std::function<void()> onEnded)
      : request(std::move(r)),
        keys(std::make_unique<FileSortKeys>(request.sortOrder)),
        ended(std::move(onEnded)) {}

  // Takes the files of the thread's own list, with their sort keys; drops them once the
  // window has taken what was found.
  void HandOver(TTagList& own) {
    if (own.Count() == 0) return;
    const std::lock_guard lock(mutex);
    if (taken) {
      own.Clear();
      return;
    }
    for (int i = 0; i < own.Count(); ++i) keys->Add(own.Get(i).GetFileName());
    own.MoveTo(*found);
  }

  const Request request;
  std::atomic<bool> stop{false};
  std::atomic<std::size_t> folders{0};
  std::atomic<std::size_t> files{0};

  mutable std::mutex mutex;
  mutable std::condition_variable endedSignal;
  // Guarded by `mutex`.
  std::unique_ptr<TTagList> found = std::make_unique<TTagList>();
  std::unique_ptr<FileSortKeys> keys;
  std::function<void()> ended;
  bool done = false;
  bool taken = false;
  ScanResult result;
  std::string error;
};

FolderScanJob::FolderScanJob(Request request, FolderLister lister, std::function<void()> ended)
    : shared_(std::make_shared<Shared>(std::move(request), std::move(ended))) {
  std::thread(Run, shared_, std::move(lister)).detach();
}

FolderScanJob::~FolderScanJob() {
  shared_->stop = true;
  const std::lock_guard lock(shared_->mutex);
  shared_->taken = true;
  shared_->ended = nullptr;
}

void FolderScanJob::Run(const std::shared_ptr<Shared>& shared, const FolderLister& lister) {
  Shared& job = *shared;
  TTagList own;
  ScanControl control;
  control.stop = &job.stop;
  control.progress = [&](const ScanProgress& progress) {
    job.folders.store(progress.folders, std::memory_order_relaxed);
    job.files.store(progress.files, std::memory_order_relaxed);
    job.HandOver(own);
  };
  ScanResult result;
  std::string error;
  try {
    result = lister(own, job.request.folder, job.request.filter, job.request.recursive,
                    kUnsorted, control);
    job.HandOver(own);
  } catch (...) {
    error = CurrentExceptionText();
  }
  const std::lock_guard lock(job.mutex);
  if (!job.taken) {
    try {
      Sort(*job.found, job.request.sortOrder, *job.keys);
    } catch (...) {
      if (error.empty()) error = CurrentExceptionText();
    }
  }
  job.result = std::move(result);
  job.error = std::move(error);
  job.done = true;
  if (job.ended) job.ended();
  job.endedSignal.notify_all();
}

ScanProgress FolderScanJob::Progress() const {
  return {shared_->folders.load(std::memory_order_relaxed),
          shared_->files.load(std::memory_order_relaxed)};
}

void FolderScanJob::Stop() { shared_->stop = true; }

bool FolderScanJob::Ended() const {
  const std::lock_guard lock(shared_->mutex);
  return shared_->done;
}

bool FolderScanJob::WaitUntilEnded(std::chrono::milliseconds timeout) const {
  std::unique_lock lock(shared_->mutex);
  return shared_->endedSignal.wait_for(lock, timeout, [&] { return shared_->done; });
}

FolderListing FolderScanJob::Take() {
  FolderListing listing;
  std::unique_ptr<FileSortKeys> keys;
  bool done = false;
  {
    const std::lock_guard lock(shared_->mutex);
    if (shared_->taken) return {std::make_unique<TTagList>(), {}, {}};
    shared_->taken = true;
    shared_->ended = nullptr;
    listing.files = std::move(shared_->found);
    keys = std::move(shared_->keys);
    done = shared_->done;
    if (done) {
      listing.result = std::move(shared_->result);
      listing.error = std::move(shared_->error);
    }
  }
  if (!done) {
    shared_->stop = true;
    listing.result.stopped = true;
    Sort(*listing.files, shared_->request.sortOrder, *keys);
  }
  return listing;
}

}  // namespace marlinote
