#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "twain/TwainItems.h"

// Capability containers in global memory, items packed at their own size as
// the TWAIN standard lays them out. Each returns null when memory runs out.
TW_HANDLE MakeOneValue(TW_UINT16 itemType, TW_UINT32 item);
TW_HANDLE MakeArray(TW_UINT16 itemType, const std::vector<TW_UINT32>& items);
TW_HANDLE MakeEnumeration(TW_UINT16 itemType, const std::vector<TW_UINT32>& items,
                          TW_UINT32 currentIndex, TW_UINT32 defaultIndex);
TW_HANDLE MakeRange(TW_UINT16 itemType, TW_UINT32 minimum, TW_UINT32 maximum, TW_UINT32 step,
                    TW_UINT32 defaultValue, TW_UINT32 currentValue);

// The value an application sets: the item of a one-value container or the
// current item of an enumeration. Empty for anything else or a short block.
struct SetValue {
  TW_UINT16 itemType;
  TW_UINT32 item;
};
std::optional<SetValue> ReadSetValue(const TW_CAPABILITY& capability);
