' Failures reach a script as Err.Number holding the status code. The script
' engine reports E_INVALIDARG as its own error 5, "Invalid procedure call or
' argument".
' Run as: cscript //nologo failures.vbs FOLDER
Option Explicit
Const E_FAIL = &H80004005
Const INVALID_ARGUMENT = 5
Const E_POINTER = &H80004003

Dim failures, folder, path, cfg, events, item, rows, version
failures = 0
folder = WScript.Arguments(0)
path = folder & "\failures.cfg"

Sub Check(condition, what)
  If Not condition Then
    WScript.Echo "FAIL: " & what
    failures = failures + 1
  End If
End Sub

' Runs after a call under On Error Resume Next.
Sub ExpectError(code, what)
  If Err.Number <> code Then
    WScript.Echo "FAIL: " & what & ": Err.Number " & Hex(Err.Number) & ", expected " & Hex(code)
    failures = failures + 1
  End If
  Err.Clear
End Sub

Set cfg = CreateObject("VexaConfigInterface.VexaConfig")
cfg.OpenMessageLog folder & "\failures.log", True

On Error Resume Next
cfg.Open folder & "\missing.cfg"
ExpectError E_FAIL, "Open of a missing file"
Set events = cfg.Events
ExpectError E_POINTER, "a collection with nothing open"
version = cfg.VersionFromFile(folder & "\missing.cfg")
ExpectError E_FAIL, "VersionFromFile of a missing file"
cfg.Create path, False
ExpectError 0, "Create"
cfg.Open path, False
ExpectError 0, "Open"
rows = cfg.Query("select * from NoSuchTable")
ExpectError E_FAIL, "Query of an unknown table"
Set events = cfg.Events
Set item = events.Item(0)
ExpectError INVALID_ARGUMENT, "Item index 0"
Set item = events.Item("nobody")
ExpectError E_FAIL, "Item by an unknown name"
events.Remove 1
ExpectError INVALID_ARGUMENT, "Remove from an empty collection"
cfg.Close False
ExpectError 0, "Close"
On Error GoTo 0

Check InStr(CreateObject("Scripting.FileSystemObject").OpenTextFile(folder & "\failures.log").ReadAll(), _
           "Open: Unable to load VEXA configuration file") > 0, "the failure is in the message log"

WScript.Echo "checks failed: " & failures
WScript.Echo "END failures"
