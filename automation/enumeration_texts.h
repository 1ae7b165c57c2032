// How enumeration values are written into table cells and read back.
#pragma once
#include <cstddef>

#include "platform/variant.h"

struct EnumText {
  LONG value;
  const char* text;
};

class EnumTexts {
 public:
  template <std::size_t N>
  constexpr EnumTexts(const EnumText (&entries)[N], LONG unmatched)
      : entries_(entries), count_(N), unmatched_(unmatched) {}

  // The value's text; "" for a value that has none.
  const char* Write(LONG value) const;
  // The first value whose text equals `text` ignoring case; the unmatched value otherwise.
  LONG Parse(const char* text) const;

 private:
  const EnumText* entries_;
  std::size_t count_;
  LONG unmatched_;
};

extern const EnumTexts kDataTypeTexts;
extern const EnumTexts kDataSourceTypeTexts;
extern const EnumTexts kOnOrOffTexts;
extern const EnumTexts kYesOrNoTexts;
extern const EnumTexts kFilterAlgorithmTexts;
extern const EnumTexts kFilterPassTypeTexts;
extern const EnumTexts kDataCorrectionMethodTexts;
extern const EnumTexts kNullCorrectionTexts;
extern const EnumTexts kNullGroupTexts;
extern const EnumTexts kSpikeDetectionMethodTexts;
extern const EnumTexts kComputeTypeTexts;
extern const EnumTexts kWindowTypeTexts;
extern const EnumTexts kAlphaTexts;
extern const EnumTexts kAverageMethodTexts;
extern const EnumTexts kBlockSizeTexts;
extern const EnumTexts kThresholdLevelTexts;
