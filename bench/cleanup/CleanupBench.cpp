// Runs the three clean-ups together on generated scans and prints how many
// pages each got right, the residual skew, the time a page on this thread's
// core and the peak memory beside the size of one page.
//   docketeer_cleanup_bench [pages-per-kind]
// For the side-by-side comparison with other tools (compare_cleanup.py):
//   docketeer_cleanup_bench --write DIR [pages-per-kind]   the text pages as PNG, with truth.tsv
//   docketeer_cleanup_bench --clean DIR                    cleans them, one line a page
#include <malloc.h>
#include <time.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ScannedPageMaker.h"
#include "cleanup/PageCleaner.h"

using scanned_pages::Content;
using scanned_pages::Recipe;

namespace {

double ThreadMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

long StatusKb(const char* field) {
  FILE* status = std::fopen("/proc/self/status", "r");
  char line[256];
  long kb = 0;
  while (status && std::fgets(line, sizeof line, status))
    if (std::strncmp(line, field, std::strlen(field)) == 0)
      kb = std::atol(line + std::strlen(field));
  if (status)
    std::fclose(status);
  return kb;
}

// Starts a fresh peak: the kernel forgets the highest resident size so far.
long ResetPeakKb() {
  malloc_trim(0);
  if (FILE* clear = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", clear);
    std::fclose(clear);
  }
  return StatusKb("VmRSS:");
}

struct Tally {
  int pages = 0;
  int right = 0;
  double worstSkew = 0;
  double sumMs = 0;
  double worstMs = 0;
  int askedEngine = 0;
  std::vector<double> ms;
};

using scanned_pages::Mode;
using scanned_pages::Script;

bool IsTurnable(Content content) {
  return content == Content::Text || content == Content::CapitalsTable ||
         content == Content::Photo || content == Content::LandscapeTable;
}

// Pages with lines of text to level by (a photograph's one caption is none).
bool HasLines(Content content) {
  return IsTurnable(content) && content != Content::Photo;
}

const char* ModeName(Mode mode) {
  return mode == Mode::Grey ? "grey" : mode == Mode::OneBit ? "1-bit" : "colour";
}

// Blank sheets with one fault each, then several together; pages of little
// content that must be kept; pages of text, tables and photographs fed
// turned by 0, 90, 180 or 270 degrees and skewed; at 200 and 300 dpi, in
// grey, 1-bit and colour.
std::vector<Recipe> Recipes(int perKind) {
  std::vector<Recipe> recipes;
  unsigned seed = 1;
  const Mode modes[] = {Mode::Grey, Mode::OneBit, Mode::Colour};
  for (int dpi : {200, 300}) {
    for (int i = 0; i < perKind; ++i) {
      const Mode mode = modes[i % 3];
      for (int fault = 0; fault < 8; ++fault) {
        Recipe blank{.content = Content::Nothing, .dpi = dpi, .seed = seed++};
        blank.mode = fault < 6 ? Mode::Grey : mode;
        blank.noise = fault == 0 || fault == 5;
        blank.specks = fault == 1 || fault == 5;
        blank.bleedThrough = fault == 2 || fault == 5;
        blank.holes = fault == 3 || fault == 5 || fault == 7;
        blank.darkBorder = fault == 4 || fault == 5;
        blank.staple = fault == 6 || fault == 7;
        recipes.push_back(blank);
      }
      for (Content content :
           {Content::Handwriting, Content::Stamp, Content::Signature, Content::Ruling,
            Content::PageNumber, Content::Pencil, Content::PageNumber, Content::Pencil,
            Content::DarkCover, Content::ColourPattern}) {
        // Light pencil does not survive a black-and-white scan.
        const Mode nearlyMode =
            content == Content::Pencil && mode == Mode::OneBit ? Mode::Grey : mode;
        recipes.push_back(Recipe{.content = content,
                                 .dpi = dpi,
                                 .noise = true,
                                 .specks = i % 2 == 0,
                                 .bleedThrough = i % 3 == 0,
                                 .holes = i % 2 == 1,
                                 .darkBorder = i % 3 == 1,
                                 .staple = i % 4 == 2,
                                 .mode = nearlyMode,
                                 .seed = seed++});
      }
      const struct {
        Content content;
        Script script;
      } turnable[] = {{Content::Text, Script::Latin},  {Content::Text, Script::Cyrillic},
                      {Content::Text, Script::Greek},  {Content::CapitalsTable, Script::Latin},
                      {Content::Photo, Script::Latin}, {Content::LandscapeTable, Script::Latin}};
      for (const auto& kind : turnable) {
        for (int turn : {0, 90, 180, 270}) {
          // Both ways, for pages fed upright and upside down alike.
          const double skew =
              (0.5 + 7.5 * ((seed * 37) % 100) / 99.0) * ((seed / 2) % 2 ? 1 : -1);
          recipes.push_back(Recipe{.content = kind.content,
                                   .dpi = dpi,
                                   .noise = true,
                                   .clockwiseTurn = turn,
                                   .skewDegrees = skew,
                                   .script = kind.script,
                                   .mode = modes[(i + turn / 90) % 3],
                                   .seed = seed++});
        }
      }
    }
  }
  return recipes;
}

const char* Name(const Recipe& recipe) {
  switch (recipe.content) {
    case Content::Nothing:
      return "blank";
    case Content::Handwriting:
      return "handwriting";
    case Content::Stamp:
      return "stamp";
    case Content::Signature:
      return "signature";
    case Content::Ruling:
      return "ruled form";
    case Content::Text:
      return recipe.script == Script::Latin      ? "text"
             : recipe.script == Script::Cyrillic ? "Cyrillic text"
                                                 : "Greek text";
    case Content::PageNumber:
      return "page number";
    case Content::Pencil:
      return "pencil";
    case Content::DarkCover:
      return "dark cover";
    case Content::ColourPattern:
      return "colour pattern";
    case Content::CapitalsTable:
      return "capitals table";
    case Content::Photo:
      return "photo";
    case Content::LandscapeTable:
      return "landscape table";
  }
  return "";
}

// The recognition languages a user scanning such a page would have chosen.
const char* Languages(const Recipe& recipe) {
  return recipe.script == Script::Cyrillic ? "rus" : recipe.script == Script::Greek ? "ell" : "eng";
}

void Print(const char* what, const Tally& tally) {
  std::vector<double> ms = tally.ms;
  std::sort(ms.begin(), ms.end());
  const double median = ms.empty() ? 0 : ms[ms.size() / 2];
  const double p95 = ms.empty() ? 0 : ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
  std::printf("%-28s %4d pages  %4d right (%5.1f%%)  ms/page median %6.1f p95 %6.1f worst %6.1f",
              what, tally.pages, tally.right, tally.pages ? 100.0 * tally.right / tally.pages : 0,
              median, p95, tally.worstMs);
  if (tally.askedEngine > 0)
    std::printf("  engine asked %d", tally.askedEngine);
  if (tally.worstSkew > 0)
    std::printf("  worst residual skew %.2f deg", tally.worstSkew);
  std::printf("\n");
}

// Writes the pages of the set with something to turn and level as PNG files
// in their own mode, with what was done to each in truth.tsv: name, dpi,
// turn, skew, kind, languages, whether it has lines to level by.
int WritePages(const QString& folder, int perKind) {
  QDir().mkpath(folder);
  QFile truth(folder + "/truth.tsv");
  if (!truth.open(QIODevice::WriteOnly | QIODevice::Text))
    return 1;
  QTextStream out(&truth);
  int index = 0;
  for (const Recipe& recipe : Recipes(perKind)) {
    if (!IsTurnable(recipe.content))
      continue;
    const QString name = QString("page%1.png").arg(++index, 3, 10, QChar('0'));
    QImage page = scanned_pages::MakePage(recipe);
    if (recipe.mode == Mode::OneBit)
      page = page.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    if (!page.save(folder + "/" + name))
      return 1;
    out << name << '\t' << recipe.dpi << '\t' << recipe.clockwiseTurn << '\t' << recipe.skewDegrees
        << '\t' << Name(recipe) << '\t' << Languages(recipe) << '\t' << HasLines(recipe.content)
        << '\n';
  }
  return 0;
}

// Cleans every page named in truth.tsv and prints, a line each: the name,
// the clockwise turn and skew it found, and the milliseconds it took on
// this thread, the page already decoded.
int CleanPages(const QString& folder) {
  QFile truth(folder + "/truth.tsv");
  if (!truth.open(QIODevice::ReadOnly | QIODevice::Text))
    return 1;
  std::map<QString, std::unique_ptr<PageCleaner>> cleaners;
  while (!truth.atEnd()) {
    const QStringList fields = QString::fromUtf8(truth.readLine()).trimmed().split('\t');
    const QString name = fields.value(0);
    const QString languages = fields.value(5, "eng");
    auto& cleaner = cleaners[languages];
    if (!cleaner)
      cleaner = std::make_unique<PageCleaner>(CleanupChoices{.upright = true, .deskew = true},
                                              languages.toStdString());
    Bitmap page = scanned_pages::GreyBitmap(QImage(folder + "/" + name));
    const double start = ThreadMs();
    cleaner->Clean(page);
    const double ms = ThreadMs() - start;
    const PageCleanup done = cleaner->LastCleanup();
    std::printf("%s\t%d\t%.3f\t%.2f\t%d\n", qPrintable(name), done.clockwiseTurn, done.skewDegrees,
                ms, done.askedEngine);
  }
  return 0;
}

}  // namespace

