#include "tools/tool_session.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/native_path.h"
#include "platform/private_file.h"
#include "platform/safearray.h"
#include "platform/text_conversion.h"

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

void PrintRows(VARIANT& results) {
  if (results.vt != (VT_ARRAY | VT_BSTR)) return;
  LONG lower = 0, upper = -1;
  SafeArrayGetLBound(results.parray, 1, &lower);
  SafeArrayGetUBound(results.parray, 1, &upper);
  void* data = nullptr;
  SafeArrayAccessData(results.parray, &data);
  for (LONG i = 0; i <= upper - lower; ++i) std::printf("%s\n", Utf8FromWide(static_cast<BSTR*>(data)[i]).c_str());
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
  std::remove(logPath_.c_str());
}

// What Open logs on success (a file that may be cut off) is a warning.
HRESULT ToolSession::Open(const std::string& path, bool willSave) {
  const HRESULT hr =
      WithBstr(path, [&](BSTR bstr) { return config_->Open(bstr, willSave ? VARIANT_TRUE : VARIANT_FALSE); });
  if (SUCCEEDED(hr))
    if (const std::string warning = NewMessages(); !warning.empty()) std::fprintf(stderr, "vexacfg: warning: %s\n", warning.c_str());
  return hr;
}

HRESULT ToolSession::Create(const std::string& path) {
  return WithBstr(path, [&](BSTR bstr) { return config_->Create(bstr, VARIANT_FALSE); });
}

HRESULT ToolSession::Run(const std::string& statement) {
  VARIANT results;
  VariantInit(&results);
  HRESULT hr = WithBstr(statement, [&](BSTR bstr) { return config_->Query(bstr, &results); });
  PrintRows(results);
  std::fflush(stdout);
  VariantClear(&results);
  return hr;
}

std::string ToolSession::NewMessages() {
  std::ifstream log(logPath_, std::ios::binary);
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
  if (messages.empty()) messages = context;
  return FailWith(DescribeHResult(hr) + (messages.empty() ? "" : ": " + messages));
}

int FailWith(const std::string& text) {
  std::fprintf(stderr, "vexacfg: %s\n", text.c_str());
  return 1;
}
