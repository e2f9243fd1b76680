#include "read_ahead.h"

namespace marlinote {

ReadAhead::ReadAhead(FolderWalk& walk, std::vector<UnreadablePath>& unreadable)
    : walk_(walk), unreadable_(unreadable), ring_(std::make_unique_for_overwrite<File[]>(kWindow)) {}

ReadAhead::File* ReadAhead::Next() {
  if (out_) {
    out_->sample.Close();
    out_ = nullptr;
  }
  Fill();
  if (count_ == 0) return nullptr;
  File& file = ring_[head_];
  head_ = (head_ + 1) % kWindow;
  --count_;
  if (file.result == FileSample::OpenResult::kRead) file.result = file.sample.Finish();
  out_ = &file;
  return out_;
}

void ReadAhead::Fill() {
  // The same slot while one file at a time is read, so that its buffer stays in the
  // processor's cache.
  if (count_ == 0) head_ = 0;
  // Reading ahead gains nothing while the page cache holds the files.
  const std::size_t window = expectCached_ ? 1 : kWindow;
  while (count_ < window && !ended_) {
    // With nothing opened ahead, no descriptor of ours is left to give back.
    const bool lastChance = count_ == 0;
    if (!pending_) {
      const FolderWalk::Step step = walk_.Next(lastChance);
      if (step == FolderWalk::Step::kEnd) ended_ = true;
      if (step != FolderWalk::Step::kFile) return;
      pending_ = true;
    }
    File& file = ring_[(head_ + count_) % kWindow];
    const Opened opened = Open(file, lastChance);
    if (opened == Opened::kNoDescriptor) return;
    pending_ = false;
    if (opened == Opened::kQueued) ++count_;
  }
}

ReadAhead::Opened ReadAhead::Open(File& file, bool lastChance) {
  file.nameStart = walk_.FolderPath().size();
  file.path.assign(walk_.FolderPath()).append(walk_.Name());
  file.result = file.sample.Start(walk_.FolderFd(), walk_.Name(), expectCached_);
  if (file.result == FileSample::OpenResult::kCannotOpen &&
      IsOutOfDescriptors(file.sample.OpenError())) {
    if (!lastChance) return Opened::kNoDescriptor;
    walk_.ReleaseFolders();
    file.result = file.sample.Start(walk_.FolderFd(), walk_.Name(), expectCached_);
    if (file.result == FileSample::OpenResult::kCannotOpen &&
        IsOutOfDescriptors(file.sample.OpenError())) {
      unreadable_.push_back({file.path, file.sample.OpenError()});
      return Opened::kLeftOut;
    }
  }
  if (file.result == FileSample::OpenResult::kNotRegular) {
    file.sample.Close();
    return Opened::kLeftOut;
  }
  if (file.result == FileSample::OpenResult::kRead) Learn(file.sample.WasCached());
  return Opened::kQueued;
}

void ReadAhead::Learn(bool cached) {
  // One file that was not cached is enough to ask the kernel first; it takes a run of
  // cached ones to stop asking, which costs little where it was not needed.
  if (!cached) {
    expectCached_ = false;
    cachedInARow_ = 0;
  } else if (++cachedInARow_ >= kCachedToTrust) {
    expectCached_ = true;
  }
}

}  // namespace marlinote
