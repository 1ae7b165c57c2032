// The subcommands that list typed collections, read as a script would read them.
#include <cstdio>
#include <string>

#include "automation/enumeration_texts.h"
#include "platform/text_conversion.h"
#include "store/str_copy.h"
#include "tools/commands.h"
#include "tools/tool_session.h"

namespace {
// The property's text; the string is freed.
template <class Item>
std::string TextOf(Item* item, HRESULT (Item::*get)(BSTR*)) {
  BSTR text = nullptr;
  (item->*get)(&text);
  std::string narrow = text ? Utf8FromWide(text) : "";
  SysFreeString(text);
  return narrow;
}

// Calls `print` with every item of the collection, in its order.
template <class Collection, class Item, class Print>
void ForEachItem(Collection* collection, Print print) {
  LONG count = 0;
  collection->get_Count(&count);
  for (LONG i = 1; i <= count; ++i) {
    VARIANT index;
    VariantInit(&index);
    index.vt = VT_I4;
    index.lVal = i;
    Item* item = nullptr;
    if (FAILED(collection->Item(index, &item))) continue;
    print(item);
    item->Release();
  }
  std::fflush(stdout);
}

// The set whose name is `setName` (any case), looked up by name even when the
// name is made of digits, which Item would take for a position.
HRESULT FindSet(IParameterSets* sets, const std::string& setName, IParameterSet** found) {
  const tString wanted(NarrowFromUtf8(setName).c_str());
  LONG count = 0;
  sets->get_Count(&count);
  for (LONG i = 1; i <= count; ++i) {
    VARIANT index;
    VariantInit(&index);
    index.vt = VT_I4;
    index.lVal = i;
    IParameterSet* set = nullptr;
    if (FAILED(sets->Item(index, &set))) continue;
    BSTR name = nullptr;
    set->get_SetName(&name);
    tString narrow;
    TStringFromBstr(name, narrow);
    SysFreeString(name);
    if (narrow.Equals(wanted)) {
      *found = set;
      return S_OK;
    }
    set->Release();
  }
  return E_FAIL;
}

// The defaults of the set called `setName`, or of the active set when it is empty.
HRESULT OpenDefaults(VexaConfig& config, const std::string& setName, IParameterDefaults** defaults) {
  if (setName.empty()) return config.get_ParameterDefaults(defaults);
  IParameterSets* sets = nullptr;
  HRESULT hr = config.get_ParameterSets(&sets);
  if (FAILED(hr)) return hr;
  IParameterSet* set = nullptr;
  hr = FindSet(sets, setName, &set);
  sets->Release();
  if (FAILED(hr)) return hr;
  hr = set->get_ParameterDefaults(defaults);
  set->Release();
  return hr;
}
}  // namespace

int ListParameterDefaults(const Arguments& arguments) {
  std::string path, setName;
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == "--set" && i + 1 < arguments.size()) setName = arguments[++i];
    else if (path.empty()) path = arguments[i];
    else return FailWith("usage: vexacfg params PATH [--set NAME]");
  }
  if (path.empty()) return FailWith("usage: vexacfg params PATH [--set NAME]");
  ToolSession session;
  if (HRESULT hr = session.Open(path, false); FAILED(hr)) return session.Fail(hr);
  IParameterDefaults* defaults = nullptr;
  if (HRESULT hr = OpenDefaults(session.Config(), setName, &defaults); FAILED(hr))
    return session.Fail(hr, setName.empty() ? "no active parameter set" : "no parameter set " + setName);
  ForEachItem<IParameterDefaults, IParameterDefault>(defaults, [](IParameterDefault* item) {
    VexaDataType type = vexaFloatingPoint;
    double sampleRate = 0;
    item->get_DataType(&type);
    item->get_SampleRate(&sampleRate);
    std::printf("%s|%s|%s|%s|%s|%g\n", TextOf(item, &IParameterDefault::get_Name).c_str(), kDataTypeTexts.Write(type),
                TextOf(item, &IParameterDefault::get_Group).c_str(),
                TextOf(item, &IParameterDefault::get_SubGroup).c_str(),
                TextOf(item, &IParameterDefault::get_Units).c_str(), sampleRate);
  });
  defaults->Release();
  return 0;
}

int ListEvents(const Arguments& arguments) {
  if (arguments.size() != 1) return FailWith("usage: vexacfg events PATH");
  ToolSession session;
  if (HRESULT hr = session.Open(arguments[0], false); FAILED(hr)) return session.Fail(hr);
  IEvents* events = nullptr;
  if (HRESULT hr = session.Config().get_Events(&events); FAILED(hr)) return session.Fail(hr);
  ForEachItem<IEvents, IEvent>(events, [](IEvent* event) {
    std::printf("%s|%s|%s|%s|%s|%s\n", TextOf(event, &IEvent::get_Group).c_str(),
                TextOf(event, &IEvent::get_SubGroup).c_str(), TextOf(event, &IEvent::get_User).c_str(),
                TextOf(event, &IEvent::get_IrigTime).c_str(), TextOf(event, &IEvent::get_Name).c_str(),
                TextOf(event, &IEvent::get_PropBag).c_str());
  });
  events->Release();
  return 0;
}
