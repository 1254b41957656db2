#pragma once

#include <string>

#include "dsm/DibFormat.h"
#include "twain/TwainTypes.h"

// One entry of a source's transfer queue: a finished page, or how the batch
// ended when it did not end with an empty feeder.
struct PageOutcome {
  TW_HANDLE page = nullptr;  // owned while queued
  DibFormat format;
  TW_UINT16 returnCode = TWRC_XFERDONE;
  TW_UINT16 conditionCode = TWCC_SUCCESS;
  std::string reason;
};
