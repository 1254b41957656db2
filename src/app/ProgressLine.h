#pragma once

#include <string>

// A command's progress on standard error: one line rewritten in place when
// standard error is a terminal; nothing when it is not (a script's log keeps
// only the result and the failures) or with --quiet. Safe from any thread.
namespace ProgressLine {

void SetQuiet(bool quiet);
// Whether Show() writes anything.
bool Shown();
// Replaces the line with `text`.
void Show(const std::string& text);
// Clears the line, before any other output on standard error and at the end.
void End();

}  // namespace ProgressLine

// "Page 7 scanned · 5 read · 1 set aside": the parts that apply (`read` is -1
// when no text is recognised); "Scanning…" before the first page.
std::string ScanProgressText(int scanned, int read, int setAside);
// "Recognising text: page 3 of 10".
std::string RecognitionProgressText(int page, int pages);
