// The library's one export: the TWAIN entry of the data source manager.
#include <memory>

#include "dsm/DataSourceManager.h"
#include "dsm/LibSaneApi.h"

extern "C" __attribute__((visibility("default"))) TW_UINT16 DSM_Entry(
    TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 dat,
    TW_UINT16 message, TW_MEMREF data) {
  static DataSourceManager manager(std::make_shared<LibSaneApi>(), &DSM_Entry);
  return manager.Entry(origin, destination, group, dat, message, data);
}
