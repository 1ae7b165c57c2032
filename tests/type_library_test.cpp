// The type library that Windows callers bind through, read back from this
// program's own TYPELIB resource, against the member tables that the other
// platforms bind through and the object map: the two descriptions of every
// interface must agree member by member, in vtable order.
#include <gtest/gtest.h>

#include <string>

#include "automation/parameter_defaults.h"
#include "automation/vexa_config.h"
#include "platform/server_module.h"
#include "platform/text_conversion.h"
#include "server/object_map.h"
#include "server/type_library.h"
#include "tests/collection_fixture.h"

namespace {
std::string Utf8(const wchar_t* text) { return Utf8FromWide(text ? text : L""); }

struct TypeLibrary : ::testing::Test {
  void SetUp() override { ASSERT_EQ(LoadTypeLibEx(ServerModulePath().c_str(), REGKIND_NONE, &library), S_OK); }
  void TearDown() override {
    if (library) library->Release();
  }

  ITypeInfo* Info(const GUID& guid) {
    ITypeInfo* info = nullptr;
    EXPECT_EQ(library->GetTypeInfoOfGuid(guid, &info), S_OK);
    return info;
  }

  ITypeLib* library = nullptr;
};

std::wstring NameOf(ITypeInfo* info, MEMBERID id = MEMBERID_NIL, std::wstring* help = nullptr) {
  BSTR name = nullptr, doc = nullptr;
  info->GetDocumentation(id, &name, help ? &doc : nullptr, nullptr, nullptr);
  std::wstring text = name ? name : L"";
  if (help) *help = doc ? doc : L"";
  SysFreeString(name);
  SysFreeString(doc);
  return text;
}

MemberKind KindOf(INVOKEKIND kind) {
  if (kind == INVOKE_PROPERTYGET) return MemberKind::Get;
  if (kind == INVOKE_PROPERTYPUT) return MemberKind::Put;
  return MemberKind::Method;
}

// The vtable interface behind a dual interface's dispatch view.
ITypeInfo* VtableInterface(ITypeInfo* dispatchView) {
  HREFTYPE reference = 0;
  ITypeInfo* info = nullptr;
  EXPECT_EQ(dispatchView->GetRefTypeOfImplType(-1, &reference), S_OK);
  EXPECT_EQ(dispatchView->GetRefTypeInfo(reference, &info), S_OK);
  return info;
}

void ExpectMembersAgree(ITypeInfo* info, const DispatchTable& table, const std::string& interfaceName) {
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
  ASSERT_EQ(attributes->typekind, TKIND_INTERFACE);
  ASSERT_EQ(attributes->cFuncs, table.count) << interfaceName;
  // IUnknown and IDispatch take the first seven slots.
  const int firstSlot = 7;
  for (unsigned i = 0; i < table.count; ++i) {
    const DispatchMember& member = table.members[i];
    SCOPED_TRACE(interfaceName + "." + Utf8(member.name));
    FUNCDESC* function = nullptr;
    ASSERT_EQ(info->GetFuncDesc(i, &function), S_OK);
    EXPECT_EQ(NameOf(info, function->memid), member.name);
    EXPECT_EQ(function->memid, member.id);
    EXPECT_EQ(KindOf(function->invkind), member.kind);
    EXPECT_EQ(function->oVft, static_cast<int>((firstSlot + i) * sizeof(void*)));
    unsigned inParameters = 0, optional = 0;
    for (int p = 0; p < function->cParams; ++p) {
      const PARAMDESC& parameter = function->lprgelemdescParam[p].paramdesc;
      if (parameter.wParamFlags & PARAMFLAG_FRETVAL) continue;
      if (parameter.wParamFlags & PARAMFLAG_FHASDEFAULT) {
        ASSERT_LT(optional, member.optionalCount);
        Var value;
        ASSERT_EQ(VariantChangeType(&value, &parameter.pparamdescex->varDefaultValue, 0, VT_I4), S_OK);
        EXPECT_EQ(value.lVal, member.defaults[optional]);
        ++optional;
      }
      ++inParameters;
    }
    EXPECT_EQ(inParameters, member.parameterCount);
    EXPECT_EQ(optional, member.optionalCount);
    info->ReleaseFuncDesc(function);
  }
  info->ReleaseTypeAttr(attributes);
}
}  // namespace

TEST_F(TypeLibrary, LibraryNameVersionAndHelp) {
  TLIBATTR* attributes = nullptr;
  ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
  EXPECT_EQ(attributes->guid, *kTypeLibrary.libid);
  EXPECT_EQ(attributes->wMajorVerNum, kTypeLibrary.majorVersion);
  EXPECT_EQ(attributes->wMinorVerNum, kTypeLibrary.minorVersion);
  library->ReleaseTLibAttr(attributes);
  BSTR name = nullptr, help = nullptr;
  ASSERT_EQ(library->GetDocumentation(-1, &name, &help, nullptr, nullptr), S_OK);
  EXPECT_EQ(std::wstring(name), kTypeLibraryName);
  EXPECT_EQ(std::wstring(help), kTypeLibraryHelp);
  SysFreeString(name);
  SysFreeString(help);
}

