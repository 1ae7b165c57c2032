// Decides, row by row, whether a "|"-joined row value satisfies a where clause.
// The clause is parsed once into a skeleton of brackets, "&&", "||" and one
// placeholder per comparison term; each row fills the placeholders with 1 or 0
// and the skeleton is reduced to one digit.
#pragma once
#include <cstddef>
#include <vector>

#include "store/tstring.h"

class tSqlEquationEngine {
 public:
  enum class ValueType { Int, UnsignedInt, Float, String };
  enum class OperatorCode { None, Equal, Less, Greater, LessOrEqual, GreaterOrEqual, NotEqual };

  struct ComparisonTerm {
    tString columnName;
    tString value;
    ValueType valueType = ValueType::String;
    OperatorCode op = OperatorCode::None;
    // kNone for a term without any operator that ended the parse: always false.
    int columnPosition = 0;
    int placeholder = 0;
  };

  tSqlEquationEngine();

  void SetDefinition(const char* columns);
  void SetTypes(const char* types);
  // False for an empty clause, a term without a column name, or an unknown column;
  // after a failure Evaluate gives 0 until the next successful call.
  bool setEquation(const char* clause);
  // The row value is not copied; it must outlive the calls of Evaluate.
  void SetRow(const char* rowValue);
  // 1 when the current row satisfies the clause, 0 when not or when it cannot be evaluated.
  int Evaluate();

  bool HasWildcard() const { return wildcard_; }
  int TermCount() const { return termCount_; }
  // Null outside 0 .. TermCount() - 1.
  const ComparisonTerm* TermAt(int index) const;

 private:
  enum class TermParse { Parsed, EndsClause, Illegal };
  struct OpenBracket {
    bool value;
    char pendingOperator;
  };

  bool reserveWorkStrings(int bytes);
  bool parseClause();
  TermParse parseTerm(int termStart, int termEnd, int placeholder);
  bool evaluateSubExpressions();
  bool compareTerm(const ComparisonTerm& term, bool& result);
  bool compareText(const ComparisonTerm& term, const char* field, size_t length) const;
  const char* rowField(int position, size_t& length) const;
  int reduceSkeleton();

  tString definition_;
  tString types_;
  const char* row_ = nullptr;
  tString clause_;
  tString skeleton_;
  tString workingCopy_;
  tString termScratch_;
  tString typeText_;
  bool wildcard_ = false;
  int termCount_ = 0;
  std::vector<ComparisonTerm> terms_;
  std::vector<OpenBracket> bracketStack_;
  tString memoKey_;
  bool hasMemo_ = false;
  int memoResult_ = 0;
};
