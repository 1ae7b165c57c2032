// Line editing for the shell on a terminal: history kept in a file, and Ctrl-C
// that cancels the line being typed. Here libedit gives emacs keys and Tab
// completion; the Windows console edits lines itself and completes nothing.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

class LineEditor {
 public:
  // Offers the completions of `word`, the last word of `line` (the text before the cursor).
  using Completer = std::function<std::vector<std::string>(const std::string& line, const std::string& word)>;

  LineEditor(const std::string& historyFile, Completer completer);
  ~LineEditor();
  LineEditor(const LineEditor&) = delete;
  LineEditor& operator=(const LineEditor&) = delete;

  enum class Result { kLine, kCancelled, kEnd };
  // kEnd for Ctrl-D on an empty line or the end of the input.
  Result ReadLine(const std::string& prompt, std::string& line);
  // Adds the line to the history and writes the history file.
  void Remember(const std::string& line);

 private:
  struct State;
  std::unique_ptr<State> state_;
};
