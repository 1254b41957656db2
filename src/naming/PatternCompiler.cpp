#include "naming/PatternCompiler.h"

#include <algorithm>
#include <new>
#include <utility>

#include "naming/AsciiCase.h"
#include "naming/GrowableArray.h"

namespace {

// Deeper nesting than this is refused as if memory had run out; real patterns
// nest two or three levels.
constexpr int kMaxNesting = 200;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

struct CompileFailure {
  PatternError error;
};

struct BuiltIn {
  char letter;
  std::string_view subPattern;
};

// Each is compiled as one atom, so a quantifier after the escape applies to all of it.
constexpr BuiltIn kBuiltIns[] = {
    {'a', "([a-zA-Z0-9])"},
    {'b', "([ \t])"},
    {'c', "([a-zA-Z])"},
    {'d', "([0-9])"},
    {'h', "([0-9a-fA-F])"},
    {'n', "((\r\n)|\r|\n)"},
    {'q', "((\"[^\"]*\")|('[^']*'))"},
    {'w', "([a-zA-Z]+)"},
    {'z', "([0-9]+)"},
};

}  // namespace

PatternError PatternCompiler::Compile(std::string_view pattern, bool caseSensitive,
                                      PatternProgram& program) {
  program = PatternProgram{};
  if (pattern.empty())
    return PatternError::NoPattern;
  try {
    const std::string source = caseSensitive ? std::string(pattern) : AsciiLowerCased(pattern);
    std::string_view body = source;
    program.anchored = body.front() == '^';
    if (program.anchored)
      body.remove_prefix(1);
    PatternCompiler compiler(body, program, caseSensitive, true, 0);
    // An unmatched closer at the top level ends the pattern; the rest is ignored.
    compiler.ParseSequence();
    compiler.Emit(PatternOp::Matched);
    compiler.FindFirstBytes();
    return PatternError::None;
  } catch (const CompileFailure& failure) {
    program = PatternProgram{};
    return failure.error;
  } catch (const std::bad_alloc&) {
    program = PatternProgram{};
    return PatternError::OutOfMemory;
  }
}

PatternCompiler::PatternCompiler(std::string_view source, PatternProgram& program,
                                 bool caseSensitive, bool topLevel, int depth)
    : source_(source),
      program_(program),
      caseSensitive_(caseSensitive),
      topLevel_(topLevel),
      depth_(depth),
      groupCanBeEmpty_(&ownGroupCanBeEmpty_) {}

bool PatternCompiler::ParseSequence() {
  bool canBeEmpty = true;
  while (!AtEnd() && !AtCloser())
    canBeEmpty = ParseTerm() && canBeEmpty;
  return canBeEmpty;
}

// One or more quantified atoms joined by bars: the bar binds tighter than
// concatenation, so "ab|cd" is a, then b or c, then d.
bool PatternCompiler::ParseTerm() {
  const std::size_t start = program_.code.size();
  bool canBeEmpty = ParseQuantified();
  while (!AtEnd() && Peek() == '|') {
    ++position_;
    const std::size_t rightStart = program_.code.size();
    const bool rightCanBeEmpty = AtEnd() || AtCloser() || ParseQuantified();
    EmitAlternation(start, rightStart);
    canBeEmpty = canBeEmpty || rightCanBeEmpty;
  }
  return canBeEmpty;
}

bool PatternCompiler::ParseQuantified() {
  const std::size_t start = program_.code.size();
  const bool canBeEmpty = ParseAtom();
  if (AtEnd() || (Peek() != '*' && Peek() != '+' && Peek() != '?'))
    return canBeEmpty;
  const char quantifier = Next();
  const bool lazy = !AtEnd() && Peek() == '?';
  if (lazy)
    ++position_;
  // Repeating something that can match nothing would never end.
  if (quantifier != '?' && canBeEmpty)
    Fail(PatternError::RepeatedEmptyMatch);
  EmitRepetition(start, quantifier, lazy);
  return quantifier != '+';
}

