#include <gtest/gtest.h>

#include <cwchar>

#include "platform/safearray.h"
#include "platform/variant.h"

namespace {
VARIANT Text(const wchar_t* text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(text);
  return v;
}
}  // namespace

TEST(Variants, ConversionToIntegerReadsNumbersTextsAndReferences) {
  VARIANT out;
  VariantInit(&out);
  VARIANT three = Text(L" 3 ");
  ASSERT_EQ(VariantChangeType(&out, &three, 0, VT_I4), S_OK);
  EXPECT_EQ(out.vt, VT_I4);
  EXPECT_EQ(out.lVal, 3);

  VARIANT name = Text(L"ALT");
  EXPECT_EQ(VariantChangeType(&out, &name, 0, VT_I4), DISP_E_TYPEMISMATCH);
  VARIANT empty = Text(L"");
  EXPECT_EQ(VariantChangeType(&out, &empty, 0, VT_I4), DISP_E_TYPEMISMATCH);
  VARIANT huge = Text(L"1e12");
  EXPECT_EQ(VariantChangeType(&out, &huge, 0, VT_I4), DISP_E_OVERFLOW);

  // Halves round to even, as the runtime does.
  VARIANT real;
  VariantInit(&real);
  real.vt = VT_R8;
  real.dblVal = 2.5;
  ASSERT_EQ(VariantChangeType(&out, &real, 0, VT_I4), S_OK);
  EXPECT_EQ(out.lVal, 2);

  short referenced = 7;
  VARIANT reference;
  reference.vt = VT_BYREF | VT_I2;
  reference.byref = &referenced;
  ASSERT_EQ(VariantChangeType(&out, &reference, 0, VT_I4), S_OK);
  EXPECT_EQ(out.lVal, 7);

  // In place: the source string is consumed, not leaked or read after free.
  ASSERT_EQ(VariantChangeType(&three, &three, 0, VT_R8), S_OK);
  EXPECT_EQ(three.vt, VT_R8);
  EXPECT_DOUBLE_EQ(three.dblVal, 3.0);
  VariantClear(&name);
  VariantClear(&empty);
  VariantClear(&huge);
}

TEST(Variants, ConversionToTextAndBoolean) {
  VARIANT out;
  VariantInit(&out);
  VARIANT flag;
  VariantInit(&flag);
  flag.vt = VT_BOOL;
  flag.boolVal = VARIANT_TRUE;
  ASSERT_EQ(VariantChangeType(&out, &flag, 0, VT_BSTR), S_OK);
  EXPECT_STREQ(out.bstrVal, L"-1");
  VariantClear(&out);
  ASSERT_EQ(VariantChangeType(&out, &flag, VARIANT_ALPHABOOL, VT_BSTR), S_OK);
  EXPECT_STREQ(out.bstrVal, L"True");
  VARIANT word = Text(L"false");
  ASSERT_EQ(VariantChangeType(&out, &word, 0, VT_BOOL), S_OK);
  EXPECT_EQ(out.boolVal, VARIANT_FALSE);
  VARIANT number;
  VariantInit(&number);
  number.vt = VT_R8;
  number.dblVal = 1.5;
  ASSERT_EQ(VariantChangeType(&out, &number, 0, VT_BSTR), S_OK);
  EXPECT_STREQ(out.bstrVal, L"1.5");
  VariantClear(&out);
  VariantClear(&word);
}

TEST(SafeArrays, StringArraysOwnTheirElements) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, 3);
  ASSERT_NE(array, nullptr);
  BSTR text = SysAllocString(L"row");
  for (LONG i = 0; i < 3; ++i) ASSERT_EQ(SafeArrayPutElement(array, &i, text), S_OK);
  SysFreeString(text);
  LONG outside = 3;
  EXPECT_EQ(SafeArrayPutElement(array, &outside, text), DISP_E_BADINDEX);
  LONG lower = -1, upper = -1;
  SafeArrayGetLBound(array, 1, &lower);
  SafeArrayGetUBound(array, 1, &upper);
  EXPECT_EQ(lower, 0);
  EXPECT_EQ(upper, 2);

  void* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
  EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
  EXPECT_STREQ(static_cast<BSTR*>(data)[2], L"row");
  SafeArrayUnaccessData(array);

  // A variant copy duplicates the array; clearing each frees its own strings.
  VARIANT holder, copy;
  VariantInit(&holder);
  VariantInit(&copy);
  holder.vt = VT_ARRAY | VT_BSTR;
  holder.parray = array;
  ASSERT_EQ(VariantCopy(&copy, &holder), S_OK);
  EXPECT_NE(copy.parray, array);
  EXPECT_EQ(VariantClear(&holder), S_OK);
  BSTR element = nullptr;
  LONG first = 0;
  ASSERT_EQ(SafeArrayGetElement(copy.parray, &first, &element), S_OK);
  EXPECT_STREQ(element, L"row");
  SysFreeString(element);
  EXPECT_EQ(VariantClear(&copy), S_OK);
}
