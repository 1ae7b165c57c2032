// The query engine: the one way in which the rest of the system reads and
// changes the configuration database. It runs one statement at a time against
// the tree of its configuration source and hands the rows of a select back in a
// result set.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "query/equation_engine.h"
#include "query/result_set.h"
#include "storage/config_source.h"
#include "store/table.h"

enum class StatementKind { None, Select, Update, Delete, Create };

class tSqlQueryEngine {
 public:
  // Null binds the engine to the default source, which has no tree.
  explicit tSqlQueryEngine(tConfigSource* source = nullptr);
  tSqlQueryEngine(const tSqlQueryEngine&) = delete;
  tSqlQueryEngine& operator=(const tSqlQueryEngine&) = delete;

  // Null binds the default source. Forgets everything cached from the old tree.
  void AttachSource(tConfigSource* source);
  // Runs one statement. A select fills `results` (the engine's own set when null),
  // its cells joined by `delimiter`.
  HRESULT Query(const char* statement, ResultSet* results = nullptr, char delimiter = '|');
  // Settles every changed table: Deleted rows leave the tree, the others become Unchanged.
  HRESULT Commit();
  HRESULT CommitTable(const char* tableName);

 private:
  void BindSource(tConfigSource* source);
  HRESULT ParseStatement(const char* statement);
  HRESULT ExecuteStatement();

  // Clause cutting (statement_grammar.cpp).
  HRESULT parseSelectStatement();
  HRESULT parseUpdateStatement();
  HRESULT parseDeleteStatement();
  HRESULT normaliseColumnList();
  HRESULT cutTableAndWhere(int from, int where);
  // Statements carried out while parsing (create.cpp, drop.cpp, sort.cpp).
  HRESULT parseAndExecuteCreateStatement();
  HRESULT parseAndExecuteDropStatement();
  // Gives the table a primary-key index (sort.cpp).
  HRESULT parseAndExecuteSortStatement();

  // select.cpp
  HRESULT handleSelectStatement();
  HRESULT selectByRowId();
  HRESULT selectByRowState();
  HRESULT selectByErrorState();
  HRESULT selectMiscFile();
  HRESULT selectMatchingRows();
  HRESULT BuildResultRow(tAtrribute* row, bool* stop);
  HRESULT appendColumn(tAtrribute* row, const tString& token);
  void orderResults();

  // update.cpp and delete.cpp
  HRESULT handleUpdateStatement();
  HRESULT updateByRowId(bool wholeRow);
  HRESULT insertWholeRow(tString& rowId);
  HRESULT insertAssignedRow();
  HRESULT ApplySetClause();
  HRESULT assignCell(int& position, int length);
  HRESULT readAssignment(int& position, int length);
  bool valuesHoldLineBreak(bool wholeValue);
  HRESULT handleDeleteStatement();
  HRESULT purgeRowsByState();

  // The table the statement names, reusing the one opened last.
  HRESULT openTable(const tString& name);
  // Parses the where clause into the equation engine (a statement without one
  // matches every row); an illegal clause is logged and fails.
  HRESULT parseWhereClause();
  bool cachedTableIsCurrent(const tString& name) const;
  void forgetTable();
  // The row walk of select, update and delete: through the key index when the
  // where clause gives a key value (the result), else over all rows in order.
  bool BeginRowWalk();
  // The next row of the walk that passes the where clause.
  tAtrribute* NextMatchingRow(bool includeDeleted, bool useIndex);
  tAtrribute* findRowById(const tString& id);
  // The value that the where clause compares a key column with by "=" (primary_key.cpp).
  HRESULT GetPrimaryKeyValueInWhereEquation(tString& keyValue);

  tConfigSource* source_;
  std::shared_ptr<tConfigSource> defaultSource_;  // held while bound to the default source
  StatementKind kind_ = StatementKind::None;
  tString statement_;
  tString columnList_;
  tString tableName_;
  tString where_;
  tString orderByColumn_;
  tString suggestedRowId_;
  bool orderBy_ = false;
  int topCount_ = 0;
  tString updateTableName_;
  tString setClause_;
  char delimiter_ = '|';
  tSqlEquationEngine equations_;
  tAtrribute* database_ = nullptr;
  tTable table_;
  tAtrribute* currentRow_ = nullptr;
  bool errorFlag_ = false;
  tString rowBuffer_;
  ResultSet* results_;
  ResultSet ownResults_;
  bool noWhere_ = false;
  bool insertSuppressed_ = false;
  bool changeSuppressed_ = false;
  bool distinct_ = false;
  // The where clause of this statement is parsed into the equation engine.
  bool equationSet_ = false;
  std::vector<tAtrribute*> matchedRows_;

  // Work strings, reserved once so that statements and row walks reuse them.
  tString firstWord_;
  tString normalisedList_;
  tString token_;
  tString field_;
  tString rowValue_;
  tString rowId_;
  tString filterValue_;
  tString columnName_;
  tString cellValue_;
  tString editedValue_;
  tString editScratch_;
  tString keyColumn_;
  tString keyValue_;
};