bool PatternCompiler::ParseAtom() {
  const char c = Next();
  switch (c) {
    case '.':
      Emit(PatternOp::Any);
      return false;
    case '[':
      ParseClass();
      return false;
    case '{':
    case '(':
    case '!':
      return ParseNestedAtom(c);
    case '\\':
      return ParseEscape();
    case '$':
      if (topLevel_ && AtEnd()) {
        Emit(PatternOp::AtEnd);
        return true;
      }
      break;
    default:
      break;
  }
  Emit(PatternOp::Char, static_cast<unsigned char>(c));
  return false;
}

bool PatternCompiler::ParseNestedAtom(char opener) {
  if (++depth_ > kMaxNesting)
    Fail(PatternError::OutOfMemory);
  bool canBeEmpty = true;
  if (opener == '{') {
    canBeEmpty = ParseGroup();
  } else if (opener == '(') {
    canBeEmpty = ParseSequence();
    Expect(')', PatternError::MissingClosingParenthesis);
  } else {
    canBeEmpty = ParseNegation();
  }
  --depth_;
  return canBeEmpty;
}

bool PatternCompiler::ParseGroup() {
  const int group = program_.groupCount++;
  groupCanBeEmpty_->push_back(true);
  Emit(PatternOp::GroupStart, group);
  const bool canBeEmpty = ParseSequence();
  Expect('}', PatternError::MissingClosingBrace);
  Emit(PatternOp::GroupEnd, group);
  (*groupCanBeEmpty_)[group] = canBeEmpty;
  return canBeEmpty;
}

// "!" before an atom succeeds, consuming nothing, where the atom does not match.
bool PatternCompiler::ParseNegation() {
  if (AtEnd() || AtCloser()) {
    Emit(PatternOp::Char, '!');
    return false;
  }
  const std::size_t start = program_.code.size();
  Emit(PatternOp::NegationBegin);
  ParseAtom();
  Emit(PatternOp::NegationMatched);
  program_.code[start].a = FragmentLength(start);
  return true;
}

bool PatternCompiler::ParseEscape() {
  if (AtEnd()) {
    Emit(PatternOp::Char, '\\');
    return false;
  }
  if (IsDigit(Peek()))
    return ParseBackReference();
  const char c = Next();
  for (const BuiltIn& builtIn : kBuiltIns) {
    if (builtIn.letter == c)
      return ParseBuiltIn(builtIn.subPattern);
  }
  Emit(PatternOp::Char, static_cast<unsigned char>(c));
  return false;
}

bool PatternCompiler::ParseBackReference() {
  int group = 0;
  while (!AtEnd() && IsDigit(Peek())) {
    group = std::min(group * 10 + (Next() - '0'), 100000);
  }
  if (group >= program_.groupCount)
    Fail(PatternError::UnknownGroup);
  Emit(PatternOp::BackReference, group);
  return (*groupCanBeEmpty_)[group];
}

bool PatternCompiler::ParseBuiltIn(std::string_view subPattern) {
  const std::string source = caseSensitive_ ? std::string(subPattern) : AsciiLowerCased(subPattern);
  PatternCompiler inner(source, program_, caseSensitive_, false, depth_);
  inner.groupCanBeEmpty_ = groupCanBeEmpty_;
  try {
    const bool canBeEmpty = inner.ParseAtom();
    if (!inner.AtEnd())
      Fail(PatternError::BuiltInPatternFailed);
    return canBeEmpty;
  } catch (const CompileFailure&) {
    Fail(PatternError::BuiltInPatternFailed);
  }
}

