#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "naming/PatternProgram.h"

// Turns the text of a pattern into a program for PatternInterpreter. Parsing
// descends into groups, but nesting is bounded, so no pattern can exhaust the
// call stack.
class PatternCompiler {
 public:
  // Compiles `pattern` into `program` (left empty on failure).
  static PatternError Compile(std::string_view pattern, bool caseSensitive,
                              PatternProgram& program);

 private:
  PatternCompiler(std::string_view source, PatternProgram& program, bool caseSensitive,
                  bool topLevel, int depth);

  // Each Parse function emits code at the end of the program and returns
  // whether what it compiled can match the empty text.
  bool ParseSequence();
  bool ParseTerm();
  bool ParseQuantified();
  bool ParseAtom();
  bool ParseNestedAtom(char opener);
  bool ParseGroup();
  bool ParseNegation();
  bool ParseEscape();
  bool ParseBackReference();
  bool ParseBuiltIn(std::string_view subPattern);
  void ParseClass();
  unsigned char ReadClassCharacter();

  void FindFirstBytes();
  void EmitAlternation(std::size_t leftStart, std::size_t rightStart);
  void EmitRepetition(std::size_t start, char quantifier, bool lazy);
  void Emit(PatternOp op, int a = 0, int b = 0);
  void Insert(std::size_t at, PatternOp op, int a = 0, int b = 0);
  int FragmentLength(std::size_t start) const;

  bool AtEnd() const { return position_ >= source_.size(); }
  char Peek() const { return source_[position_]; }
  char Next() { return source_[position_++]; }
  bool AtCloser() const;
  void Expect(char closer, PatternError error);
  [[noreturn]] static void Fail(PatternError error);

  std::string_view source_;
  std::size_t position_ = 0;
  PatternProgram& program_;
  bool caseSensitive_;
  bool topLevel_;
  int depth_;
  // Whether each closed group can match the empty text; open groups count as
  // able to, which is the safe answer for back-references into them.
  std::vector<bool>* groupCanBeEmpty_;
  std::vector<bool> ownGroupCanBeEmpty_;
};
