// A caller that knows nothing of the server but its program identifier: it
// creates the configuration object through the component runtime, drives it
// through IDispatch alone, and reads the type information it publishes. What
// a script engine cannot check is checked here: the rows of Query as an array
// of strings, and the names, member identifiers and optional defaults of the
// type library. Run as: late_bound_client FOLDER; prints the end marker last.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {
int failures = 0;

void Check(bool condition, const char* what) {
  if (condition) return;
  std::printf("FAIL: %s\n", what);
  ++failures;
}

struct Variant : VARIANT {
  Variant() { VariantInit(this); }
  explicit Variant(const std::wstring& text) : Variant() { vt = VT_BSTR, bstrVal = SysAllocString(text.c_str()); }
  explicit Variant(bool value) : Variant() { vt = VT_BOOL, boolVal = value ? VARIANT_TRUE : VARIANT_FALSE; }
  ~Variant() { VariantClear(this); }
};

DISPID IdOf(IDispatch* object, const wchar_t* name) {
  OLECHAR* names[] = {const_cast<OLECHAR*>(name)};
  DISPID id = DISPID_UNKNOWN;
  object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  return id;
}

// Arguments in declaration order; Invoke takes them last first.
HRESULT Call(IDispatch* object, const wchar_t* name, std::vector<VARIANT*> arguments, VARIANT* result = nullptr) {
  std::vector<VARIANT> reversed;
  for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) reversed.push_back(**it);
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  EXCEPINFO exception{};
  HRESULT hr = object->Invoke(IdOf(object, name), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result,
                              &exception, nullptr);
  if (hr == DISP_E_EXCEPTION) hr = exception.scode;
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  return hr;
}

IDispatch* Create(const wchar_t* progId) {
  CLSID clsid;
  IDispatch* object = nullptr;
  if (FAILED(CLSIDFromProgID(progId, &clsid)) ||
      FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&object))))
    return nullptr;
  return object;
}

std::vector<std::wstring> Rows(const VARIANT& result) {
  std::vector<std::wstring> rows;
  if (result.vt != (VT_ARRAY | VT_BSTR) || SafeArrayGetDim(result.parray) != 1) return rows;
  LONG lower = 0, upper = -1;
  SafeArrayGetLBound(result.parray, 1, &lower);
  SafeArrayGetUBound(result.parray, 1, &upper);
  Check(lower == 0, "Query's array starts at 0");
  for (LONG i = lower; i <= upper; ++i) {
    BSTR row = nullptr;
    SafeArrayGetElement(result.parray, &i, &row);
    rows.emplace_back(row ? row : L"");
    SysFreeString(row);
  }
  return rows;
}

void CheckQuery(IDispatch* config, const std::wstring& path) {
  Variant file(path), no(false);
  Check(Call(config, L"Create", {&file, &no}) == S_OK, "Create");
  Check(Call(config, L"Open", {&file, &no}) == S_OK, "Open");
  Variant update(std::wstring(L"update Colors set * = 255|red")), update2(std::wstring(L"update Colors set * = 65280|green"));
  Check(Call(config, L"Query", {&update}) == S_OK && Call(config, L"Query", {&update2}) == S_OK, "Query of updates");
  Variant select(std::wstring(L"select Color, PropertyBag from Colors")), rows;
  Check(Call(config, L"Query", {&select}, &rows) == S_OK, "Query of a select");
  Check(Rows(rows) == std::vector<std::wstring>{L"255|red", L"65280|green"}, "Query's rows joined by |");
  Variant none(std::wstring(L"select * from Colors where Color = 1")), empty;
  // Late binding passes success codes on as S_OK: the empty result tells.
  Check(Call(config, L"Query", {&none}, &empty) == S_OK && empty.vt == VT_EMPTY,
        "a select without rows leaves the result empty");
  Variant bad(std::wstring(L"select * from NoSuchTable")), ignored;
  Check(Call(config, L"Query", {&bad}, &ignored) == E_FAIL, "Query of an unknown table fails with E_FAIL");
  Check(Call(config, L"Close", {&no}) == S_OK, "Close");
}

// The function of `info` with member identifier `id` and the given kind.
FUNCDESC* Function(ITypeInfo* info, MEMBERID id, INVOKEKIND kind) {
  TYPEATTR* attributes = nullptr;
  info->GetTypeAttr(&attributes);
  FUNCDESC* found = nullptr;
  for (UINT i = 0; i < attributes->cFuncs && !found; ++i) {
    FUNCDESC* function = nullptr;
    info->GetFuncDesc(i, &function);
    if (function->memid == id && function->invkind == kind) found = function;
    else info->ReleaseFuncDesc(function);
  }
  info->ReleaseTypeAttr(attributes);
  return found;
}

