#include "automation/parameter_defaults.h"
#include "platform/component_registry.h"
#include "platform/native_path.h"
#include "storage/zlib_obj.h"

#include "tests/collection_fixture.h"

namespace {
DISPID IdOf(IDispatch* object, const wchar_t* name) {
  OLECHAR* names[] = {const_cast<OLECHAR*>(name)};
  DISPID id = DISPID_UNKNOWN;
  EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK) << name;
  return id;
}

// Invokes with the arguments in declaration order (the call reverses them).
HRESULT Call(IDispatch* object, DISPID id, std::uint16_t flags, std::vector<VARIANT> arguments, VARIANT* result,
             unsigned* argumentError = nullptr) {
  if (result) VariantClear(result);
  std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{reversed.data(), flags == DISPATCH_PROPERTYPUT ? &put : nullptr,
                    static_cast<unsigned>(reversed.size()), flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
  return object->Invoke(id, IID_NULL, 0, flags, &params, result, nullptr, argumentError);
}

// An interface with an optional argument, as the configuration object has them.
inline constexpr IID kSwitchIid = {0x1, 0x2, 0x3, {0, 0, 0, 0, 0, 0, 0, 4}};
struct ISwitch : IDispatch {
  static constexpr const IID* kIid = &kSwitchIid;
  static const DispatchTable kDispatch;
  virtual HRESULT STDMETHODCALLTYPE Turn(BSTR name, VARIANT_BOOL on) = 0;
};
constexpr DispatchMember kSwitchMembers[] = {
    Member<&ISwitch::Turn>(L"Turn", 1, MemberKind::Method).Optional({VARIANT_TRUE})};
const DispatchTable ISwitch::kDispatch{kSwitchMembers};

class Switch final : public DispatchObject<ISwitch> {
 public:
  HRESULT STDMETHODCALLTYPE Turn(BSTR, VARIANT_BOOL on) override {
    last = on;
    return S_OK;
  }
  VARIANT_BOOL last = 0;
};
}  // namespace

