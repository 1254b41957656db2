#pragma once

#include <string>

// The home trash: $XDG_DATA_HOME/Trash, or ~/.local/share/Trash; empty without a home.
std::string HomeTrashFolder();

// Moves the file or folder `path` to the desktop's trash. The home trash's
// folders are made when missing (a fresh account, a daemon's user), and the
// file must end up in a trash: Qt's move takes "files/" and "info/" below the
// current folder when the data folder is missing, and calls that success.
// False, with the file back where it was, when no trash takes it.
bool MoveToUserTrash(const std::string& path);
