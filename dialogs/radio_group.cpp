#include "dialogs/radio_group.h"

#include <QButtonGroup>
#include <QRadioButton>

namespace marlinote {

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : GroupBox(caption, parent), buttons_(new QButtonGroup(this)) {
  for (int i = 0; i < items.size(); ++i) buttons_->addButton(new QRadioButton(items[i], this), i);
  setItemIndex(0);
}

int RadioGroup::itemIndex() const { return buttons_->checkedId(); }

void RadioGroup::setItemIndex(int index) {
  QAbstractButton* button = buttons_->button(index);
  if (!button) return;
  // The focus stays with the selected item, also while the dialog is not yet shown.
  QAbstractButton* const selected = buttons_->checkedButton();
  const bool hadFocus = selected && window()->focusWidget() == selected;
  button->setChecked(true);
  if (hadFocus) button->setFocus();
}

QRadioButton* RadioGroup::item(int index) const {
  return static_cast<QRadioButton*>(buttons_->button(index));
}

void RadioGroup::resizeEvent(QResizeEvent* event) {
  GroupBox::resizeEvent(event);
  // The items share the height below the caption evenly, as a radio group of the window
  // system arranges them; the style says where the caption and the frame leave room.
  const QList<QAbstractButton*> items = buttons_->buttons();
  if (items.isEmpty()) return;
  QRect area = contentsRect();
  area.setTop(ContentsTop());
  const int itemHeight = area.height() / items.size();
  const int top = area.top() + (area.height() % items.size()) / 2;
  for (int i = 0; i < items.size(); ++i)
    buttons_->button(i)->setGeometry(8, top + i * itemHeight, width() - 10, itemHeight);
}

}  // namespace marlinote
