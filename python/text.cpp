#include "python/text.h"

#include <cstdint>
#include <cwchar>
#include <new>

namespace py = pybind11;

std::string TypeName(py::handle value) { return Py_TYPE(value.ptr())->tp_name; }

BstrArgument::BstrArgument(py::handle argument, Kind kind) {
  py::object text = py::reinterpret_borrow<py::object>(argument);
  if (kind == Kind::kPath && !PyUnicode_Check(text.ptr())) {
    PyObject* path = PyOS_FSPath(text.ptr());
    if (!path) {
      PyErr_Clear();
      throw py::type_error("expected str or os.PathLike, got " + TypeName(argument));
    }
    text = py::reinterpret_steal<py::object>(path);
    if (PyBytes_Check(text.ptr())) text = py::reinterpret_steal<py::object>(PyUnicode_DecodeFSDefaultAndSize(
                                        PyBytes_AS_STRING(text.ptr()), PyBytes_GET_SIZE(text.ptr())));
    if (!text) throw py::error_already_set();
  }
  if (!PyUnicode_Check(text.ptr())) throw py::type_error("expected str, got " + TypeName(argument));
  Py_ssize_t length = 0;
  wchar_t* wide = PyUnicode_AsWideCharString(text.ptr(), &length);
  if (!wide) throw py::error_already_set();
  text_ = SysAllocStringLen(wide, static_cast<unsigned>(length));
  PyMem_Free(wide);
  if (!text_) throw std::bad_alloc();
}

// The library's strings count their terminating zero as one more character, and
// narrow text holds no zero, so the text ends at the first zero.
py::str StrFromBstr(const OLECHAR* text) {
  PyObject* converted = PyUnicode_FromWideChar(text ? text : L"", text ? std::wcslen(text) : 0);
  if (!converted) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(converted);
}

py::str TakeBstr(BSTR text) {
  struct Freed {
    BSTR text;
    ~Freed() { SysFreeString(text); }
  } freed{text};
  return StrFromBstr(text);
}

VariantArgument::VariantArgument(py::handle value) {
  VariantInit(&value_);
  if (PyUnicode_Check(value.ptr())) {
    const BstrArgument text(value);
    value_.bstrVal = SysAllocStringLen(text, SysStringLen(text));
    if (!value_.bstrVal) throw std::bad_alloc();
    value_.vt = VT_BSTR;
  } else if (PyBool_Check(value.ptr())) {
    value_.vt = VT_BOOL;
    value_.boolVal = value.ptr() == Py_True ? VARIANT_TRUE : VARIANT_FALSE;
  } else if (PyLong_Check(value.ptr())) {
    int overflow = 0;
    const long long number = PyLong_AsLongLongAndOverflow(value.ptr(), &overflow);
    if (!overflow && number >= INT32_MIN && number <= INT32_MAX) {
      value_.vt = VT_I4;
      value_.lVal = static_cast<LONG>(number);
    } else {
      value_.vt = VT_R8;
      value_.dblVal = PyLong_AsDouble(value.ptr());
      if (PyErr_Occurred()) throw py::error_already_set();
    }
  } else if (PyFloat_Check(value.ptr())) {
    value_.vt = VT_R8;
    value_.dblVal = PyFloat_AsDouble(value.ptr());
  } else {
    throw py::type_error("IndexOrName: expected int, float or str, got " + TypeName(value));
  }
}
