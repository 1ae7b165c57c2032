// The subcommands that list typed collections, read as a script would read them.
#include <cstdio>
#include <memory>
#include <string>

#include "automation/enumeration_texts.h"
#include "platform/text_conversion.h"
#include "store/str_copy.h"
#include "tools/arguments.h"
#include "tools/commands.h"
#include "tools/tool_session.h"

namespace {
// The property's text; the string is freed.
template <class Item>
std::string TextOf(Item* item, HRESULT (STDMETHODCALLTYPE Item::*get)(BSTR*)) {
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
}

// The set whose name is `setName` (any case), looked up by name even when the
// name is made of digits, which Item would take for a position.
HRESULT FindSet(IParameterSets* sets, const std::string& setName, IParameterSet** found) {
  const tString wanted(NarrowFromUtf8(setName).c_str());
  *found = nullptr;
  ForEachItem<IParameterSets, IParameterSet>(sets, [&](IParameterSet* set) {
    if (*found) return;
    BSTR name = nullptr;
    set->get_SetName(&name);
    tString narrow;
    TStringFromBstr(name, narrow);
    SysFreeString(name);
    if (narrow.Equals(wanted)) {
      set->AddRef();
      *found = set;
    }
  });
  return *found ? S_OK : E_FAIL;
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

struct ParamsOptions {
  std::string path;
  std::string setName;
  OutputOptions output;
};

int ListParameterDefaults(const ParamsOptions& options) {
  const std::string& setName = options.setName;
  ToolSession session;
  if (HRESULT hr = session.Open(options.path); FAILED(hr)) return session.Fail(hr);
  IParameterDefaults* defaults = nullptr;
  if (HRESULT hr = OpenDefaults(session.Config(), setName, &defaults); FAILED(hr))
    return session.Fail(hr, setName.empty() ? "no active parameter set" : "no parameter set " + setName);
  std::vector<Cells> rows;
  ForEachItem<IParameterDefaults, IParameterDefault>(defaults, [&rows](IParameterDefault* item) {
    VexaDataType type = vexaFloatingPoint;
    double sampleRate = 0;
    item->get_DataType(&type);
    item->get_SampleRate(&sampleRate);
    char rate[32];
    std::snprintf(rate, sizeof rate, "%g", sampleRate);
    rows.push_back({TextOf(item, &IParameterDefault::get_Name), kDataTypeTexts.Write(type),
                    TextOf(item, &IParameterDefault::get_Group), TextOf(item, &IParameterDefault::get_SubGroup),
                    TextOf(item, &IParameterDefault::get_Units), rate});
  });
  defaults->Release();
  std::fputs(
      FormatRows(options.output, {"Name", "DataType", "Group", "SubGroup", "Units", "SampleRate"}, rows).c_str(),
      stdout);
  return 0;
}

struct EventsOptions {
  std::string path;
  OutputOptions output;
};

int ListEvents(const EventsOptions& options) {
  ToolSession session;
  if (HRESULT hr = session.Open(options.path); FAILED(hr)) return session.Fail(hr);
  IEvents* events = nullptr;
  if (HRESULT hr = session.Config().get_Events(&events); FAILED(hr)) return session.Fail(hr);
  std::vector<Cells> rows;
  ForEachItem<IEvents, IEvent>(events, [&rows](IEvent* event) {
    rows.push_back({TextOf(event, &IEvent::get_Group), TextOf(event, &IEvent::get_SubGroup),
                    TextOf(event, &IEvent::get_User), TextOf(event, &IEvent::get_IrigTime),
                    TextOf(event, &IEvent::get_Name), TextOf(event, &IEvent::get_PropBag)});
  });
  events->Release();
  std::fputs(FormatRows(options.output, {"Group", "SubGroup", "User", "IrigTime", "Name", "PropBag"}, rows).c_str(),
             stdout);
  return 0;
}
}  // namespace

void AddCollectionCommands(CLI::App& app, int& exitCode) {
  auto params = std::make_shared<ParamsOptions>();
  CLI::App* command = AddCommand(app, "params PATH [--set NAME] [--mode MODE] [--header]",
                                 "List the parameter defaults of a parameter set",
                                 "Prints the parameter defaults of the active parameter set (or of the set NAME, any "
                                 "case) in name order,\none per line: NAME|TYPE|GROUP|SUBGROUP|UNITS|SAMPLERATE.");
  command->add_option("PATH", params->path, "The configuration file")->required();
  command->add_option("--set", params->setName, "The parameter set");
  AddOutputOptions(command, params->output);
  command->callback([params, &exitCode] { exitCode = ListParameterDefaults(*params); });

  auto events = std::make_shared<EventsOptions>();
  command = AddCommand(app, "events PATH [--mode MODE] [--header]", "List the event markers",
                       "Prints the event markers in table order, one per line: "
                       "GROUP|SUBGROUP|USER|IRIGTIME|NAME|PROPBAG.");
  command->add_option("PATH", events->path, "The configuration file")->required();
  AddOutputOptions(command, events->output);
  command->callback([events, &exitCode] { exitCode = ListEvents(*events); });
}
