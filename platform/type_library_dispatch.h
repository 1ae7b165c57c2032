// Late binding from the module's type library. On Windows the runtime's
// type-library-driven IDispatch does the work: names are looked up in the
// interface's type info and calls go through the object's vtable, as the type
// library describes it. Elsewhere there is no such runtime, and each interface
// binds through its own member table (automation/dispatch_table.h).
#pragma once
#include "platform/dispatch.h"

#ifdef _WIN32
inline constexpr bool kTypeLibraryDispatch = true;

// The type info of interface `iid` from the module's type library, loaded on
// first use and kept; the caller gets its own reference.
HRESULT TypeLibraryTypeInfo(REFIID iid, ITypeInfo** info);
HRESULT TypeLibraryGetIDsOfNames(REFIID iid, OLECHAR** names, unsigned count, DISPID* ids);
// `object` is the interface pointer of `iid` whose vtable the call goes through.
HRESULT TypeLibraryInvoke(REFIID iid, void* object, DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result,
                          EXCEPINFO* exception, unsigned* argumentError);
// Lets go of the type library and every type info kept.
void ReleaseTypeLibraryDispatch();
#else
inline constexpr bool kTypeLibraryDispatch = false;
#endif
