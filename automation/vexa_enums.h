// The enumerations of the parameter-default and threshold properties.
#pragma once
#include "platform/variant.h"

enum VexaDataType : LONG {
  vexaInteger = 0,
  vexaDiscrete = 1,
  vexaFloatingPoint = 2,
  vexaLong = 3,
  vexaUnsignedLong = 4,
  vexaDouble = 5,
  vexaAscii = 6,
  vexaBlob = 7,
};
enum VexaDataSourceType : LONG { vexaTpp = 1, vexaDerived = 2, vexaKep = 3 };
enum VexaOnOrOff : LONG { vexaOn = 0, vexaOff = 1 };
enum VexaYesOrNo : LONG { vexaYes = 0, vexaNo = 1 };
enum VexaFilterAlgorithm : LONG { vexaFilterNone = 0, vexaButterworthFilter = 1, vexaEllipticFilter = 2 };
enum VexaFilterPassType : LONG { vexaLowPass = 1, vexaHighPass = 2, vexaBandPass = 3 };
enum VexaDataCorrectionMethod : LONG { vexaDataCorrectionNone = 0, vexaDefaultValue = 1, vexaLastValue = 2 };
enum VexaNullCorrection : LONG {
  vexaNullCorrectionNo = 0,
  vexaNullCorrectionYes = 1,
  vexaNullEquationInput = 2,
  vexaNullEquationResult = 3,
};
enum VexaNullGroup : LONG { vexaAircraftGroup = 1, vexaWeaponsGroup = 2 };
enum VexaSpikeDetectionMethod : LONG { vexaSpikeDetectionMethodNone = 0, vexaSlopeChange = 1, vexaAbsoluteChange = 2 };
enum VexaComputeType : LONG {
  vexaAutoSpectrum = 0,
  vexaPsd = 1,
  vexaPhaseMagnitude = 2,
  vexaPhaseReal = 3,
  vexaPhaseImaginary = 4,
  vexaPhaseGain = 5,
  vexaBode = 6,
  vexaNyquist = 7,
};
enum VexaWindowType : LONG {
  vexaWindowTypeNone = 0,
  vexaHanning = 1,
  vexaHamming = 2,
  vexaBlackman = 3,
  vexaKaiserBessel = 4,
  vexaRectangular = 5,
  vexaFlatTop = 6,
};
enum VexaAlpha : LONG {
  vexaAlphaNone = 0,
  vexaAlphaTwoPointZero = 0,
  vexaAlphaTwoPointFive = 1,
  vexaAlphaThreePointZero = 2,
  vexaAlphaThreePointFive = 3,
};
enum VexaAverageMethod : LONG { vexaAverageMethodNone = 0, vexaAverageTime = 1, vexaAverageFrequency = 2 };
enum VexaBlockSize : LONG {
  vexaBlock64 = 64,
  vexaBlock128 = 128,
  vexaBlock256 = 256,
  vexaBlock512 = 512,
  vexaBlock1024 = 1024,
  vexaBlock2048 = 2048,
  vexaBlock4096 = 4096,
  vexaBlock8192 = 8192,
  vexaBlock16384 = 16384,
  vexaBlock32768 = 32768,
  vexaBlock65536 = 65536,
};
enum VexaThresholdLevel : LONG { vexaNoThreshold = 0, vexaWarning = 1, vexaAlarm = 2 };
