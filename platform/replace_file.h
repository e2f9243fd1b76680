#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace marlinote {

enum class WriteResult {
  kOk,
  // Nothing was written: the file cannot be opened for writing, it cannot be made in its
  // folder, or what the path names changed while it was being replaced.
  kCannotCreate,
  // A write, the flush to disk or the close failed. A file that was being replaced is as it
  // was; one written into directly holds what reached it.
  kWriteFailed,
  // The path is a symbolic link, or leads through one, that neither the user nor root owns.
  kLinkRefused,
  // The path names a device, a FIFO or a socket, which the caller does not write.
  kNotRegularFile,
};

// What the caller wants done with a path that names a device, a FIFO or a socket.
enum class OtherFiles {
  // Left alone: kNotRegularFile (files the program keeps for itself).
  kLeaveAlone,
  // Written into as it is (an export to a file the user named: /dev/stdout, a FIFO).
  kWriteInto,
};

// The one way the program replaces a file with exactly these bytes. Symbolic links at the
// end of the path are followed when the user or root owns them (platform/owned_links.h) and
// the file they lead to is replaced, so a link stays a link. A regular file is replaced
// through a temporary file beside it, flushed, given the old file's mode (and owner and
// group where allowed) and renamed over it, so that it holds the old bytes or the new ones
// and never a part of either; where no temporary file can be made there (a folder the user
// may not write), a file the user may write is written in place. A file the user may not
// write is left alone. Every open is non-blocking and takes no controlling terminal, so
// that a FIFO without a reader or a device is never waited on. On failure errno tells why.
WriteResult ReplaceFile(const std::string& path, std::string_view bytes, OtherFiles others);

// Writes the new content of a file into `to`, reading what it needs from `from`, the file
// being replaced (open for reading at its start); false when something could not be written.
using ContentWriter = std::function<bool(int from, int to)>;

// The same way, for content made from the file itself (an Ogg stream rewritten with new
// comments): the path must name a regular file that the user may write, links followed as
// above. The new file is made beside it under a hidden name of its own (FileBeside), given
// the old file's owner and group, then written by `write`, given the old file's mode,
// flushed to the disk and renamed over the old file, which stays under its name untouched
// until then. Any failure removes the new file. An owner or group that the user may not give
// (another user's file in a folder the user may write) fails before anything is written
// (kCannotCreate, EPERM), rather than taking the file over. There is no writing in place.
// The file gets a new inode: other hard links to it keep the old content.
WriteResult RewriteFile(const std::string& path, const ContentWriter& write);

}  // namespace marlinote
