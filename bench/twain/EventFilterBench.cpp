// What every event of the program pays for passing the scan manager first:
// plain dispatch of posted events beside dispatch through the source event
// filter, with no source open and with a source enabled (each event then
// reaches the manager library's DSM_Entry).
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <cstdlib>
#include <memory>

#include "FakeDsmScript.h"
#include "twain/SourceEventFilter.h"
#include "twain/TwainManager.h"

namespace {

constexpr int kEventsPerRound = 1000;

class Sink : public QObject {
 public:
  int received = 0;

 protected:
  bool event(QEvent* event) override {
    if (event->type() != QEvent::User)
      return QObject::event(event);
    ++received;
    return true;
  }
};

// The fake's glass is 8.5 by 11 inches; the script outlives every manager.
void SetGlassForFake() {
  void* library = ::dlopen(FAKE_DSM_PATH, RTLD_NOW | RTLD_LOCAL);
  auto scriptOf = reinterpret_cast<FakeDsmScriptProc>(::dlsym(library, kFakeDsmScriptName));
  FakeDsmScript& script = *scriptOf();
  script.capabilities[ICAP_PHYSICALWIDTH] = {TWON_ONEVALUE, TWTY_FIX32, {8u | (32768u << 16)}};
  script.capabilities[ICAP_PHYSICALHEIGHT] = {TWON_ONEVALUE, TWTY_FIX32, {11u}};
  script.calls.clear();
  script.capabilitySets.clear();
}

void DispatchRound(Sink& sink) {
  for (int i = 0; i < kEventsPerRound; ++i) {
    QCoreApplication::postEvent(&sink, new QEvent(QEvent::User));
  }
  QCoreApplication::sendPostedEvents(&sink, QEvent::User);
}

void Run(benchmark::State& state, Sink& sink) {
  for (auto _ : state)
    DispatchRound(sink);
  state.SetItemsProcessed(state.iterations() * kEventsPerRound);
}

void PlainDispatch(benchmark::State& state) {
  Sink sink;
  Run(state, sink);
}

// Qt's own price for an application-wide filter, for comparison.
class PassFilter : public QObject {
 protected:
  bool eventFilter(QObject*, QEvent*) override { return false; }
};

void TrivialFilter(benchmark::State& state) {
  Sink sink;
  PassFilter filter;
  QCoreApplication::instance()->installEventFilter(&filter);
  Run(state, sink);
  QCoreApplication::instance()->removeEventFilter(&filter);
}

// `enable` chooses whether a scan is under way while the events pass.
void FilteredDispatch(benchmark::State& state, bool enable) {
  Sink sink;
  SetGlassForFake();
  TwainManager manager;
  manager.Initialize(2, 0, "2.00.0147", "Ferncastle", "Quillery", "Docketeer", &sink);
  if (enable)
    manager.StartScan({8500, 11000, 300, PixelType::ColorHigh, false});
  SourceEventFilter filter(manager);
  QCoreApplication::instance()->installEventFilter(&filter);
  Run(state, sink);
  QCoreApplication::instance()->removeEventFilter(&filter);
  if (!manager.IsDataSourceEnabled() && enable)
    state.SkipWithError("the source was not enabled");
}

void FilterNoSource(benchmark::State& state) {
  FilteredDispatch(state, false);
}
void FilterSourceEnabled(benchmark::State& state) {
  FilteredDispatch(state, true);
}

BENCHMARK(PlainDispatch);
BENCHMARK(TrivialFilter);
BENCHMARK(FilterNoSource);
BENCHMARK(FilterSourceEnabled);

}  // namespace

int main(int argc, char** argv) {
  ::setenv("DOCKETEER_DSM", FAKE_DSM_PATH, 1);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
