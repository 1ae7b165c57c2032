// The enumerations of the object model as IntEnum classes named after their types
// (vexaconfig.VexaDataType.vexaInteger ...).
#pragma once
#include <pybind11/pybind11.h>

#include "automation/vexa_enums.h"

#define VEXA_ENUM_TYPES(X)      \
  X(VexaDataType)               \
  X(VexaDataSourceType)         \
  X(VexaOnOrOff)                \
  X(VexaYesOrNo)                \
  X(VexaFilterAlgorithm)        \
  X(VexaFilterPassType)         \
  X(VexaDataCorrectionMethod)   \
  X(VexaNullCorrection)         \
  X(VexaNullGroup)              \
  X(VexaSpikeDetectionMethod)   \
  X(VexaComputeType)            \
  X(VexaWindowType)             \
  X(VexaAlpha)                  \
  X(VexaAverageMethod)          \
  X(VexaBlockSize)              \
  X(VexaThresholdLevel)

void RegisterEnums(pybind11::module_& module);

template <class Enum>
struct EnumTypeName;
#define VEXA_ENUM_TYPE_NAME(type) \
  template <>                     \
  struct EnumTypeName<type> {     \
    static constexpr const char* kName = #type; \
  };
VEXA_ENUM_TYPES(VEXA_ENUM_TYPE_NAME)
#undef VEXA_ENUM_TYPE_NAME

// The constant of the enumeration `type` with `value`, or the plain int when no
// constant has that value (puts store any value, as automation clients may).
pybind11::object EnumMember(const char* type, LONG value);