struct KindTally {
  int pages = 0, upright = 0, wrong = 0, asked = 0, lines = 0, level = 0;
};

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  const QStringList args = application.arguments();
  if (args.size() >= 3 && args[1] == "--write")
    return WritePages(args[2], args.size() > 3 ? std::max(1, args[3].toInt()) : 6);
  if (args.size() >= 3 && args[1] == "--clean")
    return CleanPages(args[2]);
  const int perKind = argc > 1 ? std::max(1, std::atoi(argv[1])) : 6;
  const CleanupChoices all{.skipBlank = true, .upright = true, .deskew = true};
  std::map<std::string, std::unique_ptr<PageCleaner>> cleaners;
  const auto cleanerFor = [&](const Recipe& recipe) -> PageCleaner& {
    auto& cleaner = cleaners[Languages(recipe)];
    if (!cleaner)
      cleaner = std::make_unique<PageCleaner>(all, Languages(recipe));
    return *cleaner;
  };
  PageCleaner withoutUpright(CleanupChoices{.skipBlank = true, .deskew = true});
  Tally blank, content, turnable, text300, level300;
  std::map<std::string, KindTally> kinds;
  // Engine confidence against whether its turn was right, to calibrate by.
  struct Reading {
    float confidence;
    bool right, lines;
    bool operator<(const Reading& other) const { return confidence < other.confidence; }
  };
  std::vector<Reading> engineReadings;
  // CLEANUP_BENCH_SEED=N cleans only the page of that seed, for a profiler.
  const char* onlySeed = std::getenv("CLEANUP_BENCH_SEED");
  if (!onlySeed) {
    // The orientation model loads with the first page that needs it; that
    // is not a page's cost.
    Bitmap warmUp = scanned_pages::MakeBitmap(
        Recipe{.content = Content::Text, .clockwiseTurn = 90, .script = Script::Cyrillic});
    cleanerFor(Recipe{.script = Script::Cyrillic}).Clean(warmUp);
  }
  std::map<std::string, long> pageKb, extraKb;  // by mode, engine asked or not
  int contentAside = 0, contentTurned = 0;
  for (const Recipe& recipe : Recipes(perKind)) {
    if (onlySeed && recipe.seed != std::strtoul(onlySeed, nullptr, 10))
      continue;
    Bitmap page = scanned_pages::MakeBitmap(recipe);
    PageCleaner& cleaner = cleanerFor(recipe);
    const long beforeKb = ResetPeakKb();
    const double start = ThreadMs();
    cleaner.Clean(page);
    const double ms = ThreadMs() - start;
    const PageCleanup done = cleaner.LastCleanup();
    const long pagePeakKb = StatusKb("VmHWM:") - beforeKb;
    const std::string memoryKey =
        std::string(ModeName(recipe.mode)) + (done.askedEngine ? ", engine asked" : "");
    pageKb[memoryKey] = std::max(pageKb[memoryKey], static_cast<long>(page.ByteCount() / 1024));
    extraKb[memoryKey] = std::max(extraKb[memoryKey], pagePeakKb);
    Tally& tally = recipe.content == Content::Nothing ? blank
                   : IsTurnable(recipe.content)       ? turnable
                                                      : content;
    const int wanted = (360 - recipe.clockwiseTurn) % 360;
    bool right = false;
    if (recipe.content == Content::Nothing) {
      right = done.blank;
    } else if (!IsTurnable(recipe.content)) {
      // Kept, and left as scanned: nothing on it says which way is up, and
      // it was fed level.
      right = !done.blank && done.clockwiseTurn == 0 && done.skewDegrees == 0;
      contentAside += done.blank;
      contentTurned += done.clockwiseTurn != 0;
    } else {
      KindTally& kind = kinds[std::string(Name(recipe)) + ", " + ModeName(recipe.mode)];
      ++kind.pages;
      kind.upright += done.clockwiseTurn == wanted;
      kind.wrong += done.clockwiseTurn != wanted && done.clockwiseTurn != 0;
      kind.asked += done.askedEngine;
      const double residual = std::abs(recipe.skewDegrees + done.skewDegrees);
      if (HasLines(recipe.content)) {
        ++kind.lines;
        kind.level += residual <= 0.2;
        tally.worstSkew = std::max(tally.worstSkew, residual);
      }

      right = !done.blank && done.clockwiseTurn == wanted &&
              (!HasLines(recipe.content) || residual <= 0.2);
      if (recipe.dpi == 300 && recipe.content == Content::Text && recipe.script == Script::Latin) {
        // The time of the common page: A4 at 300 dpi in grey, fed upright
        // and skewed, which the letters decide alone.
        Recipe upright = recipe;
        upright.mode = Mode::Grey;
        upright.clockwiseTurn = 0;
        Bitmap again = scanned_pages::MakeBitmap(upright);
        Bitmap third = scanned_pages::MakeBitmap(upright);
        const double uprightStart = ThreadMs();
        cleaner.Clean(again);
        const double uprightMs = ThreadMs() - uprightStart;
        const PageCleanup uprightDone = cleaner.LastCleanup();
        ++text300.pages;
        text300.right += !uprightDone.blank && uprightDone.clockwiseTurn == 0 &&
                         std::abs(upright.skewDegrees + uprightDone.skewDegrees) <= 0.2;
        text300.askedEngine += uprightDone.askedEngine;
        text300.worstMs = std::max(text300.worstMs, uprightMs);
        text300.ms.push_back(uprightMs);
        const double levelStart = ThreadMs();
        withoutUpright.Clean(third);
        const double levelMs = ThreadMs() - levelStart;
        ++level300.pages;
        level300.right += !withoutUpright.LastCleanup().blank;
        level300.worstMs = std::max(level300.worstMs, levelMs);
        level300.ms.push_back(levelMs);
      }
    }
    if (done.askedEngine && recipe.content != Content::Nothing)
      engineReadings.push_back({done.engineConfidence, done.engineTurn == wanted, done.textLines});
    if (!right)
      std::printf(
          "wrong: %s %s dpi %d seed %u turn %d skew %.2f -> blank %d turn %d skew %.2f engine "
          "%d (%d at %.1f)\n",
          Name(recipe), ModeName(recipe.mode), recipe.dpi, recipe.seed, recipe.clockwiseTurn,
          recipe.skewDegrees, done.blank, done.clockwiseTurn, done.skewDegrees, done.askedEngine,
          done.engineTurn, done.engineConfidence);
    if (std::getenv("CLEANUP_BENCH_VERBOSE"))
      std::printf("%s %s dpi %d turn %d skew %.2f -> turn %d skew %.2f engine %d  %.1f ms %ld kB\n",
                  Name(recipe), ModeName(recipe.mode), recipe.dpi, recipe.clockwiseTurn,
                  recipe.skewDegrees, done.clockwiseTurn, done.skewDegrees, done.askedEngine, ms,
                  pagePeakKb);
    ++tally.pages;
    tally.right += right;
    tally.worstMs = std::max(tally.worstMs, ms);
    tally.askedEngine += done.askedEngine;
    tally.ms.push_back(ms);
  }
  Print("blank sheets found", blank);
  Print("content pages kept as fed", content);
  std::printf("  content pages set aside: %d, turned: %d\n", contentAside, contentTurned);
  Print("turned pages upright+level", turnable);
  std::printf("\n%-34s %5s %8s %6s %6s %8s\n", "kind", "pages", "upright", "wrong", "asked",
              "level");
  KindTally total;
  for (const auto& [name, kind] : kinds) {
    std::printf("%-34s %5d %8d %6d %6d %4d/%-3d\n", name.c_str(), kind.pages, kind.upright,
                kind.wrong, kind.asked, kind.level, kind.lines);
    total.pages += kind.pages;
    total.upright += kind.upright;
    total.wrong += kind.wrong;
    total.asked += kind.asked;
    total.lines += kind.lines;
    total.level += kind.level;
  }
  std::printf("%-34s %5d %8d %6d %6d %4d/%-3d  (%.1f%% upright, worst skew %.2f deg)\n\n", "all",
              total.pages, total.upright, total.wrong, total.asked, total.level, total.lines,
              100.0 * total.upright / std::max(total.pages, 1), turnable.worstSkew);
  Print("Latin text A4 300 dpi grey upright", text300);
  Print("  same, blank and skew only", level300);
  std::sort(engineReadings.begin(), engineReadings.end());
  for (bool lines : {true, false}) {
    std::printf("engine readings of pages %s lines of text (confidence: right?), lowest first:",
                lines ? "with" : "without");
    int shown = 0;
    for (const Reading& reading : engineReadings)
      if (reading.lines == lines && (++shown <= 30 || !reading.right))
        std::printf(" %.1f:%c", reading.confidence, reading.right ? 'y' : 'N');
    std::printf("\n");
  }
  std::printf("\npeak memory while cleaning, above the page itself, by mode:\n");
  for (const auto& [mode, kb] : extraKb)
    std::printf("  %-22s %7ld kB (largest page %ld kB)\n", mode.c_str(), kb, pageKb[mode]);
  // A large colour page asks the model and is turned a quarter: the model
  // reads a grey sketch of it, and the turn takes one page more.
  for (Script script : {Script::Latin, Script::Cyrillic}) {
    const Recipe large{.content = Content::Text,
                       .dpi = 600,
                       .clockwiseTurn = 90,
                       .skewDegrees = 2,
                       .script = script,
                       .mode = Mode::Colour};
    Bitmap page = scanned_pages::MakeBitmap(large);
    const long beforeKb = ResetPeakKb();
    const double start = ThreadMs();
    cleanerFor(large).Clean(page);
    const double ms = ThreadMs() - start;
    const PageCleanup done = cleanerFor(large).LastCleanup();
    std::printf(
        "  A4 600 dpi colour %s turned 90: turn %d, %.0f ms, %ld kB above the page of %zu kB\n",
        Name(large), done.clockwiseTurn, ms, StatusKb("VmHWM:") - beforeKb,
        page.ByteCount() / 1024);
  }
  return 0;
}
