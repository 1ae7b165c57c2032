// The rows that a select hands back: "|"-joined texts in the order produced,
// read by Count, Rewind and Next.
#pragma once
#include <string_view>
#include <unordered_set>
#include <vector>

#include "store/tstring.h"

class tQueryString {
 public:
  tString text;
  // Start of the field that the rows are being ordered by (points into text).
  const char* sortField = nullptr;
};

class ResultSet {
 public:
  int Count() const { return static_cast<int>(rows_.size()); }
  void Rewind() { cursor_ = 0; }
  // The row under the cursor, or null at the end; valid until the set changes.
  tQueryString* Next() { return cursor_ < rows_.size() ? &rows_[cursor_++] : nullptr; }
  void Clear();
  HRESULT Append(const tString& text);
  // True when a row equal to `text`, ignoring case and surrounding white space, is held.
  bool ContainsEquivalent(const tString& text);

  // Hand the rows out for reordering and take them back; the cursor is rewound.
  std::vector<tQueryString> TakeRows();
  void PutRows(std::vector<tQueryString> rows);

 private:
  struct EquivalentHash {
    size_t operator()(std::string_view text) const;
  };
  struct EquivalentEqual {
    bool operator()(std::string_view a, std::string_view b) const;
  };

  std::vector<tQueryString> rows_;
  size_t cursor_ = 0;
  // Trimmed views of rows_[0, indexedRows_) for distinct selects, built on demand
  // so that a distinct select over many rows stays linear.
  std::unordered_set<std::string_view, EquivalentHash, EquivalentEqual> equivalents_;
  size_t indexedRows_ = 0;
};

// Orders the rows by field `fieldIndex`: as numbers, or as text ignoring the case of a to z.
void SortResults(ResultSet& results, int fieldIndex, bool numeric);
