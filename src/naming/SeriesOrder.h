#pragma once

#include <string>
#include <string_view>

#include "naming/FileNameFormat.h"

// Of two names of one folder's series, the one further along: when stepping
// `format` from either reaches the other within `maxSteps`, the one reached;
// otherwise (names of another series, typed by hand) `mine`.
std::string LaterInSeries(const FileNameFormat& format, const std::string& mine,
                          const std::string& theirs, int maxSteps = 512);
