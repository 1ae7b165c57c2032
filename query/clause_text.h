// Pieces cut out of statement text: slices, the value behind a mark, and the
// values of the row-state and error-state pseudo-conditions.
#pragma once
#include <cstdint>

#include "store/attribute.h"
#include "store/tstring.h"

// text[from, to), empty when the range is empty or reversed.
HRESULT CopySlice(const tString& text, int from, int to, tString& out);
// text[from, end), trimmed.
HRESULT CopyTrimmedRest(const tString& text, int from, tString& out);
// The trimmed text behind the first `mark` (compared exactly); false when there
// is none or it cannot be copied.
bool TextAfterFirst(const tString& text, const char* mark, tString& out);
// The state named by the first letter of a System.RowState value: D, E, U, N or A.
bool RowStateFromFilter(const tString& value, std::int32_t& state);
// Leading white space, a sign and decimal digits, as C reads them; 0 without digits.
// Values beyond 32 bits stop at the nearest limit.
std::int32_t ReadSignedInt(const char* text);
