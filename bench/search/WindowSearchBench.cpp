// The window's side of the archive search, measured on the offscreen platform
// with the real controls of the main window (tree, search field, results):
//   index-folder ROOT           where the window keeps the index of ROOT
//   memory ROOT with|without    resident memory once the window settles, with
//                               the index of ROOT open and queried, or with no
//                               archive followed; prints kB
//   stalls ROOT WORDS...        the GUI thread's longest gap while the index of
//                               ROOT is brought up to date, then while each
//                               query is typed key by key; prints ms
// The longest gap is the largest time between two beats of a 2 ms timer,
// less the interval: how long the window could not have answered the user;
// beside it, the most processor time the GUI thread spent within one gap.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "scan/ArchiveSearch.h"
#include "scan/MainWindowControls.h"
#include "search/IndexLocation.h"
#include "search/panel/SearchPanel.h"
#include "search/panel/SearchService.h"
#include "tree/CTreeFileCtrl.h"

namespace {

constexpr int kBeatMs = 2;
// A fast typist: a key every 80 ms.
constexpr int kKeyMs = 80;

long ResidentKb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0)
      return std::stol(line.substr(6));
  return 0;
}

double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// The longest gap between the GUI thread's timer beats since the last Take(),
// and the processor time the GUI thread itself spent in its longest-working
// gap: on a busy machine a gap may be the thread waiting for a processor.
class Heartbeat {
 public:
  Heartbeat() {
    timer_.setInterval(kBeatMs);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const double cpu = ThreadCpuMs();
      longest_ = std::max(longest_, clock_.nsecsElapsed() / 1e6 - kBeatMs);
      busiest_ = std::max(busiest_, cpu - cpu_);
      clock_.restart();
      cpu_ = cpu;
    });
    Take();
    timer_.start();
  }
  std::pair<double, double> Take() {
    const std::pair<double, double> gaps{longest_, busiest_};
    longest_ = busiest_ = 0;
    clock_.restart();
    cpu_ = ThreadCpuMs();
    return gaps;
  }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  double cpu_ = 0;
  double longest_ = 0;
  double busiest_ = 0;
};

// Names the event the GUI thread worked on longest (DOCKETEER_BENCH_TRACE=1).
class TracingApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    if (!trace_ || QThread::currentThread() != thread())
      return QApplication::notify(receiver, event);
    const double start = ThreadCpuMs();
    const int type = event->type();
    const bool handled = QApplication::notify(receiver, event);
    const double spent = ThreadCpuMs() - start;
    if (spent > 20)
      std::fprintf(stderr, "%.1f ms cpu: %s %s event %d\n", spent,
                   receiver->metaObject()->className(), qPrintable(receiver->objectName()), type);
    return handled;
  }

 private:
  bool trace_ = qEnvironmentVariableIsSet("DOCKETEER_BENCH_TRACE");
};

// Runs the window's events for `ms`, or until `done`.
void Run(int ms, const std::function<bool()>& done = {}) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms && !(done && done()))
    QApplication::processEvents(QEventLoop::AllEvents, 5);
}

struct Window {
  explicit Window(const std::string& root) {
    dialog.resize(1000, 720);
    controls = BuildMainWindowControls(&dialog);
    search = new ArchiveSearch(dialog, controls, [](const std::string&, int) {});
    controls.tree->SetRoot(root);
    dialog.show();
  }
  QLineEdit* Field() const { return search->Panel().Field(); }
  QTreeWidget* Results() const { return dialog.findChild<QTreeWidget*>("searchResults"); }

  QDialog dialog;
  MainWindowControls controls;
  ArchiveSearch* search = nullptr;
};

// Types the words key by key as a user would, then waits for the results.
void Type(Window& window, const std::string& words) {
  window.Field()->clear();
  Run(300);
  for (const char key : words) {
    QTest::keyClick(window.Field(), key);
    Run(kKeyMs);
  }
  const QString typed = QString::fromStdString(words);
  Run(5000, [&] { return window.Results()->isVisible() && window.Field()->text() == typed; });
  Run(300);  // the results paint
}

int Memory(const std::string& root, bool withIndex) {
  Window window(root);
  bool indexed = !withIndex;
  QObject::connect(&window.search->Service(), &SearchService::indexingFinished,
                   [&] { indexed = true; });
  if (withIndex)
    window.search->Follow(root);
  Run(120000, [&] { return indexed; });
  for (const char* words : {"report", "balance stat", "\"quarter report\"", "ab"})
    Type(window, withIndex ? words : "");
  Run(1000);
  std::printf("memory %s %ld kB\n", withIndex ? "with" : "without", ResidentKb());
  return 0;
}

int Stalls(const std::string& root, const std::vector<std::string>& queries) {
  Window window(root);
  Run(1000);  // the tree fills
  Heartbeat beat;
  beat.Take();
  bool indexed = false;
  QObject::connect(&window.search->Service(), &SearchService::indexingFinished,
                   [&] { indexed = true; });
  QElapsedTimer clock;
  clock.start();
  window.search->Follow(root);
  Run(600000, [&] { return indexed; });
  const auto [gap, busy] = beat.Take();
  std::printf("stall indexing %.1f ms (GUI thread busy %.1f ms) over %.1f s\n", gap, busy,
              clock.elapsed() / 1000.0);
  for (const std::string& words : queries) {
    beat.Take();
    Type(window, words);
    const auto [gap, busy] = beat.Take();
    std::printf("stall query %.1f ms (GUI thread busy %.1f ms), %d hits: %s\n", gap, busy,
                window.Results()->topLevelItemCount(), words.c_str());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 2 && args[0] == "index-folder") {
    std::printf("%s\n", IndexFolderForArchive(args[1]).c_str());
    return 0;
  }
  TracingApplication application(argc, argv);
  if (args.size() == 3 && args[0] == "memory")
    return Memory(args[1], args[2] == "with");
  if (args.size() >= 2 && args[0] == "stalls")
    return Stalls(args[1], {args.begin() + 2, args.end()});
  std::fputs("usage: see the head of WindowSearchBench.cpp\n", stderr);
  return 2;
}
