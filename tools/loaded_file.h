// A configuration file loaded into a tree as the loader reads it, without being
// opened as a configuration object, and its tables as plain texts: what diff and
// check compare.
#pragma once
#include <string>
#include <vector>

#include "storage/config_source.h"
#include "tools/output_format.h"

struct TableText {
  std::string name;
  bool hasDefinition = false, hasTypes = false;
  std::string definition, types;
  struct Row {
    std::string id, value;
  };
  std::vector<Row> rows;
};

class LoadedFile {
 public:
  // False with the cause in `error` when the file cannot be loaded.
  bool Load(const std::string& path, std::string& error);
  const std::string& VersionName() const { return versionName_; }
  const std::vector<TableText>& Tables() const { return tables_; }

 private:
  tConfigSource source_;
  std::string versionName_;
  std::vector<TableText> tables_;
};

// The tables of a tree, loaded or in use, leaving out rows marked deleted.
std::vector<TableText> TableTexts(tAtrribute* root);

// Names compare without regard to case.
bool SameName(const std::string& a, const std::string& b);
