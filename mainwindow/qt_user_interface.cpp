#include "mainwindow/qt_user_interface.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

#include "mainwindow/app_title.h"

namespace marlinote {

int QtUserInterface::Show(const std::string& text, const std::string& caption, int style) {
  QMessageBox box(owner_);
  box.setWindowTitle(QString::fromStdString(caption));
  box.setText(QString::fromStdString(text));
  if (style == kStyleQuestion) {
    box.setIcon(QMessageBox::Warning);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? kResultYes : kResultNo;
  }
  box.setIcon(style == kStyleError ? QMessageBox::Critical : QMessageBox::Warning);
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
  return kResultOk;
}

void QtUserInterface::ShowPlain(const std::string& text) {
  QMessageBox box(owner_);
  box.setWindowTitle(kAppTitle);
  box.setText(QString::fromStdString(text));
  box.setIcon(QMessageBox::NoIcon);
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
}

int QtUserInterface::ShowModal(QDialog& dialog) { return dialog.exec(); }

std::optional<std::string> QtUserInterface::AskSaveFileName(const SaveFileRequest& request) {
  QFileDialog dialog(owner_);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(request.filterName + " (" + request.pattern + ")");
  dialog.setDefaultSuffix(request.defaultExtension);
  dialog.setSizeGripEnabled(true);
  if (!request.proposedPath.isEmpty()) dialog.selectFile(request.proposedPath);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

void QtUserInterface::OpenWithAssociatedProgram(const std::string& path) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(path.c_str())));
}

}  // namespace marlinote
