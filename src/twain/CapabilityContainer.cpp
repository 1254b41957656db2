#include "twain/CapabilityContainer.h"

#include <cstring>

#include "core/ContractChecks.h"

namespace {

// Reads `bytes` little-endian bytes at `offset`, after checking they lie
// inside the block.
TW_UINT32 ReadWord(const void* container, std::size_t size, std::size_t offset, std::size_t bytes) {
  CheckPostcondition(CONTRACT_LOCATION, offset <= size && bytes <= size - offset);
  TW_UINT32 word = 0;
  std::memcpy(&word, static_cast<const unsigned char*>(container) + offset, bytes);
  return word;
}

TW_UINT32 ReadList(const void* container, std::size_t size, std::size_t countOffset,
                   std::size_t listOffset, std::size_t itemSize) {
  const TW_UINT32 count = ReadWord(container, size, countOffset, sizeof(TW_UINT32));
  if (count == 0)
    return 0;
  return ReadWord(container, size, listOffset, itemSize);
}

}  // namespace

TW_UINT32 ReadCapabilityItem(const void* container, std::size_t size, TW_UINT16 containerType,
                             TW_UINT16 expectedType) {
  const auto itemType = static_cast<TW_UINT16>(ReadWord(container, size, 0, sizeof(TW_UINT16)));
  CheckPostcondition(CONTRACT_LOCATION, itemType == expectedType);
  const std::size_t itemSize = CapabilityItemSize(itemType);
  CheckPostcondition(CONTRACT_LOCATION, itemSize != 0);
  switch (containerType) {
    case TWON_ARRAY:
      return ReadList(container, size, offsetof(TW_ARRAY, NumItems), offsetof(TW_ARRAY, ItemList),
                      itemSize);
    case TWON_ENUMERATION:
      // The first item, not the one at CurrentIndex: the physical size
      // readers have always been given the first.
      return ReadList(container, size, offsetof(TW_ENUMERATION, NumItems),
                      offsetof(TW_ENUMERATION, ItemList), itemSize);
    case TWON_ONEVALUE:
      return ReadWord(container, size, offsetof(TW_ONEVALUE, Item), itemSize);
    case TWON_RANGE:
      return ReadWord(container, size, offsetof(TW_RANGE, MinValue), itemSize);
    default:
      CheckPostcondition(CONTRACT_LOCATION, false);
      return 0;
  }
}

std::vector<TW_UINT32> ReadCapabilityItems(const void* container, std::size_t size,
                                           TW_UINT16 containerType, TW_UINT16 expectedType) {
  const auto itemType = static_cast<TW_UINT16>(ReadWord(container, size, 0, sizeof(TW_UINT16)));
  CheckPostcondition(CONTRACT_LOCATION, itemType == expectedType);
  const std::size_t itemSize = CapabilityItemSize(itemType);
  CheckPostcondition(CONTRACT_LOCATION, itemSize != 0);
  std::size_t countOffset = 0;
  std::size_t listOffset = 0;
  switch (containerType) {
    case TWON_ONEVALUE:
      return {ReadWord(container, size, offsetof(TW_ONEVALUE, Item), itemSize)};
    case TWON_RANGE:
      return {ReadWord(container, size, offsetof(TW_RANGE, MinValue), itemSize),
              ReadWord(container, size, offsetof(TW_RANGE, MaxValue), itemSize)};
    case TWON_ARRAY:
      countOffset = offsetof(TW_ARRAY, NumItems);
      listOffset = offsetof(TW_ARRAY, ItemList);
      break;
    case TWON_ENUMERATION:
      countOffset = offsetof(TW_ENUMERATION, NumItems);
      listOffset = offsetof(TW_ENUMERATION, ItemList);
      break;
    default:
      CheckPostcondition(CONTRACT_LOCATION, false);
      return {};
  }
  const TW_UINT32 count = ReadWord(container, size, countOffset, sizeof(TW_UINT32));
  // Checked before anything is reserved, so a lying count costs nothing.
  CheckPostcondition(CONTRACT_LOCATION,
                     listOffset <= size && count <= (size - listOffset) / itemSize);
  std::vector<TW_UINT32> items;
  for (TW_UINT32 i = 0; i < count; ++i)
    items.push_back(ReadWord(container, size, listOffset + i * itemSize, itemSize));
  return items;
}
