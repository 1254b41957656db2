#pragma once

#include <string>
#include <vector>

// Where the files that come with the program are. Every place is found from
// the running executable's own folder, so an installed tree works wherever it
// was put (a package, a staging DESTDIR, another prefix), and a program run
// from its build folder finds the files of its source tree.
class InstallLayout {
 public:
  // The running executable's folder, with no trailing separator; empty when
  // the system cannot tell.
  static std::string ExecutableFolder();

  // share/docketeer of the installed tree, or the source tree's data folder
  // for a program that was not installed.
  static std::string DataFolder();
  // The document size catalogue shipped with the program; read, never written.
  static std::string DefaultDocumentSizesPath();
  // The folder of the user's guide (index.html).
  static std::string HelpFolder();
  // The folders the data source manager library is looked for in, in order:
  // beside the executable (a build folder), then the installed library folder.
  static std::vector<std::string> ManagerLibraryFolders();

  // The same places for an executable in the given folder.
  static std::string DataFolderFor(const std::string& executableFolder);
  static std::vector<std::string> ManagerLibraryFoldersFor(const std::string& executableFolder);
};
