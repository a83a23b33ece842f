' A font kept through orvOrvaneSettings2 as a family script keeps it: a
' standard font object stored with SaveFont2 and built back with LoadFont2,
' the eight values read independently by WScript.Shell. Ends with its tally.
' (No Option Explicit: Wine's VBScript rejects it next to a class.)
On Error Resume Next



Randomize
Dim shell, store, app, title, fontKey, ok
title = "OrvaneTest vbs font " & CStr(Int(Timer * 100)) & " " & CStr(Int(Rnd * 1000000))
fontKey = "HKCU\Software\Larkspur Forge\Orvane\" & title & "\Version 1.02\Main Font\"
Set shell = CreateObject("WScript.Shell")
Set store = CreateObject("Brindle0200.orvOrvaneSettings2")
Set app = New ScriptApp
app.Title = title
app.Major = 1
app.Minor = 2

' LoadFont2 puts a new standard font into a variable that holds Nothing.
Dim font, built, given
Set given = Nothing
Set built = store.LoadFont2("Main Font", given, app)
ok = False : ok = Not given Is Nothing : Check "LoadFont2 fills a Nothing Default", ok
ok = False : ok = Not built Is given And built.Name = given.Name And built.Size = given.Size : Check "and builds a copy", ok

' A standard font by ProgID where the system registers one, else that one.
Set font = Nothing
Set font = CreateObject("StdFont")
Err.Clear
If font Is Nothing Then Set font = given
font.Name = "Liberation Mono"
font.Size = 8.25
font.Weight = 700
font.Italic = True
font.Charset = 204
store.SaveFont2 "Main Font", font, app
Check "SaveFont2", True
ok = False : ok = (ReadReg(fontKey & "Size2") = 8250) : Check "Size2 holds thousandths of a point", ok
ok = False : ok = (ReadReg(fontKey & "Size") = 8) : Check "Size holds whole points", ok
ok = False : ok = (ReadReg(fontKey & "Italic") = "True") : Check "Italic is stored as text", ok
ok = False : ok = (ReadReg(fontKey & "Weight") = 700 And ReadReg(fontKey & "Charset") = 204) : Check "Weight, Charset", ok
ok = False : ok = (ReadReg(fontKey & "Name") = "Liberation Mono") : Check "Name", ok

Dim fresh
Set fresh = Nothing
Set built = store.LoadFont2("Main Font", fresh, app)
ok = False : ok = (built.Size = 8.25) : Check "8.25 points come back exactly: " & built.Size, ok
ok = False : ok = (built.Name = "Liberation Mono" And built.Bold And built.Italic And built.Charset = 204) : Check "name and styles", ok
ok = False : ok = Not (built Is fresh Or built Is font) : Check "a new font object", ok

' 10.5 points, the object passed in parentheses, the other parts unchanged.
font.Size = 10.5
store.SaveFont2 "Main Font", (font), (app)
ok = False : ok = (ReadReg(fontKey & "Size") = 10 And ReadReg(fontKey & "Size2") = 10500) : Check "10.5 points: halves to even", ok
ok = False : ok = (store.LoadFont2("Main Font", font, app).Size = 10.5) : Check "10.5 points come back exactly", ok

' Nothing stored: the Default's own properties, in a new object.
Dim same
Set same = store.LoadFont2("Absent Font", built, app)
ok = False : ok = (same.Name = built.Name And same.Size = built.Size And Not same Is built) : Check "an absent font copies Default", ok

' Nothing to save writes nothing; an object that is no font raises an error.
store.SaveFont2 "Never", Nothing, app
Check "SaveFont2 of Nothing is quiet", True
ok = False : ok = IsEmpty(ReadReg("HKCU\Software\Larkspur Forge\Orvane\" & title & "\Version 1.02\Never\")) : Check "and creates no key", ok
Dim number, description
store.SaveFont2 "Never", app, app
number = Err.Number : description = Err.Description : Err.Clear
ok = False : ok = (number <> 0 And InStr(description, "Size") > 0) : Check "a stranger as font: " & description, ok

shell.Run "reg delete ""HKCU\Software\Larkspur Forge\Orvane\" & title & """ /f", 0, True
Dim registry
Set registry = CreateObject("Brindle0200.orvRegistry2")
registry.DeleteKey &H80000001, "Software\Larkspur Forge\Orvane", False
registry.DeleteKey &H80000001, "Software\Larkspur Forge", False
Err.Clear

Tally
