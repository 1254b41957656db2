#pragma once

#include <string>

// The libraries' and the system's own words for why imaging work failed,
// gathered per thread: the image libraries report through callbacks that
// cannot return them with a status. A caller clears the record before an
// operation and reads it after a failure.
void ClearImagingErrorText();
// Adds a message (a repeat of the last one is dropped); the record keeps the
// first few hundred characters, where the cause is.
void RecordImagingError(const std::string& message);
// Adds the system's text for an errno value; 0 adds nothing.
void RecordSystemError(int errorNumber);
// The messages since the last clear, joined by "; "; empty when none.
std::string ImagingErrorText();
