// The loader on plain text: any bytes give a tree or null. A tree that loaded
// must also survive a save and read back as the same tree.
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "fuzz/scratch_file.h"
#include "storage/config_source.h"

namespace {
bool SameNode(const tAtrribute* a, const tAtrribute* b) {
  return std::strcmp(a->name.c_str(), b->name.c_str()) == 0 && std::strcmp(a->value.c_str(), b->value.c_str()) == 0 &&
         a->ChildCount() == b->ChildCount();
}

// Iterative: the loader accepts any nesting depth.
bool SameTree(tAtrribute* a, tAtrribute* b) {
  std::vector<std::pair<tAtrribute*, tAtrribute*>> pending{{a, b}};
  while (!pending.empty()) {
    auto [left, right] = pending.back();
    pending.pop_back();
    if (!SameNode(left, right)) return false;
    left->BeginChildren();
    right->BeginChildren();
    while (tAtrribute* child = left->NextChild()) pending.emplace_back(child, right->NextChild());
  }
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ScratchFile input(".cfg");
  static ScratchFile saved(".cfg");
  tConfigSource source;
  tAtrribute* root = source.LoadAttributesFromFile(input.Write(data, size).c_str());
  if (!root) return 0;
  if (source.SaveToFile(saved.Path().c_str()) != S_OK) std::abort();
  tConfigSource reloaded;
  tAtrribute* again = reloaded.LoadAttributesFromFile(saved.Path().c_str());
  if (!again || !SameTree(root, again)) std::abort();
  return 0;
}
