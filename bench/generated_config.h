// A realistic version 5 configuration for the benchmarks: the template with
// `rows` ParameterDefaults rows (69 columns, four parameter sets, keys P0, P1,
// ...) and `rows` EventMarkerLog rows, written as plain text and as an archive.
#pragma once
#include <string>

struct GeneratedConfig {
  std::string textPath;
  std::string archivePath;
};

// Writes the two files into `folder` unless they are there already.
GeneratedConfig GenerateConfig(const std::string& folder, int rows);

inline constexpr int kParameterSets = 4;
