// The Python face of the automation objects: a wrapper per object that holds a
// reference to it and the thread it belongs to, and calls its interface methods,
// converting values as an automation client's runtime would.
#pragma once
#include <pybind11/pybind11.h>

#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>

#include "python/apartment.h"
#include "python/com_ref.h"
#include "python/enums.h"
#include "python/text.h"

template <class Interface>
class Wrapped {
 public:
  explicit Wrapped(Interface* adopted) : object_(adopted) {}
  // The object, for a call from the thread it belongs to.
  Interface* Use() const {
    apartment_.Check();
    return object_.get();
  }

 private:
  ComRef<Interface> object_;
  Apartment apartment_;
};

// A property value as Python sees it: str, float, int, bool, or the constant of
// an enumeration.
inline pybind11::object ToPython(BSTR value) { return TakeBstr(value); }
inline pybind11::object ToPython(double value) { return pybind11::float_(value); }
inline pybind11::object ToPython(LONG value) { return pybind11::int_(value); }
inline pybind11::object ToPython(OLE_COLOR value) { return pybind11::int_(value); }
inline pybind11::object ToPython(VARIANT_BOOL value) { return pybind11::bool_(value != VARIANT_FALSE); }
template <class Enum, class = std::enable_if_t<std::is_enum_v<Enum>>>
pybind11::object ToPython(Enum value) {
  return EnumMember(EnumTypeName<Enum>::kName, static_cast<LONG>(value));
}

// A Python value passed as an argument of type T for the length of one call.
// Enumerations take any int (IntEnum constants are ints); booleans take any
// object by its truth, as a variant converts to a boolean.
template <class T>
class Argument {
 public:
  explicit Argument(pybind11::handle value) : value_(Convert(value)) {}
  T Value() const { return value_; }

 private:
  static T Convert(pybind11::handle value) {
    if constexpr (std::is_same_v<T, VARIANT_BOOL>) {
      const int truth = PyObject_IsTrue(value.ptr());
      if (truth < 0) throw pybind11::error_already_set();
      return truth ? VARIANT_TRUE : VARIANT_FALSE;
    } else if constexpr (std::is_floating_point_v<T>) {
      if (!PyFloat_Check(value.ptr()) && !PyLong_Check(value.ptr())) throw Mismatch("float", value);
      return value.cast<T>();
    } else {
      // Integers, colours and the constants of enumerations.
      if (!PyLong_Check(value.ptr())) throw Mismatch("int", value);
      if constexpr (std::is_enum_v<T>) return static_cast<T>(value.cast<LONG>());
      else return value.cast<T>();
    }
  }
  static pybind11::type_error Mismatch(const char* expected, pybind11::handle value) {
    return pybind11::type_error(std::string("expected ") + expected + ", got " + TypeName(value));
  }
  T value_;
};

template <>
class Argument<BSTR> {
 public:
  explicit Argument(pybind11::handle value) : text_(value) {}
  BSTR Value() const { return text_; }

 private:
  BstrArgument text_;
};

template <class Interface, class T>
pybind11::object GetProperty(const Wrapped<Interface>& self, HRESULT (Interface::*get)(T*), const char* name) {
  Interface* object = self.Use();
  T value{};
  CheckedCall(name, [&] { return (object->*get)(&value); });
  return ToPython(value);
}

template <class Interface, class T>
void PutProperty(const Wrapped<Interface>& self, HRESULT (Interface::*put)(T), const char* name,
                 pybind11::handle value) {
  Interface* object = self.Use();
  const Argument<T> argument(value);
  CheckedCall(name, [&] { return (object->*put)(argument.Value()); });
}

// A get-and-put property of an item, for a property list X(Interface, DISPID, Name, Type).
#define VEXA_PYTHON_PROPERTY(Interface, id, name, type)                                                         \
  .def_property(                                                                                                \
      #name, [](const Wrapped<Interface>& self) { return GetProperty(self, &Interface::get_##name, #name); }, \
      [](const Wrapped<Interface>& self, pybind11::handle value) {                                             \
        PutProperty(self, &Interface::put_##name, #name, value);                                               \
      })

// Add of a collection: its own arguments, then the new item as the out value.
template <auto Add, class Indexes>
struct AddBinding;

template <class Interface, class... Params, HRESULT (Interface::*Add)(Params...), std::size_t... I>
struct AddBinding<Add, std::index_sequence<I...>> {
  using ParamTuple = std::tuple<Params...>;
  using ItemInterface = std::remove_pointer_t<std::remove_pointer_t<std::tuple_element_t<sizeof...(I), ParamTuple>>>;
  template <std::size_t>
  using PythonValue = pybind11::handle;

  static Wrapped<ItemInterface> Call(const Wrapped<Interface>& self, PythonValue<I>... values) {
    Interface* collection = self.Use();
    const std::tuple<Argument<std::tuple_element_t<I, ParamTuple>>...> arguments(values...);
    ItemInterface* item = nullptr;
    CheckedCall("Add", [&] { return (collection->*Add)(std::get<I>(arguments).Value()..., &item); });
    return Wrapped<ItemInterface>(item);
  }
};

template <auto Add, class Interface, class... Params>
constexpr auto AddFunction(HRESULT (Interface::*)(Params...)) {
  return &AddBinding<Add, std::make_index_sequence<sizeof...(Params) - 1>>::Call;
}

// Binds the collections and items, their classes named after the automation classes.
void RegisterObjectModel(pybind11::module_& module);
