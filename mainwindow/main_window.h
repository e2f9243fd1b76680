#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/settings.h"
#include "foldertree/folder_namespace.h"
#include "mainwindow/user_interface.h"
#include "platform/settings_store.h"
#include "mainwindow/command_context.h"
#include "mainwindow/window_state.h"

class QAction;
class QMenu;
class QSplitter;
class QTableView;
class QToolBar;
class QToolButton;

namespace marlinote {

class CsvExportCommand;
class TFolderView;
class TagListModel;

// The one window: the folder tree on the left, the tag list of the chosen folder on the
// right, menus and tool buttons whose integer Tag says which command they run.
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

  // Commands of the window. The scans and the sort redraw the whole list.
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
  void ListCurrentFolder(bool recursive);
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
  // The folder tree's width until the splitter is first laid out; from then on the
  // splitter's own.
  int folderViewWidth_ = 180;
  bool splitterLaidOut_ = false;
  // The window closes without asking (a stop signal).
  bool closeUnasked_ = false;
};

}  // namespace marlinote
