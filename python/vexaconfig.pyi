"""Type hints of the vexaconfig module: the automation object model by its own names.

An object belongs to the thread that made it; using it from another thread raises
Error. Enumeration properties read as their IntEnum constant (a plain int when no
constant has the value) and take any int.
"""
from enum import IntEnum
from os import PathLike
from types import TracebackType
from typing import Generic, Iterator, Literal, Optional, Tuple, Type, TypeVar, Union

__version__: str

_Path = Union[str, PathLike[str]]

class Error(RuntimeError):
    """A failing status: .hresult holds it (signed 32-bit); the message names it and its cause."""
    hresult: int
    def __init__(self, message: str, hresult: int) -> None: ...

class ItemNameError(Error, KeyError):
    """Item or Remove was given a name that no item has."""

class ItemIndexError(Error, IndexError):
    """Item or Remove was given an index outside 1 to Count."""

class VexaDataType(IntEnum):
    vexaInteger: int
    vexaDiscrete: int
    vexaFloatingPoint: int
    vexaLong: int
    vexaUnsignedLong: int
    vexaDouble: int
    vexaAscii: int
    vexaBlob: int

class VexaDataSourceType(IntEnum):
    vexaTpp: int
    vexaDerived: int
    vexaKep: int

class VexaOnOrOff(IntEnum):
    vexaOn: int
    vexaOff: int

class VexaYesOrNo(IntEnum):
    vexaYes: int
    vexaNo: int

class VexaFilterAlgorithm(IntEnum):
    vexaFilterNone: int
    vexaButterworthFilter: int
    vexaEllipticFilter: int

class VexaFilterPassType(IntEnum):
    vexaLowPass: int
    vexaHighPass: int
    vexaBandPass: int

class VexaDataCorrectionMethod(IntEnum):
    vexaDataCorrectionNone: int
    vexaDefaultValue: int
    vexaLastValue: int

class VexaNullCorrection(IntEnum):
    vexaNullCorrectionNo: int
    vexaNullCorrectionYes: int
    vexaNullEquationInput: int
    vexaNullEquationResult: int

class VexaNullGroup(IntEnum):
    vexaAircraftGroup: int
    vexaWeaponsGroup: int

class VexaSpikeDetectionMethod(IntEnum):
    vexaSpikeDetectionMethodNone: int
    vexaSlopeChange: int
    vexaAbsoluteChange: int

class VexaComputeType(IntEnum):
    vexaAutoSpectrum: int
    vexaPsd: int
    vexaPhaseMagnitude: int
    vexaPhaseReal: int
    vexaPhaseImaginary: int
    vexaPhaseGain: int
    vexaBode: int
    vexaNyquist: int

class VexaWindowType(IntEnum):
    vexaWindowTypeNone: int
    vexaHanning: int
    vexaHamming: int
    vexaBlackman: int
    vexaKaiserBessel: int
    vexaRectangular: int
    vexaFlatTop: int

class VexaAlpha(IntEnum):
    vexaAlphaNone: int
    vexaAlphaTwoPointZero: int
    vexaAlphaTwoPointFive: int
    vexaAlphaThreePointZero: int
    vexaAlphaThreePointFive: int

class VexaAverageMethod(IntEnum):
    vexaAverageMethodNone: int
    vexaAverageTime: int
    vexaAverageFrequency: int

class VexaBlockSize(IntEnum):
    vexaBlock64: int
    vexaBlock128: int
    vexaBlock256: int
    vexaBlock512: int
    vexaBlock1024: int
    vexaBlock2048: int
    vexaBlock4096: int
    vexaBlock8192: int
    vexaBlock16384: int
    vexaBlock32768: int
    vexaBlock65536: int

class VexaThresholdLevel(IntEnum):
    vexaNoThreshold: int
    vexaWarning: int
    vexaAlarm: int

class Event:
    """An event marker: a comment at an IRIG time."""
    Group: str
    SubGroup: str
    User: str
    IrigTime: str
    Name: str
    PropBag: str

class Threshold:
    """A warning or alarm threshold break of a parameter."""
    Group: str
    SubGroup: str
    User: str
    @property
    def Level(self) -> VexaThresholdLevel: ...
    @Level.setter
    def Level(self, value: int) -> None: ...
    AnalysisWindowName: str
    DisplayType: str
    ParameterName: str
    IrigTimeAtBreak: str
    ValueAtBreak: float
    DisplayName: str
    Comment: str
    PropBag: str

