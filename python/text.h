// Python values at the automation boundary: str as automation strings, which the
// library converts to and from narrow text as for any automation caller, and the
// index-or-name argument of the collections as a variant.
#pragma once
#include <pybind11/pybind11.h>

#include <string>

#include "platform/variant.h"

// An automation string made from a Python str for the length of one call. A
// character that narrow text cannot hold is left to the library, which writes
// "X" for it and for the rest of the text; other types than str raise
// TypeError. A path may also be any os.PathLike.
class BstrArgument {
 public:
  enum class Kind { kText, kPath };
  explicit BstrArgument(pybind11::handle text, Kind kind = Kind::kText);
  ~BstrArgument() { SysFreeString(text_); }
  BstrArgument(const BstrArgument&) = delete;
  BstrArgument& operator=(const BstrArgument&) = delete;
  operator BSTR() const { return text_; }

 private:
  BSTR text_;
};

// The text of an automation string; TakeBstr also frees it.
pybind11::str StrFromBstr(const OLECHAR* text);
pybind11::str TakeBstr(BSTR text);

// The name of a value's type, for the message of a TypeError.
std::string TypeName(pybind11::handle value);

// What an automation client passes for an index or a name: str as a string,
// bool as a boolean, int as a 32-bit integer (a larger one as a double, as a
// script engine does), float as a double; anything else raises TypeError.
class VariantArgument {
 public:
  explicit VariantArgument(pybind11::handle value);
  ~VariantArgument() { VariantClear(&value_); }
  VariantArgument(const VariantArgument&) = delete;
  VariantArgument& operator=(const VariantArgument&) = delete;
  const VARIANT& Value() const { return value_; }

 private:
  VARIANT value_;
};
