#include "tools/tool_session.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/file_replace.h"
#include "platform/native_file.h"
#include "platform/native_path.h"
#include "platform/private_file.h"
#include "platform/safearray.h"
#include "platform/text_conversion.h"
#include "platform/trace_scope.h"
#include "storage/leftover_saves.h"
#include "tools/failure_cause.h"
#include "tools/select_columns.h"
#include "tools/trace_recorder.h"

namespace {
BSTR NewBstr(const std::string& text) { return SysAllocString(WideFromUtf8(text).c_str()); }

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Calls a method taking one automation string, freeing the string afterwards.
template <typename Call>
HRESULT WithBstr(const std::string& text, Call call) {
  BSTR argument = NewBstr(text);
  if (!argument) return E_OUTOFMEMORY;
  HRESULT hr = call(argument);
  SysFreeString(argument);
  return hr;
}

void TakeRows(VARIANT& results, std::vector<Cells>& rows) {
  if (results.vt != (VT_ARRAY | VT_BSTR)) return;
  LONG lower = 0, upper = -1;
  SafeArrayGetLBound(results.parray, 1, &lower);
  SafeArrayGetUBound(results.parray, 1, &upper);
  void* data = nullptr;
  SafeArrayAccessData(results.parray, &data);
  for (LONG i = 0; i <= upper - lower; ++i) rows.push_back(SplitCells(Utf8FromWide(static_cast<BSTR*>(data)[i])));
  SafeArrayUnaccessData(results.parray);
}
}  // namespace

// The log is a new file of its own in the temporary folder, so it is never
// deleted and made again under a name that another user could plant.
ToolSession::ToolSession()
    : config_(VexaConfig::CreateInstance()), logPath_(CreatePrivateFile(TemporaryFolder() + "/vexacfg-log-")) {
  WithBstr(logPath_, [&](BSTR path) { return config_->OpenMessageLog(path, VARIANT_FALSE); });
  NewMessages();  // the opening banner is no failure text
}

ToolSession::~ToolSession() {
  config_->Release();
  RemoveNativeFile(logPath_);
}

void ToolSession::Begin(Operation operation, const std::string& subject) {
  operation_ = operation;
  subject_ = subject;
  ForgetTraces();
}

HRESULT ToolSession::Open(const std::string& path) {
  Begin(Operation::kOpen, path);
  path_ = path;
  backedUp_ = false;
  const HRESULT hr = WithBstr(path, [&](BSTR bstr) { return config_->Open(bstr, VARIANT_FALSE); });
  // What Open logs on success (a file that may be cut off) is a warning.
  if (SUCCEEDED(hr))
    if (const std::string warning = NewMessages(); !warning.empty())
      std::fprintf(stderr, "vexacfg: warning: %s\n", warning.c_str());
  return hr;
}

HRESULT ToolSession::Create(const std::string& path) {
  Begin(Operation::kOther, path);
  return WithBstr(path, [&](BSTR bstr) { return config_->Create(bstr, VARIANT_FALSE); });
}

HRESULT ToolSession::Select(const std::string& statement, Cells& names, std::vector<Cells>& rows) {
  Begin(Operation::kRun, statement);
  VARIANT results;
  VariantInit(&results);
  HRESULT hr = WithBstr(statement, [&](BSTR bstr) { return config_->Query(bstr, &results); });
  TakeRows(results, rows);
  VariantClear(&results);
  if (SUCCEEDED(hr)) names = SelectColumnNames(statement, config_->Root());
  // A file that could not be extracted from the archive gives no row, and the statement still succeeds.
  const std::vector<std::string> traces = RecordedTraces();
  for (const std::string& trace : traces)
    if (SUCCEEDED(hr) && trace.rfind("tZBall::UnzipMiscToTemp", 0) == 0) {
      std::fprintf(stderr, "vexacfg: warning: %s: %s\n", statement.c_str(), TracedCause(traces).c_str());
      break;
    }
  return hr;
}

HRESULT ToolSession::Run(const std::string& statement, const OutputOptions& output) {
  Cells names;
  std::vector<Cells> rows;
  HRESULT hr = Select(statement, names, rows);
  if (SUCCEEDED(hr) && IsSelect(statement)) std::fputs(FormatRows(output, names, rows).c_str(), stdout);
  std::fflush(stdout);
  return hr;
}

HRESULT ToolSession::Save() {
  Begin(Operation::kOther, path_);
  if (!backedUp_) {
    // Copied whole or not at all: a good backup is never replaced by a cut-off
    // one. The save goes on without it: the user did not ask for it.
    if (!CopyFileContent(path_, path_ + kBackupSuffix)) {
      const std::string cause = TracedCause(RecordedTraces());
      std::fprintf(stderr, "vexacfg: warning: no backup copy %s%s%s\n", (path_ + kBackupSuffix).c_str(),
                   cause.empty() ? "" : ": ", cause.c_str());
      ForgetTraces();
    }
    backedUp_ = true;
  }
  const HRESULT hr = config_->Save();
  // What a successful save logs (the copy it kept of a file changed on disk) is a warning.
  if (SUCCEEDED(hr))
    if (const std::string warning = NewMessages(); !warning.empty())
      std::fprintf(stderr, "vexacfg: warning: %s\n", warning.c_str());
  return hr;
}

std::string ToolSession::NewMessages() {
  std::ifstream log(FileSystemPath(logPath_), std::ios::binary);
  std::stringstream content;
  content << log.rdbuf();
  std::string text = content.str();
  std::string fresh = logRead_ < text.size() ? text.substr(logRead_) : "";
  logRead_ = text.size();
  while (!fresh.empty() && (fresh.back() == '\n' || fresh.back() == '\r')) fresh.pop_back();
  for (char& c : fresh)
    if (c == '\n') c = ' ';
  return Utf8FromNarrow(fresh.c_str());
}

int ToolSession::Fail(HRESULT hr, const std::string& context) {
  std::string messages = NewMessages();
  const std::vector<std::string> traces = RecordedTraces();
  std::string cause;
  if (operation_ == Operation::kOpen) {
    if (messages.empty() && LacksParameterDefaultsState(traces)) {
      messages = "Open: ( " + subject_ + " ) has no ParameterDefaultsState table, which Open cannot repair";
    } else if (messages.rfind("Open: Unable to load", 0) == 0) {
      // The tool names the cause in its own words, in place of the traced one that the log line ends with.
      if (const std::string traced = TracedCause(traces); !traced.empty() && EndsWith(messages, ": " + traced))
        messages.resize(messages.size() - traced.size() - 2);
      cause = LoadFailureCause(subject_, traces);
    }
  } else if (operation_ == Operation::kRun) {
    cause = StatementFailureCause(subject_, hr, traces);
  } else {
    cause = TracedCause(traces);
  }
  if (messages.empty()) messages = context.empty() && operation_ == Operation::kRun ? subject_ : context;
  if (!cause.empty() && EndsWith(messages, ": " + cause)) cause.clear();
  return FailWith(DescribeHResult(hr) + (messages.empty() ? "" : ": " + messages) + (cause.empty() ? "" : ": " + cause));
}

int FailWith(const std::string& text, int exitCode) {
  std::fprintf(stderr, "vexacfg: %s\n", text.c_str());
  return exitCode;
}
