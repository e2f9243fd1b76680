#pragma once

#include <QFileIconProvider>

#include "foldertree/folder_namespace.h"

namespace marlinote {

// The folder namespace of a Linux system.
//
// Drives are the mounted volumes that QStorageInfo reports as valid and ready, in mount
// order, leaving out pseudo and memory file systems (proc, sysfs, cgroup, devpts, tmpfs, ...)
// and mounts whose mount point is not a folder (bind-mounted files). A mount point that is
// mounted over again is listed once, at its first place. tmpfs is left out because on a
// desktop it only carries /run, /dev/shm and the like; a tmpfs /tmp stays reachable as a
// folder of "/".
//
// A sub-folder is an entry that is a folder after following symbolic links: a link to a
// folder is shown (the tree only grows where the user expands it, so a link cycle costs
// nothing), a dangling link or a link to a file is not.
class LinuxFolderNamespace : public FolderNamespace {
 public:
  std::vector<Volume> volumes() const override;
  std::optional<std::vector<std::string>> subFolders(const std::string& path) const override;
  bool hasSubFolder(const std::string& path) const override;
  QIcon icon(FolderIcon kind) const override;

 private:
  QFileIconProvider icons_;
};

}  // namespace marlinote
