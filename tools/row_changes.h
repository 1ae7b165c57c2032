// What one statement did to the rows of its table, for `query --changes` and the
// shell's `.changes on`: rows added, changed and deleted.
#pragma once
#include <string>
#include <unordered_map>

#include "store/attribute.h"

class RowChanges {
 public:
  // Remembers the rows of the table that the statement changes, if it changes one.
  RowChanges(tAtrribute* root, const std::string& statement);
  // "changes: A added, C changed, D deleted", comparing the rows now with those remembered.
  std::string Summary() const;

 private:
  tAtrribute* root_;
  std::string table_;
  std::unordered_map<std::string, std::string> before_;  // row id to value
};
