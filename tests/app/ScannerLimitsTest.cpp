#include <gtest/gtest.h>

#include "app/ScannerLimits.h"
#include "settings/DocumentSize.h"

namespace {

// Refused or not, before any page is scanned; the words are the program's own.
TEST(ScannerLimits, WhatTheScannerCannotDoIsRefused) {
  const ScannerLimits a4Glass{ScanAreaSize{8500, 11692}, ResolutionRange{50, 1200}};
  const struct {
    const char* name;
    DocumentSize size;
    int resolution;
    ScannerLimits limits;
    bool refused;
  } cases[] = {
      {"A4 on an A4 glass read a hair short", DocumentSize("A4", 8268, 11693), 300, a4Glass, false},
      {"Legal on an A4 glass", DocumentSize("Legal", 8500, 14000), 300, a4Glass, true},
      {"wider than the glass", DocumentSize("Wide", 9000, 5000), 300, a4Glass, true},
      {"a glass that does not tell", DocumentSize("Legal", 8500, 14000), 300, {}, false},
      {"the highest resolution", DocumentSize("A4", 8268, 11693), 1200, a4Glass, false},
      {"above the highest", DocumentSize("A4", 8268, 11693), 1201, a4Glass, true},
      {"below the lowest", DocumentSize("A4", 8268, 11693), 49, a4Glass, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RefuseForScanner(c.size, c.resolution, c.limits).has_value(), c.refused) << c.name;
  EXPECT_TRUE(RefuseDocumentSize(DocumentSize("Nothing", 0, 0)));
  EXPECT_TRUE(RefuseDocumentSize(DocumentSize("Line", 8500, 0)));
  EXPECT_FALSE(RefuseDocumentSize(DocumentSize("Letter", 8500, 11000)));
}

}  // namespace
