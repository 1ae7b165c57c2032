// The column names of a select's result rows, taken from the table definition
// in its own spelling: "*" stands for every column, named columns and "$" columns
// keep their place, pseudo-columns such as System.RowNumber are named as written.
#pragma once
#include <string>

#include "store/attribute.h"
#include "tools/output_format.h"

bool IsSelect(const std::string& statement);
// Empty for anything but a select of a table that `root` holds.
Cells SelectColumnNames(const std::string& statement, tAtrribute* root);
// The fields of a "|"-joined row text; an empty text is one empty field.
Cells SplitCells(const std::string& text);
