' The whole object model, late-bound as a user's script drives it: a new file,
' every collection read, changed and written back, the file saved, closed and
' read again. Run as: cscript //nologo object_model.vbs FOLDER
' An unhandled error may end a script silently, so the last line printed is
' the end marker, and every check that fails prints a line starting "FAIL".
' Colours are OLE_COLOR, an unsigned type that VBScript reads but does not
' compare: CLng makes them numbers it does.
Option Explicit

Dim failures, folder, path, files
failures = 0
folder = WScript.Arguments(0)
path = folder & "\flight.cfg"
Set files = CreateObject("Scripting.FileSystemObject")

Sub Check(condition, what)
  If Not condition Then
    WScript.Echo "FAIL: " & what
    failures = failures + 1
  End If
End Sub

' The names of a collection's items in For Each order, joined by commas; the
' items of a parameter-set collection are named by their SetName.
Function Names(collection, member)
  Dim item, text
  text = ""
  For Each item In collection
    If text <> "" Then text = text & ","
    If member = "SetName" Then
      text = text & item.SetName
    Else
      text = text & item.Name
    End If
  Next
  Names = text
End Function

Function ReadAll(file)
  ReadAll = files.OpenTextFile(file).ReadAll()
End Function

' Both program identifiers make the configuration object.
Dim cfg, cfg1
Set cfg = CreateObject("VexaConfigInterface.VexaConfig")
Set cfg1 = CreateObject("VexaConfigInterface.VexaConfig.1")
Check cfg.Version = 5, "a new object answers version 5"
cfg1.Version = 4
Check cfg1.Version = 4, "Version put and get"
Set cfg1 = Nothing

cfg.OpenMessageLog folder & "\messages.log"
Check InStr(ReadAll(folder & "\messages.log"), "* Message Log Open on: ") > 0, "the message log is opened"

cfg.Create path, False
Check cfg.VersionFromFile(path) = "VersionFivePointZero", "VersionFromFile of a new file"

' Open without and with the backup copy.
cfg.Open path, False
Check Not files.FileExists(path & ".Backup"), "no backup when told not to"
cfg.Close False
cfg.Open path
Check files.FileExists(path & ".Backup"), "a backup by default"
Check cfg.Version = 5, "Version of the open file"

' Parameter defaults: text, double, enumeration, colour, long and boolean
' properties; the list is kept in name order.
Dim defaults, pd
Set defaults = cfg.ParameterDefaults
Check defaults.SetName = "ParameterSet1", "the active set"
Set pd = defaults.Add("Mach", 2, 20.5)
Set pd = defaults.Add("ALT", 5, 10)
pd.Units = "ft"
pd.Color = &H123456
pd.LoadLimitNegative = -5.5
pd.FilterOrder = 4
pd.WindowType = 3
Check pd.Delete = False, "Delete starts false"
defaults.Add "Beta", 0, 1
Check defaults.Count = 3, "three defaults"
Check Names(defaults, "Name") = "ALT,Beta,Mach", "defaults in name order"
Check defaults.Item(1).Name = "ALT", "Item by index"
Check defaults.Item("Mach").SampleRate = 20.5, "Item by name"
Check defaults.Item("2").Name = "Beta", "Item by a numeric string"
defaults.Remove "Beta"
Check defaults.Count = 2, "Remove by name"
defaults.SaveTable

' Parameter sets.
Dim sets
Set sets = cfg.ParameterSets
sets.Add "Flight7", "Loads", True
Check Names(sets, "SetName") = "ParameterSet1,Flight7", "the sets in table order"
Check sets.Item("flight7").Group = "Loads", "a set by name"
Check sets.Item(2).IsActive = True, "a boolean property"
Check sets.Item(1).ParameterDefaults.Count = 2, "a set's own defaults"
sets.SaveTable

' The five log collections.
Dim events, thresholds, testpoints, selections, planned, item
Set events = cfg.Events
Set item = events.Add("Takeoff", "001:02:03:04.000")
item.User = "pilot"
events.Add "Landing", "001:03:00:00.000"
Check Names(events, "Name") = "Takeoff,Landing", "events in insertion order"
events.Remove 2
events.SaveTable

Set thresholds = cfg.Thresholds
Set item = thresholds.Add("ALT", "001:02:03:05.000", 2)
item.ValueAtBreak = 1.5
Check thresholds.Item("ALT").Level = 2, "an enumeration argument"
thresholds.SaveTable

Set testpoints = cfg.Testpoints
testpoints.Add "TP1", "001:00:00:00.000", "001:00:01:00.000"
Check testpoints.Item("tp1").StopTime = "001:00:01:00.000", "a test point by name"
testpoints.SaveTable

Set selections = cfg.Selections
selections.Add "ALT", "001:00:00:30.000", 3.25
Check selections.Item(1).Value = 3.25, "a double argument"
selections.SaveTable

Set planned = cfg.PlannedTestPoints
Set item = planned.Add("PTP1")
item.Description = "wind-up turn"
Check planned.Count = 1, "a planned test point"
planned.SaveTable

cfg.Save

' A change after the save, kept by Close's default.
Set events = cfg.Events
events.Add "Touchdown", "001:03:10:00.000"
events.SaveTable
cfg.Close

' A change thrown away by Close False.
cfg.Open path, False
Set events = cfg.Events
events.RemoveAll
events.SaveTable
cfg.Close False

' Read the file again with a new object and compare.
Set cfg = CreateObject("VexaConfigInterface.VexaConfig")
cfg.Open path, False
Set pd = cfg.ParameterDefaults.Item("ALT")
Check pd.Units = "ft", "text kept"
Check CLng(pd.Color) = &H123456, "colour kept"
Check pd.DataType = 5, "enumeration kept"
Check pd.LoadLimitNegative = -5.5, "double kept"
Check pd.FilterOrder = 4, "long kept"
Check pd.WindowType = 3, "window type kept"
Check Names(cfg.ParameterDefaults, "Name") = "ALT,Mach", "defaults kept"
Check Names(cfg.ParameterSets, "SetName") = "ParameterSet1,Flight7", "sets kept"
Check Names(cfg.Events, "Name") = "Takeoff,Touchdown", "events kept, Close saved, Close False did not"
Check cfg.Events.Item("takeoff").User = "pilot", "event user kept"
Check cfg.Thresholds.Item(1).ValueAtBreak = 1.5, "threshold value kept"
Check cfg.Testpoints.Count = 1, "test point kept"
Check cfg.Selections.Item(1).Parameter = "ALT", "selection kept"
Check cfg.PlannedTestPoints.Item("PTP1").Description = "wind-up turn", "planned test point kept"
cfg.Close False

' Items made by their own classes.
Dim standalone
Set standalone = CreateObject("VexaConfigInterface.Threshold")
standalone.Comment = "made by its class"
Check standalone.Comment = "made by its class", "an item made by its class"
Set standalone = CreateObject("VexaConfigInterface.ParameterDefault.1")
Check CLng(standalone.Color) = &HFF0000, "a new parameter default's colour"

WScript.Echo "checks failed: " & failures
WScript.Echo "END object_model"
