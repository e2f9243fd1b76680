#include "folder_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace marlinote {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
// Enough for a few hundred entries per system call.
constexpr std::size_t kEntryBufferSize = 32 * 1024;

unsigned char TypeOf(mode_t mode) {
  if (S_ISREG(mode)) return DT_REG;
  if (S_ISDIR(mode)) return DT_DIR;
  if (S_ISLNK(mode)) return DT_LNK;
  return DT_UNKNOWN;
}

}  // namespace

FolderWalk::FolderWalk(const FilterList& filter, bool recursive, const ScanControl& control,
                       ScanProgress& progress, std::vector<UnreadablePath>& unreadable)
    : filter_(filter),
      recursive_(recursive),
      control_(control),
      progress_(progress),
      unreadable_(unreadable) {}

FolderWalk::~FolderWalk() {
  for (Level& level : levels_) CloseFolder(level);
}

void FolderWalk::Start(const std::string& folder) {
  top_ = folder;
  path_ = folder;
  if (path_.empty() || path_.back() != '/') path_ += '/';
  const int fd = open(folder.c_str(), kFolderFlags);
  const int error = errno;
  if (fd < 0)
    unreadable_.push_back({folder, error});
  else
    Enter(fd);
}

bool FolderWalk::Enter(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0) {
    const int error = errno;
    unreadable_.push_back({ShownPath(levels_.size()), error});
    close(fd);
    return false;
  }
  Level& level = levels_.emplace_back();
  level.fd = fd;
  level.device = st.st_dev;
  level.inode = st.st_ino;
  level.pathLength = path_.size();
  ++openFolders_;
  if (openFolders_ > kOpenFolders) {
    while (levels_[lowestOpen_].fd < 0) ++lowestOpen_;
    CloseFolder(levels_[lowestOpen_]);
  }
  ReadEntries(level);
  ++progress_.folders;
  if (control_.progress) control_.progress(progress_);
  return true;
}

void FolderWalk::ReadEntries(Level& level) {
  buffer_.resize(kEntryBufferSize);
  bool any = false;
  for (;;) {
    const ssize_t got = getdents64(level.fd, buffer_.data(), buffer_.size());
    if (got == 0) return;
    if (got < 0) {
      const int error = errno;
      unreadable_.push_back({ShownPath(levels_.size() - 1), error, any});
      return;
    }
    any = true;
    for (ssize_t at = 0; at < got;) {
      const auto* entry = reinterpret_cast<const dirent64*>(buffer_.data() + at);
      at += entry->d_reclen;
      const char* name = entry->d_name;
      if (name[0] == '.') continue;
      if (!Wanted(entry->d_type, name)) continue;
      level.entries += static_cast<char>(entry->d_type);
      level.entries.append(name).push_back('\0');
    }
  }
}

bool FolderWalk::Wanted(unsigned char type, const char* name) const {
  switch (type) {
    case DT_DIR:
      return recursive_;
    case DT_REG:
    case DT_LNK:
      return filter_.MatchesFilter(name);
    case DT_UNKNOWN:
      return recursive_ || filter_.MatchesFilter(name);
    default:
      return false;
  }
}

FolderWalk::Step FolderWalk::Next(bool lastChance) {
  for (;;) {
    if (control_.stop && control_.stop->load(std::memory_order_relaxed)) {
      stopped_ = true;
      return Step::kEnd;
    }
    if (levels_.empty()) return Step::kEnd;
    Level& level = levels_.back();
    if (level.next >= level.entries.size()) {
      if (!Leave(lastChance)) return Step::kOutOfDescriptors;
      continue;
    }
    const char* entry = level.entries.data() + level.next;
    const char* name = entry + 1;
    const std::size_t after = level.next + 2 + std::strlen(name);
    auto type = static_cast<unsigned char>(entry[0]);
    struct stat st {};
    if (type == DT_UNKNOWN && fstatat(level.fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0)
      type = TypeOf(st.st_mode);
    if (type == DT_DIR && recursive_) {
      // O_NOFOLLOW: a folder swapped for a link since it was read is not entered either.
      int fd = openat(level.fd, name, kFolderFlags | O_NOFOLLOW);
      if (fd < 0 && IsOutOfDescriptors(errno)) {
        if (!lastChance) return Step::kOutOfDescriptors;
        ReleaseFolders();
        fd = openat(level.fd, name, kFolderFlags | O_NOFOLLOW);
      }
      const int error = errno;
      level.next = after;
      const std::size_t length = path_.size();
      path_.append(name);
      if (fd < 0) {
        unreadable_.push_back({path_, error});
      } else {
        path_ += '/';
        if (Enter(fd)) continue;
      }
      path_.resize(length);
      continue;
    }
    level.next = after;
    if (type != DT_REG && type != DT_LNK) continue;
    if (!filter_.MatchesFilter(name)) continue;
    // A link is listed when it leads to a regular file.
    if (type == DT_LNK && (fstatat(level.fd, name, &st, 0) != 0 || !S_ISREG(st.st_mode))) continue;
    name_ = name;
    return Step::kFile;
  }
}

bool FolderWalk::Leave(bool lastChance) {
  const std::size_t child = levels_.size() - 1;
  if (child > 0 && levels_[child - 1].fd < 0) {
    const std::size_t parent = child - 1;
    int fd = Reopen(parent, levels_[child].fd);
    if (fd < 0 && IsOutOfDescriptors(errno)) {
      if (!lastChance) return false;
      ReleaseFolders();
      fd = Reopen(parent, levels_[child].fd);
    }
    Level& above = levels_[parent];
    if (fd >= 0) {
      above.fd = fd;
      ++openFolders_;
      if (lowestOpen_ > parent) lowestOpen_ = parent;
    } else if (above.next < above.entries.size()) {
      const int error = errno;
      unreadable_.push_back({ShownPath(parent), error, true});
      above.next = above.entries.size();
    }
  }
  CloseFolder(levels_[child]);
  levels_.pop_back();
  if (!levels_.empty()) path_.resize(levels_.back().pathLength);
  if (!levels_.empty() && lowestOpen_ >= levels_.size()) lowestOpen_ = levels_.size() - 1;
  return true;
}

int FolderWalk::Reopen(std::size_t index, int childFd) {
  const Level& level = levels_[index];
  const auto same = [&level](int fd) {
    struct stat st {};
    return fstat(fd, &st) == 0 && st.st_dev == level.device && st.st_ino == level.inode;
  };
  if (childFd >= 0) {
    const int fd = openat(childFd, "..", kFolderFlags);
    if (fd >= 0 && same(fd)) return fd;
    if (fd >= 0)
      close(fd);
    else if (IsOutOfDescriptors(errno))
      return -1;
  }
  const int fd = open(ShownPath(index).c_str(), kFolderFlags);
  if (fd < 0) return -1;
  if (same(fd)) return fd;
  close(fd);
  // The folder that was being listed is no longer at its path.
  errno = ENOENT;
  return -1;
}

void FolderWalk::ReleaseFolders() {
  for (std::size_t i = 0; i + 1 < levels_.size(); ++i) CloseFolder(levels_[i]);
  lowestOpen_ = levels_.empty() ? 0 : levels_.size() - 1;
}

void FolderWalk::CloseFolder(Level& level) {
  if (level.fd < 0) return;
  close(level.fd);
  level.fd = -1;
  --openFolders_;
}

std::string FolderWalk::ShownPath(std::size_t index) const {
  if (index == 0) return top_;
  const std::size_t length = index < levels_.size() ? levels_[index].pathLength : path_.size();
  return path_.substr(0, length - 1);
}

}  // namespace marlinote
