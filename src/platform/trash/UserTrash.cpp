#include "platform/trash/UserTrash.h"

#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QString>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "core/DebugLog.h"

namespace fs = std::filesystem;

namespace {

bool MakeFolder(const std::string& path) {
  return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

// The trash holds only its owner's files: its folders are private.
bool MakeHomeTrash() {
  const std::string trash = HomeTrashFolder();
  if (trash.empty())
    return false;
  std::error_code error;
  fs::create_directories(fs::path(trash).parent_path(), error);
  return MakeFolder(trash) && MakeFolder(trash + "/files") && MakeFolder(trash + "/info");
}

// <trash>/files/<name>, where <trash> is the home trash "Trash" or a volume's
// ".Trash-<uid>" or ".Trash/<uid>".
bool IsInATrash(const fs::path& path) {
  if (!path.is_absolute() || path.parent_path().filename() != "files")
    return false;
  const fs::path trash = path.parent_path().parent_path();
  const std::string name = trash.filename().string();
  return name == "Trash" || name.starts_with(".Trash-") ||
         trash.parent_path().filename() == ".Trash";
}

// Undoes a move that did not reach a trash, with its stray record and folders.
void MoveBack(const fs::path& went, const std::string& path) {
  if (::rename(went.c_str(), path.c_str()) != 0) {
    Log(LOG_LOCATION, "MoveToUserTrash(): %s is left at %s", path.c_str(), went.c_str());
    return;
  }
  const fs::path files = went.parent_path();
  const fs::path info = files.parent_path() / "info";
  std::error_code error;
  fs::remove(info / (went.filename().string() + ".trashinfo"), error);
  fs::remove(files, error);  // only when empty
  fs::remove(info, error);
}

}  // namespace

std::string HomeTrashFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data != nullptr && data[0] == '/')
    return std::string(data) + "/Trash";
  // A daemon's user may have no home: then there is no home trash at all.
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/')
    return {};
  return std::string(home) + "/.local/share/Trash";
}

bool MoveToUserTrash(const std::string& path) {
  if (!MakeHomeTrash())
    Log(LOG_LOCATION, "MoveToUserTrash(): no home trash at %s", HomeTrashFolder().c_str());
  QString inTrash;
  if (!QFile::moveToTrash(QFile::decodeName(path.c_str()), &inTrash)) {
    Log(LOG_LOCATION, "MoveToUserTrash(%s): refused", path.c_str());
    return false;
  }
  const fs::path went(QFile::encodeName(inTrash).toStdString());
  std::error_code error;
  if (IsInATrash(went) && fs::exists(fs::symlink_status(went, error)))
    return true;
  Log(LOG_LOCATION, "MoveToUserTrash(%s): went to %s, not to a trash", path.c_str(), went.c_str());
  MoveBack(went, path);
  return false;
}
