#include "automation/parameter_defaults.h"

#include <cstring>

namespace F = ParameterDefaultField;

namespace {
constexpr DispatchMember kParameterDefaultsMembers[] = {
    Member<&IParameterDefaults::get_Count>(L"Count", 1, MemberKind::Get),
    Member<&IParameterDefaults::get__NewEnum>(L"_NewEnum", DISPID_NEWENUM, MemberKind::Get),
    Member<&IParameterDefaults::Add>(L"Add", 2, MemberKind::Method),
    Member<&IParameterDefaults::Remove>(L"Remove", 3, MemberKind::Method),
    Member<&IParameterDefaults::RemoveAll>(L"RemoveAll", 4, MemberKind::Method),
    Member<&IParameterDefaults::Item>(L"Item", 5, MemberKind::Method),
    Member<&IParameterDefaults::get_SetName>(L"SetName", 6, MemberKind::Get),
    Member<&IParameterDefaults::SaveTable>(L"SaveTable", 7, MemberKind::Method),
};

// Names are ordered by code unit, as the automation strings compare. The narrow
// texts are UTF-8 or ASCII, whose byte order is the same order.
int CompareNames(const char* a, const char* b) { return std::strcmp(a, b); }

void AppendQuoteDoubled(tString& statement, const char* fragment, const tString& text) {
  tString doubled;
  for (const char* c = text.c_str(); *c; ++c) {
    doubled.Append(*c);
    if (*c == '\'') doubled.Append('\'');
  }
  tString piece;
  piece.Format(fragment, doubled.c_str());
  statement.Append(piece);
}

void AppendColumn(tString& statement, const ParameterColumn& column, const FieldValue& field) {
  tString piece;
  switch (column.format) {
    case CellFormat::Text:
    case CellFormat::EnumText: {
      tString text;
      WriteCell(field, column.format, column.texts, text);
      AppendQuoteDoubled(statement, column.fragment, text);
      return;
    }
    case CellFormat::Real: piece.Format(column.fragment, field.real); break;
    case CellFormat::Integer: piece.Format(column.fragment, static_cast<int>(field.integer)); break;
    case CellFormat::Unsigned: piece.Format(column.fragment, static_cast<unsigned>(field.integer)); break;
  }
  statement.Append(piece);
}
}  // namespace

const DispatchTable IParameterDefaults::kDispatch{kParameterDefaultsMembers};

HRESULT ParameterDefaults::SetSetName(const tString& setName) {
  if (setName.IsEmpty()) return E_FAIL;
  return setName_.Assign(setName);
}

void ParameterDefaults::Load(tSqlQueryEngine* engine, IUnknown* owner) {
  Bind(engine, owner);
  ReadRows("Select * from ParameterDefaults", [this](ParameterDefault& item, const RowCells& cells) {
    if (!setName_.Equals(cells[0])) return false;
    for (const ParameterColumn& column : kParameterColumns)
      ReadCell(cells[column.column], column.format, column.texts, item.Field(column.field));
    return true;
  });
}

HRESULT STDMETHODCALLTYPE ParameterDefaults::Add(BSTR Name, VexaDataType Type, double SampleRate, IParameterDefault** item) {
  return AddItem(item, [&](ParameterDefault& added) {
    return FirstFailure({added.put_Name(Name), added.put_DataType(Type), added.put_SampleRate(SampleRate)});
  });
}

HRESULT STDMETHODCALLTYPE ParameterDefaults::get_SetName(BSTR* name) { return GetTextField(setName_, false, name); }

// Rewrites the set's rows only: other sets keep theirs. The set name is matched
// by the where clause, so letter case and wildcards in it reach further.
HRESULT STDMETHODCALLTYPE ParameterDefaults::SaveTable() {
  if (setName_.IsEmpty()) return E_POINTER;
  tString deleteStatement;
  deleteStatement.Format("Delete * from ParameterDefaults where ParameterDefaults = '%s'", setName_.c_str());
  return RewriteTable(deleteStatement.c_str(), [this](const ParameterDefault& item, tString& statement) {
    return InsertStatement(item, statement);
  });
}

// The update names no where clause, so it matches no row and adds one.
bool ParameterDefaults::InsertStatement(const ParameterDefault& item, tString& statement) const {
  if (item.Field(F::Delete).integer == VARIANT_TRUE || item.Field(F::Name).text.IsEmpty()) return false;
  statement.Assign("update ParameterDefaults set ");
  for (const ParameterColumn& column : kParameterColumns) {
    AppendColumn(statement, column, item.Field(column.field));
    if (column.field == F::Name) {
      tString setColumn;
      setColumn.Format("ParameterDefaults = '%s', ", setName_.c_str());
      statement.Append(setColumn);
    }
  }
  return true;
}

// Bisection over the list as it stands; the match is exact and case-sensitive.
int ParameterDefaults::FindByName(const OLECHAR* name) const {
  tString wanted;
  TStringFromBstr(name, wanted);
  int low = 1;
  int high = static_cast<int>(items_.size());
  while (low <= high) {
    const int probe = (low + high) / 2;
    const int order = CompareNames(wanted.c_str(), items_[probe - 1]->Field(F::Name).text.c_str());
    if (order == 0) return probe - 1;
    if (order < 0) high = probe - 1;
    else low = probe + 1;
  }
  return -1;
}

// Before the first item whose name sorts after the new one; equal names keep
// their insertion order.
void ParameterDefaults::Insert(ParameterDefault* item) {
  const char* name = item->Field(F::Name).text.c_str();
  auto position = items_.begin();
  while (position != items_.end() && CompareNames((*position)->Field(F::Name).text.c_str(), name) <= 0) ++position;
  items_.insert(position, item);
}
