#include "SaneTestConfig.h"

#include <dlfcn.h>

#include <QByteArray>
#include <QSettings>

#include <cstdlib>
#include <filesystem>
#include <fstream>

void WriteSaneTestConfig(const std::string& folder, const std::string& extraLines) {
  std::filesystem::create_directories(folder);
  std::ofstream(folder + "/dll.conf") << "test\n";
  std::ofstream(folder + "/test.conf") << "number_of_devices 2\n"
                                          "geometry_min 0.0\n"
                                          "geometry_max 400.0\n"
                                          "geometry_quant 0.0\n"
                                          "br_x 215.9\n"
                                          "br_y 297.0\n"
                                       << extraLines << "\n";
}

void UseSaneTestBackend(const std::string& extraLines) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "sane-config";
  WriteSaneTestConfig(folder.string(), extraLines);
  ::setenv("SANE_CONFIG_DIR", folder.c_str(), 1);
  // Kept loaded after sane_exit and after the manager library is unloaded, so
  // that what SANE keeps in its globals is not taken for a leak, and what the
  // test backend itself leaks is reported under its own name (suppressed below).
  ::dlopen("libsane.so.1", RTLD_NOW | RTLD_NODELETE);
  ::dlopen("/usr/lib/x86_64-linux-gnu/sane/libsane-test.so.1", RTLD_NOW | RTLD_NODELETE);
}

void UseNoSaneBackend() {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "sane-none";
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "dll.conf") << "\n";
  ::setenv("SANE_CONFIG_DIR", folder.c_str(), 1);
}

void SelectSaneTestFeeder() {
  QSettings().setValue("DataSourceManager/ScanSource/" + QByteArray("test:0").toHex(),
                       "Automatic Document Feeder");
}

extern "C" const char* __lsan_default_suppressions() {
  return "leak:libsane-test.so\n";
}
