// A program outside the project that uses the installed library: it creates a
// configuration file, opens it and prints the rows of one select.
#include <cstdio>

#include "automation/vexa_config.h"
#include "platform/safearray.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::wstring path(argv[1], argv[1] + std::char_traits<char>::length(argv[1]));
  BSTR file = SysAllocString(path.c_str());
  BSTR select = SysAllocString(L"select ParameterDefaults, isActive from ParameterDefaultsState");
  VexaConfig* config = VexaConfig::CreateInstance();
  VARIANT rows;
  VariantInit(&rows);
  HRESULT hr = config->Create(file, VARIANT_TRUE);
  if (hr == S_OK) hr = config->Query(select, &rows);
  if (hr == S_OK && rows.vt == (VT_ARRAY | VT_BSTR)) {
    LONG first = 0;
    BSTR row = nullptr;
    SafeArrayGetElement(rows.parray, &first, &row);
    std::printf("%ls\n", row);
    SysFreeString(row);
  }
  VariantClear(&rows);
  config->Release();
  SysFreeString(select);
  SysFreeString(file);
  return hr == S_OK ? 0 : 1;
}
