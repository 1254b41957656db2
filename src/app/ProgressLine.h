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
