// The library's one export: the TWAIN entry of the data source manager.
#include <chrono>
#include <memory>

#include "dsm/DataSourceManager.h"
#include "dsm/LibSaneApi.h"

namespace {

// What a process that ends with the manager still open waits for its scanner.
constexpr auto kShutdownBound = std::chrono::milliseconds(700);

// The library is linked never to be unloaded, so the manager ends when the
// process does, outside the loader's lock that SANE's own dlclose needs. A
// backend that does not let go in time is left behind with the manager.
struct ManagerHolder {
  DataSourceManager* manager = nullptr;
  ManagerHolder();
  ~ManagerHolder() {
    if (manager->Shutdown(kShutdownBound))
      delete manager;
  }
};

}  // namespace

extern "C" __attribute__((visibility("default"))) TW_UINT16 DSM_Entry(
    TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 dat,
    TW_UINT16 message, TW_MEMREF data) {
  static ManagerHolder holder;
  return holder.manager->Entry(origin, destination, group, dat, message, data);
}

ManagerHolder::ManagerHolder()
    : manager(new DataSourceManager(std::make_shared<LibSaneApi>(), &DSM_Entry)) {}
