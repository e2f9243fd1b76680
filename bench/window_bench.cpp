// The window with a large folder: the click that lists it (the scan on its own thread, the list
// filled when it ends), how soon its progress shows and how soon a stop shows the files found,
// the list refilled after the scan, the four sort orders, and the CSV export of every row, on
// the offscreen platform.
//   bench_window [ROUNDS [COUNT...]]      (default: 5 rounds, 10000 and 100000 files)
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "bench/corpus.h"
#include "tests/support/temp_dir.h"
#include "bench/measure.h"
#include "catalogue/folder_scan.h"
#include "foldertree/folder_view.h"
#include "foldertree/linux_folder_namespace.h"
#include "mainwindow/main_window.h"
#include "mainwindow/user_interface.h"
#include "platform/memory_settings_store.h"

namespace marlinote::bench {
namespace {

// The folders of the machine with the benchmark's folder as the one drive.
class BenchVolumes : public LinuxFolderNamespace {
 public:
  explicit BenchVolumes(std::string mountPoint) : mountPoint_(std::move(mountPoint)) {}
  std::vector<Volume> volumes() const override { return {{QStringLiteral("Bench"), mountPoint_}}; }

 private:
  std::string mountPoint_;
};

// Nobody answers: every box is counted, the save dialog names the export file.
class BenchUi : public UserInterface {
 public:
  explicit BenchUi(std::string csvPath) : csvPath_(std::move(csvPath)) {}
  int Show(const std::string&, const std::string&, int) override {
    ++boxes;
    return kResultNo;
  }
  void ShowPlain(const std::string&) override { ++boxes; }
  int ShowModal(QDialog&) override {
    ++boxes;
    return kResultCancel;
  }
  std::optional<std::string> AskSaveFileName(const SaveFileRequest&) override { return csvPath_; }
  void OpenWithAssociatedProgram(const std::string&) override {}
  std::unique_ptr<ProgressDisplay> ShowProgress(const std::string&, int) override {
    return nullptr;
  }

  int boxes = 0;

