#include <gtest/gtest.h>

#include <clocale>
#include <cwchar>
#include <string>

#include "platform/text_conversion.h"
#include "store/str_copy.h"
#include "store/tstring.h"
#include "tests/test_support.h"

namespace {
std::vector<std::string> Tokens(const char* text, char delimiter) {
  tString source(text), token;
  std::vector<std::string> tokens;
  int position = 0;
  while (SUCCEEDED(source.NextToken(delimiter, position, token))) tokens.push_back(token.c_str());
  EXPECT_TRUE(token.IsEmpty());
  return tokens;
}
}  // namespace

TEST(TStringFields, NextTokenYieldsEmptyInnerTokensButNoTrailingOne) {
  EXPECT_EQ(Tokens("a,b,c", ','), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(Tokens("a,,c", ','), (std::vector<std::string>{"a", "", "c"}));
  EXPECT_EQ(Tokens("a,b,", ','), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(Tokens("", ',').empty());
}

TEST(TStringFields, GetFieldAndCountFieldsCountFieldsNotCharacters) {
  tString row("a|b|c"), field("stale");
  ASSERT_EQ(row.GetField(2, '|', field), S_OK);
  EXPECT_STREQ(field.c_str(), "c");
  EXPECT_EQ(row.GetField(3, '|', field), E_FAIL);
  EXPECT_TRUE(field.IsEmpty());

  tString trailing("a|b|");
  ASSERT_EQ(trailing.GetField(2, '|', field), S_OK);
  EXPECT_STREQ(field.c_str(), "");
  EXPECT_EQ(tString().GetField(0, '|', field), E_FAIL);
  // A null text has no field, an empty one has one.
  EXPECT_EQ(tString().CountFields('|'), 0);
  EXPECT_EQ(tString("").CountFields('|'), 1);
  EXPECT_EQ(tString("A|B|C").CountFields('|'), 3);
}

TEST(TStringFields, FieldIndexIgnoresCaseAndHonoursPrefixFlag) {
  tString columns("Name|ParamGroup|PropertyBag");
  int index = -1;
  ASSERT_EQ(columns.FieldIndex("paramgroup", '|', false, index), S_OK);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(columns.FieldIndex("Param", '|', false, index), E_FAIL);
  ASSERT_EQ(columns.FieldIndex("PROP", '|', true, index), S_OK);
  EXPECT_EQ(index, 2);
  EXPECT_EQ(columns.FieldIndex("Nam", '|', false, index), E_FAIL);
}

TEST(TStringFields, FixFieldCountCutsOrPads) {
  tString padded("x");
  padded.FixFieldCount('|', 3);
  EXPECT_STREQ(padded.c_str(), "x||");
  tString cut("a|b|c|d");
  cut.FixFieldCount('|', 3);
  EXPECT_STREQ(cut.c_str(), "a|b|c");
  tString exact("a|b|");
  exact.FixFieldCount('|', 3);
  EXPECT_STREQ(exact.c_str(), "a|b|");
  tString null;
  null.FixFieldCount('|', 2);
  EXPECT_STREQ(null.c_str(), "|");
}

TEST(TStringCompare, NullSortsFirstCaseIsIgnoredAndTrimmedLengthComesFirst) {
  EXPECT_EQ(tString().Compare(nullptr), 0);
  EXPECT_LT(tString().Compare(""), 0);
  EXPECT_GT(tString("").Compare(nullptr), 0);
  EXPECT_EQ(tString("DataDisplays").Compare("DATADISPLAYS"), 0);
  EXPECT_NE(tString("DataDisplays").CompareExact("DATADISPLAYS"), 0);
  EXPECT_EQ(tString("ParamGroup").ComparePrefix("PARAMx", 5), 0);
  // Trimmed, the length counts before the characters.
  EXPECT_EQ(tString("  Abc\t").CompareTrimmed("aBC  "), 0);
  EXPECT_LT(tString("zz").CompareTrimmed(" aaa "), 0);
  EXPECT_GT(tString("b").CompareTrimmed("a"), 0);
  EXPECT_EQ(tString(" .bak").CompareTrimmed(".BAK"), 0);
}

TEST(TStringSearch, FindsKeywordsIgnoringCase) {
  tString statement("SELECT a FROM T where x = 'from '");
  EXPECT_EQ(statement.FindNoCase("from "), 9);
  EXPECT_EQ(statement.FindNoCase("from ", 10), 27);
  EXPECT_EQ(statement.FindNoCase("order by"), tString::kNone);
  EXPECT_EQ(statement.Find("from "), 27);
  EXPECT_EQ(statement.FindChar('\''), 26);
  EXPECT_EQ(statement.FindLastChar('\''), 32);
  EXPECT_EQ(tString("a|B|b").AfterNthOccurrence('|', 2), 4);
  EXPECT_EQ(tString("aXbx").AfterNthOccurrence('x', 2), 4);
}

TEST(TStringEditing, SlicesTailsAndRanges) {
  TraceCapture traces;
  tString slice;
  slice.CopyStringSlice("abcdef", 2, 2);
  EXPECT_STREQ(slice.c_str(), "");
  slice.CopyStringSlice("abcdef", 1, 4);
  EXPECT_STREQ(slice.c_str(), "bcd");
  slice.CopyStringSlice("ab", 1, 9);  // stops at the terminator
  EXPECT_STREQ(slice.c_str(), "b");
  EXPECT_FALSE(traces.Contains("corrupted slice"));
  slice.CopyStringSlice("abcdef", 4, 2);
  EXPECT_STREQ(slice.c_str(), "");
  EXPECT_TRUE(traces.Contains("tString::CopyStringSlice encountered corrupted slice (Start>End)!\n"));

  tString self("abcdef");
  self.CopyStringSlice(self.Text(), 1, 5);
  EXPECT_STREQ(self.c_str(), "bcde");

  tString text("abcdef");
  EXPECT_EQ(text.CutTail(7), E_FAIL);
  EXPECT_EQ(text.CutTail(2), S_OK);
  EXPECT_STREQ(text.c_str(), "abcd");
  EXPECT_EQ(tString().CutTail(0), E_FAIL);
  EXPECT_EQ(text.DeleteRange(1, 2), S_OK);
  EXPECT_STREQ(text.c_str(), "ad");
  EXPECT_EQ(text.DeleteRange(0, text.Capacity()), E_INVALIDARG);
}

TEST(TStringEditing, FormatAndAppendGrowAsNeeded) {
  tString text;
  std::string longText(5000, 'x');
  ASSERT_EQ(text.Format("%s-%d", longText.c_str(), 7), S_OK);
  EXPECT_EQ(text.Length(), 5002);
  text.Assign("ab");
  text.Append(text);  // from itself
  text.Append('|');
  EXPECT_STREQ(text.c_str(), "abab|");
}

TEST(TextConversion, BstrCountsTheTerminatorAsACharacter) {
  BSTR converted = BstrFromTString(tString("abc"));
  ASSERT_NE(converted, nullptr);
  EXPECT_EQ(SysStringLen(converted), 4u);
  EXPECT_EQ(converted[3], L'\0');
  EXPECT_EQ(std::wcscmp(converted, L"abc"), 0);
  FreeBstr(converted);
  EXPECT_EQ(converted, nullptr);

  BSTR empty = BstrFromTString(tString());
  EXPECT_EQ(SysStringLen(empty), 0u);
  SysFreeString(empty);

  tString back;
  ASSERT_EQ(TStringFromBstr(L"Loads", back), S_OK);
  EXPECT_STREQ(back.c_str(), "Loads");
}

TEST(TextConversion, UnconvertibleWideCharacterTurnsTheRestIntoX) {
  TraceCapture traces;
  const wchar_t source[] = {L'a', L'b', static_cast<wchar_t>(0x4E2D), L'd', L'e', 0};
  char narrow[16];
  ASSERT_EQ(tStrCpy(narrow, source, -1, true), S_OK);  // not in the narrow code page
  EXPECT_STREQ(narrow, "abXXX");
  EXPECT_TRUE(traces.Contains("String truncated to (abXXX)"));

  EXPECT_EQ(tStrCpy(static_cast<char*>(nullptr), "x", -1, true), E_POINTER);
  EXPECT_EQ(tStrCpy(narrow, static_cast<const char*>(nullptr), -1, true), S_OK);
  EXPECT_STREQ(narrow, "");
}

// The same table whatever the process locale says.
TEST(TextConversion, NarrowTextIsWindows1252InEveryLocale) {
  for (const char* locale : {"C", "C.UTF-8"}) {
    std::setlocale(LC_ALL, locale);
    char narrow[16];
    ASSERT_EQ(tStrCpy(narrow, L"j\u00FCrgen \u20AC\u2122", -1, true), S_OK);
    EXPECT_STREQ(narrow, "j\xFCrgen \x80\x99") << locale;
    wchar_t wide[16];
    ASSERT_EQ(tStrCpy(wide, "\xB5\xCE\x9F", -1, true), S_OK);
    EXPECT_EQ(std::wstring(wide), L"\u00B5\u00CE\u0178") << locale;
  }
  std::setlocale(LC_ALL, "C");
}

TEST(TextConversion, EveryByteSurvivesTheWayThroughWideText) {
  std::string all;
  for (int byte = 1; byte < 256; ++byte) all += static_cast<char>(byte);
  BSTR wide = BstrFromTString(tString(all.c_str()));
  ASSERT_NE(wide, nullptr);
  for (unsigned char undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
    EXPECT_EQ(wide[undefined - 1], static_cast<wchar_t>(undefined));
  tString back;
  ASSERT_EQ(TStringFromBstr(wide, back), S_OK);
  EXPECT_EQ(std::string(back.c_str()), all);
  SysFreeString(wide);
}

TEST(TextConversion, Utf8ForTheOutsideWorld) {
  EXPECT_EQ(Utf8FromNarrow("j\xFCrgen \x80"), "j\xC3\xBCrgen \xE2\x82\xAC");
  EXPECT_EQ(NarrowFromUtf8("j\xC3\xBCrgen \xE2\x82\xAC"), "j\xFCrgen \x80");
  EXPECT_EQ(WideFromUtf8("\xF0\x9F\x98\x80|\xCE\xBC"), L"\U0001F600|\u03BC");
  EXPECT_EQ(Utf8FromWide(L"\U0001F600|\u03BC"), "\xF0\x9F\x98\x80|\xCE\xBC");
  // Malformed input: a stray continuation byte, an overlong form, a cut sequence.
  EXPECT_EQ(WideFromUtf8("a\x80" "b\xC0\xAF\xE2\x82"), L"a\uFFFDb\uFFFD\uFFFD\uFFFD\uFFFD");
}
