#pragma once

#include <QStringList>

#include "dialogs/group_box.h"

class QButtonGroup;
class QRadioButton;

namespace marlinote {

// A captioned group of radio buttons, one per item, stacked in one column; exactly one item
// is selected, item 0 at the start.
class RadioGroup : public GroupBox {
  Q_OBJECT

 public:
  RadioGroup(const QString& caption, const QStringList& items, QWidget* parent);

  int itemIndex() const;
  // An index outside the items changes nothing.
  void setItemIndex(int index);
  QRadioButton* item(int index) const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QButtonGroup* buttons_;
};

}  // namespace marlinote
