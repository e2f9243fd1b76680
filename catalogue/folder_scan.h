#pragma once

#include <string>
#include <vector>

#include "catalogue/filter_list.h"
#include "catalogue/scan_control.h"
#include "catalogue/tag_list.h"

namespace marlinote {

struct ScanResult {
  // Folders that could not be opened or read to their end (they added nothing, or only what
  // was read before the failure), and files that could not be opened for want of file
  // descriptors; each with the reason.
  std::vector<UnreadablePath> unreadable;
  // The control's stop flag ended the scan: the list holds what was found until then.
  bool stopped = false;
  bool ok() const { return unreadable.empty() && !stopped; }
};

// Appends a tag object (CreateTagForFile) for every file of the folder that the filter
// passes, in the order the file system gives: regular files and symbolic links to regular
// files; hidden entries (names beginning with ".") are skipped, and so is anything that is
// not a regular file when it is opened. The path of a file is the folder and the name joined
// by exactly one "/". The files are read a few dozen ahead of the one being probed, so that
// a folder whose files are not in the page cache is read at the speed of the disk, not at
// that of one file at a time.
ScanResult ScanFolderFiles(const std::string& folder, const FilterList& filter, TTagList& list);

// The same for the folder and, depth first, every folder below it: a subfolder is scanned
// as soon as it is met. Hidden folders and symbolic links to folders are not entered. Any
// depth is walked, with a bounded number of folders open.
ScanResult ScanSubtree(const std::string& folder, const FilterList& filter, TTagList& list);

// What a folder click (or, with `recursive`, the recursive search) does to the file list:
// empties it, scans, and sorts it by `sortOrder` (SortFiles), also after a stop.
ScanResult ListFolder(TTagList& list, const std::string& folder, const FilterList& filter,
                      bool recursive, int sortOrder, const ScanControl& control = {});

}  // namespace marlinote
