#include "platform/browser_launch.h"

#include "platform/text_conversion.h"
#include "platform/windows_sdk.h"

#include <shellapi.h>

bool OpenInBrowser(const std::string& url) {
  const std::wstring wide = WideFromUtf8(url);
  return reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}
