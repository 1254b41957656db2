#pragma once

#include <string>

class FileNameFormat;

// A name in a series is its stem: "001" is taken by 001.pdf, 001.jpg or a
// folder 001 alike, so scans in different formats never share a number.
bool IsStemTaken(const std::string& folder, const std::string& name);

// `name`, or the first name after it along `series` that no document and no
// scan in progress holds; empty when the series cannot move on. `folder` ends in "/".
std::string FirstFreeInSeries(const std::string& folder, const FileNameFormat& series,
                              std::string name);
