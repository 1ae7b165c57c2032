// Late binding for dual interfaces. Each interface describes its members once, in
// a table of DispatchMember entries that point at its C++ methods; one shared
// GetIDsOfNames/Invoke works from such a table, so that a script can reach every
// property and method by name.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <tuple>
#include <type_traits>
#include <utility>

#include "platform/dispatch.h"

enum class MemberKind { Get, Put, Method };

// Calls the C++ method with the arguments already converted to the member's
// parameter types (in declaration order) and stores its out value in `result`.
using MemberCall = HRESULT (*)(IDispatch* object, VARIANT* arguments, VARIANT* result);

struct DispatchMember {
  static constexpr unsigned kMaxParameters = 4;

  const wchar_t* name;
  DISPID id;
  MemberKind kind;
  unsigned parameterCount;  // in-parameters; the out value is not counted
  VARTYPE parameterTypes[kMaxParameters];
  unsigned optionalCount;           // trailing parameters that a caller may leave out
  LONG defaults[kMaxParameters];    // their values, in parameter order
  MemberCall call;

  // The same member with its last parameters optional, defaulting to `values`.
  constexpr DispatchMember Optional(std::initializer_list<LONG> values) const {
    DispatchMember member = *this;
    member.optionalCount = static_cast<unsigned>(values.size());
    unsigned i = 0;
    for (LONG value : values) member.defaults[i++] = value;
    return member;
  }
};

struct DispatchTable {
  template <std::size_t N>
  constexpr DispatchTable(const DispatchMember (&entries)[N]) : members(entries), count(N) {}
  template <std::size_t N>
  constexpr DispatchTable(const std::array<DispatchMember, N>& entries) : members(entries.data()), count(N) {}
  const DispatchMember* members;
  std::size_t count;
};

// Names are matched ignoring case; parameter names are not known.
HRESULT DispatchGetIDsOfNames(const DispatchTable& table, OLECHAR** names, unsigned count, DISPID* ids);
HRESULT DispatchInvoke(const DispatchTable& table, IDispatch* object, DISPID id, std::uint16_t flags,
                       DISPPARAMS* params, VARIANT* result, unsigned* argumentError);

