#include "query/result_set.h"

#include <strings.h>

#include <cctype>
#include <cstdint>

namespace {
std::string_view TrimmedView(const tString& text) {
  const char* begin = text.c_str();
  while (*begin && IsWhiteSpace(*begin)) ++begin;
  size_t length = std::char_traits<char>::length(begin);
  while (length > 0 && IsWhiteSpace(begin[length - 1])) --length;
  return {begin, length};
}
}  // namespace

size_t ResultSet::EquivalentHash::operator()(std::string_view text) const {
  std::uint64_t hash = 14695981039346656037u;
  for (char c : text) hash = (hash ^ static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(c)))) * 1099511628211u;
  return static_cast<size_t>(hash);
}

bool ResultSet::EquivalentEqual::operator()(std::string_view a, std::string_view b) const {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

void ResultSet::Clear() {
  rows_.clear();
  cursor_ = 0;
  equivalents_.clear();
  indexedRows_ = 0;
}

HRESULT ResultSet::Append(const tString& text) {
  try {
    rows_.emplace_back();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  if (FAILED(rows_.back().text.Assign(text.c_str(), static_cast<size_t>(text.Length()), 1))) {
    rows_.pop_back();
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

bool ResultSet::ContainsEquivalent(const tString& text) {
  try {
    for (; indexedRows_ < rows_.size(); ++indexedRows_) equivalents_.insert(TrimmedView(rows_[indexedRows_].text));
  } catch (const std::bad_alloc&) {
    // Without the index the answer is still exact, only slower.
    for (const tQueryString& row : rows_)
      if (row.text.CompareTrimmed(text.c_str()) == 0) return true;
    return false;
  }
  return equivalents_.count(TrimmedView(text)) != 0;
}

std::vector<tQueryString> ResultSet::TakeRows() {
  std::vector<tQueryString> rows;
  rows.swap(rows_);
  Clear();
  return rows;
}

void ResultSet::PutRows(std::vector<tQueryString> rows) {
  Clear();
  rows_ = std::move(rows);
}
