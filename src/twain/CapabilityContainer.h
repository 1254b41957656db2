#pragma once

#include <cstddef>
#include <vector>

#include "twain/TwainItems.h"

// Reads the one item a capability get delivers from its locked container:
// the value of a one-value, the first item of an array or enumeration (zero
// when it has none), the minimum of a range. The item is zero-extended from
// its own width, so a 16-bit item never carries its neighbour in the high half.
//
// An unknown container type, an item type other than `expectedType`, an item
// wider than 32 bits, or a container smaller than it claims to be is a
// postcondition failure.
TW_UINT32 ReadCapabilityItem(const void* container, std::size_t size, TW_UINT16 containerType,
                             TW_UINT16 expectedType);

// Every value a capability get offers: the items of an array or enumeration,
// the minimum and maximum of a range, the value of a one-value. The same
// checks as above; a list longer than its block is a postcondition failure.
std::vector<TW_UINT32> ReadCapabilityItems(const void* container, std::size_t size,
                                           TW_UINT16 containerType, TW_UINT16 expectedType);
