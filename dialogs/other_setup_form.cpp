#include "dialogs/other_setup_form.h"

#include <QPushButton>
#include <QRadioButton>

#include "dialogs/radio_group.h"
#include "platform/message_box.h"

namespace marlinote {

namespace {

// The APE group stands under the first one, as large as it and as far from it as the first
// stands from the top; the buttons and the bottom edge move down by as much.
constexpr int kApeGroupTop = 8 + 89 + 8;
constexpr int kGrowth = kApeGroupTop - 8;

}  // namespace

TOtherSetupForm::TOtherSetupForm(QWidget* owner)
    : ModalForm(owner, QStringLiteral("その他の設定"), 243, 188 + kGrowth),
      MouseLeftButtonRadioGroup(Place<RadioGroup>(
          this, "MouseLeftButtonRadioGroup", {8, 8, 169, 89},
          QStringLiteral("マウス左クリック次の動作"),
          QStringList{QStringLiteral("タグの編集"), QStringLiteral("拡張子連動起動")})),
      ApeEncodingRadioGroup(Place<RadioGroup>(
          this, "ApeEncodingRadioGroup", {8, kApeGroupTop, 169, 89},
          QStringLiteral("APEタグの文字コード"),
          QStringList{QStringLiteral("Shift-JIS (従来の形式)"),
                      QStringLiteral("UTF-8 (APEv2 標準)")})),
      OkButton(PlaceButton(this, "OkButton", {32, 152 + kGrowth, 75, 25}, QStringLiteral("OK"))),
      CancelButton(PlaceButton(this, "CancelButton", {144, 152 + kGrowth, 75, 25},
                               QStringLiteral("キャンセル"))) {
  CloseOn(OkButton, kResultOk);
  CloseOn(CancelButton, kResultCancel);
  QRadioButton* const first = MouseLeftButtonRadioGroup->item(0);
  SetTabOrder({first, MouseLeftButtonRadioGroup->item(1), ApeEncodingRadioGroup->item(0),
               ApeEncodingRadioGroup->item(1), OkButton, CancelButton});
  first->setFocus();
}

int TOtherSetupForm::itemIndex() const { return MouseLeftButtonRadioGroup->itemIndex(); }

void TOtherSetupForm::setItemIndex(int index) { MouseLeftButtonRadioGroup->setItemIndex(index); }

}  // namespace marlinote
