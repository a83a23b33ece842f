' Run after unregistration: neither ProgID creates an object any more.
On Error Resume Next

Dim passed, failed, gone, o
passed = 0
failed = 0

Sub Expect(name, result)
  If result Then
    passed = passed + 1
  Else
    WScript.Echo "FAIL " & name
    failed = failed + 1
  End If
End Sub

Err.Clear
Set o = CreateObject("Brindle0200.orvRegistry2")
gone = (Err.Number <> 0) : Err.Clear
Expect "Brindle0200.orvRegistry2 no longer resolves", gone
Set o = CreateObject("Brindle0200.orvOrvaneSettings2")
gone = (Err.Number <> 0) : Err.Clear
Expect "Brindle0200.orvOrvaneSettings2 no longer resolves", gone
WScript.Echo passed & " passed, " & failed & " failed"
