// Names that another process cannot guess: six random letters and digits, the
// shape the POSIX port's mkstemp gives, so that leftovers look the same.
#pragma once
#include <string>

std::string RandomNameTail();
