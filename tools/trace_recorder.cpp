#include "tools/trace_recorder.h"

#include <mutex>

#include "platform/trace.h"

namespace {
// A statement over a large table can trace once per row; the first ones say why.
constexpr size_t kKept = 100;

struct Recorder {
  std::mutex mutex;  // the pools' deleter threads may trace too
  std::vector<std::string> traces;
};

Recorder& TheRecorder() {
  static Recorder recorder;
  return recorder;
}
}  // namespace

void RecordTraces() {
  SetTraceSink([](const std::string& text) {
    Recorder& recorder = TheRecorder();
    std::lock_guard<std::mutex> lock(recorder.mutex);
    if (recorder.traces.size() >= kKept) return;
    std::string line = text;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    recorder.traces.push_back(line);
  });
}

void ForgetTraces() {
  Recorder& recorder = TheRecorder();
  std::lock_guard<std::mutex> lock(recorder.mutex);
  recorder.traces.clear();
}

std::vector<std::string> RecordedTraces() {
  Recorder& recorder = TheRecorder();
  std::lock_guard<std::mutex> lock(recorder.mutex);
  return recorder.traces;
}
