#include "mainwindow/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelection>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <chrono>

#include "catalogue/folder_scan.h"
#include "dialogs/fonts.h"
#include "foldertree/folder_view.h"
#include "mainwindow/app_title.h"
#include "mainwindow/application.h"
#include "mainwindow/batch_run.h"
#include "mainwindow/csv_export_command.h"
#include "mainwindow/setup_commands.h"
#include "mainwindow/tag_edit_command.h"
#include "mainwindow/tag_type_change.h"
#include "mainwindow/qt_user_interface.h"
#include "mainwindow/status_texts.h"
#include "mainwindow/tag_list_model.h"
#include "platform/reg_file_store.h"

namespace marlinote {

namespace {

// Where the filter list is kept: beside the current directory, read at start and written
// at shut-down.
constexpr const char* kFilterFile = "./filefilter.dat";

}  // namespace

TMainWindow::TMainWindow(std::unique_ptr<UserInterface> ui,
                         std::unique_ptr<FolderNamespace> folders,
                         std::unique_ptr<SettingsStore> store)
    : FolderView(new TFolderView(nullptr, std::move(folders))),
      FolderTagSplitter(new QSplitter(Qt::Horizontal, this)),
      TagListView(new QTableView),
      PopupMenu_TagListView(new QMenu(this)),
      PopupMenu_FileSort(new QMenu(this)),
      PopupMenu_FolderView(new QMenu(this)),
      StatusText(new QLabel),
      StatusReport(new QLabel),
      ScanStopButton(new QPushButton(QStringLiteral("中止"))),
      ui_(ui ? std::move(ui) : std::make_unique<QtUserInterface>(this)),
      store_(store ? std::move(store) : std::make_unique<RegFileStore>(DefaultSettingsPath())),
      model_(new TagListModel(state_.files, state_.settings.ColumnTable, this)),
      csvExport_(std::make_unique<CsvExportCommand>()),
      lister_(ListFolder),
      progressTimer_(new QTimer(this)),
      giveUpTimer_(new QTimer(this)),
      stopShortcut_(new QShortcut(QKeySequence(Qt::Key_Escape), this)) {
  setWindowTitle(kAppTitle);
  setFont(DialogFont());
  // The position is the frame's and the size the window's own, as the settings read them.
  move(194, 139);
  resize(776, 462);

  FolderView->setObjectName("FolderView");
  FolderTagSplitter->setObjectName("FolderTagSplitter");
  FolderTagSplitter->setHandleWidth(3);
  FolderTagSplitter->setOpaqueResize(false);
  FolderTagSplitter->setChildrenCollapsible(false);
  FolderTagSplitter->addWidget(FolderView);
  FolderTagSplitter->addWidget(TagListView);
  FolderTagSplitter->setStretchFactor(1, 1);
  FolderView->setMinimumWidth(1);
  setCentralWidget(FolderTagSplitter);

  TagListView->setObjectName("TagListView");
  QFont listFont = DialogFont();
  listFont.setPixelSize(13);
  TagListView->setFont(listFont);
  TagListView->setModel(model_);
  TagListView->setSelectionBehavior(QAbstractItemView::SelectRows);
  TagListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
  TagListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
  TagListView->setShowGrid(true);
  TagListView->setWordWrap(false);
  TagListView->setIconSize(QSize(10, 10));
  TagListView->verticalHeader()->hide();
  TagListView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  TagListView->verticalHeader()->setDefaultSectionSize(QFontMetrics(listFont).height() + 4);
  TagListView->horizontalHeader()->setSectionsClickable(true);
  TagListView->horizontalHeader()->setHighlightSections(false);
  TagListView->setContextMenuPolicy(Qt::CustomContextMenu);
  TagListView->viewport()->installEventFilter(this);
  TagListView->installEventFilter(this);
  connect(TagListView->horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int section) { RunGuarded([this, section] { TagListViewColumnClick(section); }); });
  connect(TagListView, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    PopupMenu_TagListView->popup(TagListView->viewport()->mapToGlobal(pos));
  });

  FolderView->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(FolderView, &TFolderView::folderClicked, this,
          [this] { RunGuarded([this] { FolderViewClick(); }); });
  connect(FolderView, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    PopupMenu_FolderView->popup(FolderView->viewport()->mapToGlobal(pos));
  });

  BuildStatusBar();
  BuildMenus();
  BuildToolBars();
  BuildPopupMenus();
  FormCreate();
  if (auto* app = qobject_cast<MarlinoteApplication*>(QCoreApplication::instance()))
    app->SetErrorDisplay(ui_.get());
}

