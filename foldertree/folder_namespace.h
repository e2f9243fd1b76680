#pragma once

#include <QIcon>
#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace marlinote {

// A mounted volume that the folder tree shows as a drive.
struct Volume {
  QString label;           // may be empty
  std::string mountPoint;  // native bytes, absolute, no trailing "/" except for "/" itself
};

// Icons go by kind rather than by folder, so a folder of thousands costs no icon look-ups.
enum class FolderIcon { Computer, Drive, Folder };

// What the folder tree needs of the file system: the drives, the sub-folders of a folder and
// the icons. Paths and names are native byte strings, never converted for I/O.
class FolderNamespace {
 public:
  virtual ~FolderNamespace() = default;

  // The volumes to show as drives, in mount order.
  virtual std::vector<Volume> volumes() const = 0;
  // The names of the sub-folders of `path`, hidden ones included, in the order in which the
  // file system lists them; no value when the folder cannot be read.
  virtual std::optional<std::vector<std::string>> subFolders(const std::string& path) const = 0;
  // Whether `path` holds at least one sub-folder; stops looking at the first one found.
  virtual bool hasSubFolder(const std::string& path) const = 0;
  virtual QIcon icon(FolderIcon kind) const = 0;
};

}  // namespace marlinote
