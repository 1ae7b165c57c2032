// What Tab offers in the shell: statement keywords, pseudo-columns, the file's
// table names, the column names of the tables the line names (of every table
// when it names none), and the dot-commands at the start of a line.
#pragma once
#include <string>
#include <vector>

#include "store/attribute.h"

// Sorted candidates that begin with `word` (ignoring case); `line` is the text
// before the cursor, `word` its last word. None for an empty word.
std::vector<std::string> Completions(const std::string& line, const std::string& word, tAtrribute* root);

// The dot-commands with their help, in the order .help lists them.
struct DotCommand {
  const char* name;
  const char* help;
};
const std::vector<DotCommand>& DotCommands();
