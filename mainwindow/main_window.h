#pragma once

#include <QMainWindow>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/settings.h"
#include "foldertree/folder_namespace.h"
#include "mainwindow/command_context.h"
#include "mainwindow/folder_scan_job.h"
#include "mainwindow/user_interface.h"
#include "mainwindow/window_state.h"
#include "platform/settings_store.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QShortcut;
class QSplitter;
class QTableView;
class QTimer;
class QToolBar;
class QToolButton;

namespace marlinote {

class CsvExportCommand;
class TFolderView;
class TagListModel;
struct BatchOutcome;

// The one window: the folder tree on the left, the tag list of the chosen folder on the
// right, menus and tool buttons whose integer Tag says which command they run, and a status
// bar that tells what the list holds and what the last save did.
//
// A folder is listed on a thread of its own (FolderScanJob) while the window goes on; the
// list is filled in one go when the scan has ended or was stopped. Until then the list is
// empty and the commands that need it are disabled.
class TMainWindow : public QMainWindow, private SettingsWindow {
  Q_OBJECT

 public:
  // Without an interface the Qt message boxes and dialogs are used; without a namespace,
  // the Linux folders; without a store, the settings file of the user.
  explicit TMainWindow(std::unique_ptr<UserInterface> ui = nullptr,
                       std::unique_ptr<FolderNamespace> folders = nullptr,
                       std::unique_ptr<SettingsStore> store = nullptr);
  ~TMainWindow() override;

  WindowState& State() { return state_; }
  TagListModel& Model() { return *model_; }

  // Commands of the window. The scans and the sort redraw the whole list; those that need the
  // list (tag edit, type change, CSV export, sort) do nothing while a scan runs.
  void ScanFolder();
  void SearchAll();
  void SortFiles(int order);
  void FillTagList();
  void RefreshTagListRows(int first, int last);
  void EditSelectedTags();
  void ConvertSelectedTagTypes(int type);
  void ExportTagListCsv();
  void OpenViewSetup();
  void OpenFilterSetup();
  void OpenOtherSetup();

  // What a stop signal (Ctrl-C, kill, a closed terminal) asks, from any thread: a save or
  // type change over several files stops before its next file, then the window closes as
  // its close command does, without the close question.
  void CloseOnStopSignal();
  // What the command line names: a folder is selected in the tree and listed; for a file, its
  // folder is listed and the file's row selected once the list is there. A relative path is
  // taken from the current folder. False, with a word in the status bar, when there is no
  // such folder or file, or it does not answer within kPathAnswerWait.
  bool Open(const std::string& path);
  // Whether a folder scan runs.
  bool Scanning() const { return scan_ != nullptr; }
  // Stops the running scan: the list shows the files found so far. A scan whose thread does
  // not stop within kGiveUpAfterMs (stuck in a read) is left behind.
  void StopScan();
  // The window is to close: a scan stops, and a save or type change over several files stops
  // before its next file.
  void StopLongWork();
  // Tests give a scan they can hold up; ListFolder by default.
  void SetFolderLister(FolderLister lister) { lister_ = std::move(lister); }

  static constexpr int kGiveUpAfterMs = 100;
  // How long a path named on the command line, or the folder listed last, may take to answer.
  static constexpr std::chrono::milliseconds kPathAnswerWait{500};
  // How soon a scan shows its progress, and how often it is updated.
  static constexpr int kProgressEveryMs = 100;

  // The selected rows in ascending order.
  std::vector<int> SelectedRows() const;

  // Handlers, by the controls that send them.
  void MainMenuClick(QObject* sender);
  void ToolButtonsClick(QObject* sender);
  void TagListViewMenuClick(QObject* sender);
  void ChageTagClick(QObject* sender);
  void FileSortMenuClick(QObject* sender);
  void FolderViewMenuClick(QObject* sender);
  void FolderViewClick();
  void TagListViewColumnClick(int section);
  void TagListViewDblClick();

  TFolderView* const FolderView;
  QSplitter* const FolderTagSplitter;
  QTableView* const TagListView;
  QMenu* const PopupMenu_TagListView;
  QMenu* const PopupMenu_FileSort;
  QMenu* const PopupMenu_FolderView;
  QLabel* const StatusText;
  QLabel* const StatusReport;
  QPushButton* const ScanStopButton;

 protected:
  // No menu of Qt's own on the menu bar or the tool bars: its one item would hide the tool
  // bar, and with it the only way to the CSV export.
  QMenu* createPopupMenu() override { return nullptr; }
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenus();
  void BuildToolBars();
  void BuildPopupMenus();
  QAction* AddAction(QMenu* menu, const char* name, const QString& caption, int tag,
                     void (TMainWindow::*handler)(QObject*));
  void FormCreate();
  void FormDestroy();
  bool FormCloseQuery();
  void BuildColumns();
  void Reselect(const std::vector<int>& rows, int current);
  void KeepOnScreen();
  void BuildStatusBar();
  void SelectLastFolder();
  void StartListing(const std::string& folder, bool recursive);
  void ScanEnded();
  void ShowListing(FolderListing listing);
  void ShowScanProgress();
  void SetListCommandsEnabled(bool enabled);
  void Report(const BatchOutcome& outcome);
  void ApplyFolderViewWidth();
  CommandContext Context();
  // Runs a handler; an exception that leaves it is shown in the error box and the window goes
  // on, before it could cross the window system's own code.
  void RunGuarded(const std::function<void()>& handler);

  // The window's bounds and the folder tree's width, for the settings.
  int GetMetric(Metric metric) const override;
  void SetMetric(Metric metric, int value) override;
  std::vector<int> ListColumnWidths() const override;

  std::unique_ptr<UserInterface> ui_;
  std::unique_ptr<SettingsStore> store_;
  WindowState state_;
  TagListModel* const model_;
  std::unique_ptr<CsvExportCommand> csvExport_;
  FolderLister lister_;
  std::unique_ptr<FolderScanJob> scan_;
  bool listedRecursive_ = false;
  // A file named on the command line, whose row is selected when its folder is listed.
  std::string selectWhenListed_;
  QTimer* const progressTimer_;
  QTimer* const giveUpTimer_;
  QShortcut* const stopShortcut_;
  // The commands that need the list, disabled while a scan runs.
  std::vector<QAction*> listActions_;
  std::vector<QWidget*> listButtons_;
  // The folder tree's width until the splitter is first laid out; from then on the
  // splitter's own.
  int folderViewWidth_ = 180;
  bool splitterLaidOut_ = false;
  // The window closes without asking (a stop signal).
  bool closeUnasked_ = false;
};

}  // namespace marlinote
