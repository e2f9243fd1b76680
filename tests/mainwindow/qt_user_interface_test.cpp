// What Qt draws for the window: the message boxes and the save dialog, with captions exactly
// the program's own and every text that Qt supplies in Japanese.
#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "mainwindow/qt_user_interface.h"
#include "tests/dialogs/dialog_testing.h"
#include "tests/mainwindow/scripted_ui.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

namespace marlinote {
namespace {

using test::OnNextModal;

TEST(QtUserInterfaceTest, CaptionsAreTheProgramsOwnWithNothingAppended) {
  // A display name set for the application would be appended to every caption by the window
  // system ("謹警 — Marlinote"); none is set, so it only follows the application's name.
  const QString name = QCoreApplication::applicationName();
  QCoreApplication::setApplicationName("probe");
  EXPECT_EQ(QGuiApplication::applicationDisplayName(), "probe");
  QCoreApplication::setApplicationName(name);

  struct Box {
    int style;
    const char* caption;
    QStringList buttons;
  };
  const Box boxes[] = {
      {kStyleQuestion, "謹警", {"はい(&Y)", "いいえ(&N)"}},
      {kStyleWarning, "謹警", {"OK"}},
      {kStyleError, "謹謝", {"OK"}},
  };
  QtUserInterface ui(nullptr);
  for (const Box& box : boxes) {
    QString caption;
    QStringList buttons;
    OnNextModal([&](QWidget& shown) {
      caption = shown.windowTitle();
      auto& messageBox = dynamic_cast<QMessageBox&>(shown);
      for (QAbstractButton* button : messageBox.buttons()) buttons << button->text();
      messageBox.buttons().back()->click();
    });
    ui.Show("text", box.caption, box.style);
    EXPECT_EQ(caption, QString::fromUtf8(box.caption));
    EXPECT_EQ(buttons, box.buttons);
  }
  QString plainCaption;
  OnNextModal([&](QWidget& shown) {
    plainCaption = shown.windowTitle();
    shown.close();
  });
  ui.ShowPlain("text");
  EXPECT_EQ(plainCaption, "Marlinote");
}

// The save dialog is Qt's own, so that it speaks Japanese on every desktop; it opens in the
// listed folder with the name chosen last, and asks in Japanese before replacing a file.
TEST(QtUserInterfaceTest, TheSaveDialogSpeaksJapaneseAndOpensInTheListedFolder) {
  test::TempDir folder;
  test::WriteBytes(folder.file("list.csv"), "old");
  const SaveFileRequest request{"CVSファイル", "*.csv", "csv", "/elsewhere/list.csv",
                                QString::fromStdString(folder.path())};
  QString directory, title, acceptLabel, question;
  OnNextModal([&](QWidget& shown) {
    auto& dialog = dynamic_cast<QFileDialog&>(shown);
    directory = dialog.directory().absolutePath();
    title = dialog.windowTitle();
    acceptLabel = dialog.labelText(QFileDialog::Accept);
    OnNextModal([&](QWidget& box) {
      question = dynamic_cast<QMessageBox&>(box).text();
      dynamic_cast<QMessageBox&>(box).button(QMessageBox::No)->click();
    });
    // The proposed name, in the listed folder, is there already.
    QMetaObject::invokeMethod(&dialog, "accept");
    EXPECT_TRUE(dialog.isVisible());
    dialog.reject();
  });
  QtUserInterface ui(nullptr);
  EXPECT_EQ(ui.AskSaveFileName(request), std::nullopt);
  EXPECT_EQ(directory, QString::fromStdString(folder.path()));
  EXPECT_EQ(title, "名前を付けて保存");
  EXPECT_EQ(acceptLabel, "保存(&S)");
  EXPECT_EQ(question, "list.csv は既に存在します。\n置き換えますか?");
}

}  // namespace
}  // namespace marlinote