class Testpoint:
    """A logged test point with its start and stop time."""
    Group: str
    SubGroup: str
    User: str
    Testpoint: str
    Description: str
    Maneuver: str
    StartTime: str
    StopTime: str
    PropBag: str

class Selection:
    """A value selected from a parameter at an IRIG time."""
    Group: str
    SubGroup: str
    User: str
    IrigTime: str
    Value: float
    Parameter: str
    Filter: str
    Display: str
    Comment: str
    PropBag: str

class PlannedTestPoint:
    """A planned test point."""
    Group: str
    SubGroup: str
    User: str
    Testpoint: str
    Description: str
    Maneuver: str
    AircraftConfig: str
    FlightConditions: str
    PredictedResults: str
    PropBag: str

class ParameterDefault:
    """The stored description of one parameter."""
    Name: str
    @property
    def DataType(self) -> VexaDataType: ...
    @DataType.setter
    def DataType(self, value: int) -> None: ...
    Group: str
    SubGroup: str
    ShortName: str
    LongName: str
    Units: str
    Color: int
    Width: int
    @property
    def DataSourceType(self) -> VexaDataSourceType: ...
    @DataSourceType.setter
    def DataSourceType(self, value: int) -> None: ...
    DataSourceArgument: str
    SampleRate: float
    LoadLimitNegative: float
    LoadLimitPositive: float
    TimeScaleRangeMin: float
    TimeScaleRangeMax: float
    @property
    def TimeScaleAuto(self) -> VexaOnOrOff: ...
    @TimeScaleAuto.setter
    def TimeScaleAuto(self, value: int) -> None: ...
    FreqScaleRangeMin: float
    FreqScaleRangeMax: float
    @property
    def FreqScaleAuto(self) -> VexaOnOrOff: ...
    @FreqScaleAuto.setter
    def FreqScaleAuto(self, value: int) -> None: ...
    WarningThreshRangeMin: float
    WarningThreshRangeMax: float
    WarningThreshColor: int
    WarningThreshLabel: str
    WarningThreshLineWidth: int
    AlarmThreshRangeMin: float
    AlarmThreshRangeMax: float
    AlarmThreshColor: int
    AlarmThreshLabel: str
    AlarmThreshLineWidth: int
    @property
    def FilterActive(self) -> VexaYesOrNo: ...
    @FilterActive.setter
    def FilterActive(self, value: int) -> None: ...
    @property
    def FilterAlgorithm(self) -> VexaFilterAlgorithm: ...
    @FilterAlgorithm.setter
    def FilterAlgorithm(self, value: int) -> None: ...
    @property
    def FilterPassType(self) -> VexaFilterPassType: ...
    @FilterPassType.setter
    def FilterPassType(self, value: int) -> None: ...
    FilterLowCutoff: float
    FilterHighCutoff: float
    FilterOrder: int
    WildPointRangeMin: float
    WildPointRangeMax: float
    @property
    def WildPointCorrectionMethod(self) -> VexaDataCorrectionMethod: ...
    @WildPointCorrectionMethod.setter
    def WildPointCorrectionMethod(self, value: int) -> None: ...
    WildPointCorrectionValue: float
    @property
    def SignChange(self) -> VexaYesOrNo: ...
    @SignChange.setter
    def SignChange(self, value: int) -> None: ...
    @property
    def NullCorrection(self) -> VexaNullCorrection: ...
    @NullCorrection.setter
    def NullCorrection(self, value: int) -> None: ...
    NullBaseline: float
    NullBias: float
    @property
    def NullGroup(self) -> VexaNullGroup: ...
    @NullGroup.setter
    def NullGroup(self, value: int) -> None: ...
    @property
    def SpikeDetectionMethod(self) -> VexaSpikeDetectionMethod: ...
    @SpikeDetectionMethod.setter
    def SpikeDetectionMethod(self, value: int) -> None: ...
    @property
    def SpikeCorrectionMethod(self) -> VexaDataCorrectionMethod: ...
    @SpikeCorrectionMethod.setter
    def SpikeCorrectionMethod(self, value: int) -> None: ...
    SpikeChangeLimit: float
    @property
    def ComputeType(self) -> VexaComputeType: ...
    @ComputeType.setter
    def ComputeType(self, value: int) -> None: ...
    ExcitationSignal: str
    @property
    def WindowType(self) -> VexaWindowType: ...
    @WindowType.setter
    def WindowType(self, value: int) -> None: ...
    @property
    def Alpha(self) -> VexaAlpha: ...
    @Alpha.setter
    def Alpha(self, value: int) -> None: ...
    @property
    def AveragingMethod(self) -> VexaAverageMethod: ...
    @AveragingMethod.setter
    def AveragingMethod(self, value: int) -> None: ...
    Overlap: float
    BlocksPerAverage: int
    @property
    def BlockSize(self) -> VexaBlockSize: ...
    @BlockSize.setter
    def BlockSize(self, value: int) -> None: ...
    StringLookupTable: str
    Delete: bool

