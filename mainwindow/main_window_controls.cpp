// The menus, tool buttons, popup menus and status bar of the main window, and the handlers
// that dispatch them by their integer Tag.
#include <QAction>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <tuple>

#include "foldertree/folder_view.h"
#include "mainwindow/images.h"
#include "mainwindow/main_window.h"
#include "mainwindow/tag_list_model.h"
#include "mainwindow/user_interface.h"
#include "tags/tag_types.h"

namespace marlinote {

namespace {

constexpr const char* kTagProperty = "Tag";

void SetTag(QObject* control, int tag) { control->setProperty(kTagProperty, tag); }

// The Tag of a control of the expected kind, or nothing.
template <typename Control>
std::optional<int> TagOf(QObject* sender) {
  auto* control = qobject_cast<Control*>(sender);
  if (!control) return std::nullopt;
  const QVariant tag = control->property(kTagProperty);
  if (!tag.isValid()) return std::nullopt;
  return tag.toInt();
}

}  // namespace

QAction* TMainWindow::AddAction(QMenu* menu, const char* name, const QString& caption, int tag,
                                void (TMainWindow::*handler)(QObject*)) {
  auto* action = new QAction(caption, menu);
  action->setObjectName(name);
  SetTag(action, tag);
  if (handler)
    connect(action, &QAction::triggered, this,
            [this, action, handler] { RunGuarded([this, action, handler] { (this->*handler)(action); }); });
  menu->addAction(action);
  return action;
}

void TMainWindow::BuildStatusBar() {
  statusBar()->setObjectName("StatusBar");
  statusBar()->setSizeGripEnabled(true);
  StatusText->setObjectName("StatusText");
  // A long folder path is cut at the right rather than widening the window.
  StatusText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  StatusText->setMinimumWidth(1);
  StatusText->setTextFormat(Qt::PlainText);
  statusBar()->addWidget(StatusText, 1);
  StatusReport->setObjectName("StatusReport");
  StatusReport->setTextFormat(Qt::PlainText);
  statusBar()->addPermanentWidget(StatusReport);
  ScanStopButton->setObjectName("ScanStopButton");
  ScanStopButton->setToolTip(QStringLiteral("検索を中止して、見つかったファイルを表示 (Esc)"));
  ScanStopButton->setFocusPolicy(Qt::NoFocus);
  ScanStopButton->hide();
  statusBar()->addPermanentWidget(ScanStopButton);
  connect(ScanStopButton, &QPushButton::clicked, this, [this] { RunGuarded([this] { StopScan(); }); });

  stopShortcut_->setContext(Qt::WindowShortcut);
  stopShortcut_->setEnabled(false);
  connect(stopShortcut_, &QShortcut::activated, this, [this] { RunGuarded([this] { StopScan(); }); });
  progressTimer_->setInterval(kProgressEveryMs);
  connect(progressTimer_, &QTimer::timeout, this, [this] { ShowScanProgress(); });
  giveUpTimer_->setSingleShot(true);
  giveUpTimer_->setInterval(kGiveUpAfterMs);
  connect(giveUpTimer_, &QTimer::timeout, this,
          [this] { RunGuarded([this] { if (scan_) ShowListing(scan_->Take()); }); });
}

void TMainWindow::BuildMenus() {
  menuBar()->setObjectName("MainWindowMenu");
  QMenu* files = menuBar()->addMenu("ファイル");
  files->setObjectName("Files");
  AddAction(files, "Exit", "終了", 0, &TMainWindow::MainMenuClick);
  QMenu* setup = menuBar()->addMenu("設定");
  setup->setObjectName("Setup");
  AddAction(setup, "TagViewSetup", "表示設定", 10, &TMainWindow::MainMenuClick);
  AddAction(setup, "FileFilterSetup", "フィルタ設定", 11, &TMainWindow::MainMenuClick);
  AddAction(setup, "OthersSetup", "その他の設定", 12, &TMainWindow::MainMenuClick);
}

void TMainWindow::BuildToolBars() {
  auto* coolBar = new QToolBar(this);
  coolBar->setObjectName("MainMenusCoolBar");
  coolBar->setMovable(false);
  coolBar->setFloatable(false);
  addToolBar(Qt::TopToolBarArea, coolBar);

  struct ButtonInfo {
    const char* name;
    QString hint;
    int tag;
  };
  const auto addBand = [&](const char* name, std::initializer_list<ButtonInfo> buttons,
                           int& image) {
    auto* band = new QToolBar(coolBar);
    band->setObjectName(name);
    band->setIconSize(QSize(20, 20));
    for (const ButtonInfo& info : buttons) {
      auto* button = new QToolButton(band);
      button->setObjectName(info.name);
      button->setToolTip(info.hint);
      button->setIcon(ToolButtonImage(image++));
      button->setIconSize(QSize(20, 20));
      button->setFixedSize(27, 26);
      button->setAutoRaise(true);
      SetTag(button, info.tag);
      connect(button, &QToolButton::clicked, this,
              [this, button] { RunGuarded([this, button] { ToolButtonsClick(button); }); });
      band->addWidget(button);
      // Tag edit and CSV export work on the list.
      if (info.tag < 10) listButtons_.push_back(button);
    }
    coolBar->addWidget(band);
  };
  int image = 0;
  addBand("CommandToolBar",
          {{"TagEditToolButton", "選択しているファイルのタグを編集", 0},
           {"TagDataCSVOutButton", "表示中のタグ情報をCVS形式でファイルに書き出す", 1}},
          image);
  addBand("SetupToolBar",
          {{"TagViewSetupToolButton", "タグ情報の表示設定", 10},
           {"ToolButton1", "ファイルフィルタの設定", 11}},
          image);
}

void TMainWindow::BuildPopupMenus() {
  PopupMenu_TagListView->setObjectName("PopupMenu_TagListView");
  listActions_.push_back(AddAction(PopupMenu_TagListView, "TagEdit", "タグの編集", 0,
                                   &TMainWindow::TagListViewMenuClick));
  QMenu* change = PopupMenu_TagListView->addMenu("タグの種類を変更");
  change->setObjectName("ChangeTagTypeMenu");
  change->menuAction()->setObjectName("ChangeTagType");
  SetTag(change->menuAction(), 0);
  listActions_.push_back(change->menuAction());
  AddAction(change, "ChangeTagTypeMApe", "Monkye's APE", 1, &TMainWindow::ChageTagClick)
      ->setIcon(TagMark(kTagApe));
  AddAction(change, "TagTypeID3v1", "ID3v1.1", 0, &TMainWindow::ChageTagClick)
      ->setIcon(TagMark(kTagId3v1));
  AddAction(change, "TagTypeID3v2", "ID3v2", 3, &TMainWindow::ChageTagClick)
      ->setIcon(TagMark(kTagId3v2));
  // Offered but connected to nothing: an Ogg file keeps its comments in any case.
  AddAction(change, "ChangeTagTypeOgg", "OggVorbis", 2, nullptr)->setIcon(TagMark(kTagOgg));

  PopupMenu_FileSort->setObjectName("PopupMenu_FileSort");
  for (const auto& [name, caption, tag] :
       {std::tuple{"Sort_NameAscend", "ファイル名で昇順ソート", 0},
        std::tuple{"Sort_NameDescend", "ファイル名で降順ソート", 1},
        std::tuple{"Sort_ExtendAscend", "拡張子で昇順ソート", 2},
        std::tuple{"Sort_ExtendDescend", "拡張子で降順ソート", 3}})
    listActions_.push_back(
        AddAction(PopupMenu_FileSort, name, caption, tag, &TMainWindow::FileSortMenuClick));
  AddAction(PopupMenu_FileSort, "Filtering", "フィルタ設定", 4, &TMainWindow::FileSortMenuClick);

  PopupMenu_FolderView->setObjectName("PopupMenu_FolderView");
  QAction* searchAll = AddAction(PopupMenu_FolderView, "SearchAll", "再帰検索", 0,
                                 &TMainWindow::FolderViewMenuClick);
  searchAll->setToolTip("選択ディレクトリ以下を再帰的に検索");
  searchAll->setStatusTip("選択ディレクトリ以下を再帰的に検索");
  PopupMenu_FolderView->setToolTipsVisible(true);
}

void TMainWindow::MainMenuClick(QObject* sender) {
  switch (TagOf<QAction>(sender).value_or(-1)) {
    case 0: close(); break;
    case 10: OpenViewSetup(); break;
    case 11: OpenFilterSetup(); break;
    case 12: OpenOtherSetup(); break;
    default: break;
  }
}

void TMainWindow::ToolButtonsClick(QObject* sender) {
  switch (TagOf<QToolButton>(sender).value_or(-1)) {
    case 0: EditSelectedTags(); break;
    case 1: ExportTagListCsv(); break;
    case 10: OpenViewSetup(); break;
    case 11: OpenFilterSetup(); break;
    default: break;
  }
}

void TMainWindow::TagListViewMenuClick(QObject* sender) {
  if (TagOf<QAction>(sender) == 0) EditSelectedTags();
}

void TMainWindow::ChageTagClick(QObject* sender) {
  // Menu Tag to tag type: the ID3v1 item carries 0 and the APE item 1.
  static constexpr int kTypeOfTag[] = {kTagId3v1, kTagApe, kTagOgg, kTagId3v2, kTagWma};
  const int tag = TagOf<QAction>(sender).value_or(-1);
  if (tag < 0 || tag >= static_cast<int>(std::size(kTypeOfTag))) return;
  // The rows are rewritten in place, so the selection stays.
  const std::vector<int> rows = SelectedRows();
  ConvertSelectedTagTypes(kTypeOfTag[tag]);
  if (!rows.empty()) RefreshTagListRows(rows.front(), rows.back());
}

void TMainWindow::FileSortMenuClick(QObject* sender) {
  const int tag = TagOf<QAction>(sender).value_or(-1);
  if (tag >= kSortNameAscend && tag <= kSortExtendDescend)
    SortFiles(tag);
  else if (tag == 4)
    OpenFilterSetup();
}

void TMainWindow::FolderViewMenuClick(QObject* sender) {
  if (TagOf<QAction>(sender) == 0) SearchAll();
}

void TMainWindow::FolderViewClick() { ScanFolder(); }

void TMainWindow::TagListViewColumnClick(int section) {
  const QString caption = model_->headerData(section, Qt::Horizontal, Qt::DisplayRole).toString();
  const QString fileNameCaption =
      QString::fromStdString(state_.settings.ColumnTable[kColumnFileName].Name);
  if (caption == fileNameCaption) PopupMenu_FileSort->popup(QCursor::pos());
}

void TMainWindow::TagListViewDblClick() {
  if (!state_.settings.FileExtSync) {
    EditSelectedTags();
    return;
  }
  const std::vector<int> rows = SelectedRows();
  if (state_.files.Count() > 0 && !rows.empty())
    ui_->OpenWithAssociatedProgram(state_.files.Get(rows.front()).GetFilePath());
}

}  // namespace marlinote
