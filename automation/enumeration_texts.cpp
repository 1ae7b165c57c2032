#include "automation/enumeration_texts.h"

#include <strings.h>

#include "automation/vexa_enums.h"

const char* EnumTexts::Write(LONG value) const {
  for (std::size_t i = 0; i < count_; ++i)
    if (entries_[i].value == value) return entries_[i].text;
  return "";
}

LONG EnumTexts::Parse(const char* text) const {
  for (std::size_t i = 0; i < count_; ++i)
    if (strcasecmp(entries_[i].text, text) == 0) return entries_[i].value;
  return unmatched_;
}

namespace {
constexpr EnumText kDataType[] = {{vexaFloatingPoint, "float"}, {vexaDiscrete, "discrete"}, {vexaDouble, "double"},
                                  {vexaInteger, "int"},         {vexaLong, "long"},         {vexaUnsignedLong, "ulong"},
                                  {vexaAscii, "ascii"},         {vexaBlob, "blob"}};
constexpr EnumText kDataSourceType[] = {{vexaTpp, "Tpp"}, {vexaDerived, "Derived"}, {vexaKep, "Kep"}};
constexpr EnumText kOnOrOff[] = {{vexaOn, "On"}, {vexaOff, "Off"}};
constexpr EnumText kYesOrNo[] = {{vexaYes, "Yes"}, {vexaNo, "No"}};
constexpr EnumText kFilterAlgorithm[] = {{vexaButterworthFilter, "Butterworth"}, {vexaEllipticFilter, "Elliptical"}};
constexpr EnumText kFilterPassType[] = {{vexaLowPass, "LowPass"}, {vexaHighPass, "HighPass"}, {vexaBandPass, "BandPass"}};
constexpr EnumText kDataCorrectionMethod[] = {
    {vexaDataCorrectionNone, "None"}, {vexaDefaultValue, "DefaultValue"}, {vexaLastValue, "LastValue"}};
constexpr EnumText kNullCorrection[] = {{vexaNullCorrectionNo, "No"},
                                        {vexaNullCorrectionYes, "Yes"},
                                        {vexaNullEquationInput, "EquationInput"},
                                        {vexaNullEquationResult, "EquationResult"}};
constexpr EnumText kNullGroup[] = {{vexaAircraftGroup, "Aircraft"}, {vexaWeaponsGroup, "WeaponsBay"}};
constexpr EnumText kSpikeDetectionMethod[] = {{vexaSlopeChange, "SlopeChange"}, {vexaAbsoluteChange, "AbsoluteChange"}};
constexpr EnumText kComputeType[] = {{vexaAutoSpectrum, "Auto Spectrum"},    {vexaPsd, "PSD"},
                                     {vexaPhaseMagnitude, "Phase vs. Magnitude"}, {vexaPhaseReal, "Phase vs. Real"},
                                     {vexaPhaseImaginary, "Phase vs. Imaginary"}, {vexaPhaseGain, "Phase vs. Gain"},
                                     {vexaBode, "Bode"},                      {vexaNyquist, "Nyquist"}};
constexpr EnumText kWindowType[] = {{vexaHanning, "Hanning"},           {vexaHamming, "Hamming"},
                                    {vexaBlackman, "BlackMan"},         {vexaKaiserBessel, "Kaiser-Bessel"},
                                    {vexaRectangular, "Rectangular"},   {vexaFlatTop, "Flat Top"}};
constexpr EnumText kAlpha[] = {{vexaAlphaTwoPointZero, "2.0"},
                               {vexaAlphaTwoPointFive, "2.5"},
                               {vexaAlphaThreePointZero, "3.0"},
                               {vexaAlphaThreePointFive, "3.5"}};
constexpr EnumText kAverageMethod[] = {
    {vexaAverageMethodNone, "None"}, {vexaAverageTime, "Time"}, {vexaAverageFrequency, "Frequency"}};
constexpr EnumText kBlockSize[] = {{vexaBlock64, "64"},       {vexaBlock128, "128"},     {vexaBlock256, "256"},
                                   {vexaBlock512, "512"},     {vexaBlock1024, "1024"},   {vexaBlock2048, "2048"},
                                   {vexaBlock4096, "4096"},   {vexaBlock8192, "8192"},   {vexaBlock16384, "16384"},
                                   {vexaBlock32768, "32768"}, {vexaBlock65536, "65536"}};
constexpr EnumText kThresholdLevel[] = {{vexaWarning, "Warning"}, {vexaAlarm, "Alarm"}};
}  // namespace

// Values without a text (filter none, spike detection none, window type none,
// no threshold) are written as "" and read back as the table's fallback value.
const EnumTexts kDataTypeTexts{kDataType, vexaFloatingPoint};
const EnumTexts kDataSourceTypeTexts{kDataSourceType, vexaTpp};
const EnumTexts kOnOrOffTexts{kOnOrOff, vexaOff};
const EnumTexts kYesOrNoTexts{kYesOrNo, vexaNo};
const EnumTexts kFilterAlgorithmTexts{kFilterAlgorithm, vexaFilterNone};
const EnumTexts kFilterPassTypeTexts{kFilterPassType, vexaLowPass};
const EnumTexts kDataCorrectionMethodTexts{kDataCorrectionMethod, vexaDataCorrectionNone};
const EnumTexts kNullCorrectionTexts{kNullCorrection, vexaNullCorrectionNo};
const EnumTexts kNullGroupTexts{kNullGroup, vexaAircraftGroup};
const EnumTexts kSpikeDetectionMethodTexts{kSpikeDetectionMethod, vexaSpikeDetectionMethodNone};
const EnumTexts kComputeTypeTexts{kComputeType, vexaPsd};
const EnumTexts kWindowTypeTexts{kWindowType, vexaHanning};
const EnumTexts kAlphaTexts{kAlpha, vexaAlphaTwoPointZero};
const EnumTexts kAverageMethodTexts{kAverageMethod, vexaAverageMethodNone};
const EnumTexts kBlockSizeTexts{kBlockSize, vexaBlock1024};
const EnumTexts kThresholdLevelTexts{kThresholdLevel, vexaWarning};
