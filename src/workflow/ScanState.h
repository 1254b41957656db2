#pragma once

// Where the scan of a document stands between the scan command and its end.
enum class ScanState {
  Idle,      // no page scan under way
  Scanning,  // a page scan was started and its outcome has not arrived
  // Offered pages are being written while the scan goes on (the progress
  // dialog runs its own event loop); an outcome that arrives meanwhile is
  // remembered and handled once the pages are on disk.
  Saving,
  SavingThenComplete,
  SavingThenCancelled,
  SavingThenFailed,
  Ending,  // the outcome is being handled: the last pages are written
};

// What moves the state on.
enum class ScanEvent {
  Start,        // a page scan starts
  SourceLetGo,  // the source ended the scan without telling (its window was closed)
  PageOffered,  // the save loop starts on the pages offered
  PagesSaved,   // the save loop took everything offered
  Completed,    // the source's outcomes
  Cancelled,
  Failed,
  Ended,  // the outcome's last pages are written
};

// The one table of moves; an illegal move fails an invariant check. An
// outcome while Idle or Ending leaves the state as it is: the first belongs
// to no scan, the second to the scan already being ended.
ScanState NextScanState(ScanState from, ScanEvent event);

// Offered pages are being written while the scan goes on.
bool IsSavingState(ScanState state);
