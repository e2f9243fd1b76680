#pragma once

#include <QTreeWidget>

#include <memory>
#include <string>
#include <vector>

#include "foldertree/folder_namespace.h"

namespace marlinote {

// The folder tree: by default one top node "マイ コンピュータ" with the drives below it and
// their folders below them; with a root folder set, a tree whose top node is that folder.
//
// Children are made lazily, when a node is first expanded or searched through; every folder
// node made looks one level further down to decide whether it gets an expand button.
// Children made on expansion are sorted by their names as the file list sorts file names
// (the collation of the user's locale); the drives and the first level below a root folder
// keep the order in which they were listed. There is no refresh: folders made or
// removed on disk after a node's children exist show up only after a rebuild.
class TFolderView : public QTreeWidget {
  Q_OBJECT

 public:
  // Path of the My Computer node; not a file-system path, so listing it finds nothing.
  static constexpr const char* kMyComputerPath = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

  // Builds the tree at once. Without a namespace the Linux one is used.
  explicit TFolderView(QWidget* parent = nullptr,
                       std::unique_ptr<FolderNamespace> folders = nullptr);
  ~TFolderView() override;

  // The full path of the selected node (a drive's ends in "/"), or empty with none selected.
  std::string directory() const;
  // Selects the node of an absolute path, making the children of every level on the way. The
  // search starts at the drive with the longest mount point holding the path, or in root mode
  // at the root folder, which must be the path or hold it. A path that is not absolute, or
  // that some level of the tree does not hold, changes nothing. Names are compared byte for
  // byte; doubled and trailing "/" are ignored, "." and ".." are not resolved.
  void setDirectory(const std::string& path);

  // The root folder; empty in My Computer mode.
  const std::string& root() const { return root_; }
  // Rebuilds the tree on `path` (stored without trailing "/", except for "/" itself); an empty
  // path returns to My Computer mode.
  void setRoot(const std::string& path);

  // The full path that a node stands for, native bytes.
  static std::string pathOf(const QTreeWidgetItem* node);

 signals:
  // The user clicked a node or pressed Enter on it; `directory()` tells which folder is
  // selected.
  void folderClicked();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  enum class ChildOrder { Listed, Sorted };

  void rebuild();
  bool canExpand(QTreeWidgetItem* node);
  bool createChildNodes(QTreeWidgetItem* node, ChildOrder order);
  QTreeWidgetItem* makeFolderNode(const std::string& folder, const std::string& name) const;
  QTreeWidgetItem* searchChildNode(QTreeWidgetItem* parent, const std::string& name);
  QTreeWidgetItem* startNode(const std::string& path, std::vector<std::string>& names) const;
  bool isMyComputer(const QTreeWidgetItem* node) const;
  void onItemExpanded(QTreeWidgetItem* node);

  std::unique_ptr<FolderNamespace> folders_;
  bool building_ = false;  // expansion is refused while the tree is (re)built
  std::string root_;
  QIcon folderIcon_;
};

}  // namespace marlinote
