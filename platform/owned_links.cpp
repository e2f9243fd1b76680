#include "owned_links.h"

#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>

namespace marlinote {

namespace {

// The kernel gives up after as many links in one lookup (MAXSYMLINKS).
constexpr int kMaxLinks = 40;

bool UserOrRootOwns(const struct stat& link) { return link.st_uid == geteuid() || link.st_uid == 0; }

// The text of a link; false with errno set when it cannot be read. The size that lstat
// gives is only a hint: links of /proc report none, and a link may change in between.
bool ReadLink(const std::string& path, std::size_t sizeHint, std::string& text) {
  std::string buffer(sizeHint < 255 ? 256 : sizeHint + 1, '\0');
  for (;;) {
    const ssize_t length = readlink(path.c_str(), buffer.data(), buffer.size());
    if (length < 0) return false;
    if (static_cast<std::size_t>(length) < buffer.size()) {
      buffer.resize(static_cast<std::size_t>(length));
      text = std::move(buffer);
      return true;
    }
    buffer.resize(buffer.size() * 2);
  }
}

// The folder part of a path, "/" included; empty for a name in the current folder.
std::string FolderPart(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Links of /proc lead to what a process holds open; their text ("pipe:[1234]", or a path
// that may since have been removed) is no path to follow.
bool InProc(const std::string& link) {
  const std::string folder = FolderPart(link);
  struct statfs fs {};
  return statfs(folder.empty() ? "." : folder.c_str(), &fs) == 0 && fs.f_type == PROC_SUPER_MAGIC;
}

}  // namespace

FollowedPath FollowOwnedLinks(const std::string& path) {
  using Result = FollowedPath::Result;
  std::string current = path;
  for (int links = 0; links <= kMaxLinks; ++links) {
    struct stat st {};
    if (lstat(current.c_str(), &st) != 0) {
      // Nothing of that name yet: a new file will be made there.
      if (errno == ENOENT) return {Result::kFollowed, current, 0};
      return {Result::kFailed, {}, errno};
    }
    if (!S_ISLNK(st.st_mode)) return {Result::kFollowed, current, 0};
    if (!UserOrRootOwns(st)) return {Result::kRefused, current, 0};
    if (InProc(current)) return {Result::kOpenFile, current, 0};
    std::string text;
    if (!ReadLink(current, static_cast<std::size_t>(st.st_size), text))
      return {Result::kFailed, {}, errno};
    if (text.empty()) return {Result::kFailed, {}, ENOENT};
    // A relative link is read from the folder that holds it, as the kernel reads it.
    current = text.front() == '/' ? text : FolderPart(current) + text;
  }
  return {Result::kFailed, {}, ELOOP};
}

}  // namespace marlinote