class ParameterSet:
    """A named group of parameter defaults."""
    SetName: str
    Group: str
    IsActive: bool
    @property
    def ParameterDefaults(self) -> ParameterDefaults:
        """A new collection of this set's parameter defaults, read from the table now."""

_Item = TypeVar("_Item")
IndexOrName = Union[int, float, str]

class _Collection(Generic[_Item]):
    @property
    def Count(self) -> int: ...
    def __len__(self) -> int: ...
    def __iter__(self) -> Iterator[_Item]: ...
    def Item(self, IndexOrName: IndexOrName) -> _Item:
        """The item at a 1-based index, or the first whose key property equals the name, ignoring case."""
    def Remove(self, IndexOrName: IndexOrName) -> None: ...
    def RemoveAll(self) -> None: ...
    def SaveTable(self) -> None:
        """Replaces the rows of the table by rows made from the items."""

class Events(_Collection[Event]):
    def Add(self, Name: str, IrigTime: str) -> Event: ...

class Thresholds(_Collection[Threshold]):
    def Add(self, ParameterName: str, IrigTimeAtBreak: str, Level: int) -> Threshold: ...

class Testpoints(_Collection[Testpoint]):
    def Add(self, Testpoint: str, StartTime: str, StopTime: str) -> Testpoint: ...

class Selections(_Collection[Selection]):
    def Add(self, ParameterName: str, IrigTime: str, Value: float) -> Selection: ...

class PlannedTestPoints(_Collection[PlannedTestPoint]):
    def Add(self, Testpoint: str) -> PlannedTestPoint: ...

class ParameterDefaults(_Collection[ParameterDefault]):
    def Add(self, Name: str, Type: int, SampleRate: float) -> ParameterDefault: ...
    @property
    def SetName(self) -> str: ...

class ParameterSets(_Collection[ParameterSet]):
    def Add(self, SetName: str, Group: str, IsActive: bool) -> ParameterSet: ...

class VexaConfig:
    """The configuration object: one configuration file at a time, its statements and its collections."""
    def __init__(self) -> None: ...
    def Open(self, PathAndName: _Path, CreateBackupFile: bool = True) -> None: ...
    def Create(self, PathAndName: _Path, OpenAfterCreate: bool) -> None: ...
    def Save(self) -> None: ...
    def Close(self, WithSave: bool = True) -> None: ...
    def VersionFromFile(self, FileName: _Path) -> str: ...
    Version: int
    def OpenMessageLog(self, NameAndPath: _Path, DeleteExistingLog: bool = True) -> None: ...
    def Query(self, Query: str) -> Optional[Tuple[str, ...]]:
        """The rows of a select, cells joined by "|"; None when there is no row or no select.
        A statement holding a character that Windows-1252 cannot write is refused (Error)."""
    @property
    def ParameterSets(self) -> ParameterSets: ...
    @property
    def ParameterDefaults(self) -> ParameterDefaults: ...
    @property
    def Events(self) -> Events: ...
    @property
    def Thresholds(self) -> Thresholds: ...
    @property
    def Testpoints(self) -> Testpoints: ...
    @property
    def Selections(self) -> Selections: ...
    @property
    def PlannedTestPoints(self) -> PlannedTestPoints: ...
    def rows(self, statement: str) -> list[Tuple[str, ...]]:
        """The rows of a select as tuples of cells; [] when there is none."""
    def tables(self) -> dict[str, int]:
        """Each table of the open file with its number of rows."""
    def __enter__(self) -> VexaConfig: ...
    def __exit__(self, kind: Optional[Type[BaseException]], value: Optional[BaseException],
                 traceback: Optional[TracebackType]) -> Literal[False]: ...

def open(path: _Path, backup: bool = False) -> VexaConfig:
    """Opens a configuration file for a with block, which closes it without saving."""
