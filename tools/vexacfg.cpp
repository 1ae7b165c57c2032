// vexacfg: the command-line tool over configuration files.
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

#include "storage/config_source.h"
#include "store/table.h"

namespace {
constexpr const char* kUsage =
    "usage: vexacfg <command> [arguments]\n"
    "commands:\n"
    "  tables PATH    each table name and its row count, as NAME|COUNT\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "vexacfg: %s\n", message.c_str());
  return 1;
}

int Tables(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[2], "--help") == 0) {
    std::fputs("usage: vexacfg tables PATH\nPrints each table name and its row count, as NAME|COUNT.\n", stdout);
    return 0;
  }
  if (argc != 3) return Fail("usage: vexacfg tables PATH");
  tConfigSource source;
  tAtrribute* root = source.LoadAttributesFromFile(argv[2]);
  if (!root) return Fail(std::string("E_FAIL (0x80004005) cannot load ") + argv[2]);
  for (int i = 0; i < root->ChildCount(); ++i) {
    tAtrribute* node = root->ChildAt(i);
    if (!node->name.Equals("Table")) continue;
    tTable table;
    int rows = SUCCEEDED(OpenTable(root, node->value.c_str(), table)) ? table.contents->ChildCount() : 0;
    std::printf("%s|%d\n", node->value.c_str(), rows);
  }
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, argc < 2 ? stderr : stdout);
    return argc < 2 ? 1 : 0;
  }
  if (std::strcmp(argv[1], "tables") == 0) return Tables(argc, argv);
  return Fail(std::string("unknown command '") + argv[1] + "'\n" + kUsage);
}