 private:
  std::string csvPath_;
};

// Lets the window lay out and paint what the change left to do.
void Settle(TMainWindow& window) {
  QApplication::processEvents();
  window.TagListView->viewport()->repaint();
}

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Notes when a widget is first painted.
class FirstPaint : public QObject {
 public:
  explicit FirstPaint(QWidget* widget) { widget->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && !at) at = Clock::now();
    return false;
  }
  std::optional<Clock::time_point> at;
};

// Runs the window's events until the scan has ended, as the window's own loop would.
void WaitForList(TMainWindow& window) {
  while (window.Scanning()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// A folder click, timed until the rows are painted; when the scan runs long enough to show its
// progress, the time until the stop button was first painted goes to `firstProgress`.
void ClickAndWait(TMainWindow& window, std::vector<double>& firstProgress) {
  FirstPaint progress(window.ScanStopButton);
  const Clock::time_point start = Clock::now();
  window.ScanFolder();
  WaitForList(window);
  Settle(window);
  if (progress.at)
    firstProgress.push_back(std::chrono::duration<double>(*progress.at - start).count());
}

// A folder click stopped once its progress shows: the time from the stop to the rows painted;
// nothing when the scan ended first.
std::optional<double> StopOnceShown(TMainWindow& window) {
  window.ScanFolder();
  while (window.Scanning() && !window.ScanStopButton->isVisible())
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  if (!window.Scanning()) return std::nullopt;
  const Clock::time_point start = Clock::now();
  window.StopScan();
  WaitForList(window);
  Settle(window);
  return SecondsSince(start);
}

// Runs the menu entry or clicks the tool button of this name, as a person would.
void Trigger(TMainWindow& window, const char* name) {
  if (QAction* action = window.findChild<QAction*>(name)) {
    action->trigger();
  } else if (QToolButton* button = window.findChild<QToolButton*>(name)) {
    button->click();
  } else {
    std::fprintf(stderr, "no control %s\n", name);
    std::exit(1);
  }
}

std::string Ms(const std::vector<double>& seconds) {
  std::vector<double> ms;
  for (double s : seconds) ms.push_back(s * 1000);
  return Spread(ms, 1);
}

void Measure(std::size_t count, int rounds) {
  const test::TempDir scratch("marlinote-bench");
  const std::string media = scratch.file("media");
  const std::string folder = media + "/corpus";
  const std::string home = scratch.file("home");
  mkdir(media.c_str(), 0755);
  mkdir(folder.c_str(), 0755);
  mkdir(home.c_str(), 0755);
  const CorpusStats stats = MakeCorpus(folder, MakeMpegStream(scratch.path()), {.count = count});
  // "./filefilter.dat" is read and written in the current folder.
  if (chdir(home.c_str()) != 0) std::exit(1);

  auto ui = std::make_unique<BenchUi>(scratch.file("export.csv"));
  BenchUi& answers = *ui;
  TMainWindow window(std::move(ui), std::make_unique<BenchVolumes>(media),
                     std::make_unique<MemorySettingsStore>());
  window.show();
  Settle(window);
  window.FolderView->setDirectory(folder);
  if (window.FolderView->directory() != folder) {
    std::fprintf(stderr, "the folder tree did not select %s\n", folder.c_str());
    std::exit(1);
  }

  const char* kSorts[] = {"Sort_NameAscend", "Sort_NameDescend", "Sort_ExtendAscend",
                          "Sort_ExtendDescend"};
  std::vector<double> firstProgress;
  std::vector<double> stops;
  std::vector<Contender> contenders = {
      {[&] { ClickAndWait(window, firstProgress); }},
      {[&] {
        window.FillTagList();
        Settle(window);
      }},
  };
  for (const char* sort : kSorts)
    contenders.push_back({[&window, sort] {
      Trigger(window, sort);
      Settle(window);
    }});
  contenders.push_back({[&] { Trigger(window, "TagDataCSVOutButton"); }});
  // The same scan without the window, into a list of its own, for comparison.
  std::unique_ptr<TTagList> alone;
  contenders.push_back({[&] {
                          ListFolder(*alone, folder, window.State().filters, false,
                                     window.State().SortType);
                        },
                        [&] { alone = std::make_unique<TTagList>(); }});
  // Last, so that the other contenders start from the whole list: a click, stopped once its
  // progress shows, and listed again whole.
  contenders.push_back({[&] {
    if (const std::optional<double> stop = StopOnceShown(window)) stops.push_back(*stop);
    ClickAndWait(window, firstProgress);
  }});
  const std::vector<std::vector<double>> t = TimeInRounds(contenders, rounds);
  const int rows = window.TagListView->model()->rowCount();

  std::printf("The window with a folder of %zu files (%d rows), offscreen platform, %d rounds; "
              "median (min .. max) in ms\n",
              stats.files(), rows, rounds);
  std::printf("  click: scan, sort and list all rows          %s   (goal: under 2000)\n", Ms(t[0]).c_str());
  if (firstProgress.empty())
    std::printf("  first progress shown                         none: every scan ended before\n");
  else
    std::printf("  first progress shown (%2zu of %2d clicks)      %s   (goal: under 200)\n",
                firstProgress.size(), 2 * (rounds + 1), Ms(firstProgress).c_str());
  if (!stops.empty())
    std::printf("  stop once shown: the files found so far      %s\n", Ms(stops).c_str());
  std::printf("  list refilled after the scan (model reset)   %s\n", Ms(t[1]).c_str());
  for (std::size_t i = 0; i < 4; ++i)
    std::printf("  sort menu %-20s              %s   (goal: under 500)\n", kSorts[i], Ms(t[2 + i]).c_str());
  std::printf("  CSV export of every row, all columns         %s   (goal: under 1000)\n", Ms(t[6]).c_str());
  std::printf("  the same scan without the window             %s\n", Ms(t[7]).c_str());
  std::printf("  click / the same scan without the window     %s   (round by round)\n",
              Spread(Ratios(t[0], t[7]), 2).c_str());
  if (answers.boxes) std::printf("  MESSAGE BOXES SHOWN: %d\n", answers.boxes);
  std::fflush(stdout);
}

}  // namespace
}  // namespace marlinote::bench

int main(int argc, char** argv) {
  using namespace marlinote::bench;
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  const int rounds = static_cast<int>(ArgOr(argc, argv, 1, 5));
  std::vector<std::size_t> counts;
  for (int i = 2; i < argc; ++i) counts.push_back(static_cast<std::size_t>(ArgOr(argc, argv, i, 0)));
  if (counts.empty()) counts = {10000, 100000};
  for (std::size_t count : counts) Measure(count, rounds);
  return 0;
}
