// Tells, for each folder given, whether claiming a name and the no-replace
// rename hold there, and which way the rename went: the file system's own
// no-replace flag or a hard link and an unlink.
//
//   claims_probe FOLDER...
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/claims/FileClaims.h"
#include "platform/claims/FileSystemKind.h"

namespace {

bool Probe(const std::string& folder) {
  const std::string base = folder + "/.claims-probe-" + std::to_string(::getpid());
  const std::string claimed = base + ".claim", source = base + ".new", taken = base + ".taken";
  bool ok = FileClaims::CreateEmptyFile(claimed, nullptr) == 0 &&
            FileClaims::CreateEmptyFile(claimed, nullptr) == EEXIST &&
            FileClaims::CreateFolder(base + ".dir") == 0 &&
            FileClaims::CreateFolder(base + ".dir") == EEXIST;
  std::ofstream(source) << "new";
  std::ofstream(taken) << "kept";
  FileClaims::RenameMethod used{};
  ok = ok && FileClaims::RenameNoReplace(source, taken, &used) == EEXIST;
  ok = ok && FileClaims::RenameNoReplace(source, base + ".free", &used) == 0;
  std::printf("%-28s %-6s claim and no-replace rename %s, rename by %s\n", folder.c_str(),
              FileSystemKindOf(folder) == FileSystemKind::Remote ? "remote" : "local",
              ok ? "hold" : "FAIL",
              used == FileClaims::RenameMethod::NoReplaceFlag ? "renameat2(RENAME_NOREPLACE)"
                                                              : "link + unlink");
  for (const char* suffix : {".claim", ".new", ".taken", ".free"})
    ::unlink((base + suffix).c_str());
  ::rmdir((base + ".dir").c_str());
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  bool ok = true;
  for (int i = 1; i < argc; ++i)
    ok = Probe(argv[i]) && ok;
  return ok ? 0 : 1;
}
