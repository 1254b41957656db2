#include "workflow/ScanState.h"

#include "core/ContractChecks.h"

namespace {

ScanState SavingThen(ScanEvent outcome) {
  switch (outcome) {
    case ScanEvent::Completed:
      return ScanState::SavingThenComplete;
    case ScanEvent::Cancelled:
      return ScanState::SavingThenCancelled;
    default:
      return ScanState::SavingThenFailed;
  }
}

}  // namespace

bool IsSavingState(ScanState state) {
  return state == ScanState::Saving || state == ScanState::SavingThenComplete ||
         state == ScanState::SavingThenCancelled || state == ScanState::SavingThenFailed;
}

ScanState NextScanState(ScanState from, ScanEvent event) {
  switch (event) {
    case ScanEvent::Start:
      if (from == ScanState::Idle)
        return ScanState::Scanning;
      break;
    case ScanEvent::SourceLetGo:
    case ScanEvent::PageOffered:
      if (from == ScanState::Scanning)
        return event == ScanEvent::PageOffered ? ScanState::Saving : ScanState::Idle;
      break;
    case ScanEvent::PagesSaved:
      if (IsSavingState(from))
        return ScanState::Scanning;
      break;
    case ScanEvent::Completed:
    case ScanEvent::Cancelled:
    case ScanEvent::Failed:
      // A later outcome replaces one that is already waiting.
      if (IsSavingState(from))
        return SavingThen(event);
      if (from == ScanState::Scanning)
        return event == ScanEvent::Cancelled ? ScanState::Idle : ScanState::Ending;
      return from;
    case ScanEvent::Ended:
      if (from == ScanState::Ending)
        return ScanState::Idle;
      break;
  }
  CheckInvariant(CONTRACT_LOCATION, false);
  return from;
}
