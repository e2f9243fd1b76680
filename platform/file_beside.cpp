#include "file_beside.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "platform/owned_links.h"

namespace marlinote {

namespace {

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool NameIs(int folder, const std::string& name, const struct stat& file) {
  struct stat st {};
  return fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(st, file);
}

// A file of the name that a save left when it was killed: removed when it is a regular file
// of the user's and no save holds its lock. False with errno set when it stays.
bool RemoveLeftover(int folder, const std::string& name) {
  FdHandle left(openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat st {};
  if (!left || fstat(left.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
    errno = EEXIST;
    return false;
  }
  if (flock(left.get(), LOCK_EX | LOCK_NB) != 0) {
    errno = EBUSY;
    return false;
  }
  if (!NameIs(folder, name, st)) {
    errno = EBUSY;
    return false;
  }
  return unlinkat(folder, name.c_str(), 0) == 0;
}

}  // namespace

bool Place::Names(const struct stat& opened) const { return NameIs(folder.get(), name, opened); }

std::optional<Place> PlaceOf(const std::string& path) {
  const auto slash = path.rfind('/');
  Place place;
  place.name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (place.name.empty() || place.name == "." || place.name == "..") {
    errno = EISDIR;
    return std::nullopt;
  }
  const std::string folder =
      slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  place.folder = FdHandle(open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!place.folder) return std::nullopt;
  return place;
}

std::string FileBeside::NameFor(const std::string& name) {
  // FNV-1a: any spread-out hash does; it only has to be the same from one run to the next.
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : name) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  char text[32];
  std::snprintf(text, sizeof text, ".mlnt-%016llx.tmp", static_cast<unsigned long long>(hash));
  return text;
}

bool FileBeside::ClearLeftover(const Place& place) {
  const std::string name = NameFor(place.name);
  struct stat st {};
  if (fstatat(place.folder.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
  return RemoveLeftover(place.folder.get(), name);
}

bool FileBeside::ClearLeftover(const std::string& path) {
  const FollowedPath target = FollowOwnedLinks(path);
  // A file held open (/dev/fd/N) has no name here, and so nothing beside it.
  if (target.result == FollowedPath::Result::kOpenFile) return true;
  if (target.result != FollowedPath::Result::kFollowed) return false;
  const std::optional<Place> place = PlaceOf(target.path);
  return place && ClearLeftover(*place);
}

FileBeside::FileBeside(const Place& place) : place_(place), name_(NameFor(place.name)) {}

FileBeside::~FileBeside() {
  if (!fd_ || placed_) return;
  const int error = errno;
  if (StillOurs()) unlinkat(place_.folder.get(), name_.c_str(), 0);
  errno = error;
}

bool FileBeside::Create(mode_t mode) {
  const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
  fd_ = FdHandle(openat(place_.folder.get(), name_.c_str(), flags, mode));
  if (!fd_ && errno == EEXIST && RemoveLeftover(place_.folder.get(), name_))
    fd_ = FdHandle(openat(place_.folder.get(), name_.c_str(), flags, mode));
  if (!fd_) return false;
  // Another save that found the file before the lock was taken may have removed it.
  if (flock(fd_.get(), LOCK_EX | LOCK_NB) != 0 || !StillOurs()) {
    fd_ = FdHandle();
    errno = EBUSY;
    return false;
  }
  return true;
}

bool FileBeside::StillOurs() const {
  struct stat own {};
  return fstat(fd_.get(), &own) == 0 && NameIs(place_.folder.get(), name_, own);
}

bool FileBeside::KeepOwner(const struct stat& former) {
  if (former.st_uid == geteuid() && former.st_gid == getegid()) return true;
  return fchown(fd_.get(), former.st_uid, former.st_gid) == 0;
}

WriteResult FileBeside::TakePlace(const struct stat* former) {
  if (fsync(fd_.get()) != 0) return WriteResult::kWriteFailed;
  if ((former && !place_.Names(*former)) || !StillOurs()) {
    // Someone put another file or a link in its place meanwhile: theirs stays.
    errno = EAGAIN;
    return WriteResult::kCannotCreate;
  }
  if (renameat(place_.folder.get(), name_.c_str(), place_.folder.get(), place_.name.c_str()) != 0)
    return WriteResult::kCannotCreate;
  placed_ = true;
  // The lock is held until the rename: until then another save must not take the file for
  // a leftover. Every byte is on the disk already, so the close has nothing left to report.
  fd_.Close();
  return WriteResult::kOk;
}

}  // namespace marlinote
