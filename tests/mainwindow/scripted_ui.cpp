#include "tests/mainwindow/scripted_ui.h"

#include <QTest>

namespace marlinote::test {

int ScriptedUi::ShowModal(QDialog& dialog) {
  dialogTitles.push_back(dialog.windowTitle());
  if (dialogs.empty()) {
    ADD_FAILURE() << "unexpected dialog: " << dialog.windowTitle().toStdString();
    return kResultCancel;
  }
  const DialogScript script = std::move(dialogs.front());
  dialogs.pop_front();
  dialog.setResult(0);
  dialog.show();
  dialog.activateWindow();
  // qWaitForWindowActive counts a dialog as active while its owner still is.
  EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.isActiveWindow(); }));
  const int result = script(dialog);
  if (dialog.isVisible()) dialog.hide();
  return result;
}

int Press(QAbstractButton* button) {
  button->click();
  auto* dialog = qobject_cast<QDialog*>(button->window());
  return dialog && !dialog->isVisible() ? dialog->result() : 0;
}

int CloseBox(QDialog& dialog) {
  dialog.close();
  return dialog.isVisible() ? 0 : dialog.result();
}

}  // namespace marlinote::test
