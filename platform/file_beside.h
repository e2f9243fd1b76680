#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <optional>
#include <string>

#include "platform/file_handle.h"
#include "platform/replace_file.h"

namespace marlinote {

// Where a file lies: its folder, held open so that every step acts in the same one however
// its path changes meanwhile, and its name there.
struct Place {
  FdHandle folder;
  std::string name;

  // Whether the name still names the file that `opened` describes, not a link to it.
  bool Names(const struct stat& opened) const;
};

// The place of a path's last name; nothing (errno set) for a path that names no file in a
// folder ("/", "x/.."), or whose folder cannot be opened.
std::optional<Place> PlaceOf(const std::string& path);

// The new content of a file, made beside it and renamed over it once complete. Its name is
// hidden, so that no scan lists it, short enough for any name the file system takes, and
// the same for every save of one file (".mlnt-<hash of the file's name>.tmp"), so that a
// save finds what a killed one left there. Removed when the object goes, unless it took the
// file's place.
class FileBeside {
 public:
  explicit FileBeside(const Place& place);
  ~FileBeside();
  FileBeside(const FileBeside&) = delete;
  FileBeside& operator=(const FileBeside&) = delete;

  // Makes the file (never through a link, never over an existing file) with `mode` as the
  // umask leaves it, and locks it, so that another save of the same file sees it in use. A
  // file of that name that a killed save left is removed first, when it is a regular file of
  // the user's that no save holds. False with errno set: EBUSY while another save of the
  // file runs, EEXIST when the name is taken by something else.
  bool Create(mode_t mode);
  int fd() const { return fd_.get(); }
  // Gives the new file the owner and group of `former`; false where the user may not
  // (a file of another user, a group the user is not in).
  bool KeepOwner(const struct stat& former);
  // Flushes the content to the disk, then renames the file over the place's name: when
  // `former` is given, only while the name still names that file (else EAGAIN).
  WriteResult TakePlace(const struct stat* former);

  // The name a file of this name is rewritten under.
  static std::string NameFor(const std::string& name);
  // For a save that writes the file in place: removes what a killed save left beside it.
  // True when nothing is left; false with errno EBUSY while another save of the file runs
  // (its new file would take the place of what is written in place), EEXIST when the name
  // is taken by something else.
  static bool ClearLeftover(const Place& place);
  // The same for the file a path leads to (the user's and root's links followed).
  static bool ClearLeftover(const std::string& path);

 private:
  // Whether the name still names the file this object made.
  bool StillOurs() const;

  const Place& place_;
  std::string name_;
  FdHandle fd_;
  bool placed_ = false;
};

}  // namespace marlinote
