// Capability containers come from a scanner driver: whatever bytes and sizes
// it hands back must be read within the block or refused, never overrun.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/ContractError.h"
#include "twain/CapabilityContainer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4)
    return 0;
  const auto containerType = static_cast<TW_UINT16>(3 + data[0] % 5);
  const auto expectedType = static_cast<TW_UINT16>(data[1] % 14);
  // An exact-size copy, so reading past the end is caught by the sanitizer.
  const std::vector<std::uint8_t> container(data + 2, data + size);
  try {
    ReadCapabilityItem(container.data(), container.size(), containerType, expectedType);
  } catch (const contract_error&) {
  }
  return 0;
}
