#pragma once

#include <QAbstractTableModel>
#include <QPixmap>
#include <array>
#include <functional>
#include <vector>

#include "catalogue/column_table.h"
#include "catalogue/tag_list.h"

namespace marlinote {

// The rows of the tag list: row i shows entry i of the file list. The Title is always the
// first cell, with the tag mark as its image; the enabled columns follow it.
class TagListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  TagListModel(const TTagList& files, const ColumnArray& columns, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Takes the columns again from the column table.
  void BuildColumns();
  // Runs `change` (a scan, a sort, a clear of the file list) inside a model reset, so that the
  // view never reads a half-changed list; the reset ends also when `change` throws.
  void Refill(const std::function<void()>& change);
  // The rows first to last were rewritten in their entries.
  void RefreshRows(int first, int last);

  // The column table entry that a list column shows.
  int ColumnEntry(int section) const { return entries_[static_cast<std::size_t>(section)]; }

 private:
  QString CellText(const TAbstractTag& tag, int entry) const;

  const TTagList& files_;
  const ColumnArray& columns_;
  std::vector<int> entries_;
  std::array<QPixmap, 4> marks_;
};

}  // namespace marlinote
