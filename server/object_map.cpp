#include "server/object_map.h"

#include "automation/vexa_config.h"

namespace {
template <class Class>
HRESULT CreateObject(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  Class* instance = NewObject<Class>();
  if (!instance) return E_OUTOFMEMORY;
  const HRESULT hr = instance->QueryInterface(iid, object);
  instance->Release();
  return hr;
}

#define VEXA_SOURCE(Name) L"_I" #Name "Events", &DIID__I##Name##Events
#define VEXA_NO_SOURCE nullptr, nullptr
#define VEXA_CLASS(Name, help, source)                                                                           \
  {                                                                                                              \
    L"" #Name, L"" #Name " Class", help, &CLSID_##Name, L"I" #Name, &IID_I##Name, &I##Name::kDispatch, source, \
        CreateObject<Name>                                                                                       \
  }

}  // namespace

// The coclass help of PlannedTestPoints reads "PlannedTestpoints Class" with a
// small p, while its registry text keeps the class's own spelling; callers
// have seen both, so both stay as they are.
const ClassEntry kObjectMap[15] = {
    VEXA_CLASS(VexaConfig, L"VexaConfig Class", VEXA_SOURCE(VexaConfig)),
    VEXA_CLASS(ParameterSet, L"ParameterSet Class", VEXA_SOURCE(ParameterSet)),
    VEXA_CLASS(ParameterSets, L"ParameterSets Class", VEXA_SOURCE(ParameterSets)),
    VEXA_CLASS(ParameterDefault, L"ParameterDefault Class", VEXA_SOURCE(ParameterDefault)),
    VEXA_CLASS(ParameterDefaults, L"ParameterDefaults Class", VEXA_SOURCE(ParameterDefaults)),
    VEXA_CLASS(Event, L"Event Class", VEXA_SOURCE(Event)),
    VEXA_CLASS(Events, L"Events Class", VEXA_SOURCE(Events)),
    VEXA_CLASS(Thresholds, L"Thresholds Class", VEXA_NO_SOURCE),
    VEXA_CLASS(Threshold, L"Threshold Class", VEXA_NO_SOURCE),
    VEXA_CLASS(Testpoints, L"Testpoints Class", VEXA_NO_SOURCE),
    VEXA_CLASS(Testpoint, L"Testpoint Class", VEXA_NO_SOURCE),
    VEXA_CLASS(Selections, L"Selections Class", VEXA_NO_SOURCE),
    VEXA_CLASS(Selection, L"Selection Class", VEXA_NO_SOURCE),
    VEXA_CLASS(PlannedTestPoints, L"PlannedTestpoints Class", VEXA_NO_SOURCE),
    VEXA_CLASS(PlannedTestPoint, L"PlannedTestPoint Class", VEXA_NO_SOURCE),
};

const ClassEntry* FindClass(REFCLSID clsid) {
  for (const ClassEntry& entry : kObjectMap)
    if (*entry.clsid == clsid) return &entry;
  return nullptr;
}
