#include "app/ProgressLine.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <mutex>

namespace {

std::atomic<bool> gQuiet{false};
std::mutex gMutex;
bool gOpen = false;  // guarded by gMutex
std::string gText;   // guarded by gMutex

// Back to the start of the line, and the rest of it erased.
constexpr char kClear[] = "\r\033[K";

}  // namespace

namespace ProgressLine {

void SetQuiet(bool quiet) {
  gQuiet.store(quiet);
}

bool Shown() {
  static const bool terminal = ::isatty(STDERR_FILENO) == 1;
  return terminal && !gQuiet.load();
}

void Show(const std::string& text) {
  if (!Shown())
    return;
  const std::lock_guard lock(gMutex);
  if (gOpen && text == gText)
    return;
  std::fprintf(stderr, "%s%s", kClear, text.c_str());
  std::fflush(stderr);
  gOpen = true;
  gText = text;
}

void End() {
  const std::lock_guard lock(gMutex);
  if (!gOpen)
    return;
  std::fputs(kClear, stderr);
  std::fflush(stderr);
  gOpen = false;
  gText.clear();
}

}  // namespace ProgressLine

std::string ScanProgressText(int scanned, int read, int setAside) {
  if (scanned == 0)
    return "Scanning…";
  std::string text = "Page " + std::to_string(scanned) + " scanned";
  if (read >= 0)
    text += " · " + std::to_string(read) + " read";
  if (setAside > 0)
    text += " · " + std::to_string(setAside) + " set aside";
  return text;
}

std::string RecognitionProgressText(int page, int pages) {
  return "Recognising text: page " + std::to_string(page) + " of " + std::to_string(pages);
}
