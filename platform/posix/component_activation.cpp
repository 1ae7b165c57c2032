#include "platform/component_registry.h"

// Without a runtime, the components linked into the program are all there are.
HRESULT CreateComponent(const std::wstring& progId, REFIID iid, void** object) {
  return CreateLinkedComponent(progId, iid, object);
}
