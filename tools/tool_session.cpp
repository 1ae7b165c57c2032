#include "tools/tool_session.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/file_replace.h"
#include "platform/interrupt.h"
#include "platform/native_file.h"
#include "platform/native_path.h"
#include "platform/private_file.h"
#include "platform/safearray.h"
#include "platform/text_conversion.h"
#include "platform/trace_scope.h"
#include "storage/leftover_saves.h"
#include "tools/failure_cause.h"
#include "tools/row_changes.h"
#include "tools/select_columns.h"
#include "tools/statement_check.h"
#include "tools/trace_recorder.h"

namespace {
BSTR NewBstr(const std::string& text) { return SysAllocString(WideFromUtf8(text).c_str()); }

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

void ToolSession::Begin(FailedStep step, const std::string& subject) {
  step_ = step;
  subject_ = subject;
  ForgetTraces();
}

HRESULT ToolSession::Open(const std::string& path) {
  Begin(FailedStep::kOpen, path);
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
  Begin(FailedStep::kOther, path);
  return WithBstr(path, [&](BSTR bstr) { return config_->Create(bstr, VARIANT_FALSE); });
}

HRESULT ToolSession::Select(const std::string& statement, Cells& names, std::vector<Cells>& rows) {
  Begin(FailedStep::kStatement, statement);
  VARIANT results;
  VariantInit(&results);
  HRESULT hr = WithBstr(statement, [&](BSTR bstr) { return config_->Query(bstr, &results); });
  TakeRows(results, rows);
  VariantClear(&results);
  if (SUCCEEDED(hr)) names = SelectColumnNames(statement, config_->Root());
  return hr;
}

ToolSession::Outcome ToolSession::Run(const std::string& statement, const OutputOptions& output) {
  if (const std::string refusal = StatementRefusal(WideFromUtf8(statement)); !refusal.empty()) {
    FailWith(DescribeHResult(E_INVALIDARG) + ": " + statement + ": " + refusal);
    return Outcome::kFailed;
  }
  const RowChanges changes(config_->Root(), output.changes ? statement : "");
  Cells names;
  std::vector<Cells> rows;
  const HRESULT hr = Select(statement, names, rows);
  if (FAILED(hr)) {
    Fail(hr, statement);
    return Outcome::kFailed;
  }
  if (IsSelect(statement)) WriteOutput(FormatRows(output, names, rows));
  if (output.changes && !IsSelect(statement)) std::printf("%s\n", changes.Summary().c_str());
  std::fflush(stdout);
  if (const std::string cause = TracedCause(RecordedTraces(), statement); !cause.empty()) {
    FailWith("warning: " + statement + ": " + cause);
    return Outcome::kWarned;
  }
  return Outcome::kDone;
}

HRESULT ToolSession::Save() {
  Begin(FailedStep::kOther, path_);
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

HRESULT ToolSession::SaveAs(const std::string& path) {
  Begin(FailedStep::kOther, path);
  if (HRESULT hr = config_->Engine().Commit(); FAILED(hr)) return hr;
  return config_->Source().SaveToFile(path.c_str());
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
  const std::string text = FailureText(step_, subject_, hr, NewMessages(), RecordedTraces(), context);
  return FailWith(DescribeHResult(hr) + (text.empty() ? "" : ": " + text));
}

void WriteOutput(const std::string& text) {
  constexpr size_t kPiece = 4096;
  for (size_t at = 0; at < text.size(); at += kPiece) {
    if (InterruptWatch::Interrupted()) {
      std::fputs("^C\n", stdout);
      break;
    }
    std::fwrite(text.data() + at, 1, std::min(kPiece, text.size() - at), stdout);
  }
  std::fflush(stdout);
}

int FailWith(const std::string& text, int exitCode) {
  std::fprintf(stderr, "vexacfg: %s\n", text.c_str());
  return exitCode;
}