TMainWindow::~TMainWindow() {
  FormDestroy();
  auto* app = qobject_cast<MarlinoteApplication*>(QCoreApplication::instance());
  if (app && app->ErrorDisplay() == ui_.get()) app->SetErrorDisplay(nullptr);
}

void TMainWindow::FormCreate() {
  state_.files.Clear();
  state_.filters.ReadFilterList(kFilterFile);
  LoadSettings(*store_, state_.settings, *this);
  KeepOnScreen();
  BuildColumns();
  state_.SortType = kSortNameAscend;
  SelectLastFolder();
}

void TMainWindow::FormDestroy() {
  // A scan still running is stopped; its thread is given as long as a stop gives it to end
  // before the program does, and is otherwise left behind.
  if (scan_) {
    scan_->Stop();
    scan_->WaitUntilEnded(std::chrono::milliseconds(kGiveUpAfterMs));
    scan_.reset();
  }
  model_->Refill([this] { state_.files.Clear(); });
  state_.filters.WriteFilterList(kFilterFile, *ui_);
  SaveSettings(*store_, state_.settings, *this);
}

bool TMainWindow::FormCloseQuery() {
  const std::string text = windowTitle().toStdString() + " を終了します。\nよろしいですか?";
  return ui_->Show(text, kCaptionWarning, kStyleQuestion) == kResultYes;
}

void TMainWindow::CloseOnStopSignal() {
  state_.stopRequested = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        // A dialog the window waits on (a setup, the tag edit, a question) is closed as by
        // its close button first, so that the command behind it ends as when cancelled.
        while (QWidget* modal = QApplication::activeModalWidget()) {
          if (!modal->close()) break;
        }
        closeUnasked_ = true;
        close();
      },
      Qt::QueuedConnection);
}

// A close asked for while a save over several files runs (before its dialog shows and blocks
// the window) stops that work before its next file.
void TMainWindow::closeEvent(QCloseEvent* event) {
  if (closeUnasked_ || FormCloseQuery()) {
    StopLongWork();
    event->accept();
  } else {
    event->ignore();
  }
}

void TMainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (splitterLaidOut_) return;
  // The splitter shares out its width only once it has one; the stored width is given then.
  splitterLaidOut_ = true;
  ApplyFolderViewWidth();
}

void TMainWindow::ApplyFolderViewWidth() {
  const int rest = FolderTagSplitter->width() - FolderTagSplitter->handleWidth() - folderViewWidth_;
  FolderTagSplitter->setSizes({folderViewWidth_, std::max(1, rest)});
}

// A window stored on a screen that is no longer there comes back onto the primary screen,
// centred, at its size or as much of it as the screen holds.
void TMainWindow::KeepOnScreen() {
  const QRect bounds(pos(), size());
  for (const QScreen* screen : QGuiApplication::screens())
    if (screen->availableGeometry().intersects(bounds)) return;
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (!primary) return;
  const QRect area = primary->availableGeometry();
  const QSize fitted = size().boundedTo(area.size());
  resize(fitted);
  move(area.x() + (area.width() - fitted.width()) / 2,
       area.y() + (area.height() - fitted.height()) / 2);
}

