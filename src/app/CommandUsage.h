#pragma once

#include <string>

// The usage text of a command ("scan", "next-name", "combine", "convert",
// "sources"), or of the program for any other name.
const char* CommandUsage(const std::string& command);

// "docketeer: <message>; see docketeer <command> --help": one line, so the
// message is not lost above the whole usage text. An empty command points to
// the program's help.
std::string BadUsageLine(const std::string& command, const std::string& message);

// Writes BadUsageLine() to standard error; returns the bad-usage exit status.
int ReportBadUsage(const std::string& command, const std::string& message);
