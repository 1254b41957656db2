#pragma once

#include <string>

// The debug log: one plain-text line per call in
// <temporary folder>/Docketeer/Docketeer.log, each line also on standard error.
// Nothing is written before OpenDebugLog() has succeeded.

struct LogLocation {
  int line;
  const char* file;
};

#define LOG_LOCATION (LogLocation{__LINE__, __FILE_NAME__})

// Formats one line: "<file> (<line>) : <message>\r\n". A message that starts with
// "$" gets a blank instead and no prefix; a format that starts with a line feed
// writes an empty line first. Safe from any thread: each line is one write(2).
void Log(const LogLocation& location, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// 0 until the log is open, 255 from then on.
int LogLevel();

// The temporary folder with its trailing separator ("/" when none is known).
std::string TempFolder();
std::string LogFolder();
std::string LogFilePath();

// Creates the log folder, replaces the previous log and writes the start
// banner. Returns false when the log file cannot be opened.
bool OpenDebugLog();

// Closes the log file; later calls of Log write nothing.
void CloseDebugLog();

// Whether each line is also written to standard error (the default). The
// command line turns it off so its own messages stay readable; the file keeps
// every line.
void SetLogEcho(bool echo);
