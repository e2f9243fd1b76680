#pragma once

#include <atomic>
#include <string>

#include "catalogue/filter_list.h"
#include "catalogue/settings.h"
#include "catalogue/tag_list.h"
#include "catalogue/sort_files.h"

namespace marlinote {

// What the main window owns besides its controls; the commands work on it.
struct WindowState {
  TTagList files;
  FilterList filters;
  MainSettings settings;
  int SortType = kSortNameAscend;
  // The folder the list was last filled from (native bytes), where the CSV export's save
  // dialog opens.
  std::string listedFolder;
  // The window is to close: work over several files stops before its next file. Set from
  // the thread that takes stop signals.
  std::atomic<bool> stopRequested = false;
};

}  // namespace marlinote
