#pragma once

#include <string_view>

#include "naming/FileNameFormat.h"

// The words a format puts into a name, and how its index is found and written.
// Each value must lie in its enumeration's range (contract check).

std::string_view RecurrenceWord(RecurrenceType recurrence);
std::string_view ItemWord(ItemType item);
std::string_view RelationWord(RelationType relation);

// The placeholder a new format shows for its index, such as "yyyy-mm".
std::string_view IndexWord(IndexType index);

// The pattern whose first group finds the index inside a name; empty for NoIndex.
std::string_view IndexPattern(IndexType index);

// The number of digits of a counter index; 0 for the other index types.
int CounterWidth(IndexType index);
