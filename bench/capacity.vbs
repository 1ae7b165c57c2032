' One step of the capacity runs (bench/capacity.sh) on a large configuration, as
' a user's script does it through the object model. Run as:
'   cscript //nologo capacity.vbs MODE PATH LOG
' MODE is one of
'   idle         make the object and open the message log only (the host's own size)
'   open         Open PATH without the backup copy, then Close without saving
'   open-backup  Open PATH with its .Backup copy, then Close without saving
'   save         Open PATH without the backup copy, change one row, Save, Close;
'                a PATH ending in .zip is saved as an archive, any other as text
'   save-backup  the same, opened with the .Backup copy
' LOG is the message log, where a failing call names its cause. Each call
' prints one line: its name, "ok" or "failed" with the error number and
' description, and its seconds. The last line is "END" unless the host died.
Option Explicit

Dim mode, path, cfg, opened
mode = WScript.Arguments(0)
path = WScript.Arguments(1)

' Runs after a call under On Error Resume Next; false when it failed.
Function Reported(what, started)
  Dim seconds
  seconds = FormatNumber(Timer - started, 2, -1, 0, 0)
  If Err.Number = 0 Then
    WScript.Echo what & " ok " & seconds
    Reported = True
  Else
    WScript.Echo what & " failed 0x" & Hex(Err.Number) & " " & Err.Description & " " & seconds
    Reported = False
  End If
  Err.Clear
End Function

Set cfg = CreateObject("VexaConfigInterface.VexaConfig")
cfg.OpenMessageLog WScript.Arguments(2), True

On Error Resume Next
Dim started
If mode <> "idle" Then
  started = Timer
  cfg.Open path, (mode = "open-backup" Or mode = "save-backup")
  opened = Reported("Open", started)
  If opened And Left(mode, 4) = "save" Then
    started = Timer
    cfg.Query "update ParameterDefaults set Units = 'ft' where Parameter = 'P1'"
    If Reported("Query", started) Then
      started = Timer
      cfg.Save
      Reported "Save", started
    End If
  End If
  If opened Then
    started = Timer
    cfg.Close False
    Reported "Close", started
  End If
End If
WScript.Echo "END"
