// Failing statuses become vexaconfig.Error, a RuntimeError with the status in
// .hresult and a message naming the status and the cause, in the words of the
// command-line tool's error line: the message-log lines written during the
// failing call and the cause its traces give, or the member called when neither
// says anything. Item and Remove raise its subclasses ItemNameError (also a
// KeyError) and ItemIndexError (also an IndexError).
#pragma once
#include <pybind11/pybind11.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/hresult.h"
#include "tools/failure_cause.h"

class StatusError : public std::runtime_error {
 public:
  // Which Python class the error becomes.
  enum class Kind { kStatus, kItemName, kItemIndex };
  StatusError(HRESULT hr, const std::string& cause, Kind kind = Kind::kStatus);
  HRESULT Status() const { return status_; }
  Kind Which() const { return kind_; }

 private:
  HRESULT status_;
  Kind kind_;
};

// Defines vexaconfig.Error and turns every StatusError into it.
void RegisterError(pybind11::module_& module);

// Routes the library's traces to the TraceCollector of the thread that writes them.
void RouteTracesToCollectors();

// Collects the traces written on this thread while it lives (an outer collector
// gets them too).
class TraceCollector {
 public:
  TraceCollector();
  ~TraceCollector();
  TraceCollector(const TraceCollector&) = delete;
  TraceCollector& operator=(const TraceCollector&) = delete;
  // One trace per element, without its line feed.
  const std::vector<std::string>& Traces() const { return traces_; }
  void Add(const std::string& trace);

 private:
  TraceCollector* outer_;
  std::vector<std::string> traces_;
};

// The end of the message log before a call, from which its new lines are read.
class MessageLogTail {
 public:
  // The log at a native path.
  void Follow(const std::string& path) { path_ = path; }
  const std::string& Path() const { return path_; }
  std::uintmax_t End() const;
  // The lines written since, as one line of UTF-8.
  std::string TextFrom(std::uintmax_t offset) const;

 private:
  std::string path_;
};

// Whether a call may take long enough that other Python threads should run meanwhile.
enum class Blocking { No, Yes };

// What failed, for the cause an error names: opening the file `subject`, the
// statement `subject`, or another call.
struct FailureSubject {
  FailedStep step = FailedStep::kOther;
  std::string subject;
};

// Runs one interface call. A failing status raises Error; `member` names the
// call when neither `log` nor the traces give a cause.
template <class Call>
HRESULT CheckedCall(const char* member, Call&& call, Blocking blocking = Blocking::No,
                    const MessageLogTail* log = nullptr, const FailureSubject& what = {}) {
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
  const std::string messages = log ? log->TextFrom(logEnd) : "";
  throw StatusError(hr, FailureText(what.step, what.subject, hr, messages, traces.Traces(),
                                    what.step == FailedStep::kStatement ? "" : member));
}
