#include "platform/InstallLayout.h"

#include <filesystem>
#include <system_error>

namespace {

// From the installed program's folder to its siblings under the same prefix,
// as the build configured them (GNU install folders, "../lib/docketeer" or
// "../lib/<multiarch>/docketeer", "../share/docketeer").
constexpr char kRelativeManagerFolder[] = DOCKETEER_RELATIVE_MANAGER_FOLDER;
constexpr char kRelativeDataFolder[] = DOCKETEER_RELATIVE_DATA_FOLDER;
constexpr char kSourceDataFolder[] = DOCKETEER_SOURCE_DATA_FOLDER;

std::string Below(const std::string& folder, const char* relative) {
  return (std::filesystem::path(folder) / relative).lexically_normal().string();
}

bool IsFolder(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

}  // namespace

std::string InstallLayout::ExecutableFolder() {
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : executable.parent_path().string();
}

std::string InstallLayout::DataFolderFor(const std::string& executableFolder) {
  if (!executableFolder.empty()) {
    const std::string installed = Below(executableFolder, kRelativeDataFolder);
    if (IsFolder(installed))
      return installed;
  }
  return kSourceDataFolder;
}

std::string InstallLayout::DataFolder() {
  return DataFolderFor(ExecutableFolder());
}

std::string InstallLayout::DefaultDocumentSizesPath() {
  return Below(DataFolder(), "DocumentSizes.txt");
}

std::string InstallLayout::HelpFolder() {
  return Below(DataFolder(), "help");
}

std::vector<std::string> InstallLayout::ManagerLibraryFoldersFor(
    const std::string& executableFolder) {
  if (executableFolder.empty())
    return {};
  return {executableFolder, Below(executableFolder, kRelativeManagerFolder)};
}

std::vector<std::string> InstallLayout::ManagerLibraryFolders() {
  return ManagerLibraryFoldersFor(ExecutableFolder());
}
