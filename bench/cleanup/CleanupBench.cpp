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

std::vector<Recipe> Recipes(int perKind) {
  std::vector<Recipe> recipes;
  unsigned seed = 1;
  for (int dpi : {200, 300}) {
    for (int i = 0; i < perKind; ++i) {
      // Blank sheets with one fault each, then all of them together.
      for (int fault = 0; fault < 6; ++fault) {
        Recipe blank{.content = Content::Nothing, .dpi = dpi, .seed = seed++};
        blank.noise = fault == 0 || fault == 5;
        blank.specks = fault == 1 || fault == 5;
        blank.bleedThrough = fault == 2 || fault == 5;
        blank.holes = fault == 3 || fault == 5;
        blank.darkBorder = fault == 4 || fault == 5;
        recipes.push_back(blank);
      }
      for (Content content :
           {Content::Handwriting, Content::Stamp, Content::Signature, Content::Ruling}) {
        Recipe nearly{.content = content,
                      .dpi = dpi,
                      .noise = true,
                      .specks = i % 2 == 0,
                      .bleedThrough = i % 3 == 0,
                      .holes = i % 2 == 1,
                      .darkBorder = i % 3 == 1,
                      .seed = seed++};
        recipes.push_back(nearly);
      }
      for (int turn : {0, 90, 180, 270}) {
        const double skew = (0.5 + 7.5 * ((seed * 37) % 100) / 99.0) * (seed % 2 ? 1 : -1);
        recipes.push_back(Recipe{.content = Content::Text,
                                 .dpi = dpi,
                                 .noise = true,
                                 .clockwiseTurn = turn,
                                 .skewDegrees = skew,
                                 .seed = seed++});
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
      return "text";
  }
  return "";
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

// Writes the text pages of the set, the ones with something to turn and
// level, as grey PNG files, with what was done to each in truth.tsv.
int WritePages(const QString& folder, int perKind) {
  QDir().mkpath(folder);
  QFile truth(folder + "/truth.tsv");
  if (!truth.open(QIODevice::WriteOnly | QIODevice::Text))
    return 1;
  QTextStream out(&truth);
  int index = 0;
  for (const Recipe& recipe : Recipes(perKind)) {
    if (recipe.content != Content::Text)
      continue;
    const QString name = QString("page%1.png").arg(++index, 3, 10, QChar('0'));
    if (!scanned_pages::MakePage(recipe).save(folder + "/" + name))
      return 1;
    out << name << '\t' << recipe.dpi << '\t' << recipe.clockwiseTurn << '\t' << recipe.skewDegrees
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
  PageCleaner cleaner(CleanupChoices{.upright = true, .deskew = true});
  while (!truth.atEnd()) {
    const QString name = QString::fromUtf8(truth.readLine()).section('\t', 0, 0);
    Bitmap page = scanned_pages::GreyBitmap(QImage(folder + "/" + name));
    const double start = ThreadMs();
    cleaner.Clean(page);
    const double ms = ThreadMs() - start;
    const PageCleanup done = cleaner.LastCleanup();
    std::printf("%s\t%d\t%.3f\t%.2f\n", qPrintable(name), done.clockwiseTurn, done.skewDegrees, ms);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  const QStringList args = application.arguments();
  if (args.size() >= 3 && args[1] == "--write")
    return WritePages(args[2], args.size() > 3 ? std::max(1, args[3].toInt()) : 12);
  if (args.size() >= 3 && args[1] == "--clean")
    return CleanPages(args[2]);
  const int perKind = argc > 1 ? std::max(1, std::atoi(argv[1])) : 12;
  PageCleaner cleaner(CleanupChoices{.skipBlank = true, .upright = true, .deskew = true});
  PageCleaner withoutUpright(CleanupChoices{.skipBlank = true, .deskew = true});
  Tally blank, content, text, text300, level300;
  {
    // The orientation model loads with the first page that needs it, an empty
    // ruled form; that is not a page's cost.
    for (Content content : {Content::Text, Content::Ruling}) {
      Bitmap warmUp = scanned_pages::GreyBitmap(
          scanned_pages::MakePage(Recipe{.content = content, .clockwiseTurn = 90}));
      cleaner.Clean(warmUp);
    }
  }
  long pageKb = 0;
  long extraKb = 0;        // pages the clean-up decides alone
  long engineExtraKb = 0;  // pages whose letters the recognition engine read
  for (const Recipe& recipe : Recipes(perKind)) {
    Bitmap page = scanned_pages::GreyBitmap(scanned_pages::MakePage(recipe));
    pageKb = std::max(pageKb, static_cast<long>(page.ByteCount() / 1024));
    const long beforeKb = ResetPeakKb();
    const double start = ThreadMs();
    cleaner.Clean(page);
    const double ms = ThreadMs() - start;
    const PageCleanup done = cleaner.LastCleanup();
    long& peakKb = done.askedEngine ? engineExtraKb : extraKb;
    const long pagePeakKb = StatusKb("VmHWM:") - beforeKb;
    peakKb = std::max(peakKb, pagePeakKb);
    Tally& tally = recipe.content == Content::Nothing ? blank
                   : recipe.content == Content::Text  ? text
                                                      : content;
    bool right = false;
    if (recipe.content == Content::Nothing) {
      right = done.blank;
    } else if (recipe.content != Content::Text) {
      // Kept, and left as scanned: nothing on it says which way is up, and
      // it was fed level.
      right = !done.blank && done.clockwiseTurn == 0 && done.skewDegrees == 0;
    } else {
      const double residual = std::abs(recipe.skewDegrees + done.skewDegrees);
      tally.worstSkew = std::max(tally.worstSkew, residual);
      right = !done.blank && done.clockwiseTurn == (360 - recipe.clockwiseTurn) % 360 &&
              residual <= 0.2;
      if (recipe.dpi == 300) {
        Bitmap again = scanned_pages::GreyBitmap(scanned_pages::MakePage(recipe));
        const double levelStart = ThreadMs();
        withoutUpright.Clean(again);
        const double levelMs = ThreadMs() - levelStart;
        ++level300.pages;
        level300.right += !withoutUpright.LastCleanup().blank;
        level300.sumMs += levelMs;
        level300.worstMs = std::max(level300.worstMs, levelMs);
        level300.ms.push_back(levelMs);
        ++text300.pages;
        text300.right += right;
        text300.sumMs += ms;
        text300.worstMs = std::max(text300.worstMs, ms);
        text300.askedEngine += done.askedEngine;
        text300.ms.push_back(ms);
      }
    }
    if (!right)
      std::printf("wrong: %s dpi %d seed %u turn %d skew %.2f -> blank %d turn %d skew %.2f\n",
                  Name(recipe), recipe.dpi, recipe.seed, recipe.clockwiseTurn, recipe.skewDegrees,
                  done.blank, done.clockwiseTurn, done.skewDegrees);
    if (std::getenv("CLEANUP_BENCH_VERBOSE"))
      std::printf("%s dpi %d turn %d skew %.2f -> turn %d skew %.2f engine %d  %.1f ms %ld kB\n",
                  Name(recipe), recipe.dpi, recipe.clockwiseTurn, recipe.skewDegrees,
                  done.clockwiseTurn, done.skewDegrees, done.askedEngine, ms, pagePeakKb);
    ++tally.pages;
    tally.right += right;
    tally.sumMs += ms;
    tally.worstMs = std::max(tally.worstMs, ms);
    tally.askedEngine += done.askedEngine;
    tally.ms.push_back(ms);
  }
  Print("blank pages found", blank);
  Print("content pages kept", content);
  Print("text upright and level", text);
  Print("text A4 300 dpi grey", text300);
  Print("  same, blank and skew only", level300);
  std::printf(
      "peak memory while cleaning, above the page itself: %ld kB, %ld kB when the engine read "
      "the page; largest page %ld kB\n",
      extraKb, engineExtraKb, pageKb);
  return 0;
}
