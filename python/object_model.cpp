#include "python/object_model.h"

#include <string>
#include <vector>

#include "automation/log_records.h"
#include "automation/parameter_sets.h"
#include "platform/enum_variant.h"

namespace py = pybind11;

namespace {
template <class Interface>
LONG Count(const Wrapped<Interface>& self) {
  Interface* collection = self.Use();
  LONG count = 0;
  CheckedCall("Count", [&] { return collection->get_Count(&count); });
  return count;
}

// The items in the order of the collection's enumerator, as For Each sees them.
template <class Interface, class ItemInterface>
py::list Items(const Wrapped<Interface>& self) {
  Interface* collection = self.Use();
  IUnknown* unknown = nullptr;
  CheckedCall("_NewEnum", [&] { return collection->get__NewEnum(&unknown); });
  ComRef<IUnknown> enumeratorObject(unknown);
  IEnumVARIANT* enumerator = nullptr;
  CheckedCall("_NewEnum", [&] {
    return unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&enumerator));
  });
  ComRef<IEnumVARIANT> items(enumerator);
  py::list list;
  VARIANT value;
  VariantInit(&value);
  while (items->Next(1, &value, nullptr) == S_OK) {
    ItemInterface* item = nullptr;
    HRESULT hr = value.vt == VT_DISPATCH && value.pdispVal
                     ? value.pdispVal->QueryInterface(*ItemInterface::kIid, reinterpret_cast<void**>(&item))
                     : E_NOINTERFACE;
    VariantClear(&value);
    CheckedCall("_NewEnum", [&] { return hr; });
    list.append(Wrapped<ItemInterface>(item));
  }
  return list;
}

// Item and Remove: an index outside 1 to Count (E_INVALIDARG) and a name no
// item has (E_FAIL) raise as the built-in lookup errors do.
template <class Call>
void LookUp(const char* member, py::handle indexOrName, Call call) {
  try {
    CheckedCall(member, call);
  } catch (const StatusError& error) {
    const HRESULT hr = error.Status();
    if (hr != E_INVALIDARG && hr != E_FAIL) throw;
    const bool index = hr == E_INVALIDARG;
    throw StatusError(hr,
                      std::string(member) + "(" + std::string(py::repr(indexOrName)) +
                          (index ? "): no item at that index" : "): no item of that name"),
                      index ? StatusError::Kind::kItemIndex : StatusError::Kind::kItemName);
  }
}

template <class Interface, class ItemInterface, auto Add, class... Names>
py::class_<Wrapped<Interface>> BindCollection(py::module_& module, const char* name, const char* doc,
                                              Names... names) {
  using Collection = Wrapped<Interface>;
  py::class_<Collection> collection(module, name, doc);
  collection.def_property_readonly("Count", &Count<Interface>, "The number of items.")
      .def("__len__", &Count<Interface>)
      .def(
          "__iter__", [](const Collection& self) { return py::iter(Items<Interface, ItemInterface>(self)); },
          "The items in list order, over a snapshot taken now.")
      .def(
          "Item",
          [](const Collection& self, py::handle indexOrName) {
            Interface* object = self.Use();
            const VariantArgument argument(indexOrName);
            ItemInterface* item = nullptr;
            LookUp("Item", indexOrName, [&] { return object->Item(argument.Value(), &item); });
            return Wrapped<ItemInterface>(item);
          },
          py::arg("IndexOrName"),
          "The item at a 1-based index (an int, or a str holding a number), or the first whose key\n"
          "property equals the name, ignoring case.")
      .def("Add", AddFunction<Add>(Add), names..., "Appends a new item with the given properties and returns it.")
      .def(
          "Remove",
          [](const Collection& self, py::handle indexOrName) {
            Interface* object = self.Use();
            const VariantArgument argument(indexOrName);
            LookUp("Remove", indexOrName, [&] { return object->Remove(argument.Value()); });
          },
          py::arg("IndexOrName"), "Takes the item that Item would return out of the collection.")
      .def(
          "RemoveAll",
          [](const Collection& self) {
            Interface* object = self.Use();
            CheckedCall("RemoveAll", [&] { return object->RemoveAll(); });
          },
          "Empties the collection.")
      .def(
          "SaveTable",
          [](const Collection& self) {
            Interface* object = self.Use();
            CheckedCall("SaveTable", [&] { return object->SaveTable(); }, Blocking::Yes);
          },
          "Replaces the rows of the collection's table by rows made from the items (the file is\n"
          "written by VexaConfig.Save).");
  return collection;
}

