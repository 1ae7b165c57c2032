#include "automation/dispatch_table.h"

#include <cwchar>

#include "platform/wide_compare.h"

namespace {
// A get and a put share one DISPID; every other call (method, property get, or
// both flags as scripts send them) takes the non-put entry.
const DispatchMember* FindMember(const DispatchTable& table, DISPID id, bool put) {
  for (std::size_t i = 0; i < table.count; ++i) {
    const DispatchMember& member = table.members[i];
    if (member.id == id && (member.kind == MemberKind::Put) == put) return &member;
  }
  return nullptr;
}

// The runtime's marker for an optional argument that the caller left out.
bool IsMissing(const VARIANT& value) { return value.vt == VT_ERROR && value.scode == DISP_E_PARAMNOTFOUND; }
}  // namespace

HRESULT DispatchGetIDsOfNames(const DispatchTable& table, OLECHAR** names, unsigned count, DISPID* ids) {
  if (!names || !ids) return E_POINTER;
  for (unsigned i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  if (count == 0 || !names[0]) return DISP_E_UNKNOWNNAME;
  for (std::size_t i = 0; i < table.count && ids[0] == DISPID_UNKNOWN; ++i)
    if (CompareWideIgnoringCase(table.members[i].name, names[0]) == 0) ids[0] = table.members[i].id;
  return ids[0] != DISPID_UNKNOWN && count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT DispatchInvoke(const DispatchTable& table, IDispatch* object, DISPID id, std::uint16_t flags,
                       DISPPARAMS* params, VARIANT* result, unsigned* argumentError) {
  if (result) VariantInit(result);
  const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  const DispatchMember* member = FindMember(table, id, put);
  if (!member) return DISP_E_MEMBERNOTFOUND;

  const unsigned given = params ? params->cArgs : 0;
  const unsigned named = params ? params->cNamedArgs : 0;
  // The only named argument understood is the value of a property put.
  if (named > (put ? 1u : 0u) || (named == 1 && params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT))
    return DISP_E_PARAMNOTFOUND;
  if (given > member->parameterCount || given + member->optionalCount < member->parameterCount)
    return DISP_E_BADPARAMCOUNT;

  VARIANT arguments[DispatchMember::kMaxParameters];
  const unsigned firstOptional = member->parameterCount - member->optionalCount;
  unsigned converted = 0;
  HRESULT hr = S_OK;
  for (; converted < member->parameterCount; ++converted) {
    const unsigned i = converted;
    VariantInit(&arguments[i]);
    // Arguments arrive last first.
    VARIANT* source = i < given ? &params->rgvarg[given - 1 - i] : nullptr;
    VARIANT fallback;
    if (i >= firstOptional && (!source || IsMissing(*source))) {
      VariantInit(&fallback);
      fallback.vt = VT_I4;
      fallback.lVal = member->defaults[i - firstOptional];
      source = &fallback;
    }
    if (member->parameterTypes[i] == VT_VARIANT) {
      hr = VariantCopy(&arguments[i], source);
    } else {
      hr = VariantChangeType(&arguments[i], source, 0, member->parameterTypes[i]);
    }
    if (FAILED(hr)) {
      if (argumentError && i < given) *argumentError = given - 1 - i;
      break;
    }
  }
  if (SUCCEEDED(hr)) hr = member->call(object, arguments, result);
  for (unsigned i = 0; i < converted; ++i) VariantClear(&arguments[i]);
  return hr;
}
