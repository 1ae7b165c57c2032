// Items that are plain records of properties: every property is one field, and
// the collections read and write the fields by index.
//
// Each item interface lists its properties once, as
//   #define LIST(X, C) X(C, DISPID, Name, Type) ...
// and the list is expanded into the interface's pure virtuals, the field
// indexes, the item's overrides and the interface's dispatch table, so that
// these four can never disagree.
#pragma once
#include <vector>

#include "automation/dispatch_object.h"
#include "automation/enumeration_texts.h"
#include "store/tstring.h"

#define VEXA_PURE_PROPERTY(C, id, name, type)        \
  virtual HRESULT STDMETHODCALLTYPE get_##name(type* value) = 0; \
  virtual HRESULT STDMETHODCALLTYPE put_##name(type value) = 0;
#define VEXA_FIELD_INDEX(C, id, name, type) name,
#define VEXA_PROPERTY_OVERRIDE(C, id, name, type)                             \
  HRESULT STDMETHODCALLTYPE get_##name(type* value) override { return Get(C::name, value); } \
  HRESULT STDMETHODCALLTYPE put_##name(type value) override { return Put(C::name, value); }

struct FieldValue {
  tString text;      // text properties
  double real = 0;   // real properties
  LONG integer = 0;  // enumerations, counts, colours (by their bits) and booleans
};

// How a field is held in a table cell.
enum class CellFormat { Text, EnumText, Real, Integer, Unsigned };

// Reads a cell: reals by strtod, integers by strtol/strtoul in base 10,
// enumerations through their texts.
void ReadCell(const char* cell, CellFormat format, const EnumTexts* texts, FieldValue& field);
// The plain cell text of a field ("%f" for reals).
void WriteCell(const FieldValue& field, CellFormat format, const EnumTexts* texts, tString& cell);

HRESULT GetTextField(const tString& text, bool barSubstituted, BSTR* value);
HRESULT PutTextField(tString& text, bool barSubstituted, const OLECHAR* value);

template <class Interface>
class RecordItem : public DispatchObject<Interface> {
 public:
  FieldValue& Field(int index) { return fields_[index]; }
  const FieldValue& Field(int index) const { return fields_[index]; }

 protected:
  // The field `barSubstitutedField` holds the byte 0xCE for every "|", so that
  // its text never splits a row.
  explicit RecordItem(int fieldCount, int barSubstitutedField = -1)
      : fields_(fieldCount), barSubstitutedField_(barSubstitutedField) {}

  HRESULT Get(int field, BSTR* value) {
    return GetTextField(fields_[field].text, field == barSubstitutedField_, value);
  }
  HRESULT Put(int field, BSTR value) {
    return PutTextField(fields_[field].text, field == barSubstitutedField_, value);
  }
  HRESULT Get(int field, double* value) {
    if (!value) return E_POINTER;
    *value = fields_[field].real;
    return S_OK;
  }
  HRESULT Put(int field, double value) {
    fields_[field].real = value;
    return S_OK;
  }
  // Enumerations, counts, colours and booleans.
  template <class T>
  HRESULT Get(int field, T* value) {
    if (!value) return E_POINTER;
    *value = static_cast<T>(fields_[field].integer);
    return S_OK;
  }
  template <class T>
  HRESULT Put(int field, T value) {
    fields_[field].integer = static_cast<LONG>(value);
    return S_OK;
  }

 private:
  std::vector<FieldValue> fields_;
  int barSubstitutedField_;
};
