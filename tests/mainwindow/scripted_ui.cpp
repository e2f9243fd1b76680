#include "tests/mainwindow/scripted_ui.h"

#include <QApplication>
#include <QProgressDialog>
#include <QTest>
#include <QTimer>

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

namespace {

class ScriptedProgress : public ProgressDisplay {
 public:
  ScriptedProgress(ScriptedUi& ui, std::unique_ptr<ProgressDisplay> shown)
      : ui_(ui), shown_(std::move(shown)) {}
  bool Show(int done, const std::string& fileName) override {
    if (ui_.onProgress) ui_.onProgress(done, fileName);
    return shown_->Show(done, fileName);
  }

 private:
  ScriptedUi& ui_;
  std::unique_ptr<ProgressDisplay> shown_;
};

}  // namespace

std::unique_ptr<ProgressDisplay> ScriptedUi::ShowProgress(const std::string& caption, int files) {
  progress.emplace_back(caption, files);
  return std::make_unique<ScriptedProgress>(*this, qt_.ShowProgress(caption, files));
}

QProgressDialog* ProgressDialog() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (auto* dialog = qobject_cast<QProgressDialog*>(widget)) return dialog;
  return nullptr;
}

void OnNextModal(std::function<void(QWidget&)> act) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    act(*modal);
  });
  timer->start(5);
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
