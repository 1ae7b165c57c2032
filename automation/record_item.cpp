#include "automation/record_item.h"

#include <cstdlib>

#include "store/str_copy.h"

namespace {
constexpr char kBarStandIn = static_cast<char>(0xCE);

void ReplaceAll(tString& text, char from, char to) {
  for (char* c = text.Data(); c && *c; ++c)
    if (*c == from) *c = to;
}
}  // namespace

void ReadCell(const char* cell, CellFormat format, const EnumTexts* texts, FieldValue& field) {
  switch (format) {
    case CellFormat::Text: field.text.Assign(cell); break;
    case CellFormat::EnumText: field.integer = texts->Parse(cell); break;
    case CellFormat::Real: field.real = std::strtod(cell, nullptr); break;
    case CellFormat::Integer: field.integer = static_cast<LONG>(std::strtol(cell, nullptr, 10)); break;
    case CellFormat::Unsigned: field.integer = static_cast<LONG>(std::strtoul(cell, nullptr, 10)); break;
  }
}

void WriteCell(const FieldValue& field, CellFormat format, const EnumTexts* texts, tString& cell) {
  switch (format) {
    case CellFormat::Text: cell.Assign(field.text.c_str()); break;
    case CellFormat::EnumText: cell.Assign(texts->Write(field.integer)); break;
    case CellFormat::Real: cell.Format("%f", field.real); break;
    case CellFormat::Integer: cell.Format("%d", static_cast<int>(field.integer)); break;
    case CellFormat::Unsigned: cell.Format("%u", static_cast<unsigned>(field.integer)); break;
  }
}

HRESULT GetTextField(const tString& text, bool barSubstituted, BSTR* value) {
  if (!value) return E_POINTER;
  tString shown(text);
  if (barSubstituted) ReplaceAll(shown, kBarStandIn, '|');
  *value = BstrFromTString(shown);
  return *value ? S_OK : E_OUTOFMEMORY;
}

HRESULT PutTextField(tString& text, bool barSubstituted, const OLECHAR* value) {
  if (HRESULT hr = TStringFromBstr(value, text); FAILED(hr)) return hr;
  if (barSubstituted) ReplaceAll(text, '|', kBarStandIn);
  return S_OK;
}