std::wstring MemberName(ITypeInfo* info, MEMBERID id) {
  BSTR name = nullptr;
  info->GetDocumentation(id, &name, nullptr, nullptr, nullptr);
  std::wstring text = name ? name : L"";
  SysFreeString(name);
  return text;
}

// The last parameter before the out value is optional with the default true.
bool OptionalTrue(ITypeInfo* info, MEMBERID id, int parameters) {
  FUNCDESC* function = Function(info, id, INVOKE_FUNC);
  if (!function) return false;
  const PARAMDESC& last = function->lprgelemdescParam[parameters - 1].paramdesc;
  Variant value;
  const bool optional = function->cParams == parameters && (last.wParamFlags & PARAMFLAG_FOPT) &&
                        (last.wParamFlags & PARAMFLAG_FHASDEFAULT) &&
                        SUCCEEDED(VariantChangeType(&value, &last.pparamdescex->varDefaultValue, 0, VT_I4)) &&
                        value.lVal == -1;
  info->ReleaseFuncDesc(function);
  return optional;
}

void CheckTypeInformation(IDispatch* config) {
  UINT count = 0;
  Check(config->GetTypeInfoCount(&count) == S_OK && count == 1, "GetTypeInfoCount answers 1");
  ITypeInfo* info = nullptr;
  if (FAILED(config->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info))) return Check(false, "GetTypeInfo");
  Check(MemberName(info, MEMBERID_NIL) == L"IVexaConfig", "the type info is IVexaConfig's");
  struct Expected {
    const wchar_t* name;
    MEMBERID id;
  };
  const Expected members[] = {{L"Open", 1},    {L"Create", 2},          {L"Save", 3},       {L"Close", 4},
                              {L"Version", 6}, {L"OpenMessageLog", 7}, {L"Events", 10},    {L"Query", 50}};
  for (const Expected& member : members) {
    Check(MemberName(info, member.id) == member.name, "a member's name");
    Check(IdOf(config, member.name) == member.id, "a member's identifier");
  }
  Check(OptionalTrue(info, 1, 2), "Open's CreateBackupFile defaults to true");
  Check(OptionalTrue(info, 4, 1), "Close's WithSave defaults to true");
  Check(OptionalTrue(info, 7, 2), "OpenMessageLog's DeleteExistingLog defaults to true");
  info->Release();

  IDispatch* item = Create(L"VexaConfigInterface.ParameterDefault");
  if (!item) return Check(false, "CoCreateInstance of ParameterDefault");
  Check(IdOf(item, L"Name") == 2 && IdOf(item, L"NullBaseline") == 44 && IdOf(item, L"NullBias") == 66 &&
            IdOf(item, L"NullGroup") == 45,
        "ParameterDefault's identifiers");
  if (SUCCEEDED(item->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info))) {
    FUNCDESC* color = Function(info, IdOf(item, L"Color"), INVOKE_PROPERTYGET);
    ITypeInfo* type = nullptr;
    Check(color && color->elemdescFunc.tdesc.vt == VT_USERDEFINED &&
              SUCCEEDED(info->GetRefTypeInfo(color->elemdescFunc.tdesc.hreftype, &type)) &&
              MemberName(type, MEMBERID_NIL) == L"OLE_COLOR",
          "Color is an OLE_COLOR");
    if (type) type->Release();
    if (color) info->ReleaseFuncDesc(color);
    info->Release();
  }
  item->Release();

  IDispatch* events = Create(L"VexaConfigInterface.Events.1");
  Check(events && IdOf(events, L"_NewEnum") == DISPID_NEWENUM && IdOf(events, L"SaveTable") == 6,
        "Events' identifiers");
  if (events) events->Release();
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  CoInitialize(nullptr);
  IDispatch* config = Create(L"VexaConfigInterface.VexaConfig");
  Check(config != nullptr, "CoCreateInstance by program identifier");
  if (config) {
    std::string folder = argv[1];
    CheckQuery(config, std::wstring(folder.begin(), folder.end()) + L"\\client.cfg");
    CheckTypeInformation(config);
    config->Release();
  }
  CoUninitialize();
  std::printf("checks failed: %d\nEND late_bound_client\n", failures);
  return failures == 0 ? 0 : 1;
}
