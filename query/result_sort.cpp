#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/trace.h"
#include "query/result_set.h"

namespace {
constexpr int kBuckets = 256;
constexpr size_t kInsertionSortLimit = 16;

struct NumberKey {
  double number;
  tQueryString* row;
};

struct TextKey {
  const char* field;
  tQueryString* row;
};

const char* FieldStart(const char* text, int fieldIndex) {
  for (int i = 0; i < fieldIndex; ++i) {
    while (*text && *text != '|') ++text;
    if (!*text) return nullptr;
    ++text;
  }
  return text;
}

// Hoare partition around the middle element. Its stop conditions are the exact
// negations of its scan conditions, so it stays inside the range even for NaN keys.
void QuickSortByNumber(std::vector<NumberKey>& keys, long first, long last) {
  while (first < last) {
    const double pivot = keys[(first + last) / 2].number;
    long i = first - 1, j = last + 1;
    for (;;) {
      do ++i; while (keys[i].number < pivot);
      do --j; while (keys[j].number > pivot);
      if (i >= j) break;
      std::swap(keys[i], keys[j]);
    }
    // Recurse into the smaller part so that the depth stays logarithmic.
    if (j - first < last - j) {
      QuickSortByNumber(keys, first, j);
      first = j + 1;
    } else {
      QuickSortByNumber(keys, j + 1, last);
      last = j;
    }
  }
}

// "|" and the end of the text end a field and sort before every character.
unsigned SortByte(const char* field, size_t depth) {
  const unsigned char c = static_cast<unsigned char>(field[depth]);
  if (c == '|' || c == '\0') return 0;
  return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
}

bool TextLess(const char* a, const char* b, size_t depth) {
  for (;; ++depth) {
    unsigned x = SortByte(a, depth), y = SortByte(b, depth);
    if (x != y) return x < y;
    if (x == 0) return false;
  }
}

void InsertionSortByText(TextKey* keys, size_t count, size_t depth) {
  for (size_t i = 1; i < count; ++i) {
    TextKey moving = keys[i];
    size_t j = i;
    for (; j > 0 && TextLess(moving.field, keys[j - 1].field, depth); --j) keys[j] = keys[j - 1];
    keys[j] = moving;
  }
}

// Most-significant-byte radix sort. The rows of one pending bucket share their
// first `depth` bytes, none of them a field end, so reading byte `depth` stays
// inside every text.
void RadixSortByText(std::vector<TextKey>& keys) {
  struct Bucket {
    size_t begin, count, depth;
  };
  std::vector<TextKey> scratch(keys.size());
  std::vector<Bucket> pending{{0, keys.size(), 0}};
  while (!pending.empty()) {
    Bucket bucket = pending.back();
    pending.pop_back();
    TextKey* rows = keys.data() + bucket.begin;
    if (bucket.count < kInsertionSortLimit) {
      InsertionSortByText(rows, bucket.count, bucket.depth);
      continue;
    }
    size_t counts[kBuckets] = {};
    for (size_t i = 0; i < bucket.count; ++i) ++counts[SortByte(rows[i].field, bucket.depth)];
    size_t starts[kBuckets];
    for (size_t b = 0, offset = 0; b < kBuckets; offset += counts[b++]) starts[b] = offset;
    for (size_t i = 0; i < bucket.count; ++i) scratch[starts[SortByte(rows[i].field, bucket.depth)]++] = rows[i];
    std::copy(scratch.begin(), scratch.begin() + static_cast<long>(bucket.count), rows);
    // Bucket 0 holds the fields that ended here: they are equal and done.
    for (size_t b = 1, offset = counts[0]; b < kBuckets; offset += counts[b++])
      if (counts[b] > 1) pending.push_back({bucket.begin + offset, counts[b], bucket.depth + 1});
  }
}

template <typename Key>
std::vector<tQueryString> InKeyOrder(const std::vector<Key>& keys) {
  std::vector<tQueryString> sorted;
  sorted.reserve(keys.size());
  for (const Key& key : keys) sorted.push_back(std::move(*key.row));
  return sorted;
}
}  // namespace

void SortResults(ResultSet& results, int fieldIndex, bool numeric) {
  std::vector<tQueryString> rows = results.TakeRows();
  try {
    for (tQueryString& row : rows) {
      row.sortField = FieldStart(row.text.c_str(), fieldIndex);
      if (!row.sortField) {
        DebugTrace("tQueryString: Sort algorithm attempted on non existant column... FIX!!!\n");
        row.sortField = row.text.c_str();
      }
    }
    if (numeric) {
      std::vector<NumberKey> keys;
      keys.reserve(rows.size());
      for (tQueryString& row : rows) keys.push_back({std::strtod(row.sortField, nullptr), &row});
      if (!keys.empty()) QuickSortByNumber(keys, 0, static_cast<long>(keys.size()) - 1);
      rows = InKeyOrder(keys);
    } else {
      std::vector<TextKey> keys;
      keys.reserve(rows.size());
      for (tQueryString& row : rows) keys.push_back({row.sortField, &row});
      RadixSortByText(keys);
      rows = InKeyOrder(keys);
    }
  } catch (const std::bad_alloc&) {
    // Out of memory: the rows go back in the order they came.
  }
  results.PutRows(std::move(rows));
}
