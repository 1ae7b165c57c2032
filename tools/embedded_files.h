// The files of the workbench's page, built into the program.
#pragma once
#include <string>

// The content of the file of that name; empty when there is none.
std::string EmbeddedFile(const std::string& name);
