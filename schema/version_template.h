// The text that a new configuration file of a version is written from: the root
// line and every table of the version with its columns, its types and no rows.
#pragma once
#include <string>

// The template of version 3, 4 or 5, built on first use and kept for the life of
// the process; an empty text for any other version.
const std::string& VersionTemplate(int version);
