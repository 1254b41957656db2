#pragma once

#include <QString>
#include <QStringList>

// The user's guide: data/help/index.html, installed beside the program or
// taken from the source tree of a build.

// The places looked at, in order.
QStringList HelpIndexCandidates();
// The first candidate that exists; empty when none does.
QString FindHelpIndex();
// Opens the guide in the desktop's browser; false when it is missing or the
// browser cannot be started.
bool LaunchHelp();
