#pragma once

#include <string>
#include <vector>

#include "catalogue/filter_list.h"
#include "catalogue/tag_list.h"

namespace marlinote {

struct ScanResult {
  // Folders that could not be opened or read to their end; they added nothing, or only
  // what was read before the failure.
  std::vector<std::string> unreadable;
  bool ok() const { return unreadable.empty(); }
};

// Appends a tag object (CreateTagForFile) for every file of the folder that the filter
// passes, in the order the file system gives: plain files and symbolic links to plain
// files; hidden entries (names beginning with ".") are skipped. The path of a file is the
// folder and the name joined by exactly one "/".
ScanResult ScanFolderFiles(const std::string& folder, const FilterList& filter, TTagList& list);

// The same for the folder and, depth first, every folder below it: a subfolder is scanned
// as soon as it is met. Hidden folders and symbolic links to folders are not entered.
ScanResult ScanSubtree(const std::string& folder, const FilterList& filter, TTagList& list);

// What a folder click (or, with `recursive`, the recursive search) does to the file list:
// empties it, scans, and sorts it by `sortOrder` (SortFiles).
ScanResult ListFolder(TTagList& list, const std::string& folder, const FilterList& filter,
                      bool recursive, int sortOrder);

}  // namespace marlinote
