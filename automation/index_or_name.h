// How Item and Remove of every collection read their argument: a 1-based index
// or a name.
#pragma once
#include "platform/variant.h"

struct IndexOrName {
  int position = -1;              // 0-based, when the argument was an index
  const OLECHAR* name = nullptr;  // when it was a name; borrowed from the argument
};

// Numbers, and strings or references that convert to a number, are indexes;
// another string is a name. E_INVALIDARG for an index outside 1..count or an
// argument that is neither.
HRESULT ReadIndexOrName(const VARIANT& argument, int count, IndexOrName& out);
