#pragma once

#include <sane/sane.h>

// Stands between the scanner manager and SANE's sane_start, so a test or a
// benchmark can make a real backend's feeder jam or run dry at a chosen sheet.
// The program must export its symbols (ENABLE_EXPORTS) for the stand-in to be
// the sane_start that the manager library binds to.

// From now on, the `call`th sane_start (counted from 1) and every later one
// answer `status` without reaching the backend; SANE_STATUS_GOOD clears it.
void FailSaneStartFrom(int call, SANE_Status status);
