#include "mainwindow/tag_list_model.h"

#include <QFile>

#include "dialogs/local_text.h"
#include "mainwindow/images.h"

namespace marlinote {

TagListModel::TagListModel(const TTagList& files, const ColumnArray& columns, QObject* parent)
    : QAbstractTableModel(parent), files_(files), columns_(columns) {
  for (int type = 0; type < 4; ++type) marks_[static_cast<std::size_t>(type)] = TagMark(type);
  entries_.push_back(kColumnTitle);
}

int TagListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : files_.Count();
}

int TagListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

QString TagListModel::CellText(const TAbstractTag& tag, int entry) const {
  if (entry == kColumnFileName) return QFile::decodeName(tag.GetFileName().c_str());
  return FromLocal(tag.GetField(ColumnFieldKey(entry)));
}

QVariant TagListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= files_.Count()) return {};
  const TAbstractTag& tag = files_.Get(index.row());
  if (role == Qt::DisplayRole) return CellText(tag, ColumnEntry(index.column()));
  if (role == Qt::DecorationRole && index.column() == 0) {
    const int type = tag.GetTagType();
    if (type >= 0 && type < static_cast<int>(marks_.size()))
      return marks_[static_cast<std::size_t>(type)];
  }
  return {};
}

QVariant TagListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= static_cast<int>(entries_.size()))
    return {};
  return QString::fromStdString(columns_[static_cast<std::size_t>(ColumnEntry(section))].Name);
}

void TagListModel::BuildColumns() {
  beginResetModel();
  entries_ = ShownColumns(columns_);
  endResetModel();
}

void TagListModel::Refill(const std::function<void()>& change) {
  struct ResetEnd {
    TagListModel& model;
    ~ResetEnd() { model.endResetModel(); }
  };
  beginResetModel();
  const ResetEnd end{*this};
  if (change) change();
}

void TagListModel::RefreshRows(int first, int last) {
  if (last < first) return;
  emit dataChanged(index(first, 0), index(last, columnCount() - 1));
}

}  // namespace marlinote
