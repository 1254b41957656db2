#pragma once

#include <bitset>
#include <cstdint>
#include <vector>

// Why a pattern did not compile; the values are part of the matcher's contract.
enum class PatternError : int {
  None = 0,
  OutOfMemory = 1,
  MissingClosingBrace = 2,
  MissingClosingParenthesis = 3,
  MissingClosingBracket = 4,
  BuiltInPatternFailed = 5,
  EmptyClass = 6,
  UnknownGroup = 7,
  ReversedRange = 8,
  RepeatedEmptyMatch = 9,
  NoPattern = 10,
};

enum class PatternOp : std::uint8_t {
  Char,             // a: the byte
  Any,              // any byte, not the end
  Class,            // a: index into classes
  Split,            // try pc + a first, then pc + b
  Jump,             // continue at pc + a
  GroupStart,       // a: group number
  GroupEnd,         // a: group number
  BackReference,    // a: group number
  AtEnd,            // the end of the text
  NegationBegin,    // the body follows; pc + a continues when the body fails
  NegationMatched,  // the body matched, so the negation fails
  Matched,
};

// Jump offsets are relative to the instruction, so a compiled fragment can be
// moved when a quantifier or bar is put in front of it.
struct PatternInstruction {
  PatternOp op = PatternOp::Matched;
  std::int32_t a = 0;
  std::int32_t b = 0;
};

struct PatternProgram {
  std::vector<PatternInstruction> code;
  std::vector<std::bitset<256>> classes;
  int groupCount = 0;
  bool anchored = false;
  // When every match must begin with one of these bytes, the search skips the
  // other start positions without running the program.
  std::bitset<256> firstBytes;
  bool hasFirstBytes = false;
};
