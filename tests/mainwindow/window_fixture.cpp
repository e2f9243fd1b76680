#include "tests/mainwindow/window_fixture.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <cstdlib>
#include <filesystem>

#include "foldertree/folder_view.h"
#include "mainwindow/tag_list_model.h"
#include "platform/reg_file_store.h"
#include "tags/ape_format.h"
#include "tags/id3v1_trailer.h"
#include "tests/support/file_bytes.h"
#include "tests/support/ogg_maker.h"

namespace marlinote::test {

void WritePlainFile(const std::string& path, std::size_t size) {
  WriteBytes(path, AudioBytes(size));
}

void WriteId3v1File(const std::string& path, const FieldList& fields) {
  WriteBytes(path, AudioBytes(3000) + RenderId3v1Trailer(fields));
}

void WriteApeFile(const std::string& path, const FieldList& fields) {
  WriteBytes(path, "MAC " + AudioBytes(3000) + *RenderApeTag(fields));
}

void WriteApeDataFile(const std::string& path) { WriteBytes(path, "MAC " + AudioBytes(3000)); }

void WriteOggFile(const std::string& path, const std::vector<std::string>& comments) {
  OggVorbisOptions options;
  options.comments = comments;
  options.samples = 4410;
  WriteOggVorbis(path, options);
}

WindowTest::WindowTest() : oldCwd_(std::filesystem::current_path().string()) {
  if (const char* home = std::getenv("XDG_CONFIG_HOME")) oldConfigHome_ = home;
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  std::filesystem::current_path(work.path());
}

WindowTest::~WindowTest() {
  window.reset();
  std::filesystem::current_path(oldCwd_);
  if (oldConfigHome_)
    setenv("XDG_CONFIG_HOME", oldConfigHome_->c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
}

void WindowTest::Start(std::unique_ptr<SettingsStore> store) {
  window = std::make_unique<TMainWindow>(
      std::make_unique<UiRef>(ui), std::make_unique<TempVolumes>(media.path()), std::move(store));
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
}

void WindowTest::Quit() {
  ASSERT_TRUE(window->close());
  window.reset();
}

void WindowTest::Destroy() { window.reset(); }

void WindowTest::ClickFolder(const std::string& path) {
  TFolderView* tree = window->FolderView;
  tree->setDirectory(path);
  QTreeWidgetItem* node = tree->currentItem();
  ASSERT_NE(node, nullptr) << path;
  ASSERT_EQ(TFolderView::pathOf(node), path);
  tree->scrollToItem(node);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(node).center());
  WaitForList();
}

void WindowTest::SearchAll(const std::string& path) {
  window->FolderView->setDirectory(path);
  ASSERT_EQ(window->FolderView->directory(), path);
  Trigger("SearchAll");
  WaitForList();
}

void WindowTest::WaitForList() {
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window->Scanning(); }, 20000));
}

void WindowTest::SelectRows(std::initializer_list<int> rows) {
  QItemSelectionModel* selection = window->TagListView->selectionModel();
  selection->clearSelection();
  for (int row : rows)
    selection->select(window->Model().index(row, 0),
                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void WindowTest::Trigger(const char* name) {
  auto* action = window->findChild<QAction*>(name);
  ASSERT_NE(action, nullptr) << name;
  action->trigger();
}

void WindowTest::ClickTool(const char* name) {
  auto* button = window->findChild<QToolButton*>(name);
  ASSERT_NE(button, nullptr) << name;
  QTest::mouseClick(button, Qt::LeftButton);
}

QStringList WindowTest::ColumnTexts(int section) const {
  QStringList texts;
  const TagListModel& model = window->Model();
  for (int row = 0; row < model.rowCount(); ++row)
    texts << model.data(model.index(row, section), Qt::DisplayRole).toString();
  return texts;
}

QStringList WindowTest::Captions() const {
  QStringList captions;
  const TagListModel& model = window->Model();
  for (int section = 0; section < model.columnCount(); ++section)
    captions << model.headerData(section, Qt::Horizontal, Qt::DisplayRole).toString();
  return captions;
}

std::vector<int> WindowTest::ColumnWidths() const {
  std::vector<int> widths;
  const QHeaderView* header = window->TagListView->horizontalHeader();
  for (int section = 0; section < header->count(); ++section)
    widths.push_back(header->sectionSize(section));
  return widths;
}

std::vector<std::string> WindowTest::ListedNames() const {
  std::vector<std::string> names;
  const TTagList& files = window->State().files;
  for (int i = 0; i < files.Count(); ++i) names.push_back(files.Get(i).GetFileName());
  return names;
}

std::string WindowTest::SettingsFile() const { return config.file("Velmora/Marlinote.reg"); }

void WindowTest::WriteSettings(const std::string& body) const {
  std::filesystem::create_directories(config.file("Velmora"));
  WriteBytes(SettingsFile(), "Windows Registry Editor Version 5.00\n\n" + body);
}

namespace {

const RegValue* FindStored(const RegFileStore& store, const std::string& key,
                           const std::string& name) {
  std::string path = "Software\\Velmora\\Marlinote";
  if (!key.empty()) path += "\\" + key;
  return store.FindValue(path, name);
}

}  // namespace

std::optional<std::uint32_t> WindowTest::StoredNumber(const std::string& key,
                                                      const std::string& name) const {
  const RegFileStore store(SettingsFile());
  const RegValue* value = FindStored(store, key, name);
  if (!value || value->type != kRegDword) return std::nullopt;
  return value->number;
}

std::optional<std::string> WindowTest::StoredText(const std::string& key,
                                                  const std::string& name) const {
  const RegFileStore store(SettingsFile());
  const RegValue* value = FindStored(store, key, name);
  if (!value || value->type != kRegSz) return std::nullopt;
  return value->data;
}

}  // namespace marlinote::test
