#include "automation/parameter_defaults.h"

namespace F = ParameterDefaultField;

namespace {
constexpr DispatchMember kParameterDefaultMembers[] = {
    VEXA_PARAMETER_DEFAULT_PROPERTIES(VEXA_DISPATCH_PROPERTY, IParameterDefault)};

constexpr CellFormat kText = CellFormat::Text;
constexpr CellFormat kEnum = CellFormat::EnumText;
constexpr CellFormat kReal = CellFormat::Real;
constexpr CellFormat kInt = CellFormat::Integer;
constexpr CellFormat kUnsigned = CellFormat::Unsigned;
}  // namespace

const DispatchTable IParameterDefault::kDispatch{kParameterDefaultMembers};

const ParameterColumn kParameterColumns[kParameterColumnCount] = {
    {F::Name, 1, kText, nullptr, "Parameter = '%s', ", 0},
    {F::DataType, 2, kEnum, &kDataTypeTexts, "ParamType = '%s', ", vexaFloatingPoint},
    {F::Group, 3, kText, nullptr, "ParamGroup = '%s', ", 0},
    {F::SubGroup, 4, kText, nullptr, "ParamSubGroup = '%s', ", 0},
    {F::ShortName, 5, kText, nullptr, "ShortName = '%s', ", 0},
    {F::LongName, 6, kText, nullptr, "LongName = '%s', ", 0},
    {F::Units, 7, kText, nullptr, "Units = '%s', ", 0},
    {F::Color, 8, kUnsigned, nullptr, "Color = %u, ", 0xFF0000},
    {F::Width, 9, kInt, nullptr, "Width = %d, ", 1},
    {F::DataSourceType, 10, kEnum, &kDataSourceTypeTexts, "DataSourceType = '%s', ", vexaTpp},
    {F::DataSourceArgument, 11, kText, nullptr, "DataSourceArguement = '%s', ", 0},
    {F::SampleRate, 12, kReal, nullptr, "UpdateRate = '%lf', ", 10.0},
    {F::LoadLimitNegative, 13, kReal, nullptr, "LLNegative = %lf, ", -100.0},
    {F::LoadLimitPositive, 14, kReal, nullptr, "LLPositive = %lf, ", 100.0},
    {F::TimeScaleRangeMin, 15, kReal, nullptr, "TScaleRangeMin = %lf, ", -1.0},
    {F::TimeScaleRangeMax, 16, kReal, nullptr, "TScaleRangeMax = %lf, ", 1.0},
    {F::TimeScaleAuto, 17, kEnum, &kOnOrOffTexts, "TScaleAuto = '%s', ", vexaOff},
    {F::FreqScaleRangeMin, 18, kReal, nullptr, "FScaleRangeMin = %lf, ", 0.0},
    {F::FreqScaleRangeMax, 19, kReal, nullptr, "FScaleRangeMax = %lf, ", 1.0},
    {F::FreqScaleAuto, 20, kEnum, &kOnOrOffTexts, "FScaleAuto = '%s', ", vexaOff},
    {F::WarningThreshRangeMin, 21, kReal, nullptr, "WThreshRangeMin = %lf, ", -5000.0},
    {F::WarningThreshRangeMax, 22, kReal, nullptr, "WThreshRangeMax = %lf, ", 5000.0},
    {F::WarningThreshColor, 23, kUnsigned, nullptr, "WThreshColor = %u, ", 0x00FFFF},
    {F::WarningThreshLabel, 24, kText, nullptr, "WThreshLabel = '%s', ", 0},
    {F::WarningThreshLineWidth, 25, kInt, nullptr, "WThreshLineWidth = %d, ", 1},
    {F::AlarmThreshRangeMin, 26, kReal, nullptr, "AThreshRangeMin = %lf, ", -10000.0},
    {F::AlarmThreshRangeMax, 27, kReal, nullptr, "AThreshRangeMax = %lf, ", 10000.0},
    {F::AlarmThreshColor, 28, kUnsigned, nullptr, "AThreshColor = %u, ", 0x0000FF},
    {F::AlarmThreshLabel, 29, kText, nullptr, "AThreshLabel = '%s', ", 0},
    {F::AlarmThreshLineWidth, 30, kInt, nullptr, "AThreshLineWidth = %d, ", 1},
    {F::FilterActive, 31, kEnum, &kYesOrNoTexts, "FilterActive = '%s', ", vexaNo},
    {F::FilterAlgorithm, 32, kEnum, &kFilterAlgorithmTexts, "FilterAlgorithm = '%s', ", vexaFilterNone},
    {F::FilterPassType, 33, kEnum, &kFilterPassTypeTexts, "FilterPassType = '%s', ", vexaLowPass},
    {F::FilterLowCutoff, 34, kReal, nullptr, "FilterLowCutoff = %lf,", 5.0},
    {F::FilterHighCutoff, 35, kReal, nullptr, "FilterHighCutoff = %lf, ", 10.0},
    {F::FilterOrder, 36, kInt, nullptr, "FilterOrder = %d, ", 2},
    {F::WildPointRangeMin, 37, kReal, nullptr, "WildPointRangeMin = %lf, ", -10000.0},
    {F::WildPointRangeMax, 38, kReal, nullptr, "WildPointRangeMax = %lf,   ", 10000.0},
    {F::WildPointCorrectionMethod, 39, kEnum, &kDataCorrectionMethodTexts, "WildPointCorMethod = '%s', ", vexaLastValue},
    {F::WildPointCorrectionValue, 40, kReal, nullptr, "WildPointCorValue = %lf, ", 0.0},
    {F::SignChange, 41, kEnum, &kYesOrNoTexts, "SignChange = '%s', ", vexaNo},
    {F::NullCorrection, 42, kEnum, &kNullCorrectionTexts, "NullCorrection = '%s', ", vexaNullCorrectionNo},
    {F::NullBaseline, 43, kReal, nullptr, "NullBaseline = %lf, ", 0.0},
    {F::NullBias, 45, kReal, nullptr, "NullBias = %lf, ", 0.0},
    {F::NullGroup, 46, kEnum, &kNullGroupTexts, "NullGroup = '%s', ", vexaWeaponsGroup},
    {F::SpikeDetectionMethod, 47, kEnum, &kSpikeDetectionMethodTexts, "SpikeDetectionMethod = '%s', ",
     vexaAbsoluteChange},
    {F::SpikeCorrectionMethod, 48, kEnum, &kDataCorrectionMethodTexts, "SpikeCorMethod = '%s', ",
     vexaDataCorrectionNone},
    {F::SpikeChangeLimit, 49, kReal, nullptr, "SpikeChangeLimit = %lf, ", 100.0},
    {F::ComputeType, 58, kEnum, &kComputeTypeTexts, "ComputeType = '%s', ", vexaPsd},
    {F::ExcitationSignal, 59, kText, nullptr, "ExcitationSignal = '%s', ", 0},
    {F::WindowType, 60, kEnum, &kWindowTypeTexts, "WindowType = '%s', ", vexaHanning},
    {F::Alpha, 61, kEnum, &kAlphaTexts, "Alpha = '%s', ", vexaAlphaNone},
    {F::AveragingMethod, 62, kEnum, &kAverageMethodTexts, "AveragingMethod = '%s', ", vexaAverageFrequency},
    {F::Overlap, 63, kReal, nullptr, "Overlap = %lf, ", 90.0},
    {F::BlocksPerAverage, 64, kInt, nullptr, "BlocksPerAverage = %d, ", 5},
    {F::BlockSize, 65, kEnum, &kBlockSizeTexts, "BlockSize = '%s', ", vexaBlock1024},
    {F::StringLookupTable, 66, kText, nullptr, "StringLookupTable = '%s', ", 0},
};

ParameterDefault::ParameterDefault() : WithConnectionPoint(F::Count, F::DataSourceArgument) {
  for (const ParameterColumn& column : kParameterColumns) {
    FieldValue& field = Field(column.field);
    if (column.format == CellFormat::Real) field.real = column.initial;
    else field.integer = static_cast<LONG>(static_cast<long long>(column.initial));
  }
}
