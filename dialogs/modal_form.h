#pragma once

#include <QDialog>
#include <QRect>
#include <QString>

#include <initializer_list>
#include <utility>

class QAbstractButton;
class QPushButton;

namespace marlinote {

// What the program's modal dialogs share: a fixed client area with controls at absolute
// positions, the program's font, and the window system's result codes (the close box and
// Escape give 2). Enter presses the focused button and nothing else, so a value typed in an
// edit box is never confirmed by accident.
class ModalForm : public QDialog {
  Q_OBJECT

 public:
  void reject() override;

 protected:
  ModalForm(QWidget* owner, const QString& caption, int clientWidth, int clientHeight);

  // Makes a control as a child of `parent`, named and placed as the dialog's layout says.
  template <typename Control, typename... Args>
  static Control* Place(QWidget* parent, const char* name, QRect geometry, Args&&... args) {
    auto* control = new Control(std::forward<Args>(args)..., parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(geometry);
    return control;
  }

  // A push button that is never a default button: Enter presses only the focused one.
  static QPushButton* PlaceButton(QWidget* parent, const char* name, QRect geometry,
                                  const QString& caption);
  // Pressing `button` closes the dialog with `result`.
  void CloseOn(QAbstractButton* button, int result);
  // The keyboard order, first to last.
  static void SetTabOrder(std::initializer_list<QWidget*> order);

  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace marlinote
