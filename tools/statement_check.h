// What the tool, the shell and the Python module refuse before a statement
// reaches the engine, which would run it without a word: a character that
// narrow text cannot hold (the conversion at the automation boundary would turn
// it, with the rest of the statement, into "X"), and a where clause whose
// brackets do not pair (it would match no row, and an update would add one).
#pragma once
#include <string>

// Empty when the statement may run; otherwise why not, for example
// "'Ω' (U+03A9) at character 38 cannot be written in Windows-1252; nothing was run".
std::string StatementRefusal(const std::wstring& statement);
