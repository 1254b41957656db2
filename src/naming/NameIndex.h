#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "naming/FileNameFormat.h"

// The index at the end of a name (date, period or counter): its first value in
// a new series, and the value that follows one read from an existing name.

// Today's date, year and quarter or half, or the counter 1, in the output form
// of the format's index type.
std::string FirstIndexValue(const FileNameFormat& format);

// The value after `match` (the text the index pattern found; for a counter the
// whole run of digits there), stepped by the format's recurrence; nothing when
// `match` cannot be read.
std::optional<std::string> NextIndexValue(const FileNameFormat& format, std::string_view match);
