' Errors of orvOrvaneSettings2 as a script sees them: Err.Number, Err.Source
' and Err.Description of the failing call, and an object that goes on working
' afterwards. Every check goes through Check; the script ends with its tally.
' (No Option Explicit: Wine's VBScript rejects it next to a class.)
On Error Resume Next


Dim ok


' Records what the last statement raised, then clears it for the next check.
Dim number, source, description
Sub TakeError()
  number = Err.Number
  source = Err.Source
  description = Err.Description
  Err.Clear
End Sub

Dim store, app, path
Set store = CreateObject("Brindle0200.orvOrvaneSettings2")
ok = False : ok = IsObject(store) : Check "created by ProgID", ok

' An application object that is Nothing is an error of the call. Errors of
' the automation runtime's own range (&H800A0000 and up) reach a script as
' their short number, 91 for instance.
path = "unchanged"
path = store.GetSettingPath2(Nothing)
TakeError
ok = False : ok = (number <> 0 And path = "unchanged") : Check "GetSettingPath2(Nothing) fails", ok
ok = False : ok = (Len(description) > 0) : Check "the error has a description", ok
ok = False : ok = (source = "Brindle0200.orvOrvaneSettings2") : Check "the error names its source: " & source, ok

store.LoadSetting2 "k", "v", 0, , Nothing
TakeError
ok = False : ok = (number <> 0 And Len(description) > 0 And source = "Brindle0200.orvOrvaneSettings2") : Check "LoadSetting2 with Nothing fails with a description", ok

' Nothing in a variable, passed by reference, reaches the library as Nothing.
Dim none
Set none = Nothing
store.GetSettingPath2 none
TakeError
ok = False : ok = (number <> 0 And source = "Brindle0200.orvOrvaneSettings2") : Check "Nothing in a variable is Nothing", ok

' The object goes on working after an error.
Set app = New ScriptApp
app.Title = "Orvane - error test"
app.Major = 1
app.Minor = 2
path = Empty : path = store.GetSettingPath2((app))
ok = False : ok = (Left(path, Len("Software\Larkspur Forge\Orvane\Orvane - error test\Version ")) = "Software\Larkspur Forge\Orvane\Orvane - error test\Version ") : Check "works after an error: " & path, ok

' An object argument left out is no object: nothing is written or read, and
' no error. An application object left out is Nothing, and fails as Nothing.
Dim reg, fontOut, nothingNumber
Set reg = CreateObject("Brindle0200.orvRegistry2")
store.SaveFont "Omit C", , "Omit Test", 1, 0
store.SaveProxySettingsHT "Omit B", , "Omit Test", 1, 0
store.SaveFormPlacement "", "P", , "Omit Test", 1, 0
store.SaveListViewColumns "Omit D", , "Omit Test", 1, 0
store.LoadProxySettings "Omit B", , "Omit Test", 1, 0
Set fontOut = store.LoadFont("Omit C", , "Omit Test", 1, 0)
app.Title = "Omit Test"
store.SaveFont2 "Omit C", , (app)
TakeError : ok = False : ok = (number = 0 And IsObject(fontOut)) : Check "objects left out: " & description, ok
ok = True : ok = reg.IsKeyExist(&H80000001, "Software\Larkspur Forge\Orvane\Omit Test") : Check "nothing written", Not ok
reg.DeleteKey &H80000001, "Software\Larkspur Forge\Orvane\Omit Test"
store.SaveProxySettings2 "Omit B", , Nothing
TakeError : nothingNumber = number
store.LoadFormPlacement2 "", "P", , , True
TakeError : ok = False : ok = (nothingNumber = 91 And number = nothingNumber) : Check "AppObject left out: " & number, ok

Tally
