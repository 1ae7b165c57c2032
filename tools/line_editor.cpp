#include "tools/line_editor.h"

#include <histedit.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {
constexpr int kHistorySize = 1000;

LineEditor* Self(EditLine* editor) {
  void* self = nullptr;
  el_get(editor, EL_CLIENTDATA, &self);
  return static_cast<LineEditor*>(self);
}

// The longest beginning that all candidates share, ignoring case.
size_t CommonLength(const std::vector<std::string>& candidates) {
  size_t length = candidates[0].size();
  for (const std::string& candidate : candidates) {
    size_t i = 0;
    while (i < length && i < candidate.size() &&
           std::tolower(static_cast<unsigned char>(candidate[i])) ==
               std::tolower(static_cast<unsigned char>(candidates[0][i])))
      ++i;
    length = i;
  }
  return length;
}
}  // namespace

LineEditor::LineEditor(const std::string& historyFile, Completer completer)
    : editor_(el_init("vexacfg", stdin, stdout, stderr)),
      history_(history_init()),
      historyFile_(historyFile),
      completer_(std::move(completer)) {
  HistEvent event;
  history(history_, &event, H_SETSIZE, kHistorySize);
  history(history_, &event, H_SETUNIQUE, 1);
  history(history_, &event, H_LOAD, historyFile_.c_str());
  el_set(editor_, EL_CLIENTDATA, this);
  el_set(editor_, EL_EDITOR, "emacs");
  el_set(editor_, EL_PROMPT, &LineEditor::Prompt);
  el_set(editor_, EL_HIST, history, history_);
  // The wide form keeps the names as given; the narrow one copies them and never frees the copies.
  el_wset(editor_, EL_ADDFN, L"vexacfg-complete", L"Complete a keyword, table or column name", &LineEditor::Complete);
  el_set(editor_, EL_BIND, "^I", "vexacfg-complete", nullptr);
  // Ctrl-C arrives as a key rather than a signal, so that it ends the line and not the shell.
  el_set(editor_, EL_SETTY, "-d", "-isig", nullptr);
  el_set(editor_, EL_SETTY, "-x", "-isig", nullptr);
  el_wset(editor_, EL_ADDFN, L"vexacfg-cancel", L"Cancel the line", &LineEditor::Cancel);
  el_set(editor_, EL_BIND, "^C", "vexacfg-cancel", nullptr);
}

LineEditor::~LineEditor() {
  el_end(editor_);
  history_end(history_);
}

char* LineEditor::Prompt(EditLine* editor) { return const_cast<char*>(Self(editor)->prompt_.c_str()); }

unsigned char LineEditor::Cancel(EditLine* editor, int) {
  Self(editor)->cancelled_ = true;
  return CC_NEWLINE;
}

unsigned char LineEditor::Complete(EditLine* editor, int) {
  LineEditor* self = Self(editor);
  const LineInfo* info = el_line(editor);
  const std::string line(info->buffer, info->cursor);
  const size_t start = line.find_last_of(" \t,()=") == std::string::npos ? 0 : line.find_last_of(" \t,()=") + 1;
  const std::string word = line.substr(start);
  const std::vector<std::string> candidates = self->completer_(line, word);
  if (candidates.empty()) return CC_ERROR;
  if (candidates.size() == 1) {
    el_deletestr(editor, static_cast<int>(word.size()));
    el_insertstr(editor, (candidates[0] + " ").c_str());
    return CC_REFRESH;
  }
  const size_t common = CommonLength(candidates);
  if (common > word.size()) {
    el_insertstr(editor, candidates[0].substr(word.size(), common - word.size()).c_str());
    return CC_REFRESH;
  }
  std::string list = "\n";
  for (const std::string& candidate : candidates) list += candidate + "  ";
  std::fputs((list + "\n").c_str(), stdout);
  return CC_REDISPLAY;
}

LineEditor::Result LineEditor::ReadLine(const std::string& prompt, std::string& line) {
  prompt_ = prompt;
  cancelled_ = false;
  int count = 0;
  const char* text = el_gets(editor_, &count);
  if (cancelled_) {
    std::fputs("^C\n", stdout);
    std::fflush(stdout);
    return Result::kCancelled;
  }
  if (!text) return Result::kEnd;
  line = text;
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return Result::kLine;
}

void LineEditor::Remember(const std::string& line) {
  HistEvent event;
  history(history_, &event, H_ENTER, line.c_str());
  history(history_, &event, H_SAVE, historyFile_.c_str());
}
