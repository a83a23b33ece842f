' Shared by the client scripts: each check counts as passed or failed, and
' an automation error raised by the checked expression counts as a failure.
' Put in front of each script, so it declares globals only.
Dim passed, failed
passed = 0
failed = 0

Sub Check(name, result)
  If Err.Number <> 0 Then
    WScript.Echo "FAIL " & name & ": error &H" & Hex(Err.Number) & " " & Err.Description
    failed = failed + 1
  ElseIf result = True Then
    passed = passed + 1
  Else
    WScript.Echo "FAIL " & name
    failed = failed + 1
  End If
  Err.Clear
End Sub

' The closing line the harness reads; a script that dies before it fails.
Sub Tally()
  WScript.Echo passed & " passed, " & failed & " failed"
End Sub

' The application object a family script passes: a class with the three properties.
Class ScriptApp
  Public Title
  Public Major
  Public Minor
End Class

' A registry value read by WScript.Shell, independently of the library;
' Empty when it is not there.
Function ReadReg(path)
  On Error Resume Next
  ReadReg = Empty
  ReadReg = CreateObject("WScript.Shell").RegRead(path)
  Err.Clear
End Function
