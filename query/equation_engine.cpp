#include "query/equation_engine.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/trace.h"

namespace {
constexpr int kWorkStringBytes = 2000;
constexpr int kWorkStringSlack = 100;
constexpr size_t kFirstTermSlots = 20;
constexpr size_t kTermSlotGrowth = 10;

using ValueType = tSqlEquationEngine::ValueType;
using OperatorCode = tSqlEquationEngine::OperatorCode;

bool TypeFromLetter(char letter, ValueType& type) {
  switch (letter) {
    case 's': case 'S': type = ValueType::String; return true;
    case 'i': case 'I': type = ValueType::Int; return true;
    case 'f': case 'F': type = ValueType::Float; return true;
    case 'd': case 'D': type = ValueType::UnsignedInt; return true;
    default: return false;
  }
}

// "Int", " Int" and "int" are Int; "Color", "list(...)" and unknown names are String.
ValueType TypeFromName(const char* name) {
  ValueType type;
  if (TypeFromLetter(name[0], type)) return type;
  while (*name && IsWhiteSpace(*name)) ++name;
  return TypeFromLetter(*name, type) ? type : ValueType::String;
}

// Wraps modulo 2^32 instead of overflowing, so Int and UnsignedInt read one number.
std::uint32_t ReadInteger(const char* text) {
  while (*text && IsWhiteSpace(*text)) ++text;
  const bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  std::uint32_t value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) value = value * 10u + static_cast<std::uint32_t>(*text - '0');
  return negative ? 0u - value : value;
}

template <typename Number>
bool Holds(OperatorCode op, Number left, Number right) {
  switch (op) {
    case OperatorCode::Equal: return left == right;
    case OperatorCode::Less: return left < right;
    case OperatorCode::Greater: return left > right;
    case OperatorCode::LessOrEqual: return left <= right;
    case OperatorCode::GreaterOrEqual: return left >= right;
    case OperatorCode::NotEqual: return left != right;
    case OperatorCode::None: break;
  }
  return false;
}

