#include <gtest/gtest.h>

#include "core/ContractError.h"
#include "workflow/ScanState.h"

namespace {

using S = ScanState;
using E = ScanEvent;

struct Move {
  S from;
  E event;
  S to;
};

// A document of two page scans, the second ended while its pages were written.
TEST(ScanStateTest, TheMovesOfADocument) {
  const Move moves[] = {
      {S::Idle, E::Start, S::Scanning},
      {S::Scanning, E::PageOffered, S::Saving},
      {S::Saving, E::PagesSaved, S::Scanning},
      {S::Scanning, E::Completed, S::Ending},
      {S::Ending, E::Ended, S::Idle},
      {S::Idle, E::Start, S::Scanning},
      {S::Scanning, E::PageOffered, S::Saving},
      {S::Saving, E::Completed, S::SavingThenComplete},
      // A later outcome replaces the one waiting.
      {S::SavingThenComplete, E::Failed, S::SavingThenFailed},
      {S::SavingThenFailed, E::Cancelled, S::SavingThenCancelled},
      {S::SavingThenCancelled, E::PagesSaved, S::Scanning},
      {S::Scanning, E::Cancelled, S::Idle},
      {S::Idle, E::Start, S::Scanning},
      {S::Scanning, E::Failed, S::Ending},
      // Outcomes of no scan, or of the one being ended, change nothing.
      {S::Ending, E::Completed, S::Ending},
      {S::Ending, E::Cancelled, S::Ending},
      {S::Idle, E::Failed, S::Idle},
      {S::Idle, E::Completed, S::Idle},
      {S::Idle, E::Cancelled, S::Idle},
      {S::Idle, E::Start, S::Scanning},
      {S::Scanning, E::SourceLetGo, S::Idle},
  };
  for (const Move& move : moves) {
    SCOPED_TRACE(static_cast<int>(move.from) * 100 + static_cast<int>(move.event));
    EXPECT_EQ(NextScanState(move.from, move.event), move.to);
  }
}

TEST(ScanStateTest, IllegalMovesAreRefused) {
  const std::pair<S, E> illegal[] = {
      {S::Scanning, E::Start},    {S::Saving, E::Start},           {S::Ending, E::Start},
      {S::Idle, E::PageOffered},  {S::Saving, E::PageOffered},     {S::Idle, E::PagesSaved},
      {S::Ending, E::PagesSaved}, {S::Saving, E::SourceLetGo},     {S::Idle, E::SourceLetGo},
      {S::Scanning, E::Ended},    {S::SavingThenFailed, E::Ended},
  };
  for (const auto& [from, event] : illegal) {
    SCOPED_TRACE(static_cast<int>(from) * 100 + static_cast<int>(event));
    EXPECT_THROW(NextScanState(from, event), invariant_error);
  }
}

}  // namespace
