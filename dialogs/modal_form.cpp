#include "dialogs/modal_form.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QPushButton>

#include "dialogs/fonts.h"
#include "platform/message_box.h"

namespace marlinote {

ModalForm::ModalForm(QWidget* owner, const QString& caption, int clientWidth, int clientHeight)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setWindowTitle(caption);
  setFont(DialogFont());
  setFixedSize(clientWidth, clientHeight);
  setModal(true);
}

void ModalForm::reject() { done(kResultCancel); }

QPushButton* ModalForm::PlaceButton(QWidget* parent, const char* name, QRect geometry,
                                    const QString& caption) {
  auto* button = Place<QPushButton>(parent, name, geometry, caption);
  button->setAutoDefault(false);
  return button;
}

void ModalForm::CloseOn(QAbstractButton* button, int result) {
  connect(button, &QAbstractButton::clicked, this, [this, result] { done(result); });
}

void ModalForm::SetTabOrder(std::initializer_list<QWidget*> order) {
  QWidget* previous = nullptr;
  for (QWidget* widget : order) {
    if (previous) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
}

void ModalForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (auto* button = qobject_cast<QPushButton*>(focusWidget())) button->click();
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace marlinote
