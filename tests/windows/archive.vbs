' The archive component as scripts meet it: the configuration object opens and
' saves an archive through the registered component, and a script lists and
' extracts the archive's members itself. FOLDER holds archive.zip, a version 5
' file as its member VEXA/pfConfig. Run as: cscript //nologo archive.vbs FOLDER
Option Explicit

Dim failures, folder, path, cfg, events, zip, names, i, extracted
failures = 0
folder = WScript.Arguments(0)
path = folder & "\archive.zip"

Sub Check(condition, what)
  If Not condition Then
    WScript.Echo "FAIL: " & what
    failures = failures + 1
  End If
End Sub

Set cfg = CreateObject("VexaConfigInterface.VexaConfig")
cfg.Open path, False
Set events = cfg.Events
events.Add "Gear down", "123:14:05:00.000"
events.SaveTable
cfg.Close True
cfg.Open path, False
Check cfg.Events.Count = 1, "the event saved into the archive"
cfg.Close False

Set zip = CreateObject("VexaZLibInterface.ZlibObj")
zip.OpenArchive path, 1, 0
names = ""
For i = 1 To zip.MemberCount
  names = names & zip.MemberName(i) & ","
Next
Check InStr(names, "VEXA/pfConfig,") > 0, "VEXA/pfConfig among the members: " & names
extracted = folder & "\pfConfig.txt"
zip.ExtractFile "VEXA/pfConfig", extracted
zip.CloseArchive "VEXA Config File"
Check Left(CreateObject("Scripting.FileSystemObject").OpenTextFile(extracted).ReadLine(), 4) = "Root", _
      "the extracted member is the configuration text"

On Error Resume Next
Set zip = CreateObject("VexaZLibInterface.ZlibObj.1")
Check Err.Number = 0, "the version-dependent program identifier creates the component"
zip.OpenArchive folder & "\missing.zip", 1, 0
Check Err.Number <> 0, "opening a missing archive fails"
On Error GoTo 0

WScript.Echo "checks failed: " & failures
WScript.Echo "END archive"
