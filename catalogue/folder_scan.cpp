#include "folder_scan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "catalogue/sort_files.h"
#include "platform/file_handle.h"
#include "tags/tag_probe.h"

namespace marlinote {

namespace {

unsigned char TypeOf(mode_t mode) {
  if (S_ISREG(mode)) return DT_REG;
  if (S_ISDIR(mode)) return DT_DIR;
  if (S_ISLNK(mode)) return DT_LNK;
  return DT_UNKNOWN;
}

// Walks folders with one path buffer for the whole scan, and answers "file or folder" from
// the directory entry's type where the file system gives it, so that most files need no
// stat at all.
class Scanner {
 public:
  // With `keys`, the sort key of every listed file's name is gathered as it is listed.
  Scanner(const FilterList& filter, TTagList& list, bool recursive, FileSortKeys* keys = nullptr)
      : filter_(filter), list_(list), recursive_(recursive), keys_(keys) {}

  ScanResult Run(const std::string& folder) {
    folder_ = folder;
    if (folder_.empty() || folder_.back() != '/') folder_ += '/';
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
      result_.unreadable.push_back(folder);
    else
      ScanOpenFolder(fd, folder);
    return std::move(result_);
  }

 private:
  // `folder_` holds the folder's path ending in "/"; takes ownership of `fd`.
  void ScanOpenFolder(int fd, const std::string& shownPath) {
    DirHandle dir(fdopendir(fd));
    if (!dir) {
      close(fd);
      result_.unreadable.push_back(shownPath);
      return;
    }
    for (;;) {
      errno = 0;
      const dirent* entry = readdir(dir.get());
      if (!entry) break;
      const char* name = entry->d_name;
      if (name[0] == '.') continue;
      unsigned char type = entry->d_type;
      struct stat st {};
      if (type == DT_UNKNOWN) {
        if (fstatat(dirfd(dir.get()), name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        type = TypeOf(st.st_mode);
      }
      if (type == DT_DIR) {
        if (recursive_) EnterFolder(dirfd(dir.get()), name);
        continue;
      }
      if ((type != DT_REG && type != DT_LNK) || !filter_.MatchesFilter(name)) continue;
      // A link is listed when it leads to a plain file; links to folders are not followed.
      if (type == DT_LNK && (fstatat(dirfd(dir.get()), name, &st, 0) != 0 || !S_ISREG(st.st_mode)))
        continue;
      file_.assign(folder_).append(name);
      list_.Add(CreateTagForFile(file_, dirfd(dir.get()), name));
      if (keys_) keys_->Add(name);
    }
    if (errno != 0) result_.unreadable.push_back(shownPath);
  }

  void EnterFolder(int parent, const char* name) {
    const std::size_t length = folder_.size();
    folder_.append(name);
    const std::string shownPath = folder_;
    folder_ += '/';
    // O_NOFOLLOW: a folder swapped for a link since it was read is not entered either.
    const int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
      result_.unreadable.push_back(shownPath);
    else
      ScanOpenFolder(fd, shownPath);
    folder_.resize(length);
  }

  const FilterList& filter_;
  TTagList& list_;
  const bool recursive_;
  FileSortKeys* const keys_;
  std::string folder_;
  std::string file_;
  ScanResult result_;
};

}  // namespace

ScanResult ScanFolderFiles(const std::string& folder, const FilterList& filter, TTagList& list) {
  return Scanner(filter, list, false).Run(folder);
}

ScanResult ScanSubtree(const std::string& folder, const FilterList& filter, TTagList& list) {
  return Scanner(filter, list, true).Run(folder);
}

ScanResult ListFolder(TTagList& list, const std::string& folder, const FilterList& filter,
                      bool recursive, int sortOrder) {
  list.Clear();
  if (sortOrder < kSortNameAscend || sortOrder > kSortExtendDescend)
    return Scanner(filter, list, recursive).Run(folder);
  // The keys are taken while each name is at hand, not by visiting every entry again.
  FileSortKeys keys(sortOrder);
  ScanResult result = Scanner(filter, list, recursive, &keys).Run(folder);
  SortFiles(list, sortOrder, keys);
  return result;
}

}  // namespace marlinote
