#pragma once

// The user's choice between the pages of a multi-page document.
enum ScanNextPageChoice : int {
  SCAN_NEXT_PAGE = 0,
  RESCAN_LAST_PAGE = 1,
  CANCEL_SCAN = 2,
  DONE_SCANNING = 3,
};
