#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

#include "catalogue/filter_list.h"
#include "catalogue/scan_control.h"

namespace marlinote {

// The files a folder scan lists, in the order of the folder's entries, hidden entries left
// out. Only files that the filter passes are given: regular files and symbolic links to
// them. With `recursive`, a subfolder's files come where the subfolder is met (depth first);
// hidden folders and links to folders are not entered.
//
// The walk keeps its own stack, so a tree of any depth needs no more of the machine's, and
// keeps at most kOpenFolders folders open: a folder closed on the way down is opened again
// through the ".." of its subfolder on the way up, and used only when it is still the same
// folder. Each folder's entries are read whole when it is entered, so it needs no open
// folder stream while its subfolders are walked.
class FolderWalk {
 public:
  static constexpr std::size_t kOpenFolders = 16;

  enum class Step { kFile, kEnd, kOutOfDescriptors };

  // Folders and files that cannot be listed are added to `unreadable`; `progress` counts the
  // folders read, and control.progress is told of each.
  FolderWalk(const FilterList& filter, bool recursive, const ScanControl& control,
             ScanProgress& progress, std::vector<UnreadablePath>& unreadable);
  ~FolderWalk();
  FolderWalk(const FolderWalk&) = delete;
  FolderWalk& operator=(const FolderWalk&) = delete;

  // Begins at `folder`; the path of a file found is the folder and its name joined by
  // exactly one "/".
  void Start(const std::string& folder);

  // Moves to the next file. kOutOfDescriptors: no descriptor was left to open a folder and
  // nothing moved, so the caller may close some of its own and call again. With
  // `lastChance`, the walk first closes every folder it can open again later, and a folder
  // it still cannot open is named unreadable.
  Step Next(bool lastChance);

  // The file that Next moved to: its open folder, that folder's path (ending in "/") and
  // its name. Valid until the next call of Next.
  int FolderFd() const { return levels_.back().fd; }
  const std::string& FolderPath() const { return path_; }
  const char* Name() const { return name_; }

  // Closes every folder but the current file's; they are opened again when needed.
  void ReleaseFolders();

  // Whether the control's stop flag ended the walk.
  bool Stopped() const { return stopped_; }

 private:
  struct Level {
    int fd = -1;
    dev_t device = 0;
    ino_t inode = 0;
    // The length of path_ while this folder is the current one.
    std::size_t pathLength = 0;
    // The entries still to visit: for each, its type (DT_*), its name and a zero byte.
    std::string entries;
    std::size_t next = 0;
  };

  // Reads the folder open as `fd`, whose path path_ holds, and makes it the current one;
  // false (and the folder named unreadable) when it cannot.
  bool Enter(int fd);
  void ReadEntries(Level& level);
  // Whether an entry is kept to be listed or entered; of one whose type the directory does
  // not tell, that is decided when it is met.
  bool Wanted(unsigned char type, const char* name) const;
  // Leaves the current folder for the one above it; false when no descriptor was left.
  bool Leave(bool lastChance);
  int Reopen(std::size_t index, int childFd);
  void CloseFolder(Level& level);
  std::string ShownPath(std::size_t index) const;

  const FilterList& filter_;
  const bool recursive_;
  const ScanControl& control_;
  ScanProgress& progress_;
  std::vector<UnreadablePath>& unreadable_;
  std::string top_;
  std::string path_;
  std::vector<Level> levels_;
  std::size_t openFolders_ = 0;
  // The folders of the levels before this one are closed.
  std::size_t lowestOpen_ = 0;
  const char* name_ = nullptr;
  bool stopped_ = false;
  std::vector<char> buffer_;
};

}  // namespace marlinote
