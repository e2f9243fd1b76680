#include "dialogs/other_setup_form.h"

#include <QPushButton>
#include <QRadioButton>

#include "dialogs/radio_group.h"
#include "platform/message_box.h"

namespace marlinote {

TOtherSetupForm::TOtherSetupForm(QWidget* owner)
    : ModalForm(owner, QStringLiteral("その他の設定"), 243, 188),
      MouseLeftButtonRadioGroup(Place<RadioGroup>(
          this, "MouseLeftButtonRadioGroup", {8, 8, 169, 89},
          QStringLiteral("マウス左クリック次の動作"),
          QStringList{QStringLiteral("タグの編集"), QStringLiteral("拡張子連動起動")})),
      OkButton(PlaceButton(this, "OkButton", {32, 152, 75, 25}, QStringLiteral("OK"))),
      CancelButton(
          PlaceButton(this, "CancelButton", {144, 152, 75, 25}, QStringLiteral("キャンセル"))) {
  CloseOn(OkButton, kResultOk);
  CloseOn(CancelButton, kResultCancel);
  QRadioButton* const first = MouseLeftButtonRadioGroup->item(0);
  SetTabOrder({first, MouseLeftButtonRadioGroup->item(1), OkButton, CancelButton});
  first->setFocus();
}

int TOtherSetupForm::itemIndex() const { return MouseLeftButtonRadioGroup->itemIndex(); }

void TOtherSetupForm::setItemIndex(int index) { MouseLeftButtonRadioGroup->setItemIndex(index); }

}  // namespace marlinote
