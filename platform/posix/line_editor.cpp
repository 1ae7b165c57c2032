#include "platform/line_editor.h"

#include <histedit.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

struct LineEditor::State {
  State(const std::string& historyFile, Completer completer)
      : editor(el_init("vexacfg", stdin, stdout, stderr)),
        entries(history_init()),
        historyFile(historyFile),
        completer(std::move(completer)) {}
  ~State() {
    el_end(editor);
    history_end(entries);
  }
  static State* Self(EditLine* editor) {
    void* self = nullptr;
    el_get(editor, EL_CLIENTDATA, &self);
    return static_cast<State*>(self);
  }
  static char* Prompt(EditLine* editor);
  static unsigned char Complete(EditLine* editor, int key);
  static unsigned char Cancel(EditLine* editor, int key);

  EditLine* editor;
  History* entries;
  std::string historyFile;
  Completer completer;
  std::string prompt;
  bool cancelled = false;
};

namespace {
constexpr int kHistorySize = 1000;


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
    : state_(std::make_unique<State>(historyFile, std::move(completer))) {
  EditLine* editor = state_->editor;
  History* entries = state_->entries;
  HistEvent event;
  history(entries, &event, H_SETSIZE, kHistorySize);
  history(entries, &event, H_SETUNIQUE, 1);
  history(entries, &event, H_LOAD, state_->historyFile.c_str());
  el_set(editor, EL_CLIENTDATA, state_.get());
  el_set(editor, EL_EDITOR, "emacs");
  el_set(editor, EL_PROMPT, &State::Prompt);
  el_set(editor, EL_HIST, history, entries);
  // The wide form keeps the names as given; the narrow one copies them and never frees the copies.
  el_wset(editor, EL_ADDFN, L"vexacfg-complete", L"Complete a keyword, table or column name", &State::Complete);
  el_set(editor, EL_BIND, "^I", "vexacfg-complete", nullptr);
  // While a line is typed, Ctrl-C arrives as a key rather than a signal, so that
  // it ends the line and not the shell; while a statement runs it is a signal,
  // which the shell catches to stop the rows it prints.
  el_set(editor, EL_SETTY, "-d", "-isig", nullptr);
  el_wset(editor, EL_ADDFN, L"vexacfg-cancel", L"Cancel the line", &State::Cancel);
  el_set(editor, EL_BIND, "^C", "vexacfg-cancel", nullptr);
}

LineEditor::~LineEditor() = default;

char* LineEditor::State::Prompt(EditLine* editor) { return const_cast<char*>(Self(editor)->prompt.c_str()); }

unsigned char LineEditor::State::Cancel(EditLine* editor, int) {
  Self(editor)->cancelled = true;
  return CC_NEWLINE;
}

unsigned char LineEditor::State::Complete(EditLine* editor, int) {
  State* self = Self(editor);
  const LineInfo* info = el_line(editor);
  const std::string line(info->buffer, info->cursor);
  const size_t start = line.find_last_of(" \t,()=") == std::string::npos ? 0 : line.find_last_of(" \t,()=") + 1;
  const std::string word = line.substr(start);
  const std::vector<std::string> candidates = self->completer(line, word);
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
  state_->prompt = prompt;
  state_->cancelled = false;
  int count = 0;
  const char* text = el_gets(state_->editor, &count);
  if (state_->cancelled) {
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
  history(state_->entries, &event, H_ENTER, line.c_str());
  history(state_->entries, &event, H_SAVE, state_->historyFile.c_str());
}
