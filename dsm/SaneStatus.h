#pragma once

#include <sane/sane.h>

#include "twain/TwainTypes.h"

// SANE's answer to TWAIN's: a cancelled scan is TWRC_CANCEL, every other
// failure TWRC_FAILURE with the nearest condition code.
struct TwainOutcome {
  TW_UINT16 returnCode;
  TW_UINT16 conditionCode;
};

TwainOutcome TwainOutcomeFor(SANE_Status status);

// A short English name for the log, without asking the backend.
const char* SaneStatusName(SANE_Status status);
