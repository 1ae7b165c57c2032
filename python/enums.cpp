#include "python/enums.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace py = pybind11;

namespace {
using Constants = std::vector<std::pair<const char*, LONG>>;
#define C(constant) {#constant, constant}

const std::vector<std::pair<const char*, Constants>> kEnumerations = {
    {"VexaDataType", {C(vexaInteger), C(vexaDiscrete), C(vexaFloatingPoint), C(vexaLong), C(vexaUnsignedLong),
                      C(vexaDouble), C(vexaAscii), C(vexaBlob)}},
    {"VexaDataSourceType", {C(vexaTpp), C(vexaDerived), C(vexaKep)}},
    {"VexaOnOrOff", {C(vexaOn), C(vexaOff)}},
    {"VexaYesOrNo", {C(vexaYes), C(vexaNo)}},
    {"VexaFilterAlgorithm", {C(vexaFilterNone), C(vexaButterworthFilter), C(vexaEllipticFilter)}},
    {"VexaFilterPassType", {C(vexaLowPass), C(vexaHighPass), C(vexaBandPass)}},
    {"VexaDataCorrectionMethod", {C(vexaDataCorrectionNone), C(vexaDefaultValue), C(vexaLastValue)}},
    {"VexaNullCorrection",
     {C(vexaNullCorrectionNo), C(vexaNullCorrectionYes), C(vexaNullEquationInput), C(vexaNullEquationResult)}},
    {"VexaNullGroup", {C(vexaAircraftGroup), C(vexaWeaponsGroup)}},
    {"VexaSpikeDetectionMethod", {C(vexaSpikeDetectionMethodNone), C(vexaSlopeChange), C(vexaAbsoluteChange)}},
    {"VexaComputeType", {C(vexaAutoSpectrum), C(vexaPsd), C(vexaPhaseMagnitude), C(vexaPhaseReal),
                         C(vexaPhaseImaginary), C(vexaPhaseGain), C(vexaBode), C(vexaNyquist)}},
    {"VexaWindowType", {C(vexaWindowTypeNone), C(vexaHanning), C(vexaHamming), C(vexaBlackman),
                        C(vexaKaiserBessel), C(vexaRectangular), C(vexaFlatTop)}},
    // vexaAlphaTwoPointZero shares 0 with vexaAlphaNone and so becomes its alias.
    {"VexaAlpha", {C(vexaAlphaNone), C(vexaAlphaTwoPointZero), C(vexaAlphaTwoPointFive),
                   C(vexaAlphaThreePointZero), C(vexaAlphaThreePointFive)}},
    {"VexaAverageMethod", {C(vexaAverageMethodNone), C(vexaAverageTime), C(vexaAverageFrequency)}},
    {"VexaBlockSize", {C(vexaBlock64), C(vexaBlock128), C(vexaBlock256), C(vexaBlock512), C(vexaBlock1024),
                       C(vexaBlock2048), C(vexaBlock4096), C(vexaBlock8192), C(vexaBlock16384),
                       C(vexaBlock32768), C(vexaBlock65536)}},
    {"VexaThresholdLevel", {C(vexaNoThreshold), C(vexaWarning), C(vexaAlarm)}},
};
#undef C

// Each class's value-to-constant map, held for the life of the process.
std::map<std::string, PyObject*>& MembersByValue() {
  static std::map<std::string, PyObject*> maps;
  return maps;
}
}  // namespace

void RegisterEnums(py::module_& module) {
  py::object intEnum = py::module_::import("enum").attr("IntEnum");
  for (const auto& [type, constants] : kEnumerations) {
    py::list members;
    for (const auto& [name, value] : constants) members.append(py::make_tuple(name, value));
    py::object enumeration = intEnum(type, members, py::arg("module") = module.attr("__name__"));
    module.attr(type) = enumeration;
    MembersByValue()[type] = py::object(enumeration.attr("_value2member_map_")).release().ptr();
  }
}

py::object EnumMember(const char* type, LONG value) {
  py::int_ number(value);
  PyObject* member = PyDict_GetItem(MembersByValue().at(type), number.ptr());
  return member ? py::reinterpret_borrow<py::object>(member) : py::object(number);
}
