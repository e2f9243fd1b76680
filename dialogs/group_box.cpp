#include "dialogs/group_box.h"

#include <QStyleOptionGroupBox>
#include <QStylePainter>

#include <algorithm>
#include <climits>

namespace marlinote {

GroupBox::GroupBox(const QString& caption, QWidget* parent) : QGroupBox(caption, parent) {}

int GroupBox::ContentsTop() const {
  // Below the caption and the frame, which the style keeps out of the contents rectangle, as
  // far as the style sets a group's contents off its frame.
  return contentsRect().top() + style()->pixelMetric(QStyle::PM_LayoutTopMargin, nullptr, this);
}

QRect GroupBox::CaptionRect() const {
  QStyleOptionGroupBox option;
  initStyleOption(&option);
  return style()
      ->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this)
      .translated(kCaptionIndent, 0);
}

void GroupBox::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionGroupBox option;
  initStyleOption(&option);
  // The style draws the frame; the caption is drawn here, set in.
  option.subControls &= ~QStyle::SC_GroupBoxLabel;
  painter.drawComplexControl(QStyle::CC_GroupBox, option);
  painter.drawItemText(CaptionRect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic,
                       palette(), isEnabled(), title(), QPalette::WindowText);
}

void GroupBox::showEvent(QShowEvent* event) {
  if (!laidOut_) {
    laidOut_ = true;
    LayContents();
  }
  QGroupBox::showEvent(event);
}

void GroupBox::LayContents() {
  const QList<QWidget*> controls = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  int top = INT_MAX;
  for (const QWidget* control : controls) top = std::min(top, control->y());
  const int shift = ContentsTop() - top;
  if (controls.isEmpty() || shift <= 0) return;
  for (QWidget* control : controls) control->move(control->x(), control->y() + shift);
}

}  // namespace marlinote
