// Failing statuses become vexaconfig.Error, a RuntimeError with the status in
// .hresult and a message naming the status and the cause: the message-log lines
// and traces written during the failing call, or the member called when neither
// says anything.
#pragma once
#include <pybind11/pybind11.h>

#include <cstdint>
#include <stdexcept>
#include <string>

#include "platform/hresult.h"

class StatusError : public std::runtime_error {
 public:
  StatusError(HRESULT hr, const std::string& cause);
  HRESULT Status() const { return status_; }

 private:
  HRESULT status_;
};

// Defines vexaconfig.Error and turns every StatusError into it.
void RegisterError(pybind11::module_& module);

// Routes the library's traces to the TraceCollector of the thread that writes them.
void RouteTracesToCollectors();

// Collects the traces written on this thread while it lives.
class TraceCollector {
 public:
  TraceCollector();
  ~TraceCollector();
  TraceCollector(const TraceCollector&) = delete;
  TraceCollector& operator=(const TraceCollector&) = delete;
  const std::string& Text() const { return text_; }
  void Add(const std::string& trace) { text_ += trace; }

 private:
  TraceCollector* outer_;
  std::string text_;
};

// The end of the message log before a call, from which its new lines are read.
class MessageLogTail {
 public:
  // The log at a native path.
  void Follow(const std::string& path) { path_ = path; }
  const std::string& Path() const { return path_; }
  std::uintmax_t End() const;
  std::string TextFrom(std::uintmax_t offset) const;

 private:
  std::string path_;
};

// Whether a call may take long enough that other Python threads should run meanwhile.
enum class Blocking { No, Yes };

// Runs one interface call. A failing status raises Error; `member` names the
// call when neither `log` nor the traces give a cause.
template <class Call>
HRESULT CheckedCall(const char* member, Call&& call, Blocking blocking = Blocking::No,
                    const MessageLogTail* log = nullptr) {
  const std::uintmax_t logEnd = log ? log->End() : 0;
  TraceCollector traces;
  HRESULT hr;
  if (blocking == Blocking::Yes) {
    pybind11::gil_scoped_release unlocked;
    hr = call();
  } else {
    hr = call();
  }
  if (SUCCEEDED(hr)) return hr;
  std::string cause = log ? log->TextFrom(logEnd) : "";
  cause += traces.Text();
  throw StatusError(hr, cause.empty() ? member : cause);
}
