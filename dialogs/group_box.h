#pragma once

#include <QGroupBox>

namespace marlinote {

// A captioned frame around controls placed at fixed positions inside it. The caption stands
// in from the frame's left edge, as a dialog's group box draws it, so that a group placed at
// the dialog's edge does not put its caption there. When the caption takes more height at the
// font in use than the controls' positions leave for it, the controls move down together,
// once, before the group is first shown, so that none overlaps the caption or the frame.
class GroupBox : public QGroupBox {
  Q_OBJECT

 public:
  // How far the caption stands in from the frame's left edge.
  static constexpr int kCaptionIndent = 8;

  GroupBox(const QString& caption, QWidget* parent);

  // Where the caption is drawn, in the group's coordinates.
  QRect CaptionRect() const;
  // Where the controls may begin at the top, clear of the caption and the frame.
  int ContentsTop() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void LayContents();

  bool laidOut_ = false;
};

}  // namespace marlinote
