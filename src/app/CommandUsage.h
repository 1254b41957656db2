#pragma once

#include <string>

// The usage text of a command ("scan", "next-name", "combine", "convert",
// "sources"), or of the program for any other name.
const char* CommandUsage(const std::string& command);

// Writes "docketeer: <message>" and the command's usage text to standard
// error; returns the bad-usage exit status.
int ReportBadUsage(const std::string& command, const std::string& message);