bool TMainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == TagListView->viewport() && event->type() == QEvent::MouseButtonDblClick)
    RunGuarded([this] { TagListViewDblClick(); });
  // Enter edits the selected files, whatever a double click is set to do.
  if (watched == TagListView && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      RunGuarded([this] { EditSelectedTags(); });
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

// The columns are rebuilt with the selection kept.
void TMainWindow::BuildColumns() {
  const std::vector<int> selected = SelectedRows();
  const int current = TagListView->currentIndex().row();
  model_->BuildColumns();
  for (int section = 0; section < model_->columnCount(); ++section) {
    const auto entry = static_cast<std::size_t>(model_->ColumnEntry(section));
    TagListView->setColumnWidth(section, state_.settings.ColumnTable[entry].Width);
  }
  Reselect(selected, current);
}

void TMainWindow::Reselect(const std::vector<int>& rows, int current) {
  QItemSelection selection;
  const int lastColumn = model_->columnCount() - 1;
  // Runs of neighbouring rows make one range each.
  for (std::size_t first = 0; first < rows.size();) {
    std::size_t last = first;
    while (last + 1 < rows.size() && rows[last + 1] == rows[last] + 1) ++last;
    selection.select(model_->index(rows[first], 0), model_->index(rows[last], lastColumn));
    first = last + 1;
  }
  QItemSelectionModel* model = TagListView->selectionModel();
  if (current >= 0)
    model->setCurrentIndex(model_->index(current, 0), QItemSelectionModel::NoUpdate);
  model->select(selection, QItemSelectionModel::ClearAndSelect);
}

// A model reset keeps the widths of the header's sections while their number stays.
void TMainWindow::FillTagList() {
  model_->Refill({});
}

void TMainWindow::RefreshTagListRows(int first, int last) { model_->RefreshRows(first, last); }

std::vector<int> TMainWindow::SelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : TagListView->selectionModel()->selectedRows())
    rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

void TMainWindow::Report(const BatchOutcome& outcome) { StatusReport->setText(BatchText(outcome)); }

void TMainWindow::SortFiles(int order) {
  if (Scanning()) return;
  state_.SortType = order;
  model_->Refill([&] { marlinote::SortFiles(state_.files, order); });
}

int TMainWindow::GetMetric(Metric metric) const {
  switch (metric) {
    case kLeft: return x();
    case kTop: return y();
    case kWidth: return width();
    case kHeight: return height();
    case kFolderViewWidth:
      return splitterLaidOut_ ? FolderTagSplitter->sizes().value(0) : folderViewWidth_;
  }
  return 0;
}

void TMainWindow::SetMetric(Metric metric, int value) {
  switch (metric) {
    case kLeft: move(value, y()); break;
    case kTop: move(x(), value); break;
    case kWidth: resize(value, height()); break;
    case kHeight: resize(width(), value); break;
    case kFolderViewWidth:
      folderViewWidth_ = value;
      if (splitterLaidOut_) ApplyFolderViewWidth();
      break;
  }
}

std::vector<int> TMainWindow::ListColumnWidths() const {
  std::vector<int> widths;
  const QHeaderView* header = TagListView->horizontalHeader();
  for (int section = 0; section < model_->columnCount(); ++section) {
    const auto entry = static_cast<std::size_t>(model_->ColumnEntry(section));
    // A stored switch may have hidden the Title entry although its column is shown.
    if (state_.settings.ColumnTable[entry].Enabled) widths.push_back(header->sectionSize(section));
  }
  return widths;
}

void TMainWindow::RunGuarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (...) {
    ui_->Show(CurrentExceptionText(), kAppTitle.toStdString(), kStyleError);
  }
}

CommandContext TMainWindow::Context() {
  return {state_, *ui_, this, [this](int first, int last) { RefreshTagListRows(first, last); }};
}

void TMainWindow::EditSelectedTags() {
  if (Scanning()) return;
  CommandContext context = Context();
  if (const auto outcome = marlinote::EditSelectedTags(context, SelectedRows())) Report(*outcome);
}

void TMainWindow::ConvertSelectedTagTypes(int type) {
  if (Scanning()) return;
  CommandContext context = Context();
  Report(marlinote::ConvertSelectedTagTypes(context, type, SelectedRows()));
}

void TMainWindow::ExportTagListCsv() {
  if (Scanning()) return;
  CommandContext context = Context();
  csvExport_->ExportTagListCsv(context);
}

void TMainWindow::OpenViewSetup() {
  CommandContext context = Context();
  marlinote::OpenViewSetup(context, *TagListView, *this, [this] { BuildColumns(); });
}

void TMainWindow::OpenFilterSetup() {
  CommandContext context = Context();
  marlinote::OpenFilterSetup(context);
}

void TMainWindow::OpenOtherSetup() {
  CommandContext context = Context();
  marlinote::OpenOtherSetup(context);
}

}  // namespace marlinote