TEST_F(TypeLibrary, EveryClassAndInterfaceAgreesWithTheMemberTables) {
  for (const ClassEntry& entry : kObjectMap) {
    ITypeInfo* coclass = Info(*entry.clsid);
    ASSERT_NE(coclass, nullptr);
    std::wstring help;
    EXPECT_EQ(NameOf(coclass, MEMBERID_NIL, &help), entry.name);
    EXPECT_EQ(help, entry.typeLibraryHelp);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(coclass->GetTypeAttr(&attributes), S_OK);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FCANCREATE);
    bool sourceSeen = false;
    for (int i = 0; i < attributes->cImplTypes; ++i) {
      HREFTYPE reference = 0;
      INT flags = 0;
      ITypeInfo* implemented = nullptr;
      coclass->GetRefTypeOfImplType(i, &reference);
      coclass->GetImplTypeFlags(i, &flags);
      ASSERT_EQ(coclass->GetRefTypeInfo(reference, &implemented), S_OK);
      TYPEATTR* implementedAttributes = nullptr;
      implemented->GetTypeAttr(&implementedAttributes);
      if (flags & IMPLTYPEFLAG_FSOURCE) {
        sourceSeen = true;
        ASSERT_NE(entry.sourceInterface, nullptr) << Utf8(entry.name);
        EXPECT_EQ(NameOf(implemented), entry.sourceInterface);
        EXPECT_EQ(implementedAttributes->guid, *entry.sourceIid);
        EXPECT_EQ(implementedAttributes->typekind, TKIND_DISPATCH);
        EXPECT_EQ(implementedAttributes->cFuncs, 0);
      } else {
        EXPECT_EQ(NameOf(implemented), entry.defaultInterface);
        EXPECT_EQ(implementedAttributes->guid, *entry.iid);
        EXPECT_TRUE(flags & IMPLTYPEFLAG_FDEFAULT);
      }
      implemented->ReleaseTypeAttr(implementedAttributes);
      implemented->Release();
    }
    EXPECT_EQ(sourceSeen, entry.sourceInterface != nullptr) << Utf8(entry.name);
    coclass->ReleaseTypeAttr(attributes);
    coclass->Release();

    ITypeInfo* dispatchView = Info(*entry.iid);
    ASSERT_NE(dispatchView, nullptr);
    ASSERT_EQ(dispatchView->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->typekind, TKIND_DISPATCH);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FDUAL);
    dispatchView->ReleaseTypeAttr(attributes);
    ITypeInfo* vtable = VtableInterface(dispatchView);
    ASSERT_EQ(vtable->GetTypeAttr(&attributes), S_OK);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
    vtable->ReleaseTypeAttr(attributes);
    ExpectMembersAgree(vtable, *entry.members, Utf8(entry.defaultInterface));
    vtable->Release();
    dispatchView->Release();
  }
}

// Every property of the items, put through the member table (a C++ call by
// member pointer) and read back by name through the type library (a call
// through the vtable slot the library names): a slot out of order reads
// another property.
TEST_F(TypeLibrary, ItemPropertiesReachTheirOwnSlots) {
  for (const ClassEntry& entry : kObjectMap) {
    IDispatch* object = nullptr;
    ASSERT_EQ(entry.create(IID_IDispatch, reinterpret_cast<void**>(&object)), S_OK);
    const DispatchTable& table = *entry.members;
    long next = 1;
    for (unsigned i = 0; i < table.count; ++i) {
      const DispatchMember& member = table.members[i];
      if (member.kind != MemberKind::Put) continue;
      SCOPED_TRACE(Utf8(entry.name) + "." + Utf8(member.name));
      Var value;
      if (member.parameterTypes[0] == VT_BSTR) {
        value.vt = VT_BSTR;
        value.bstrVal = SysAllocString(std::to_wstring(next).c_str());
      } else {
        value.vt = VT_I4;
        value.lVal = next == 1 ? -1 : next;  // booleans only hold -1 and 0
      }
      Var converted;
      ASSERT_EQ(VariantChangeType(&converted, &value, 0, member.parameterTypes[0]), S_OK);
      ASSERT_EQ(member.call(object, &converted, nullptr), S_OK);
      OLECHAR* names[] = {const_cast<OLECHAR*>(member.name)};
      DISPID id = DISPID_UNKNOWN;
      ASSERT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
      EXPECT_EQ(id, member.id);
      DISPPARAMS none{nullptr, nullptr, 0, 0};
      Var read;
      ASSERT_EQ(object->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &read, nullptr, nullptr), S_OK);
      Var expected;
      ASSERT_EQ(VariantChangeType(&expected, &converted, 0, VT_BSTR), S_OK);
      Var got;
      ASSERT_EQ(VariantChangeType(&got, &read, 0, VT_BSTR), S_OK);
      EXPECT_EQ(std::wstring(got.bstrVal), std::wstring(expected.bstrVal));
      ++next;
    }
    object->Release();
  }
}

TEST_F(TypeLibrary, ObjectsPublishTheirTypeInfo) {
  IDispatch* config = nullptr;
  ASSERT_EQ(kObjectMap[0].create(IID_IDispatch, reinterpret_cast<void**>(&config)), S_OK);
  unsigned count = 0;
  EXPECT_EQ(config->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  ITypeInfo* info = nullptr;
  ASSERT_EQ(config->GetTypeInfo(0, 0, &info), S_OK);
  EXPECT_EQ(NameOf(info), L"IVexaConfig");
  info->Release();
  EXPECT_EQ(config->GetTypeInfo(1, 0, &info), DISP_E_BADINDEX);
  config->Release();
}
