// Class objects: what a module hands out for each of its classes, to create
// instances and to keep the module loaded.
#pragma once
#include "platform/unknown.h"

#ifndef _WIN32
// {00000001-0000-0000-C000-000000000046}
inline constexpr IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IClassFactory : IUnknown {
  // A new instance answering `iid`; `outer` is the aggregating object, if any.
  virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) = 0;
  // Locks (TRUE) or unlocks (FALSE) the module in memory.
  virtual HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) = 0;

 protected:
  ~IClassFactory() = default;
};
#endif
