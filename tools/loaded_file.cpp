#include "tools/loaded_file.h"

#include <cctype>

#include "platform/text_conversion.h"
#include "tools/failure_cause.h"
#include "tools/trace_recorder.h"

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

bool LoadedFile::Load(const std::string& path, std::string& error) {
  ForgetTraces();
  tAtrribute* root = source_.LoadAttributesFromFile(path.c_str());
  if (!root) {
    error = LoadFailureCause(path, RecordedTraces());
    return false;
  }
  versionName_ = Utf8FromNarrow(root->value.c_str());
  tables_ = TableTexts(root);
  return true;
}

std::vector<TableText> TableTexts(tAtrribute* root) {
  std::vector<TableText> tables;
  // Walked by cursor: indexed access to a child list costs a walk each.
  root->BeginChildren();
  while (tAtrribute* node = root->NextChild()) {
    if (!node->name.Equals("Table")) continue;
    TableText table;
    table.name = Utf8FromNarrow(node->value.c_str());
    node->BeginChildren();
    while (tAtrribute* section = node->NextChild()) {
      if (section->name.Equals("TableDefinition")) {
        table.hasDefinition = true;
        table.definition = Utf8FromNarrow(section->value.c_str());
      } else if (section->name.Equals("TableType")) {
        table.hasTypes = true;
        table.types = Utf8FromNarrow(section->value.c_str());
      } else if (section->name.Equals("TableContents")) {
        section->BeginChildren();
        while (tAtrribute* row = section->NextChild())
          if (row->state != kRowDeleted)
            table.rows.push_back({Utf8FromNarrow(row->name.c_str()), Utf8FromNarrow(row->value.c_str())});
      }
    }
    tables.push_back(std::move(table));
  }
  return tables;
}
