// The folder scans of the window: started on their own thread, shown as they go, stopped,
// and their files put into the list in one go.
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QTimer>
#include <sys/stat.h>

#include <filesystem>
#include <future>
#include <memory>
#include <thread>

#include "foldertree/folder_view.h"
#include "mainwindow/app_title.h"
#include "mainwindow/main_window.h"
#include "mainwindow/status_texts.h"
#include "mainwindow/tag_list_model.h"

namespace marlinote {

namespace {

// `path` made absolute from the current folder, "." and ".." taken away by their names, with
// no trailing "/" but for "/" itself.
std::string AbsolutePath(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  std::string absolute = fs::absolute(fs::path(path), error).lexically_normal().native();
  if (error) absolute = path;
  while (absolute.size() > 1 && absolute.back() == '/') absolute.pop_back();
  return absolute;
}

enum class PathKind { kFolder, kOther, kMissing, kNoAnswer };

// What `path` is, asked on a thread of its own: a path on a network mount gone dead does not
// answer, and is then left to that thread rather than holding up the window.
PathKind AskPathKind(const std::string& path, std::chrono::milliseconds wait) {
  auto answer = std::make_shared<std::promise<PathKind>>();
  std::future<PathKind> kind = answer->get_future();
  std::thread([path, answer] {
    struct stat st {};
    answer->set_value(::stat(path.c_str(), &st) != 0 ? PathKind::kMissing
                      : S_ISDIR(st.st_mode)          ? PathKind::kFolder
                                                     : PathKind::kOther);
  }).detach();
  return kind.wait_for(wait) == std::future_status::ready ? kind.get() : PathKind::kNoAnswer;
}

// Frees the entries on a thread of their own: a hundred thousand of them would hold the window
// up for a tenth of a second, and the scan that follows for as long.
void FreeElsewhere(std::unique_ptr<TTagList> files) {
  if (files->Count() > 0) std::thread([discarded = std::move(files)] {}).detach();
}

}  // namespace

// The folder listed last is selected, and so at hand, but not listed: that is one click. A
// folder that is gone, or does not answer, is not looked for in the tree.
void TMainWindow::SelectLastFolder() {
  const std::string& folder = state_.settings.LastFolder;
  if (!folder.empty() && AskPathKind(folder, kPathAnswerWait) == PathKind::kFolder)
    FolderView->setDirectory(folder);
}

void TMainWindow::ScanFolder() {
  selectWhenListed_.clear();
  StartListing(FolderView->directory(), false);
}

void TMainWindow::SearchAll() {
  selectWhenListed_.clear();
  StartListing(FolderView->directory(), true);
}

bool TMainWindow::Open(const std::string& path) {
  const std::string absolute = AbsolutePath(path);
  const PathKind kind = AskPathKind(absolute, kPathAnswerWait);
  if (kind == PathKind::kMissing || kind == PathKind::kNoAnswer) {
    StatusText->setText(QFile::decodeName(QByteArray::fromStdString(absolute)) +
                        (kind == PathKind::kMissing ? QStringLiteral(" が見つかりません。")
                                                    : QStringLiteral(" が応答しません。")));
    return false;
  }
  std::string folder = absolute;
  std::string file;
  if (kind == PathKind::kOther) {
    file = absolute;
    folder = std::filesystem::path(absolute).parent_path().native();
  }
  FolderView->setDirectory(folder);
  StartListing(folder, false);
  selectWhenListed_ = file;
  return true;
}

// The list is emptied at once and filled when the scan ends; a scan still running is stopped
// first and its files are not wanted.
void TMainWindow::StartListing(const std::string& folder, bool recursive) {
  scan_.reset();
  giveUpTimer_->stop();
  state_.listedFolder = folder;
  listedRecursive_ = recursive;
  StatusReport->clear();
  auto previous = std::make_unique<TTagList>();
  model_->Refill([&] { state_.files.MoveTo(*previous); });
  FreeElsewhere(std::move(previous));
  // My Computer, or no folder at all: nothing of the file system to list.
  if (folder.empty() || folder.front() != '/') {
    ShowListing({std::make_unique<TTagList>(), {}, {}});
    return;
  }
  state_.settings.LastFolder = folder;
  scan_ = std::make_unique<FolderScanJob>(
      FolderScanJob::Request{folder, state_.filters, recursive, state_.SortType}, lister_,
      [this] {
        QMetaObject::invokeMethod(
            this, [this] { RunGuarded([this] { ScanEnded(); }); }, Qt::QueuedConnection);
      });
  SetListCommandsEnabled(false);
  stopShortcut_->setEnabled(true);
  TagListView->setCursor(Qt::BusyCursor);
  StatusText->setText(ScanningText(0, 0, folder, recursive));
  progressTimer_->start();
}

// Shows the figures and the stop button from the first tick of a scan that is still running.
void TMainWindow::ShowScanProgress() {
  if (!scan_) return;
  const ScanProgress progress = scan_->Progress();
  StatusText->setText(
      ScanningText(progress.folders, progress.files, state_.listedFolder, listedRecursive_));
  ScanStopButton->show();
}

void TMainWindow::StopScan() {
  if (!scan_) return;
  scan_->Stop();
  giveUpTimer_->start();
}

void TMainWindow::StopLongWork() {
  state_.stopRequested = true;
  StopScan();
}

void TMainWindow::ScanEnded() {
  if (scan_ && scan_->Ended()) ShowListing(scan_->Take());
}

void TMainWindow::ShowListing(FolderListing listing) {
  scan_.reset();
  progressTimer_->stop();
  giveUpTimer_->stop();
  model_->Refill([&] {
    state_.files.Clear();
    listing.files->MoveTo(state_.files);
  });
  SetListCommandsEnabled(true);
  stopShortcut_->setEnabled(false);
  ScanStopButton->hide();
  TagListView->unsetCursor();
  const int count = state_.files.Count();
  QString text = listing.result.stopped
                     ? StoppedText(count, state_.listedFolder, listedRecursive_)
                     : ListingText(count, state_.listedFolder, listedRecursive_);
  if (!listing.result.unreadable.empty()) text += UnreadableText(listing.result.unreadable.size());
  StatusText->setText(text);
  if (!selectWhenListed_.empty()) {
    for (int row = 0; row < count; ++row) {
      if (state_.files.Get(row).GetFilePath() != selectWhenListed_) continue;
      Reselect({row}, row);
      TagListView->scrollTo(model_->index(row, 0));
      break;
    }
    selectWhenListed_.clear();
  }
  if (!listing.error.empty()) ui_->Show(listing.error, kAppTitle.toStdString(), kStyleError);
}

void TMainWindow::SetListCommandsEnabled(bool enabled) {
  for (QAction* action : listActions_) action->setEnabled(enabled);
  for (QWidget* button : listButtons_) button->setEnabled(enabled);
}

}  // namespace marlinote