bool HasNoOperator(OperatorCode op, const char* typeName) {
  if (op != OperatorCode::None) return false;
  DebugTrace("********** tSqlEquationEngine::evaluateSubExpressions - Invalid operator (noOp) with type = %s"
             "...Need to break and investigate!\n",
             typeName);
  return true;
}

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// "*" matches any run, "?" one character; the pattern must cover the whole text
// [text, textEnd). Backtracks only to the last "*", so the cost stays bounded by
// text times pattern.
bool WildcardMatch(const char* text, const char* textEnd, const char* pattern) {
  const char* afterStar = nullptr;
  const char* starText = nullptr;
  while (text < textEnd) {
    if (*pattern == '*') {
      afterStar = ++pattern;
      starText = text;
    } else if (*pattern && (*pattern == '?' || Lower(*pattern) == Lower(*text))) {
      ++pattern;
      ++text;
    } else if (afterStar) {
      pattern = afterStar;
      text = ++starText;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return !*pattern;
}

// The field is compared where it stands in the row, [field, field + length).
bool EqualsNoCase(const char* field, size_t length, const char* value) {
  return std::strlen(value) == length && strncasecmp(field, value, length) == 0;
}

// Byte-wise, as strcmp orders a field copied out of the row.
int CompareBytes(const char* field, size_t length, const char* value) {
  const size_t valueLength = std::strlen(value);
  const int common = std::memcmp(field, value, std::min(length, valueLength));
  if (common != 0) return common;
  return length < valueLength ? -1 : length > valueLength ? 1 : 0;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Turns every "(d)" into "d", nested ones included, in one pass.
void RemoveSingleDigitBrackets(tString& text) {
  char* out = text.Data();
  if (!out) return;
  int length = 0;
  for (const char* in = out; *in; ++in) {
    out[length++] = *in;
    if (*in == ')' && length >= 3 && out[length - 3] == '(' && IsDigit(out[length - 2])) {
      out[length - 3] = out[length - 2];
      length -= 2;
    }
  }
  out[length] = '\0';
}

bool Combine(bool left, char pendingOperator, bool right) {
  if (pendingOperator == '&') return left && right;
  if (pendingOperator == '|') return left || right;
  return right;
}
}  // namespace

tSqlEquationEngine::tSqlEquationEngine() : terms_(kFirstTermSlots) { reserveWorkStrings(kWorkStringBytes); }

void tSqlEquationEngine::SetDefinition(const char* columns) { definition_.Assign(columns); }

void tSqlEquationEngine::SetTypes(const char* types) { types_.Assign(types); }

void tSqlEquationEngine::SetRow(const char* rowValue) { row_ = rowValue; }

const tSqlEquationEngine::ComparisonTerm* tSqlEquationEngine::TermAt(int index) const {
  return index >= 0 && index < termCount_ ? &terms_[index] : nullptr;
}

bool tSqlEquationEngine::reserveWorkStrings(int bytes) {
  for (tString* work : {&clause_, &skeleton_, &workingCopy_, &termScratch_, &typeText_, &memoKey_})
    if (FAILED(work->Reserve(bytes, false))) return false;
  return true;
}

bool tSqlEquationEngine::setEquation(const char* clause) {
  clause_.Clear();
  skeleton_.Clear();
  termCount_ = 0;
  wildcard_ = false;
  hasMemo_ = false;
  if (!clause || !*clause) return false;
  bool parsed = false;
  if (reserveWorkStrings(static_cast<int>(std::strlen(clause)) + kWorkStringSlack) &&
      SUCCEEDED(clause_.Assign(clause))) {
    clause_.Trim();
    try {
      parsed = !clause_.IsEmpty() && parseClause();
    } catch (const std::bad_alloc&) {
      parsed = false;
    }
  }
  // A half-parsed clause must neither match rows nor offer its terms.
  if (!parsed) {
    clause_.Clear();
    termCount_ = 0;
    wildcard_ = false;
  }
  return parsed;
}

// Writes the skeleton straight into its reserved buffer: appending through
// tString measures the text each time, which is quadratic on long clauses.
bool tSqlEquationEngine::parseClause() {
  const char* text = clause_.c_str();
  const int length = clause_.Length();
  char* skeleton = skeleton_.Data();
  int skeletonLength = 0;
  size_t openBrackets = 0;
  int position = 0;
  TermParse outcome = TermParse::Parsed;
  while (position < length && outcome == TermParse::Parsed) {
    const char c = text[position];
    if (IsWhiteSpace(c)) {
      ++position;
    } else if (c == '(' || c == ')') {
      if (c == '(') ++openBrackets;
      skeleton[skeletonLength++] = c;
      ++position;
    } else if ((c == '&' || c == '|') && text[position + 1] == c) {
      skeleton[skeletonLength++] = c;
      skeleton[skeletonLength++] = c;
      position += 2;
    } else {
      int termEnd = position;
      bool quoted = false;
      for (; termEnd < length; ++termEnd) {
        const char t = text[termEnd];
        if (t == '\'') quoted = !quoted;
        else if (!quoted && (t == ')' || t == '&' || t == '|')) break;
      }
      outcome = parseTerm(position, termEnd, skeletonLength);
      if (outcome != TermParse::Illegal) skeleton[skeletonLength++] = '#';
      position = termEnd;
    }
  }
  skeleton[skeletonLength] = '\0';
  if (outcome == TermParse::Illegal) return false;
  if (bracketStack_.size() < openBrackets) bracketStack_.resize(openBrackets);
  return true;
}

tSqlEquationEngine::TermParse tSqlEquationEngine::parseTerm(int termStart, int termEnd, int placeholder) {
  if (FAILED(termScratch_.CopyStringSlice(clause_.c_str(), termStart, termEnd))) return TermParse::Illegal;
  const char* scratch = termScratch_.c_str();
  int nameLength = 0;
  while (scratch[nameLength] && scratch[nameLength] != '=' && !IsWhiteSpace(scratch[nameLength])) ++nameLength;
  if (nameLength == 0) return TermParse::Illegal;

  if (static_cast<size_t>(termCount_) == terms_.size()) terms_.resize(terms_.size() + kTermSlotGrowth);
  ComparisonTerm& term = terms_[termCount_++];
  term.placeholder = placeholder;
  if (FAILED(term.columnName.Assign(scratch, nameLength, 8))) return TermParse::Illegal;

  const char* mark = std::strpbrk(scratch, "=<>!");
  if (!mark) {
    term.op = OperatorCode::None;
    term.valueType = ValueType::String;
    term.value.Clear();
    if (scratch[0] == '1') {
      term.columnName.Assign("1");
      term.value.Assign("1");
      term.columnPosition = 0;
      return TermParse::Parsed;
    }
    // The rest of the clause is ignored; rather than compare with whatever an
    // earlier clause left in this slot, the term is simply false.
    term.columnPosition = tString::kNone;
    return TermParse::EndsClause;
  }
  const bool equalsFollows = mark[1] == '=';
  switch (*mark) {
    case '=': term.op = OperatorCode::Equal; break;
    case '<': term.op = equalsFollows ? OperatorCode::LessOrEqual : OperatorCode::Less; break;
    case '>': term.op = equalsFollows ? OperatorCode::GreaterOrEqual : OperatorCode::Greater; break;
    default: term.op = equalsFollows ? OperatorCode::NotEqual : OperatorCode::None; break;
  }

  const char* value = mark + (equalsFollows ? 2 : 1);
  while (*value && (IsWhiteSpace(*value) || *value == '\'')) ++value;
  if (FAILED(term.value.Assign(value))) return TermParse::Illegal;
  term.value.Trim();
  const int valueLength = term.value.Length();
  if (valueLength > 0 && term.value.At(valueLength - 1) == '\'') term.value.CutTail(1);
  if (std::strpbrk(term.value.c_str(), "*?")) wildcard_ = true;

  if (FAILED(definition_.FieldIndex(term.columnName.c_str(), '|', false, term.columnPosition)))
    return TermParse::Illegal;
  term.valueType = SUCCEEDED(types_.GetField(term.columnPosition, '|', typeText_)) ? TypeFromName(typeText_.c_str())
                                                                                    : ValueType::String;
  return TermParse::Parsed;
}

int tSqlEquationEngine::Evaluate() {
  if (clause_.IsEmpty() || !evaluateSubExpressions()) return 0;
  // A clause of one term reduces to that term's result: nothing to copy or reduce.
  if (termCount_ == 1 && skeleton_.At(0) != '\0' && skeleton_.At(1) == '\0') return skeleton_.At(0) == '1' ? 1 : 0;
  if (FAILED(workingCopy_.Assign(skeleton_))) return 0;
  RemoveSingleDigitBrackets(workingCopy_);
  const char* pattern = workingCopy_.c_str();
  if (workingCopy_.Length() == 4 && std::strcmp(pattern + 1, "&&0") == 0) return 0;
  if (hasMemo_ && std::strcmp(memoKey_.c_str(), pattern) == 0) return memoResult_;
  hasMemo_ = SUCCEEDED(memoKey_.Assign(workingCopy_));
  memoResult_ = reduceSkeleton();
  return memoResult_;
}

bool tSqlEquationEngine::evaluateSubExpressions() {
  char* skeleton = skeleton_.Data();
  for (int i = 0; i < termCount_; ++i) {
    const ComparisonTerm& term = terms_[i];
    bool result = false;
    if (!compareTerm(term, result)) return false;
    skeleton[term.placeholder] = result ? '1' : '0';
  }
  return true;
}

bool tSqlEquationEngine::compareTerm(const ComparisonTerm& term, bool& result) {
  if (term.columnPosition == tString::kNone) {
    result = false;
    return true;
  }
  // Numbers are read in place: no digit, sign or exponent is a "|", so a
  // reading stops at the field's end.
  size_t length = 0;
  const char* field = rowField(term.columnPosition, length);
  const char* value = term.value.c_str();
  switch (term.valueType) {
    case ValueType::Int:
      if (HasNoOperator(term.op, "Int")) return false;
      result = Holds(term.op, static_cast<std::int32_t>(ReadInteger(field)), static_cast<std::int32_t>(ReadInteger(value)));
      return true;
    case ValueType::UnsignedInt:
      if (HasNoOperator(term.op, "UnsignedInt")) return false;
      result = Holds(term.op, ReadInteger(field), ReadInteger(value));
      return true;
    case ValueType::Float:
      if (HasNoOperator(term.op, "Float")) return false;
      result = Holds(term.op, std::strtod(field, nullptr), std::strtod(value, nullptr));
      return true;
    case ValueType::String:
      result = compareText(term, field, length);
      return true;
  }
  return false;
}

// Equality ignores case (or matches a pattern when the clause has wildcards);
// ordering is byte-wise and case-sensitive.
bool tSqlEquationEngine::compareText(const ComparisonTerm& term, const char* field, size_t length) const {
  const char* value = term.value.c_str();
  switch (term.op) {
    case OperatorCode::Equal:
      return wildcard_ ? WildcardMatch(field, field + length, value) : EqualsNoCase(field, length, value);
    case OperatorCode::Less: return CompareBytes(field, length, value) < 0;
    case OperatorCode::Greater: return CompareBytes(field, length, value) > 0;
    case OperatorCode::LessOrEqual: return CompareBytes(field, length, value) <= 0;
    case OperatorCode::GreaterOrEqual: return CompareBytes(field, length, value) >= 0;
    case OperatorCode::NotEqual: return !EqualsNoCase(field, length, value);
    case OperatorCode::None: break;
  }
  return std::strcmp(term.columnName.c_str(), "1") == 0 || !EqualsNoCase(field, length, value);
}

// The field at `position` of the row, not copied; a row with fewer fields gives
// an empty field.
const char* tSqlEquationEngine::rowField(int position, size_t& length) const {
  const char* begin = nullptr;
  if (SUCCEEDED(FindFieldInText(row_ ? row_ : "", position, '|', begin, length))) return begin;
  length = 0;
  return "";
}

// One left-to-right pass over the digits, "&&", "||" and brackets of the working
// copy: brackets are resolved innermost first and within one level "&&" and "||"
// combine strictly left to right with equal precedence. Anything that is not
// such an expression (stray operators, adjacent digits, unbalanced brackets) gives 0.
int tSqlEquationEngine::reduceSkeleton() {
  size_t depth = 0;
  bool value = false;
  char pendingOperator = 0;
  bool expectOperand = true;
  for (const char* p = workingCopy_.c_str(); *p; ++p) {
    if (expectOperand) {
      if (*p == '0' || *p == '1') {
        value = Combine(value, pendingOperator, *p == '1');
        expectOperand = false;
      } else if (*p == '(') {
        bracketStack_[depth++] = {value, pendingOperator};
        pendingOperator = 0;
      } else {
        return 0;
      }
    } else if ((*p == '&' || *p == '|') && p[1] == *p) {
      pendingOperator = *p++;
      expectOperand = true;
    } else if (*p == ')' && depth > 0) {
      const OpenBracket outer = bracketStack_[--depth];
      value = Combine(outer.value, outer.pendingOperator, value);
    } else {
      return 0;
    }
  }
  return !expectOperand && depth == 0 && value ? 1 : 0;
}
