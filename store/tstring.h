// The narrow string of the configuration database, with the field, token and
// case-insensitive operations on which "|"-joined rows and column lists rest.
#pragma once
#include <cstddef>

#include "platform/hresult.h"

// Where field `index` of `text` stands, the fields separated by `delimiter`;
// E_FAIL when the text has fewer fields.
HRESULT FindFieldInText(const char* text, int index, char delimiter, const char*& begin, size_t& length);

class tString {
 public:
  static constexpr int kNone = -1;  // "not found" position

  tString() = default;
  explicit tString(const char* text);
  tString(const tString& other);
  tString(tString&& other) noexcept;
  tString& operator=(const tString& other);
  tString& operator=(tString&& other) noexcept;
  ~tString();

  // Null text clears (keeping the buffer).
  HRESULT Assign(const char* text, int growStep = 8);
  HRESULT Assign(const tString& other, int growStep = 8);
  HRESULT Assign(const char* text, size_t length, int growStep);
  void Adopt(char* buffer);
  // Points at text that someone else owns and keeps alive as long as this string
  // reads it: the loaded text of a configuration. Changes in place stay inside
  // it; anything that needs more room copies the text out first.
  void Borrow(char* text);
  // False for borrowed text.
  bool Owned() const { return capacity_ > 0; }
  char* Release();
  void Clear(bool freeBuffer = false);
  HRESULT Reserve(int bytes, bool keepText);

  const char* Text() const { return text_; }                // may be null
  const char* c_str() const { return text_ ? text_ : ""; }  // never null
  char* Data() { return text_; }
  int Capacity() const { return capacity_; }  // 0 for borrowed text
  int Length() const;
  bool IsNull() const { return text_ == nullptr; }
  bool IsEmpty() const { return !text_ || !*text_; }
  char At(int position) const { return text_[position]; }

  HRESULT Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
  HRESULT Append(const char* text, int growStep = 40);
  HRESULT Append(const char* text, size_t length, int growStep);
  HRESULT Append(const tString& other, int growStep = 40);
  HRESULT Append(char character, int growStep = 40);
  // Copies source[start, end), stopping early at a zero byte.
  HRESULT CopyStringSlice(const char* source, int start, int end);
  HRESULT CutTail(int count);
  HRESULT DeleteRange(int start, int count);

  // Case-insensitive; null equals null and sorts before any text.
  int Compare(const char* other) const;
  int Compare(const tString& other) const { return Compare(other.text_); }
  bool Equals(const char* other) const { return Compare(other) == 0; }
  bool Equals(const tString& other) const { return Compare(other.text_) == 0; }
  // Case-sensitive, locale-aware.
  int CompareExact(const char* other) const;
  int ComparePrefix(const char* other, int count) const;
  // Ignores case and surrounding white space; a shorter trimmed text sorts first.
  int CompareTrimmed(const char* other) const;

  int FindNoCase(const char* text, int from = 0) const;
  int Find(const char* text, int from = 0) const;
  int FindChar(char character, int from = 0) const;
  int FindLastChar(char character) const;
  // Position just behind the n-th occurrence (ignoring case), or kNone.
  int AfterNthOccurrence(char character, int n) const;

  int CountFields(char delimiter) const;
  // Forces exactly `fields` fields: cut at the fields-th delimiter, or pad.
  HRESULT FixFieldCount(char delimiter, int fields);
  void CollapseDoubled(char character);
  // The text from `position` to the next delimiter; moves `position` past it.
  HRESULT NextToken(char delimiter, int& position, tString& out) const;
  HRESULT GetField(int index, char delimiter, tString& out) const;
  // Where that field stands in the text, for a reader that need not copy it.
  HRESULT FindField(int index, char delimiter, const char*& begin, size_t& length) const {
    return text_ ? FindFieldInText(text_, index, delimiter, begin, length) : E_FAIL;
  }
  HRESULT FieldIndex(const char* name, char delimiter, bool prefix, int& index) const;

  void Trim();
  void Trim(bool& innerWhiteSpace);
  void RemoveAllWhiteSpace();
  void UpperCase();

 private:
  HRESULT Grow(int bytes, bool keepText);
  void freeOwned() {
    if (Owned()) delete[] text_;
  }

  char* text_ = nullptr;
  int capacity_ = 0;
};

// The C library's white space of the "C" locale: space, tab, line feed, vertical
// tab, form feed, carriage return, whatever the process locale. Inline: the
// loader asks it of nearly every byte of a file.
inline bool IsWhiteSpace(char character) { return character == ' ' || (character >= '\t' && character <= '\r'); }
