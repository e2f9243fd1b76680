#pragma once

#include <QWidget>

class QToolButton;

namespace marlinote {

// A pair of arrows that steps its own position within a range, like the window system's
// up-down control. It is attached to nothing: the position is never shown, and a click is
// reported (with its direction) only when it moved the position, so an arrow stops acting at
// its end of the range. It never takes the keyboard focus.
class UpDown : public QWidget {
  Q_OBJECT

 public:
  enum class Direction { Up, Down };

  UpDown(int minimum, int maximum, int position, QWidget* parent);

  QToolButton* arrow(Direction direction) const;

 signals:
  void clicked(marlinote::UpDown::Direction direction);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Step(Direction direction);

  const int minimum_;
  const int maximum_;
  int position_;
  QToolButton* up_;
  QToolButton* down_;
};

}  // namespace marlinote
