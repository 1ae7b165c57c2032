// The module's exported entry points, through which the component runtime
// registers the module and obtains its class objects.
#pragma once
#include "platform/unknown.h"

// The class object of a class in the object map; CLASS_E_CLASSNOTAVAILABLE for
// any other class.
STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object);
// S_OK when no object is alive and no server lock is held, else S_FALSE.
STDAPI DllCanUnloadNow();
// Every class's registration, then the type library's. Nothing is rolled back
// when a step fails.
STDAPI DllRegisterServer();
STDAPI DllUnregisterServer();

// What the loader does when the module enters a process: the module makes
// itself known to the runtime's activation under its own path.
void AttachServerModule();
