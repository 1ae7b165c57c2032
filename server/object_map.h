// The module's object map: the fifteen classes it registers and serves, in
// registration order, with what the type library says of each.
#pragma once
#include "automation/dispatch_table.h"

struct ClassEntry {
  const wchar_t* name;               // "VexaConfig"
  const wchar_t* description;        // registry text: "VexaConfig Class"
  const wchar_t* typeLibraryHelp;    // the coclass's help string
  const CLSID* clsid;
  const wchar_t* defaultInterface;   // "IVexaConfig"
  const IID* iid;
  const DispatchTable* members;      // of the default interface
  // The outgoing interface, or null. Outgoing interfaces have no members: the
  // classes accept sinks through their connection point but never call them.
  const wchar_t* sourceInterface;    // "_IVexaConfigEvents"
  const IID* sourceIid;
  HRESULT (*create)(REFIID iid, void** object);
};

extern const ClassEntry kObjectMap[15];

// The entry of `clsid`, or null.
const ClassEntry* FindClass(REFCLSID clsid);
