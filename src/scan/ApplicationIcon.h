#pragma once

#include <QIcon>

// The program's icon: a filing folder with a sheet of paper, drawn at the
// sizes window systems ask for, so it stays sharp on high-density screens.
QIcon ApplicationIcon();