void PatternCompiler::ParseClass() {
  const bool negated = !AtEnd() && Peek() == '^';
  if (negated)
    ++position_;
  if (AtEnd())
    Fail(PatternError::MissingClosingBracket);
  if (Peek() == ']')
    Fail(PatternError::EmptyClass);
  std::bitset<256> members;
  while (true) {
    if (AtEnd())
      Fail(PatternError::MissingClosingBracket);
    if (Peek() == ']')
      break;
    const unsigned char low = ReadClassCharacter();
    unsigned char high = low;
    if (!AtEnd() && Peek() == '-') {
      ++position_;
      if (AtEnd() || Peek() == ']')
        Fail(PatternError::MissingClosingBracket);
      high = ReadClassCharacter();
      if (high < low)
        Fail(PatternError::ReversedRange);
    }
    for (unsigned c = low; c <= high; ++c)
      members.set(c);
  }
  ++position_;
  if (negated)
    members.flip();
  AppendGrowing(program_.classes, members);
  Emit(PatternOp::Class, static_cast<int>(program_.classes.size() - 1));
}

// Inside a class a backslash takes the next character literally; "\t" is a tab.
unsigned char PatternCompiler::ReadClassCharacter() {
  char c = Next();
  if (c == '\\') {
    if (AtEnd())
      Fail(PatternError::MissingClosingBracket);
    c = Next();
    if (c == 't')
      c = '\t';
  }
  return static_cast<unsigned char>(c);
}

// Only the simplest case: group starts followed by a byte or a class, which is
// how every naming pattern begins.
void PatternCompiler::FindFirstBytes() {
  for (const PatternInstruction& instruction : program_.code) {
    if (instruction.op == PatternOp::GroupStart)
      continue;
    if (instruction.op == PatternOp::Char) {
      program_.firstBytes.set(static_cast<std::size_t>(instruction.a));
      program_.hasFirstBytes = true;
    } else if (instruction.op == PatternOp::Class) {
      program_.firstBytes = program_.classes[static_cast<std::size_t>(instruction.a)];
      program_.hasFirstBytes = true;
    }
    return;
  }
}

// [Split left/right] left [Jump past right] right
void PatternCompiler::EmitAlternation(std::size_t leftStart, std::size_t rightStart) {
  const int leftLength = static_cast<int>(rightStart - leftStart);
  const int rightLength = FragmentLength(rightStart);
  Insert(rightStart, PatternOp::Jump, rightLength + 1);
  Insert(leftStart, PatternOp::Split, 1, leftLength + 2);
}

void PatternCompiler::EmitRepetition(std::size_t start, char quantifier, bool lazy) {
  const int length = FragmentLength(start);
  auto split = [lazy](int body, int exit) {
    return lazy ? std::pair{exit, body} : std::pair{body, exit};
  };
  if (quantifier == '*') {  // [Split body/exit] body [Jump back to Split]
    const auto [first, second] = split(1, length + 2);
    Insert(start, PatternOp::Split, first, second);
    Emit(PatternOp::Jump, -(length + 1));
  } else if (quantifier == '+') {  // body [Split back to body/exit]
    const auto [first, second] = split(-length, 1);
    Emit(PatternOp::Split, first, second);
  } else {  // [Split body/exit] body
    const auto [first, second] = split(1, length + 1);
    Insert(start, PatternOp::Split, first, second);
  }
}

void PatternCompiler::Emit(PatternOp op, int a, int b) {
  AppendGrowing(program_.code, PatternInstruction{op, a, b});
}

void PatternCompiler::Insert(std::size_t at, PatternOp op, int a, int b) {
  ReserveForMore(program_.code, 1);
  program_.code.insert(program_.code.begin() + static_cast<std::ptrdiff_t>(at),
                       PatternInstruction{op, a, b});
}

int PatternCompiler::FragmentLength(std::size_t start) const {
  return static_cast<int>(program_.code.size() - start);
}

bool PatternCompiler::AtCloser() const {
  const char c = Peek();
  return c == ')' || c == ']' || c == '}';
}

void PatternCompiler::Expect(char closer, PatternError error) {
  if (AtEnd() || Peek() != closer)
    Fail(error);
  ++position_;
}

void PatternCompiler::Fail(PatternError error) {
  throw CompileFailure{error};
}
