#include "replace_file.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "platform/file_beside.h"
#include "platform/file_handle.h"
#include "platform/owned_links.h"

namespace marlinote {

namespace {

// Non-blocking: a FIFO without a reader fails at once instead of waiting for one. Without
// O_TRUNC: opening changes nothing, whatever the file turns out to be.
constexpr int kOpenFlags = O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      // A descriptor that another program made non-blocking (a shared standard output).
      pollfd ready{fd, POLLOUT, 0};
      if (errno == EAGAIN && poll(&ready, 1, -1) >= 0) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// While it lives, a write to a FIFO whose reader has gone fails with EPIPE instead of
// ending the process with SIGPIPE (the window must outlive a reader that stops early).
class SigpipeHeld {
 public:
  SigpipeHeld() {
    sigemptyset(&pipe_);
    sigaddset(&pipe_, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    alreadyPending_ = sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &pipe_, &former_);
  }
  ~SigpipeHeld() {
    // Takes away a SIGPIPE that our write raised, so that it is not delivered once unblocked.
    if (!alreadyPending_) {
      const timespec none{};
      while (sigtimedwait(&pipe_, nullptr, &none) == SIGPIPE) {
      }
    }
    pthread_sigmask(SIG_SETMASK, &former_, nullptr);
  }
  SigpipeHeld(const SigpipeHeld&) = delete;
  SigpipeHeld& operator=(const SigpipeHeld&) = delete;

