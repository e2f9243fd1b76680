#pragma once

#include <string>

namespace marlinote {

// What a path names once the symbolic links at its end are followed.
struct FollowedPath {
  enum class Result {
    // `path` names no symbolic link: the file itself, or where a new file of that name goes.
    kFollowed,
    // `path` is a link of /proc to a file that a process holds open (/dev/stdout leads to
    // one): it names an open file, not a path, and is followed only by opening it.
    kOpenFile,
    // A link on the way belongs neither to the user nor to root; `path` is that link.
    kRefused,
    // A link could not be read, or the links go round in a loop; `error` tells why.
    kFailed,
  };

  Result result = Result::kFailed;
  std::string path;
  int error = 0;
};

// Follows the symbolic link that `path` names, the link that one names, and so on, but only
// links that the user (the effective user id) or root owns: a link that someone else put in
// a folder both may write to must never send a write to a file of that person's choosing.
// Links among the folders of the path are the kernel's to follow: the folder was the user's
// choice. Nothing is opened. A writer opens `path` itself afterwards and checks that it got
// the file found here (same device and inode), since either may change in between.
FollowedPath FollowOwnedLinks(const std::string& path);

}  // namespace marlinote
