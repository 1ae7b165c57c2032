#include "python/status.h"

#include <pybind11/eval.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/native_file.h"
#include "platform/text_conversion.h"
#include "platform/trace.h"

namespace py = pybind11;

namespace {
thread_local TraceCollector* currentCollector = nullptr;
constexpr size_t kKeptTraces = 100;

// Lines become one: the message reads as one sentence per cause.
std::string OneLine(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  std::string joined;
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n') joined += ' ';
    else joined += c;
  }
  return joined;
}
}  // namespace

StatusError::StatusError(HRESULT hr, const std::string& cause, Kind kind)
    : std::runtime_error(DescribeHResult(hr) + ": " + OneLine(cause)), status_(hr), kind_(kind) {}

void RegisterError(py::module_& module) {
  py::dict scope;
  scope["__name__"] = module.attr("__name__");
  py::exec(R"(
class Error(RuntimeError):
    """A call answered with a failing status. .hresult holds the status (a signed
    32-bit value, as automation clients see it); the message names the status and
    the cause that the message log or the traces gave."""

    def __init__(self, message, hresult):
        super().__init__(message)
        self.hresult = hresult

    # KeyError would show the message quoted.
    __str__ = RuntimeError.__str__


class ItemNameError(Error, KeyError):
    """Item or Remove was given a name that no item has."""


class ItemIndexError(Error, IndexError):
    """Item or Remove was given an index outside 1 to Count."""
)", scope);
  // Kept for the translator, which outlives any reference the module holds.
  static PyObject* types[3];
  const char* const names[3] = {"Error", "ItemNameError", "ItemIndexError"};
  for (int i = 0; i < 3; ++i) {
    py::object type = scope[names[i]];
    module.attr(names[i]) = type;
    types[i] = type.release().ptr();
  }
  py::register_exception_translator([](std::exception_ptr raised) {
    try {
      if (raised) std::rethrow_exception(raised);
    } catch (const StatusError& status) {
      PyObject* type = types[static_cast<int>(status.Which())];
      py::object instance = py::reinterpret_borrow<py::object>(type)(status.what(), status.Status());
      PyErr_SetObject(type, instance.ptr());
    }
  });
}

void RouteTracesToCollectors() {
  SetTraceSink([](const std::string& trace) {
    if (currentCollector) currentCollector->Add(trace);
  });
}

TraceCollector::TraceCollector() : outer_(currentCollector) { currentCollector = this; }

void TraceCollector::Add(const std::string& trace) {
  if (outer_) outer_->Add(trace);
  if (traces_.size() >= kKeptTraces) return;  // a statement can trace once per row; the first ones say why
  std::string line = trace;
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  traces_.push_back(line);
}
TraceCollector::~TraceCollector() { currentCollector = outer_; }

std::uintmax_t MessageLogTail::End() const {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(FileSystemPath(path_), error);
  return error ? 0 : size;
}

std::string MessageLogTail::TextFrom(std::uintmax_t offset) const {
  std::ifstream log(FileSystemPath(path_), std::ios::binary);
  if (!log) return "";
  log.seekg(static_cast<std::streamoff>(offset));
  std::stringstream text;
  text << log.rdbuf();
  return OneLine(Utf8FromNarrow(text.str().c_str()));
}
