#include "naming/PatternInterpreter.h"

#include "core/ContractChecks.h"
#include "naming/GrowableArray.h"

PatternInterpreter::PatternInterpreter(const PatternProgram& program, std::string_view text,
                                       std::uint64_t stepLimit)
    : program_(program), text_(text), stepsLeft_(stepLimit) {}

std::optional<std::size_t> PatternInterpreter::RunAt(std::size_t start) {
  groups_.assign(static_cast<std::size_t>(program_.groupCount), MatchSpan{});
  stack_.clear();
  pc_ = 0;
  position_ = start;
  while (stepsLeft_ > 0) {
    --stepsLeft_;
    switch (Execute(program_.code[static_cast<std::size_t>(pc_)])) {
      case Outcome::Continue:
        break;
      case Outcome::Success:
        return position_;
      case Outcome::Fail:
        if (!Backtrack())
          return std::nullopt;
        break;
    }
  }
  return std::nullopt;
}

PatternInterpreter::Outcome PatternInterpreter::Execute(const PatternInstruction& instruction) {
  const bool atEnd = position_ >= text_.size();
  const auto current = atEnd ? 0u : static_cast<unsigned char>(text_[position_]);
  switch (instruction.op) {
    case PatternOp::Char:
      return Advance(!atEnd && current == static_cast<unsigned>(instruction.a));
    case PatternOp::Any:
      return Advance(!atEnd);
    case PatternOp::Class:
      return Advance(!atEnd && program_.classes[static_cast<std::size_t>(instruction.a)][current]);
    case PatternOp::Split:
      Push(FrameKind::Retry, pc_ + instruction.b);
      pc_ += instruction.a;
      return Outcome::Continue;
    case PatternOp::Jump:
      pc_ += instruction.a;
      return Outcome::Continue;
    case PatternOp::GroupStart:
      SetGroup(instruction.a, {position_, MatchSpan::npos});
      return Outcome::Continue;
    case PatternOp::GroupEnd:
      SetGroup(instruction.a, {groups_[static_cast<std::size_t>(instruction.a)].start, position_});
      return Outcome::Continue;
    case PatternOp::BackReference:
      return BackReferenceMatches(instruction.a) ? Outcome::Continue : Outcome::Fail;
    case PatternOp::AtEnd:
      if (!atEnd)
        return Outcome::Fail;
      ++pc_;
      return Outcome::Continue;
    case PatternOp::NegationBegin:
      Push(FrameKind::NegationBarrier, pc_ + instruction.a);
      ++pc_;
      return Outcome::Continue;
    case PatternOp::NegationMatched:
      CutToNegationBarrier();
      return Outcome::Fail;
    case PatternOp::Matched:
      return Outcome::Success;
  }
  return Outcome::Fail;
}

PatternInterpreter::Outcome PatternInterpreter::Advance(bool accepted) {
  if (!accepted)
    return Outcome::Fail;
  ++position_;
  ++pc_;
  return Outcome::Continue;
}

// Compares the group's text with the input here and steps over it.
bool PatternInterpreter::BackReferenceMatches(int group) {
  const MatchSpan span = groups_[static_cast<std::size_t>(group)];
  if (!span.Matched())
    return false;
  const std::string_view captured = text_.substr(span.start, span.Length());
  if (text_.substr(position_, captured.size()) != captured)
    return false;
  position_ += captured.size();
  ++pc_;
  return true;
}

// The previous positions go on the stack so that backtracking restores them.
void PatternInterpreter::SetGroup(int group, MatchSpan span) {
  MatchSpan& slot = groups_[static_cast<std::size_t>(group)];
  Push(FrameKind::RestoreGroup, pc_, group, slot);
  slot = span;
  ++pc_;
}

// The negated atom matched: drop its alternatives and undo its groups, so the
// negation fails as a whole.
void PatternInterpreter::CutToNegationBarrier() {
  while (true) {
    CheckInvariant(CONTRACT_LOCATION, !stack_.empty());
    const Frame frame = stack_.back();
    stack_.pop_back();
    if (frame.kind == FrameKind::NegationBarrier)
      return;
    if (frame.kind == FrameKind::RestoreGroup) {
      groups_[static_cast<std::size_t>(frame.group)] = frame.saved;
    }
  }
}

// Unwinds to the most recent point that can resume. Reaching a negation's
// barrier means its atom could not match, so the negation succeeds there.
bool PatternInterpreter::Backtrack() {
  while (!stack_.empty()) {
    const Frame frame = stack_.back();
    stack_.pop_back();
    if (frame.kind == FrameKind::RestoreGroup) {
      groups_[static_cast<std::size_t>(frame.group)] = frame.saved;
      continue;
    }
    pc_ = frame.pc;
    position_ = frame.position;
    return true;
  }
  return false;
}

void PatternInterpreter::Push(FrameKind kind, int pc, int group, MatchSpan saved) {
  AppendGrowing(stack_, Frame{kind, group, pc, position_, saved});
}
