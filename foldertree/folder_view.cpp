#include "foldertree/folder_view.h"

#include <QFile>
#include <QKeyEvent>

#include "catalogue/sort_files.h"
#include "foldertree/busy_cursor.h"
#include "foldertree/folder_path.h"
#include "foldertree/linux_folder_namespace.h"

namespace marlinote {
namespace {

constexpr int kPathRole = Qt::UserRole;

QTreeWidgetItem* makeNode(const QString& text, const std::string& path, const QIcon& icon) {
  auto* node = new QTreeWidgetItem(QStringList(text));
  node->setData(0, kPathRole, QByteArray::fromStdString(path));
  node->setIcon(0, icon);
  return node;
}

QString displayName(const std::string& nativeName) {
  return QFile::decodeName(QByteArray::fromStdString(nativeName));
}

void setExpandButton(QTreeWidgetItem* node, bool shown) {
  node->setChildIndicatorPolicy(shown ? QTreeWidgetItem::ShowIndicator
                                      : QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

}  // namespace

TFolderView::TFolderView(QWidget* parent, std::unique_ptr<FolderNamespace> folders)
    : QTreeWidget(parent),
      folders_(folders ? std::move(folders) : std::make_unique<LinuxFolderNamespace>()) {
  setColumnCount(1);
  setHeaderHidden(true);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  connect(this, &QTreeWidget::itemExpanded, this, &TFolderView::onItemExpanded);
  connect(this, &QTreeWidget::itemClicked, this, [this] { emit folderClicked(); });
  rebuild();
}

TFolderView::~TFolderView() = default;

std::string TFolderView::pathOf(const QTreeWidgetItem* node) {
  return node->data(0, kPathRole).toByteArray().toStdString();
}

std::string TFolderView::directory() const {
  const QList<QTreeWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? std::string() : pathOf(selected.front());
}

void TFolderView::setRoot(const std::string& path) {
  root_ = folder_path::withoutTrailingSlash(path);
  rebuild();
}

void TFolderView::rebuild() {
  BusyCursor busy;
  building_ = true;
  clear();
  folderIcon_ = folders_->icon(FolderIcon::Folder);
  if (root_.empty()) {
    QTreeWidgetItem* top = makeNode(QStringLiteral("マイ コンピュータ"), kMyComputerPath,
                                    folders_->icon(FolderIcon::Computer));
    addTopLevelItem(top);
    const QIcon driveIcon = folders_->icon(FolderIcon::Drive);
    QList<QTreeWidgetItem*> drives;
    for (const Volume& volume : folders_->volumes()) {
      const QString mount = displayName(volume.mountPoint);
      const QString text =
          volume.label.isEmpty() ? mount : volume.label + QStringLiteral(" (") + mount + ')';
      QTreeWidgetItem* drive =
          makeNode(text, folder_path::withTrailingSlash(volume.mountPoint), driveIcon);
      // A drive gets its expand button without being looked into.
      setExpandButton(drive, true);
      drives.append(drive);
    }
    top->addChildren(drives);
  } else {
    QTreeWidgetItem* top = makeNode(displayName(root_), root_, folderIcon_);
    setExpandButton(top, true);
    addTopLevelItem(top);
    createChildNodes(top, ChildOrder::Listed);
  }
  building_ = false;
}

bool TFolderView::isMyComputer(const QTreeWidgetItem* node) const {
  return root_.empty() && !node->parent();
}

bool TFolderView::canExpand(QTreeWidgetItem* node) {
  if (building_) return false;
  if (node->childCount() > 0) return true;
  BusyCursor busy;
  if (!createChildNodes(node, ChildOrder::Sorted)) return false;
  if (node->childCount() == 0) setExpandButton(node, false);
  return true;
}

bool TFolderView::createChildNodes(QTreeWidgetItem* node, ChildOrder order) {
  // My Computer's children are the drives, made by the rebuild only.
  if (isMyComputer(node)) return false;
  const std::string folder = pathOf(node);
  std::optional<std::vector<std::string>> names = folders_->subFolders(folder);
  if (!names) return false;
  if (order == ChildOrder::Sorted) SortNames(*names);
  QList<QTreeWidgetItem*> children;
  children.reserve(static_cast<qsizetype>(names->size()));
  for (const std::string& name : *names) children.append(makeFolderNode(folder, name));
  node->addChildren(children);
  return true;
}

QTreeWidgetItem* TFolderView::makeFolderNode(const std::string& folder,
                                             const std::string& name) const {
  const std::string path = folder_path::join(folder, name);
  QTreeWidgetItem* node = makeNode(displayName(name), path, folderIcon_);
  if (!folder_path::isNeverExpanded(name) && folders_->hasSubFolder(path))
    setExpandButton(node, true);
  return node;
}

QTreeWidgetItem* TFolderView::searchChildNode(QTreeWidgetItem* parent, const std::string& name) {
  canExpand(parent);
  const std::string path = folder_path::join(pathOf(parent), name);
  for (int i = 0; i < parent->childCount(); ++i) {
    QTreeWidgetItem* child = parent->child(i);
    if (pathOf(child) == path) return child;
  }
  return nullptr;
}

// The node that a search for `path` starts from, with the names below it: the root folder's
// node in root mode, otherwise the drive with the longest mount point that holds the path.
QTreeWidgetItem* TFolderView::startNode(const std::string& path,
                                        std::vector<std::string>& names) const {
  QTreeWidgetItem* top = topLevelItem(0);
  if (!top) return nullptr;
  if (!root_.empty()) return folder_path::namesBelow(root_, path, names) ? top : nullptr;
  QTreeWidgetItem* best = nullptr;
  size_t bestLength = 0;
  std::vector<std::string> below;
  for (int i = 0; i < top->childCount(); ++i) {
    QTreeWidgetItem* drive = top->child(i);
    const std::string mount = pathOf(drive);
    if ((!best || mount.size() > bestLength) && folder_path::namesBelow(mount, path, below)) {
      best = drive;
      bestLength = mount.size();
      names = below;
    }
  }
  return best;
}

void TFolderView::setDirectory(const std::string& path) {
  if (path.empty() || path.front() != '/') return;
  std::vector<std::string> names;
  QTreeWidgetItem* node = startNode(path, names);
  for (const std::string& name : names) {
    if (!node) break;
    node = searchChildNode(node, name);
  }
  if (!node) return;
  for (QTreeWidgetItem* above = node->parent(); above; above = above->parent())
    above->setExpanded(true);
  setCurrentItem(node);
  scrollToItem(node);
}

void TFolderView::onItemExpanded(QTreeWidgetItem* node) {
  if (!canExpand(node)) node->setExpanded(false);
}

void TFolderView::keyPressEvent(QKeyEvent* event) {
  // "*" would expand the whole subtree, which here means reading every folder below the
  // node; it expands the current node only.
  if (event->key() == Qt::Key_Asterisk) {
    if (QTreeWidgetItem* node = currentItem()) node->setExpanded(true);
    event->accept();
    return;
  }
  // Enter does what a click does, so the keyboard reaches every folder's files too.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (QTreeWidgetItem* node = currentItem()) {
      setCurrentItem(node);
      emit folderClicked();
    }
    event->accept();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

}  // namespace marlinote
