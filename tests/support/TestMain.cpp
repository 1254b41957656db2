// The one main of every test executable: a private environment, then an
// offscreen QApplication, then GoogleTest.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::filesystem::path MakePrivateRoot() {
  std::string pattern = (std::filesystem::temp_directory_path() / "docketeer-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr)
    std::abort();
  return pattern;
}

void SetFolderVariable(const char* name, const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
  ::setenv(name, folder.c_str(), 1);
}

// Settings, logs, the trash and temporary files of a test never touch the
// real user's.
void IsolateEnvironment(const std::filesystem::path& root) {
  SetFolderVariable("HOME", root / "home");
  SetFolderVariable("XDG_CONFIG_HOME", root / "home/.config");
  SetFolderVariable("XDG_DATA_HOME", root / "home/.local/share");
  SetFolderVariable("XDG_CACHE_HOME", root / "home/.cache");
  SetFolderVariable("XDG_STATE_HOME", root / "home/.local/state");
  SetFolderVariable("XDG_RUNTIME_DIR", root / "runtime");
  SetFolderVariable("TMPDIR", root / "tmp");
  ::unsetenv("DOCKETEER_COMMON_DATA");
  ::unsetenv("DOCKETEER_DSM");
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path root = MakePrivateRoot();
  IsolateEnvironment(root);
  int status = 0;
  {
#ifdef DOCKETEER_TEST_WITHOUT_WIDGETS
    QCoreApplication app(argc, argv);  // what a program without widgets sees
#else
    QApplication app(argc, argv);
#endif
    QApplication::setOrganizationName("Ferncastle");
    QApplication::setApplicationName("Docketeer");
    ::testing::InitGoogleTest(&argc, argv);
    status = RUN_ALL_TESTS();
  }
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
  return status;
}
