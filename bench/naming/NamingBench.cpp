// The naming matcher beside std::regex and QRegularExpression on the work it
// really does: finding the index in a short destination name, and in a long
// text where the index sits at the end.
#include <benchmark/benchmark.h>

#include <QRegularExpression>
#include <QString>
#include <string>

// libstdc++'s regex trips GCC's maybe-uninitialized analysis inside its own headers.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <regex>
#pragma GCC diagnostic pop

#include "naming/FileNameFormat.h"
#include "naming/PatternMatcher.h"

namespace {

const char* const kDatePattern = "{[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]}";
const char* const kDateRegex = "([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9])";

std::string Name(benchmark::State& state) {
  const std::string padding(static_cast<std::size_t>(state.range(0)), 'x');
  return "Acme " + padding + " Month Ending 2012-12-31 (copy)";
}

void CompileAndMatch(benchmark::State& state) {
  const std::string name = Name(state);
  for (auto _ : state) {
    PatternMatcher matcher;
    matcher.Parse(kDatePattern, true);
    MatchContext context;
    benchmark::DoNotOptimize(matcher.Match(name, context));
  }
}

void StdRegex(benchmark::State& state) {
  const std::string name = Name(state);
  for (auto _ : state) {
    const std::regex regex(kDateRegex);
    std::smatch match;
    benchmark::DoNotOptimize(std::regex_search(name, match, regex));
  }
}

void QtRegularExpression(benchmark::State& state) {
  const QString name = QString::fromStdString(Name(state));
  for (auto _ : state) {
    const QRegularExpression regex(QString::fromLatin1(kDateRegex));
    benchmark::DoNotOptimize(regex.match(name).hasMatch());
  }
}

void NextName(benchmark::State& state) {
  const std::string name = Name(state);
  const FileNameFormat format;
  for (auto _ : state)
    benchmark::DoNotOptimize(format.NextName(name));
}

}  // namespace

BENCHMARK(CompileAndMatch)->Arg(0)->Arg(1000)->Arg(100000);
BENCHMARK(StdRegex)->Arg(0)->Arg(1000)->Arg(100000);
BENCHMARK(QtRegularExpression)->Arg(0)->Arg(1000)->Arg(100000);
BENCHMARK(NextName)->Arg(0)->Arg(1000)->Arg(100000);

BENCHMARK_MAIN();