namespace dispatch_detail {
// A pointer parameter is the out value, except an automation string passed in.
template <class T>
constexpr bool kIsOut = std::is_pointer_v<T> && !std::is_same_v<T, BSTR>;

template <class... Args>
constexpr bool LastIsOut() {
  if constexpr (sizeof...(Args) == 0) return false;
  else return kIsOut<std::tuple_element_t<sizeof...(Args) - 1, std::tuple<Args...>>>;
}

// The variant type that an in-parameter of type T is converted to.
template <class T>
constexpr VARTYPE VariantTypeOf() {
  if constexpr (std::is_same_v<T, BSTR>) return VT_BSTR;
  else if constexpr (std::is_same_v<T, VARIANT>) return VT_VARIANT;
  else if constexpr (std::is_same_v<T, double>) return VT_R8;
  else if constexpr (std::is_same_v<T, VARIANT_BOOL>) return VT_BOOL;
  else if constexpr (std::is_same_v<T, OLE_COLOR>) return VT_UI4;
  else {
    static_assert(std::is_same_v<T, LONG> || std::is_enum_v<T>, "no automation form for this parameter");
    return VT_I4;
  }
}

template <class T>
T FromVariant(const VARIANT& value) {
  if constexpr (std::is_same_v<T, BSTR>) return value.bstrVal;
  else if constexpr (std::is_same_v<T, VARIANT>) return value;
  else if constexpr (std::is_same_v<T, double>) return value.dblVal;
  else if constexpr (std::is_same_v<T, VARIANT_BOOL>) return value.boolVal;
  else if constexpr (std::is_same_v<T, OLE_COLOR>) return value.ulVal;
  else return static_cast<T>(value.lVal);
}

// Hands the out value to the caller's result, or frees it when there is none.
template <class T>
void StoreResult(T value, VARIANT* result) {
  VARIANT out;
  VariantInit(&out);
  if constexpr (std::is_same_v<T, VARIANT>) {
    out = value;
  } else if constexpr (std::is_same_v<T, BSTR>) {
    out.vt = VT_BSTR, out.bstrVal = value;
  } else if constexpr (std::is_same_v<T, double>) {
    out.vt = VT_R8, out.dblVal = value;
  } else if constexpr (std::is_same_v<T, VARIANT_BOOL>) {
    out.vt = VT_BOOL, out.boolVal = value;
  } else if constexpr (std::is_same_v<T, OLE_COLOR>) {
    out.vt = VT_UI4, out.ulVal = value;
  } else if constexpr (std::is_same_v<T, IUnknown*>) {
    out.vt = VT_UNKNOWN, out.punkVal = value;
  } else if constexpr (std::is_pointer_v<T>) {
    static_assert(std::is_base_of_v<IDispatch, std::remove_pointer_t<T>>, "no automation form for this result");
    out.vt = VT_DISPATCH, out.pdispVal = value;
  } else {
    out.vt = VT_I4, out.lVal = static_cast<LONG>(value);
  }
  if (result) *result = out;
  else VariantClear(&out);
}

template <auto Method>
struct MemberBinding;

template <class Interface, class... Args, HRESULT (STDMETHODCALLTYPE Interface::*Method)(Args...)>
struct MemberBinding<Method> {
  using Parameters = std::tuple<Args...>;
  static constexpr bool kHasOut = LastIsOut<Args...>();
  static constexpr unsigned kInCount = sizeof...(Args) - (kHasOut ? 1 : 0);
  static_assert(kInCount <= DispatchMember::kMaxParameters, "too many parameters");

  static HRESULT Call(IDispatch* object, VARIANT* arguments, VARIANT* result) {
    return CallWith(static_cast<Interface*>(object), arguments, result, std::make_index_sequence<kInCount>{});
  }

  template <std::size_t... I>
  static HRESULT CallWith(Interface* object, VARIANT* arguments, VARIANT* result, std::index_sequence<I...>) {
    (void)arguments;
    if constexpr (kHasOut) {
      std::remove_pointer_t<std::tuple_element_t<kInCount, Parameters>> value{};
      HRESULT hr = (object->*Method)(FromVariant<std::tuple_element_t<I, Parameters>>(arguments[I])..., &value);
      if (SUCCEEDED(hr)) StoreResult(value, result);
      return hr;
    } else {
      (void)result;
      return (object->*Method)(FromVariant<std::tuple_element_t<I, Parameters>>(arguments[I])...);
    }
  }

  template <std::size_t... I>
  static constexpr DispatchMember Describe(const wchar_t* name, DISPID id, MemberKind kind,
                                           std::index_sequence<I...>) {
    DispatchMember member{};
    member.name = name;
    member.id = id;
    member.kind = kind;
    member.parameterCount = kInCount;
    ((member.parameterTypes[I] = VariantTypeOf<std::tuple_element_t<I, Parameters>>()), ...);
    member.call = &Call;
    return member;
  }
};
}  // namespace dispatch_detail

// One table entry for the C++ method `Method` of an interface.
template <auto Method>
constexpr DispatchMember Member(const wchar_t* name, DISPID id, MemberKind kind) {
  using Binding = dispatch_detail::MemberBinding<Method>;
  return Binding::Describe(name, id, kind, std::make_index_sequence<Binding::kInCount>{});
}

// The get and put entries of a property declared through a property list (see
// record_item.h): X(Interface, DISPID, Name, Type).
#define VEXA_DISPATCH_PROPERTY(Interface, id, name, type)                   \
  Member<&Interface::get_##name>(L"" #name, id, MemberKind::Get), \
      Member<&Interface::put_##name>(L"" #name, id, MemberKind::Put),
