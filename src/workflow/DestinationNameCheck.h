#pragma once

#include <string>

// What is wrong with a destination name as typed, checked in this order.
enum class DestinationNameProblem {
  None,
  Empty,
  // One of \ / : * ? " < > | (archives are shared with Windows file systems).
  IllegalCharacters,
  // "." or "..": the document would land outside the destination folder.
  DotName,
};

// The name is UTF-8: every byte of a multi-byte character is 0x80 or above,
// so a byte-wise search meets only the nine ASCII characters themselves.
DestinationNameProblem CheckDestinationName(const std::string& name);
