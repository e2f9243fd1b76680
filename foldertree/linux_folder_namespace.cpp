#include "foldertree/linux_folder_namespace.h"

#include <QFile>
#include <QStorageInfo>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <iterator>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string_view>

#include "foldertree/folder_path.h"
#include "platform/file_handle.h"

namespace marlinote {
namespace {

bool isPseudoFileSystem(const QByteArray& type) {
  static constexpr std::string_view kPseudo[] = {
      "autofs",  "binfmt_misc", "bpf",     "cgroup",     "cgroup2", "configfs", "debugfs",
      "devpts",  "devtmpfs",    "efivarfs", "fusectl",   "hugetlbfs", "mqueue", "nsfs",
      "pipefs",  "proc",        "pstore",  "ramfs",      "rootfs",  "rpc_pipefs", "securityfs",
      "selinuxfs", "sockfs",    "sysfs",   "tmpfs",      "tracefs"};
  const std::string_view name(type.constData(), static_cast<size_t>(type.size()));
  return std::find(std::begin(kPseudo), std::end(kPseudo), name) != std::end(kPseudo);
}

bool isFolder(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Whether an entry of `dir` is a folder; the entry type saves a stat for everything but
// links and file systems that do not report types.
bool isFolderEntry(DIR* dir, const dirent* entry) {
  if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
    return false;
  if (entry->d_type == DT_DIR) return true;
  if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) return false;
  struct stat st;
  return ::fstatat(::dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::vector<Volume> LinuxFolderNamespace::volumes() const {
  std::vector<Volume> result;
  for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
    if (!storage.isValid() || !storage.isReady() || isPseudoFileSystem(storage.fileSystemType()))
      continue;
    std::string mount =
        folder_path::withoutTrailingSlash(QFile::encodeName(storage.rootPath()).toStdString());
    if (mount.empty() || mount.front() != '/' || !isFolder(mount)) continue;
    const bool listed = std::any_of(result.begin(), result.end(),
                                    [&](const Volume& v) { return v.mountPoint == mount; });
    if (!listed) result.push_back({storage.name(), std::move(mount)});
  }
  return result;
}

std::optional<std::vector<std::string>> LinuxFolderNamespace::subFolders(
    const std::string& path) const {
  DirHandle dir(::opendir(path.c_str()));
  if (!dir) return std::nullopt;
  std::vector<std::string> names;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir.get());
    if (!entry) break;
    if (isFolderEntry(dir.get(), entry)) names.emplace_back(entry->d_name);
  }
  if (errno != 0) return std::nullopt;
  return names;
}

bool LinuxFolderNamespace::hasSubFolder(const std::string& path) const {
  DirHandle dir(::opendir(path.c_str()));
  if (!dir) return false;
  while (const dirent* entry = ::readdir(dir.get())) {
    if (isFolderEntry(dir.get(), entry)) return true;
  }
  return false;
}

QIcon LinuxFolderNamespace::icon(FolderIcon kind) const {
  switch (kind) {
    case FolderIcon::Computer:
      return icons_.icon(QAbstractFileIconProvider::Computer);
    case FolderIcon::Drive:
      return icons_.icon(QAbstractFileIconProvider::Drive);
    case FolderIcon::Folder:
      break;
  }
  return icons_.icon(QAbstractFileIconProvider::Folder);
}

}  // namespace marlinote