 private:
  sigset_t pipe_;
  sigset_t former_;
  bool alreadyPending_ = false;
};

// A device or FIFO: the bytes go into it as into a stream, waiting for the reader as
// any writer to a pipe does.
WriteResult WriteInto(FdHandle file, std::string_view bytes) {
  const int flags = fcntl(file.get(), F_GETFL);
  if (flags < 0 || fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return WriteResult::kCannotCreate;
  bool written = false;
  {
    SigpipeHeld sigpipe;
    written = WriteAll(file.get(), bytes);
  }
  return written && file.Close() ? WriteResult::kOk : WriteResult::kWriteFailed;
}

// The file itself is rewritten, for want of room for a new one beside it. The space is
// taken before the first byte is overwritten, so that a full disk leaves the file as it was
// wherever the file system can tell in advance.
WriteResult WriteInPlace(FdHandle file, std::string_view bytes) {
  const auto size = static_cast<off_t>(bytes.size());
  if (size > 0 && fallocate(file.get(), FALLOC_FL_KEEP_SIZE, 0, size) != 0 &&
      errno != EOPNOTSUPP && errno != ENOSYS)
    return WriteResult::kWriteFailed;
  const bool written = WriteAll(file.get(), bytes) && ftruncate(file.get(), size) == 0 &&
                       fsync(file.get()) == 0;
  return written && file.Close() ? WriteResult::kOk : WriteResult::kWriteFailed;
}

// A new file beside the old one, renamed over it once every byte is on disk. `former` is
// the file the name held when it was opened, or null when there was none.
WriteResult WriteAndRename(const Place& place, FdHandle opened, const struct stat* former,
                           std::string_view bytes) {
  FileBeside beside(place);
  // A replacement starts private and takes the old file's mode at the end; a new file gets
  // the mode that the umask decides, as any file the user creates.
  if (!beside.Create(former ? 0600 : 0666)) {
    // Another save of the file is under way, or something else holds the name: nothing is
    // written, rather than writing in place behind that save's back.
    if (errno == EBUSY || errno == EEXIST || !former) return WriteResult::kCannotCreate;
    return WriteInPlace(std::move(opened), bytes);
  }
  if (!WriteAll(beside.fd(), bytes)) return WriteResult::kWriteFailed;
  if (former) {
    // Another owner or group only where the user may give them; the mode in any case.
    if (!beside.KeepOwner(*former)) (void)fchown(beside.fd(), static_cast<uid_t>(-1), former->st_gid);
    if (fchmod(beside.fd(), former->st_mode & 07777) != 0) return WriteResult::kWriteFailed;
  }
  return beside.TakePlace(former);
}

// The N of ".../fd/N", or -1.
int DescriptorNumber(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos || slash < 3 || path.compare(slash - 3, 4, "/fd/") != 0) return -1;
  int number = 0;
  const char* digits = path.c_str() + slash + 1;
  if (*digits == '\0') return -1;
  for (; *digits; ++digits) {
    if (*digits < '0' || *digits > '9' || number > 1'000'000) return -1;
    number = number * 10 + (*digits - '0');
  }
  return number;
}

// What to do with a file that is not a regular one, once it is known to be what the user
// meant. A block device is never written: it holds a file system, not a stream.
WriteResult WriteOther(FdHandle opened, const struct stat& st, std::string_view bytes, OtherFiles others) {
  if (others == OtherFiles::kLeaveAlone || S_ISBLK(st.st_mode)) return WriteResult::kNotRegularFile;
  return WriteInto(std::move(opened), bytes);
}

// Why the links on the way stop a write there, or nothing when they lead somewhere.
std::optional<WriteResult> LinkRefusal(const FollowedPath& target) {
  switch (target.result) {
    case FollowedPath::Result::kRefused:
      errno = EPERM;
      return WriteResult::kLinkRefused;
    case FollowedPath::Result::kFailed:
      errno = target.error;
      return WriteResult::kCannotCreate;
    case FollowedPath::Result::kFollowed:
    case FollowedPath::Result::kOpenFile:
      break;
  }
  return std::nullopt;
}

}  // namespace

WriteResult ReplaceFile(const std::string& path, std::string_view bytes, OtherFiles others) {
  const FollowedPath target = FollowOwnedLinks(path);
  if (const std::optional<WriteResult> refusal = LinkRefusal(target)) return *refusal;

  // The path the user gave, links and all, so that the kernel's own rules on following
  // links apply as well; what it opens must be the file found above.
  FdHandle opened(open(path.c_str(), kOpenFlags));
  if (!opened && errno != ENOENT) return WriteResult::kCannotCreate;
  struct stat st {};
  if (opened && fstat(opened.get(), &st) != 0) return WriteResult::kCannotCreate;

  if (target.result == FollowedPath::Result::kOpenFile) {
    // A file that a process holds open (/dev/stdout leads to one): it has no name to replace.
    struct stat held {};
    if (!opened || stat(target.path.c_str(), &held) != 0 || !SameFile(held, st)) {
      errno = EAGAIN;
      return WriteResult::kCannotCreate;
    }
    if (others == OtherFiles::kLeaveAlone) return WriteResult::kNotRegularFile;
    // Our own descriptor (/dev/stdout, /dev/fd/3): the bytes go where its other writes go,
    // at its offset, so that "> file" and ">> file" work as with a pipe.
    const int own = DescriptorNumber(target.path);
    struct stat ownSt {};
    if (own >= 0 && fstat(own, &ownSt) == 0 && SameFile(ownSt, st)) {
      SigpipeHeld sigpipe;
      return WriteAll(own, bytes) ? WriteResult::kOk : WriteResult::kWriteFailed;
    }
    return S_ISREG(st.st_mode) ? WriteInPlace(std::move(opened), bytes)
                               : WriteOther(std::move(opened), st, bytes, others);
  }

  const std::optional<Place> place = PlaceOf(target.path);
  if (!place) return WriteResult::kCannotCreate;
  if (opened && !place->Names(st)) {
    errno = EAGAIN;
    return WriteResult::kCannotCreate;
  }
  if (opened && !S_ISREG(st.st_mode)) return WriteOther(std::move(opened), st, bytes, others);
  const struct stat* former = opened ? &st : nullptr;
  return WriteAndRename(*place, std::move(opened), former, bytes);
}

WriteResult RewriteFile(const std::string& path, const ContentWriter& write) {
  const FollowedPath target = FollowOwnedLinks(path);
  if (const std::optional<WriteResult> refusal = LinkRefusal(target)) return *refusal;
  // Opened for writing although only read: a file the user may not write is left alone,
  // even where its folder would let it be replaced.
  FdHandle from(open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat st {};
  if (!from || fstat(from.get(), &st) != 0) return WriteResult::kCannotCreate;
  if (target.result == FollowedPath::Result::kOpenFile || !S_ISREG(st.st_mode))
    return WriteResult::kNotRegularFile;
  const std::optional<Place> place = PlaceOf(target.path);
  if (!place) return WriteResult::kCannotCreate;
  if (!place->Names(st)) {
    errno = EAGAIN;
    return WriteResult::kCannotCreate;
  }
  FileBeside beside(*place);
  if (!beside.Create(0600)) return WriteResult::kCannotCreate;
  // Found before the first byte is written: taking another user's file over is no choice.
  if (!beside.KeepOwner(st)) {
    errno = EPERM;
    return WriteResult::kCannotCreate;
  }
  if (!write(from.get(), beside.fd()) || fchmod(beside.fd(), st.st_mode & 07777) != 0)
    return WriteResult::kWriteFailed;
  return beside.TakePlace(&st);
}

}  // namespace marlinote
