#include "dialogs/view_setup_form.h"

#include <QCheckBox>
#include <QPushButton>

#include "dialogs/group_box.h"
#include "platform/message_box.h"

namespace marlinote {

TViewSetupForm::TViewSetupForm(QWidget* owner)
    : ModalForm(owner, QStringLiteral("表示設定"), 407, 274),
      ListViewSetupGroup(Place<GroupBox>(this, "ListViewSetupGroup", {8, 8, 137, 249},
                                          QStringLiteral("タグ情報表示設定"))),
      FileNameCheck(Place<QCheckBox>(ListViewSetupGroup, "FileNameCheck", {8, 16, 97, 17},
                                     QStringLiteral("FileName"))),
      AirtistCheck(Place<QCheckBox>(ListViewSetupGroup, "AirtistCheck", {8, 40, 97, 17},
                                    QStringLiteral("Airtist"))),
      AlbumCheck(Place<QCheckBox>(ListViewSetupGroup, "AlbumCheck", {8, 64, 97, 17},
                                  QStringLiteral("Album"))),
      CommentCheck(Place<QCheckBox>(ListViewSetupGroup, "CommentCheck", {8, 88, 97, 17},
                                    QStringLiteral("Comment"))),
      YearCheck(Place<QCheckBox>(ListViewSetupGroup, "YearCheck", {8, 112, 97, 17},
                                 QStringLiteral("Year"))),
      GenreCheck(Place<QCheckBox>(ListViewSetupGroup, "GenreCheck", {8, 136, 97, 17},
                                  QStringLiteral("Genre"))),
      TrackCheck(Place<QCheckBox>(ListViewSetupGroup, "TrackCheck", {8, 160, 97, 17},
                                  QStringLiteral("Track"))),
      Ok_Button(PlaceButton(this, "Ok_Button", {224, 240, 75, 25}, QStringLiteral("OK"))),
      CancelButton(
          PlaceButton(this, "CancelButton", {328, 240, 75, 25}, QStringLiteral("キャンセル"))),
      DataTypeCheckBox(Place<QCheckBox>(this, "DataTypeCheckBox", {168, 176, 153, 25},
                                        QStringLiteral("データ形式チェックを行う"))),
      TagViewGroup(Place<GroupBox>(this, "TagViewGroup", {160, 8, 233, 105},
                                    QStringLiteral("タグ情報表示領域の設定"))),
      GreadEnabledCheck(Place<QCheckBox>(TagViewGroup, "GreadEnabledCheck", {8, 16, 201, 17},
                                         QStringLiteral("網線(グリッド)を表示する"))) {
  for (QCheckBox* column : ColumnChecks()) column->setChecked(true);
  CloseOn(Ok_Button, kResultOk);
  CloseOn(CancelButton, kResultCancel);
  // Track comes before Genre on the keyboard although Genre stands above it.
  SetTabOrder({FileNameCheck, AirtistCheck, AlbumCheck, CommentCheck, YearCheck, TrackCheck,
               GenreCheck, Ok_Button, CancelButton, DataTypeCheckBox, GreadEnabledCheck});
  FileNameCheck->setFocus();
}

std::array<QCheckBox*, 7> TViewSetupForm::ColumnChecks() const {
  return {FileNameCheck, AirtistCheck, AlbumCheck, CommentCheck, YearCheck, GenreCheck, TrackCheck};
}

}  // namespace marlinote
