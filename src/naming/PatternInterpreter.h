#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "naming/MatchContext.h"
#include "naming/PatternProgram.h"

// Runs a compiled pattern at one position of a text. Backtracking uses an
// explicit stack instead of recursion, so long texts cannot exhaust the call
// stack.
class PatternInterpreter {
 public:
  // `stepLimit` bounds the instructions executed over all runs; patterns that
  // backtrack exponentially give up instead of hanging.
  PatternInterpreter(const PatternProgram& program, std::string_view text, std::uint64_t stepLimit);

  // The end of the first match starting at `start` in backtracking order.
  std::optional<std::size_t> RunAt(std::size_t start);

  bool StepLimitReached() const { return stepsLeft_ == 0; }

  // The groups of the last successful run.
  const std::vector<MatchSpan>& Groups() const { return groups_; }

 private:
  enum class FrameKind : unsigned char { Retry, RestoreGroup, NegationBarrier };

  // Retry and NegationBarrier resume at (pc, position); RestoreGroup puts
  // `saved` back into `group` while unwinding.
  struct Frame {
    FrameKind kind;
    int group;
    int pc;
    std::size_t position;
    MatchSpan saved;
  };

  enum class Outcome { Continue, Fail, Success };

  Outcome Execute(const PatternInstruction& instruction);
  Outcome Advance(bool accepted);
  bool BackReferenceMatches(int group);
  void SetGroup(int group, MatchSpan span);
  void CutToNegationBarrier();
  bool Backtrack();
  void Push(FrameKind kind, int pc, int group = 0, MatchSpan saved = {});

  const PatternProgram& program_;
  std::string_view text_;
  std::vector<Frame> stack_;
  std::vector<MatchSpan> groups_;
  int pc_ = 0;
  std::size_t position_ = 0;
  std::uint64_t stepsLeft_;
};
