#include "search/IndexFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace {

bool AllPlainFiles(const fs::path& folder) {
  std::error_code error;
  for (fs::directory_iterator it(folder, error); !error && it != fs::directory_iterator();
       it.increment(error))
    if (!it->is_regular_file(error) || it->is_symlink(error))
      return false;
  return !error;
}

}  // namespace

bool IsOpenableDatabase(const std::string& database) {
  std::error_code error;
  return fs::is_directory(database, error) && AllPlainFiles(database);
}

std::optional<std::string> PrepareIndexFolder(const std::string& folder,
                                              const std::string& database) {
  std::error_code error;
  for (const std::string& path : {folder, database}) {
    const fs::file_status own = fs::symlink_status(path, error);
    if (fs::exists(own) && !fs::is_directory(fs::status(path, error)) && !fs::remove(path, error))
      return path + " is not a folder and cannot be removed: " + error.message();
    if (!fs::create_directories(path, error) && error)
      return path + ": " + error.message();
  }
  for (fs::directory_iterator it(database, error); !error && it != fs::directory_iterator();
       it.increment(error)) {
    std::error_code ignored;
    if ((!it->is_regular_file(ignored) || it->is_symlink(ignored)) &&
        !fs::remove_all(it->path(), ignored))
      return it->path().string() + " is not a plain file and cannot be removed";
  }
  if (error)
    return database + ": " + error.message();
  return std::nullopt;
}

bool CreateMarker(const std::string& file) {
  const int fd =
      ::open(file.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0)
    return false;
  ::close(fd);
  return true;
}

bool MarkerExists(const std::string& file) {
  std::error_code error;
  return fs::exists(fs::symlink_status(file, error));
}

bool RemoveMarker(const std::string& file) {
  std::error_code error;
  fs::remove(file, error);
  return !error;
}

std::string DatabaseFingerprint(const std::string& database) {
  std::set<std::string> lines;
  std::error_code error;
  for (fs::directory_iterator it(database, error); !error && it != fs::directory_iterator();
       it.increment(error)) {
    struct stat status {};
    if (::lstat(it->path().c_str(), &status) == 0)
      lines.insert(it->path().filename().string() + ' ' + std::to_string(status.st_size) + ' ' +
                   std::to_string(status.st_mtim.tv_sec) + '.' +
                   std::to_string(status.st_mtim.tv_nsec) + '\n');
  }
  std::string fingerprint;
  for (const std::string& line : lines)
    fingerprint += line;
  return fingerprint;
}

std::string ReadSmallFile(const std::string& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0)
    return {};
  std::string text;
  struct stat status {};
  if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size < (1 << 20)) {
    text.resize(static_cast<std::size_t>(status.st_size));
    const ssize_t got = ::read(fd, text.data(), text.size());
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  }
  ::close(fd);
  return text;
}

bool WriteSmallFile(const std::string& file, const std::string& text) {
  RemoveMarker(file);
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0)
    return false;
  const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  return ::close(fd) == 0 && written;
}