TEST(Dispatch, NamesResolveIgnoringCaseWithFixedIds) {
  ParameterDefault* item = NewObject<ParameterDefault>();
  EXPECT_EQ(IdOf(item, L"NAME"), 2);
  EXPECT_EQ(IdOf(item, L"nullbaseline"), 44);
  EXPECT_EQ(IdOf(item, L"NullBias"), 66);
  EXPECT_EQ(IdOf(item, L"NullGroup"), 45);
  EXPECT_EQ(IdOf(item, L"Delete"), 58);
  OLECHAR* unknown[] = {const_cast<OLECHAR*>(L"Nope")};
  DISPID id = 0;
  EXPECT_EQ(item->GetIDsOfNames(IID_NULL, unknown, 1, 0, &id), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(id, DISPID_UNKNOWN);
  ParameterDefaults* defaults = NewObject<ParameterDefaults>();
  EXPECT_EQ(IdOf(defaults, L"_newenum"), DISPID_NEWENUM);
  EXPECT_EQ(IdOf(defaults, L"SaveTable"), 7);
  defaults->Release();
  item->Release();
}

TEST(Dispatch, PropertiesAndMethodsByName) {
  ParameterDefault* item = NewObject<ParameterDefault>();
  Var result;
  ASSERT_EQ(Call(item, IdOf(item, L"Width"), DISPATCH_PROPERTYPUT, {Var(L"7")}, nullptr), S_OK);
  ASSERT_EQ(Call(item, IdOf(item, L"Width"), DISPATCH_PROPERTYGET | DISPATCH_METHOD, {}, &result), S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 7);
  ASSERT_EQ(Call(item, IdOf(item, L"Units"), DISPATCH_PROPERTYPUT, {Var(2.5)}, nullptr), S_OK);
  ASSERT_EQ(Call(item, IdOf(item, L"Units"), DISPATCH_PROPERTYGET, {}, &result), S_OK);
  ASSERT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(std::wstring(result.bstrVal), L"2.5");
  item->Release();

  ParameterDefaults* defaults = NewObject<ParameterDefaults>();
  const DISPID add = IdOf(defaults, L"Add");
  ASSERT_EQ(Call(defaults, add, DISPATCH_METHOD, {Var(L"ALT"), Var(5.0), Var(L"12.5")}, &result), S_OK);
  ASSERT_EQ(result.vt, VT_DISPATCH);
  double rate = 0;
  static_cast<IParameterDefault*>(result.pdispVal)->get_SampleRate(&rate);
  EXPECT_EQ(rate, 12.5);
  ASSERT_EQ(Call(defaults, DISPID_NEWENUM, DISPATCH_PROPERTYGET, {}, &result), S_OK);
  EXPECT_EQ(result.vt, VT_UNKNOWN);
  ASSERT_EQ(Call(defaults, IdOf(defaults, L"Count"), DISPATCH_PROPERTYGET, {}, &result), S_OK);
  EXPECT_EQ(result.lVal, 1);
  ASSERT_EQ(Call(defaults, IdOf(defaults, L"Item"), DISPATCH_METHOD, {Var(L"ALT")}, nullptr), S_OK);
  defaults->Release();
}

TEST(Dispatch, CallFailures) {
  ParameterDefaults* defaults = NewObject<ParameterDefaults>();
  const DISPID add = IdOf(defaults, L"Add");
  Var result;
  unsigned argumentError = 99;
  EXPECT_EQ(Call(defaults, 99, DISPATCH_METHOD, {}, &result), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Call(defaults, IdOf(defaults, L"SetName"), DISPATCH_PROPERTYPUT, {Var(L"x")}, nullptr),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Call(defaults, add, DISPATCH_METHOD, {Var(L"ALT"), Var(5.0)}, &result), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Call(defaults, IdOf(defaults, L"Count"), DISPATCH_PROPERTYGET, {Var(1.0)}, &result),
            DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Call(defaults, add, DISPATCH_METHOD, {Var(L"ALT"), Var(5.0), Var(L"fast")}, &result, &argumentError),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argumentError, 0u);  // the last argument, which comes first
  EXPECT_EQ(Call(defaults, IdOf(defaults, L"Item"), DISPATCH_METHOD, {Var(1.0)}, &result), E_INVALIDARG);
  LONG count = -1;
  defaults->get_Count(&count);
  EXPECT_EQ(count, 0);
  defaults->Release();
}

TEST(Dispatch, OptionalArgumentsTakeTheirDefaults) {
  Switch* light = NewObject<Switch>();
  ASSERT_EQ(Call(light, 1, DISPATCH_METHOD, {Var(L"a")}, nullptr), S_OK);
  EXPECT_EQ(light->last, VARIANT_TRUE);
  VARIANT missing;
  missing.vt = VT_ERROR;
  missing.scode = DISP_E_PARAMNOTFOUND;
  light->last = 0;
  ASSERT_EQ(Call(light, 1, DISPATCH_METHOD, {Var(L"a"), missing}, nullptr), S_OK);
  EXPECT_EQ(light->last, VARIANT_TRUE);
  ASSERT_EQ(Call(light, 1, DISPATCH_METHOD, {Var(L"a"), Var(0.0)}, nullptr), S_OK);
  EXPECT_EQ(light->last, VARIANT_FALSE);
  EXPECT_EQ(Call(light, 1, DISPATCH_METHOD, {}, nullptr), DISP_E_BADPARAMCOUNT);
  light->Release();
}

TEST(Dispatch, EveryObjectCountsInTheModule) {
  const long before = ModuleLock::Count();
  ParameterDefaults* defaults = NewObject<ParameterDefaults>();
  IParameterDefault* item = nullptr;
  defaults->Add(Bstr("A"), vexaInteger, 1, &item);
  IUnknown* enumerator = nullptr;
  defaults->get__NewEnum(&enumerator);
  EXPECT_EQ(ModuleLock::Count(), before + 3);
  defaults->Release();
  enumerator->Release();
  EXPECT_EQ(ModuleLock::Count(), before + 1);
  item->Release();
  EXPECT_EQ(ModuleLock::Count(), before);
}

// What a script does with the archive component: open an archive, list its
// members by number (from 1) and extract one, all by name.
TEST(Dispatch, TheArchiveComponentListsAndExtractsByName) {
  ScratchDir dir;
  const std::string path = dir.Path("flight.zip");
  WriteArchive(path, {{"VEXA/", ""}, {"VEXA/pfConfig", "Root 5.0\n"}});
  RegisterArchiveComponent();
  IDispatch* zip = nullptr;
  ASSERT_EQ(CreateComponent(kZlibObjProgId, IID_IDispatch, reinterpret_cast<void**>(&zip)), S_OK);
  const std::wstring widePath = WideFromNativePath(path), extracted = WideFromNativePath(dir.Path("pfConfig.txt"));
  Var result;
  ASSERT_EQ(Call(zip, IdOf(zip, L"OpenArchive"), DISPATCH_METHOD, {Var(widePath.c_str()), Var(1), Var(0)}, nullptr),
            S_OK);
  ASSERT_EQ(Call(zip, IdOf(zip, L"MemberCount"), DISPATCH_PROPERTYGET, {}, &result), S_OK);
  EXPECT_EQ(result.lVal, 2);
  ASSERT_EQ(Call(zip, IdOf(zip, L"MemberName"), DISPATCH_PROPERTYGET, {Var(2)}, &result), S_OK);
  EXPECT_STREQ(result.bstrVal, L"VEXA/pfConfig");
  EXPECT_EQ(Call(zip, IdOf(zip, L"MemberName"), DISPATCH_PROPERTYGET, {Var(3)}, &result), E_INVALIDARG);
  EXPECT_EQ(Call(zip, IdOf(zip, L"ExtractFile"), DISPATCH_METHOD, {Var(L"VEXA/pfConfig"), Var(extracted.c_str())},
                 nullptr),
            S_OK);
  EXPECT_EQ(Call(zip, IdOf(zip, L"CloseArchive"), DISPATCH_METHOD, {Var(L"VEXA Config File")}, nullptr), S_OK);
  EXPECT_EQ(ReadTextFile(dir.Path("pfConfig.txt")), "Root 5.0\n");
  zip->Release();
}