// An item class; its repr shows the properties its collection's Add takes.
template <class Interface>
py::class_<Wrapped<Interface>> BindItem(py::module_& module, const char* name, const char* doc,
                                        std::vector<const char*> shown) {
  py::class_<Wrapped<Interface>> item(module, name, doc);
  item.def("__repr__", [name, shown](py::handle self) {
    std::string text = std::string("<vexaconfig.") + name;
    for (const char* property : shown)
      text += std::string(" ") + property + "=" + std::string(py::repr(self.attr(property)));
    return text + ">";
  });
  return item;
}
}  // namespace

void RegisterObjectModel(py::module_& module) {
  BindItem<IEvent>(module, "Event", "An event marker: a comment at an IRIG time.", {"Name", "IrigTime"})
      VEXA_EVENT_PROPERTIES(VEXA_PYTHON_PROPERTY, IEvent);
  BindItem<IThreshold>(module, "Threshold", "A warning or alarm threshold break of a parameter.",
                       {"ParameterName", "IrigTimeAtBreak", "Level"})
      VEXA_THRESHOLD_PROPERTIES(VEXA_PYTHON_PROPERTY, IThreshold);
  BindItem<ITestpoint>(module, "Testpoint", "A logged test point with its start and stop time.",
                       {"Testpoint", "StartTime", "StopTime"})
      VEXA_TESTPOINT_PROPERTIES(VEXA_PYTHON_PROPERTY, ITestpoint);
  BindItem<ISelection>(module, "Selection", "A value selected from a parameter at an IRIG time.",
                       {"Parameter", "IrigTime", "Value"})
      VEXA_SELECTION_PROPERTIES(VEXA_PYTHON_PROPERTY, ISelection);
  BindItem<IPlannedTestPoint>(module, "PlannedTestPoint", "A planned test point.", {"Testpoint"})
      VEXA_PLANNED_TEST_POINT_PROPERTIES(VEXA_PYTHON_PROPERTY, IPlannedTestPoint);
  BindItem<IParameterDefault>(module, "ParameterDefault", "The stored description of one parameter.",
                              {"Name", "DataType", "SampleRate"})
      VEXA_PARAMETER_DEFAULT_PROPERTIES(VEXA_PYTHON_PROPERTY, IParameterDefault);

  BindCollection<IEvents, IEvent, &IEvents::Add>(module, "Events", "The rows of EventMarkerLog.",
                                                 py::arg("Name"), py::arg("IrigTime"));
  BindCollection<IThresholds, IThreshold, &IThresholds::Add>(module, "Thresholds", "The rows of ThresholdLog.",
                                                             py::arg("ParameterName"), py::arg("IrigTimeAtBreak"),
                                                             py::arg("Level"));
  BindCollection<ITestpoints, ITestpoint, &ITestpoints::Add>(module, "Testpoints", "The rows of TestPointLog.",
                                                             py::arg("Testpoint"), py::arg("StartTime"),
                                                             py::arg("StopTime"));
  BindCollection<ISelections, ISelection, &ISelections::Add>(module, "Selections", "The rows of SelectionsLog.",
                                                             py::arg("ParameterName"), py::arg("IrigTime"),
                                                             py::arg("Value"));
  BindCollection<IPlannedTestPoints, IPlannedTestPoint, &IPlannedTestPoints::Add>(
      module, "PlannedTestPoints", "The rows of PlannedTestPoints.", py::arg("Testpoint"));
  BindCollection<IParameterDefaults, IParameterDefault, &IParameterDefaults::Add>(
      module, "ParameterDefaults", "The parameter defaults of one parameter set, in name order.", py::arg("Name"),
      py::arg("Type"), py::arg("SampleRate"))
      .def_property_readonly(
          "SetName",
          [](const Wrapped<IParameterDefaults>& self) {
            return GetProperty(self, &IParameterDefaults::get_SetName, "SetName");
          },
          "The parameter set whose defaults the collection holds.");

  BindItem<IParameterSet>(module, "ParameterSet", "A named group of parameter defaults.",
                          {"SetName", "Group", "IsActive"})
      VEXA_PARAMETER_SET_PROPERTIES(VEXA_PYTHON_PROPERTY, IParameterSet)
          .def_property_readonly(
              "ParameterDefaults",
              [](const Wrapped<IParameterSet>& self) {
                IParameterSet* set = self.Use();
                IParameterDefaults* defaults = nullptr;
                CheckedCall("ParameterDefaults", [&] { return set->get_ParameterDefaults(&defaults); },
                            Blocking::Yes);
                return Wrapped<IParameterDefaults>(defaults);
              },
              "A new collection of this set's parameter defaults, read from the table now.");
  BindCollection<IParameterSets, IParameterSet, &IParameterSets::Add>(
      module, "ParameterSets", "The rows of ParameterDefaultsState.", py::arg("SetName"), py::arg("Group"),
      py::arg("IsActive"));
}
