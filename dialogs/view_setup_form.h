#pragma once

#include <array>

#include "dialogs/modal_form.h"

class QCheckBox;
class QPushButton;

namespace marlinote {

class GroupBox;

// "表示設定": which tag columns the list shows, its grid lines and the data-type check before
// a tag type change. Only check boxes; the caller presets and reads them. "OK" gives 1;
// "キャンセル" and the close box give 2.
class TViewSetupForm : public ModalForm {
  Q_OBJECT

 public:
  explicit TViewSetupForm(QWidget* owner);

  // The column boxes in table order, FileName to Track.
  std::array<QCheckBox*, 7> ColumnChecks() const;

  GroupBox* const ListViewSetupGroup;
  QCheckBox* const FileNameCheck;
  QCheckBox* const AirtistCheck;
  QCheckBox* const AlbumCheck;
  QCheckBox* const CommentCheck;
  QCheckBox* const YearCheck;
  QCheckBox* const GenreCheck;
  QCheckBox* const TrackCheck;
  QPushButton* const Ok_Button;
  QPushButton* const CancelButton;
  QCheckBox* const DataTypeCheckBox;
  GroupBox* const TagViewGroup;
  QCheckBox* const GreadEnabledCheck;
};

}  // namespace marlinote
