#pragma once

#include <QString>
#include <QStringList>

// The user's guide: help/index.html beside the program, else in the installed
// data folder (share/docketeer/help), or the source tree's for a build.

// The places looked at, in order.
QStringList HelpIndexCandidates();
// The first candidate that exists; empty when none does.
QString FindHelpIndex();
// Opens the guide in the desktop's browser; false when it is missing or the
// browser cannot be started.
bool LaunchHelp();
