// Cuts input lines into statements and dot-commands. A statement ends with a ";"
// at the end of a line (the ";" is dropped) and may span lines until then. In
// scripts a line without ";" also ends its statement when the next line begins
// another statement, a dot-command or a blank line, or at the end of the input,
// so that one statement per line works as it always has.
#pragma once
#include <string>
#include <vector>

class StatementReader {
 public:
  enum class Ending { kSemicolon, kLineOrSemicolon };
  explicit StatementReader(Ending ending) : ending_(ending) {}

  // The statements and dot-commands that this line completes, in order.
  std::vector<std::string> Feed(const std::string& line);
  // At the end of the input: the statement still open, if any.
  std::vector<std::string> Finish();
  // A statement has begun and not yet ended.
  bool Pending() const { return !pending_.empty(); }
  void Discard() { pending_.clear(); }

 private:
  Ending ending_;
  std::string pending_;
};

// Whether the line begins with a statement keyword (select, update, delete, ...).
bool BeginsStatement(const std::string& line);
