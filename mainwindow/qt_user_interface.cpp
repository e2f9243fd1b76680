#include "mainwindow/qt_user_interface.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QProgressDialog>
#include <QUrl>

#include "mainwindow/app_title.h"

namespace marlinote {

namespace {

// The text breaks only where it has line breaks: a box wraps a long line at half the screen's
// width, and Japanese text has no spaces to wrap at, so it would break inside a word.
void SetBoxText(QMessageBox& box, const std::string& text) {
  box.setTextFormat(Qt::RichText);
  box.setText(QStringLiteral("<p style=\"white-space:pre\">") +
              QString::fromStdString(text).toHtmlEscaped() + QStringLiteral("</p>"));
}

// The captions a Japanese system gives the buttons.
void SetButtons(QMessageBox& box, QMessageBox::StandardButtons buttons) {
  box.setStandardButtons(buttons);
  if (QAbstractButton* yes = box.button(QMessageBox::Yes)) yes->setText(QStringLiteral("はい(&Y)"));
  if (QAbstractButton* no = box.button(QMessageBox::No)) no->setText(QStringLiteral("いいえ(&N)"));
}

// Qt's progress dialog, window-modal, shown once the work has taken half a second. It is
// drawn, and its button heard, between two files.
class QtProgress : public ProgressDisplay {
 public:
  QtProgress(QWidget* owner, const std::string& caption, int files)
      : dialog_(owner), files_(files) {
    dialog_.setObjectName(QStringLiteral("BatchProgress"));
    dialog_.setWindowTitle(QString::fromStdString(caption));
    dialog_.setWindowModality(Qt::WindowModal);
    dialog_.setCancelButtonText(QStringLiteral("中止"));
    dialog_.setAutoClose(false);
    dialog_.setAutoReset(false);
    dialog_.setRange(0, files);
    dialog_.setMinimumDuration(500);
    dialog_.setMinimumWidth(dialog_.fontMetrics().averageCharWidth() * 50);
  }

  bool Show(int done, const std::string& fileName) override {
    // The name is shortened in its middle, so a long one neither widens the dialog nor
    // hides where it ends.
    const QFontMetrics metrics = dialog_.fontMetrics();
    const QString name = metrics.elidedText(QFile::decodeName(fileName.c_str()), Qt::ElideMiddle,
                                            metrics.averageCharWidth() * 44);
    const QLocale locale;
    dialog_.setLabelText(QStringLiteral("処理中: %1\n%2 / %3 個のファイルを処理しました")
                             .arg(name, locale.toString(done), locale.toString(files_)));
    dialog_.setValue(done);
    // Until the dialog shows, and with it blocks the window, the window is drawn but takes
    // no input: a click on a folder now would empty the list under the work.
    QCoreApplication::processEvents(dialog_.isVisible() ? QEventLoop::AllEvents
                                                        : QEventLoop::ExcludeUserInputEvents);
    return !dialog_.wasCanceled();
  }

 private:
  QProgressDialog dialog_;
  int files_;
};

}  // namespace

int QtUserInterface::Show(const std::string& text, const std::string& caption, int style) {
  QMessageBox box(owner_);
  box.setWindowTitle(QString::fromStdString(caption));
  SetBoxText(box, text);
  if (style == kStyleQuestion) {
    box.setIcon(QMessageBox::Warning);
    SetButtons(box, QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? kResultYes : kResultNo;
  }
  box.setIcon(style == kStyleError ? QMessageBox::Critical : QMessageBox::Warning);
  SetButtons(box, QMessageBox::Ok);
  box.exec();
  return kResultOk;
}

void QtUserInterface::ShowPlain(const std::string& text) {
  QMessageBox box(owner_);
  box.setWindowTitle(kAppTitle);
  SetBoxText(box, text);
  box.setIcon(QMessageBox::NoIcon);
  SetButtons(box, QMessageBox::Ok);
  box.exec();
}

int QtUserInterface::ShowModal(QDialog& dialog) { return dialog.exec(); }

std::optional<std::string> QtUserInterface::AskSaveFileName(const SaveFileRequest& request) {
  QFileDialog dialog(owner_);
  // Qt's own dialog, in the program's language; a desktop's dialog would follow the locale.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(request.filterName + " (" + request.pattern + ")");
  dialog.setDefaultSuffix(request.defaultExtension);
  dialog.setSizeGripEnabled(true);
  // The listed folder, proposing the name chosen last.
  const bool inFolder = QFileInfo(request.folder).isDir();
  if (inFolder) dialog.setDirectory(request.folder);
  if (!request.proposedPath.isEmpty())
    dialog.selectFile(inFolder ? QFileInfo(request.proposedPath).fileName() : request.proposedPath);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

std::unique_ptr<ProgressDisplay> QtUserInterface::ShowProgress(const std::string& caption,
                                                               int files) {
  return std::make_unique<QtProgress>(owner_, caption, files);
}

void QtUserInterface::OpenWithAssociatedProgram(const std::string& path) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(path.c_str())));
}

}  // namespace marlinote
