#include "folder_scan.h"

#include "catalogue/folder_walk.h"
#include "catalogue/read_ahead.h"
#include "catalogue/sort_files.h"
#include "tags/tag_probe.h"

namespace marlinote {

namespace {

// With `keys`, the sort key of every listed file's name is gathered as it is listed, not by
// visiting every entry again.
ScanResult Scan(const std::string& folder, const FilterList& filter, bool recursive,
                TTagList& list, const ScanControl& control, FileSortKeys* keys = nullptr) {
  ScanResult result;
  ScanProgress progress;
  FolderWalk walk(filter, recursive, control, progress, result.unreadable);
  walk.Start(folder);
  ReadAhead files(walk, result.unreadable);
  while (ReadAhead::File* file = files.Next()) {
    list.Add(CreateTagForSample(file->path, file->sample, file->result));
    if (keys) keys->Add(file->Name());
    ++progress.files;
    if (control.progress) control.progress(progress);
    if (control.stop && control.stop->load(std::memory_order_relaxed)) {
      result.stopped = true;
      break;
    }
  }
  result.stopped = result.stopped || walk.Stopped();
  return result;
}

}  // namespace

ScanResult ScanFolderFiles(const std::string& folder, const FilterList& filter, TTagList& list) {
  return Scan(folder, filter, false, list, {});
}

ScanResult ScanSubtree(const std::string& folder, const FilterList& filter, TTagList& list) {
  return Scan(folder, filter, true, list, {});
}

ScanResult ListFolder(TTagList& list, const std::string& folder, const FilterList& filter,
                      bool recursive, int sortOrder, const ScanControl& control) {
  list.Clear();
  if (sortOrder < kSortNameAscend || sortOrder > kSortExtendDescend)
    return Scan(folder, filter, recursive, list, control);
  FileSortKeys keys(sortOrder);
  ScanResult result = Scan(folder, filter, recursive, list, control, &keys);
  SortFiles(list, sortOrder, keys);
  return result;
}

}  // namespace marlinote
