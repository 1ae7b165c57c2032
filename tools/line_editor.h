// Line editing for the shell on a terminal, on libedit: emacs keys, history kept
// in a file, Tab completion, and Ctrl-C that cancels the line being typed.
#pragma once
#include <functional>
#include <string>
#include <vector>

struct editline;
struct history;

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
  static char* Prompt(editline* editor);
  static unsigned char Complete(editline* editor, int key);
  static unsigned char Cancel(editline* editor, int key);

  editline* editor_;
  history* history_;
  std::string historyFile_;
  Completer completer_;
  std::string prompt_;
  bool cancelled_ = false;
};
