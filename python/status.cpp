#include "python/status.h"

#include <pybind11/eval.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/native_file.h"
#include "platform/trace.h"

namespace py = pybind11;

namespace {
thread_local TraceCollector* currentCollector = nullptr;

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

StatusError::StatusError(HRESULT hr, const std::string& cause)
    : std::runtime_error(DescribeHResult(hr) + ": " + OneLine(cause)), status_(hr) {}

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
)", scope);
  py::object error = scope["Error"];
  module.attr("Error") = error;
  // Kept for the translator, which outlives any reference the module holds.
  static PyObject* errorType = error.release().ptr();
  py::register_exception_translator([](std::exception_ptr raised) {
    try {
      if (raised) std::rethrow_exception(raised);
    } catch (const StatusError& status) {
      py::object instance = py::reinterpret_borrow<py::object>(errorType)(status.what(), status.Status());
      PyErr_SetObject(errorType, instance.ptr());
    }
  });
}

void RouteTracesToCollectors() {
  SetTraceSink([](const std::string& trace) {
    if (currentCollector) currentCollector->Add(trace);
  });
}

TraceCollector::TraceCollector() : outer_(currentCollector) { currentCollector = this; }
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
  return text.str();
}
