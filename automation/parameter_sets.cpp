#include "automation/parameter_sets.h"

namespace F = ParameterSetField;

namespace {
constexpr DispatchMember kParameterSetMembers[] = {
    VEXA_PARAMETER_SET_PROPERTIES(VEXA_DISPATCH_PROPERTY, IParameterSet)
        Member<&IParameterSet::get_ParameterDefaults>(L"ParameterDefaults", 4, MemberKind::Get)};
constexpr auto kParameterSetsMembers = CollectionMembers<IParameterSets>();
}  // namespace

const DispatchTable IParameterSet::kDispatch{kParameterSetMembers};
const DispatchTable IParameterSets::kDispatch{kParameterSetsMembers};

HRESULT STDMETHODCALLTYPE ParameterSet::get_ParameterDefaults(IParameterDefaults** defaults) {
  if (!defaults || !binding_.Engine()) return E_POINTER;
  ParameterDefaults* collection = NewObject<ParameterDefaults>();
  if (!collection) return E_OUTOFMEMORY;
  HRESULT hr = collection->SetSetName(Field(F::SetName).text);
  if (SUCCEEDED(hr)) {
    collection->Load(binding_.Engine(), binding_.Owner());
    *defaults = collection;
  } else {
    collection->Release();
  }
  return hr;
}

void ParameterSets::Load(tSqlQueryEngine* engine, IUnknown* owner) {
  Bind(engine, owner);
  ReadRows("Select * from ParameterDefaultsState", [](ParameterSet& set, const RowCells& cells) {
    set.Field(F::SetName).text.Assign(cells[0]);
    set.Field(F::Group).text.Assign(cells[1]);
    set.Field(F::IsActive).integer = tString(cells[2]).Equals("True") ? VARIANT_TRUE : VARIANT_FALSE;
    return true;
  });
}

HRESULT STDMETHODCALLTYPE ParameterSets::Add(BSTR setName, BSTR group, VARIANT_BOOL isActive, IParameterSet** item) {
  return AddItem(item, [&](ParameterSet& added) {
    return FirstFailure({added.put_SetName(setName), added.put_Group(group), added.put_IsActive(isActive)});
  });
}

// Only the sets themselves: their parameter defaults stay under the names they had.
HRESULT STDMETHODCALLTYPE ParameterSets::SaveTable() {
  return RewriteTable("Delete * from ParameterDefaultsState", [](const ParameterSet& set, tString& statement) {
    const tString& name = set.Field(F::SetName).text;
    if (name.IsEmpty()) return false;
    statement.Format("update ParameterDefaultsState set ParameterDefaults = '%s', Group = '%s', isActive = '%s' where 0",
                     name.c_str(), set.Field(F::Group).text.c_str(),
                     set.Field(F::IsActive).integer == VARIANT_TRUE ? "True" : "False");
    return true;
  });
}

int ParameterSets::FindByName(const OLECHAR* name) const { return FindByTextField(name, F::SetName); }

// A set reaches its defaults through the engine of the collection that handed it out.
void ParameterSets::BeforeHandOut(ParameterSet& set) { set.Bind(binding_.Engine(), binding_.Owner()); }
