#include "dialogs/up_down.h"

#include <QToolButton>

namespace marlinote {

namespace {

QToolButton* MakeArrow(Qt::ArrowType type, QWidget* parent) {
  auto* arrow = new QToolButton(parent);
  arrow->setArrowType(type);
  arrow->setFocusPolicy(Qt::NoFocus);
  arrow->setAutoRepeat(true);
  return arrow;
}

}  // namespace

UpDown::UpDown(int minimum, int maximum, int position, QWidget* parent)
    : QWidget(parent),
      minimum_(minimum),
      maximum_(maximum),
      position_(position),
      up_(MakeArrow(Qt::UpArrow, this)),
      down_(MakeArrow(Qt::DownArrow, this)) {
  setFocusPolicy(Qt::NoFocus);
  connect(up_, &QToolButton::clicked, this, [this] { Step(Direction::Up); });
  connect(down_, &QToolButton::clicked, this, [this] { Step(Direction::Down); });
}

QToolButton* UpDown::arrow(Direction direction) const {
  return direction == Direction::Up ? up_ : down_;
}

void UpDown::Step(Direction direction) {
  const int next = position_ + (direction == Direction::Up ? 1 : -1);
  if (next < minimum_ || next > maximum_) return;
  position_ = next;
  emit clicked(direction);
}

void UpDown::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int upper = height() / 2;
  up_->setGeometry(0, 0, width(), upper);
  down_->setGeometry(0, upper, width(), height() - upper);
}

}  // namespace marlinote
