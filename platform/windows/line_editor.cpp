#include "platform/line_editor.h"

#include <cstdio>
#include <fstream>

// The console edits the line itself (arrow keys, its own history on F7); this
// keeps the shell's history file, so that it reads the same on every platform.
struct LineEditor::State {
  std::string historyFile;
};

LineEditor::LineEditor(const std::string& historyFile, Completer)
    : state_(std::make_unique<State>(State{historyFile})) {}

LineEditor::~LineEditor() = default;

LineEditor::Result LineEditor::ReadLine(const std::string& prompt, std::string& line) {
  std::fputs(prompt.c_str(), stdout);
  std::fflush(stdout);
  line.clear();
  int c;
  while ((c = std::fgetc(stdin)) != EOF && c != '\n') line += static_cast<char>(c);
  if (c == EOF && line.empty()) return Result::kEnd;
  while (!line.empty() && line.back() == '\r') line.pop_back();
  return Result::kLine;
}

void LineEditor::Remember(const std::string& line) {
  std::ofstream(state_->historyFile, std::ios::app) << line << '\n';
}
