#include "schema/version_template.h"

#include <cstring>

#include "schema/template_tables.h"
#include "schema/version_names.h"

namespace {
// The layout every build writes, so that a new file is the same text everywhere.
constexpr int kTableIndent = 2;
constexpr int kBraceIndent = 37;
constexpr int kSectionIndent = 40;
constexpr int kShortTypeIndent = 4;

void AppendLine(std::string& text, int indent, const std::string& line) {
  text.append(indent, ' ');
  text += line;
  text += '\n';
}

// Their type lists are the longest; files of these versions carry them with a short indent.
bool HasShortTypeIndent(const char* table) {
  return std::strcmp(table, "ParameterDefaults") == 0 || std::strcmp(table, "ParametersSavedInDisplays") == 0;
}

void AppendTable(std::string& text, const TemplateTable& table, const char* types) {
  AppendLine(text, kTableIndent, std::string("Table ") + table.name);
  AppendLine(text, kBraceIndent, "{");
  AppendLine(text, kSectionIndent, std::string("TableDefinition ") + table.definition);
  AppendLine(text, HasShortTypeIndent(table.name) ? kShortTypeIndent : kSectionIndent, std::string("TableType ") + types);
  AppendLine(text, kSectionIndent, "TableContents");
  AppendLine(text, kBraceIndent, "}");
}

void AppendTable(std::string& text, const TemplateTable& table) { AppendTable(text, table, table.types); }

std::string RootOpening(int version) { return std::string("Root ") + VersionName(version) + "\n{\n"; }
const char* const kRootClosing = "}\n";

std::string BuildVersionFour() {
  std::string text = RootOpening(4);
  for (const TemplateTable& table : kVersionFourTables) AppendTable(text, table);
  return text + kRootClosing;
}

std::string BuildVersionThree() {
  std::string text = RootOpening(3);
  for (const TemplateTable& table : kVersionFourTables) {
    bool isConstants = std::strcmp(table.name, "Constants") == 0;
    AppendTable(text, table, isConstants ? kVersionThreeConstantsTypes : table.types);
    for (const AddedTable& added : kVersionThreeTables)
      if (std::strcmp(added.after, table.name) == 0) AppendTable(text, added.table);
  }
  return text + kRootClosing;
}

// Version 5 is version 4 renamed, with one more table before the root's closing brace.
std::string BuildVersionFive(const std::string& versionFour) {
  std::string text = versionFour;
  const std::string oldName = VersionName(4);
  text.replace(text.find(oldName), oldName.size(), VersionName(5));
  text.erase(text.rfind('}'));
  AppendTable(text, kVersionFiveTable);
  return text + kRootClosing;
}
}  // namespace

// Each text is a function-local static, so its first build is thread-safe and
// every reference handed out stays valid. The version 4 text is kept even after
// version 5 has been derived from it: releasing it would save a few dozen
// kilobytes but would leave earlier callers holding a dangling reference.
const std::string& VersionTemplate(int version) {
  static const std::string kNone;
  switch (version) {
    case 3: {
      static const std::string text = BuildVersionThree();
      return text;
    }
    case 4: {
      static const std::string text = BuildVersionFour();
      return text;
    }
    case 5: {
      static const std::string text = BuildVersionFive(VersionTemplate(4));
      return text;
    }
    default:
      return kNone;
  }
}
