' orvOrvaneSettings2 used late-bound from VBScript, as the family's scripts
' use it: an application object of a script class, typed settings saved and
' loaded back, success flags in variables, omitted arguments, and errors.
' Prints its own closing tally; cscript reports no run-time error by itself.
' (No Option Explicit: Wine's VBScript rejects it next to a class.)


Class AppWithoutMinor
    Public Title
    Public Major
End Class

' The checks here name the condition first and look at Err themselves, so
' a raised error is what some of them expect.
Sub Expect(condition, what)
    If condition Then
        passed = passed + 1
    Else
        failed = failed + 1
        WScript.Echo "FAIL " & what
    End If
End Sub


Const sdtString = 0
Const sdtLong = 1
Const sdtBoolean = 3
Const family = "Software\Larkspur Forge\Orvane\"

Randomize
Dim title
title = "OrvaneTest vbs " & CStr(Int(Timer * 100)) & " " & CStr(Int(Rnd * 1000000))

Dim shell, store, app, versionKey
Set shell = CreateObject("WScript.Shell")
Set store = CreateObject("Brindle0200.orvOrvaneSettings2")
Set app = New ScriptApp
app.Title = title
app.Major = 1
app.Minor = 2
versionKey = family & title & "\Version 1.02"

' Paths, with the object passed as a variable and in parentheses.
Expect store.GetSettingPath2(app) = versionKey, "GetSettingPath2(app)"
Expect store.GetSettingPath2((app), "frmMain") = versionKey & "\frmMain", "GetSettingPath2((app), sub-key)"
Expect store.GetSettingPath() = family & "Orvane - Grumkin\Version 0.00", "GetSettingPath with everything omitted"

' A long round trip; the flag comes back in the variable.
Dim ok, v, r
ok = False
store.SaveSetting2 "", "Num Sections", sdtLong, 7, app, True, ok
Expect ok = True, "SaveSetting2 sdtLong sets the flag"
Expect ReadReg("HKCU\" & versionKey & "\Num Sections") = 7, "the DWORD read by WScript.Shell"
ok = False
v = store.LoadSetting2("", "Num Sections", sdtLong, , app, True, ok)
Expect ok = True, "LoadSetting2 sets the flag"
Expect v = 7 And TypeName(v) = "Long", "LoadSetting2 returns the Long 7, got " & TypeName(v) & " " & v

' A flag that starts out Empty is set just the same.
Dim fresh
v = store.LoadSetting2("", "Num Sections", sdtLong, , app, True, fresh)
Expect fresh = True And TypeName(fresh) = "Boolean", "flag from an Empty variable: " & TypeName(fresh)

' Missing values: the type default with Default omitted, else Default unchanged.
ok = True
v = store.LoadSetting2("", "Absent", sdtLong, , app, True, ok)
Expect ok = False, "a missing value clears the flag"
Expect v = 0 And TypeName(v) = "Long", "type default of sdtLong: " & TypeName(v)
v = store.LoadSetting2("", "Absent", sdtString, , app)
Expect v = "" And TypeName(v) = "String", "type default of sdtString: " & TypeName(v)
v = store.LoadSetting2("", "Absent", sdtBoolean, , app)
Expect v = False And TypeName(v) = "Boolean", "type default of sdtBoolean: " & TypeName(v)
ok = True
v = store.LoadSetting2("", "Absent", sdtLong, 3, app, True, ok)
Expect v = 3 And TypeName(v) = "Integer" And ok = False, "Default 3 comes back as the Integer given: " & TypeName(v)

' Texts and Booleans, stored in the family's encoding.
store.SaveSetting2 "frmMain", "Caption", sdtString, "Hello", app, True, ok
Expect ok = True, "SaveSetting2 sdtString"
Expect ReadReg("HKCU\" & versionKey & "\frmMain\Caption") = "Hello", "the text read by WScript.Shell"
Expect store.LoadSetting2("frmMain", "Caption", sdtString, , app) = "Hello", "text round trip"
store.SaveSetting2 "", "Flag", sdtBoolean, True, app, True, ok
Expect ok = True, "SaveSetting2 sdtBoolean"
Expect ReadReg("HKCU\" & versionKey & "\Flag") = "True", "a Boolean is stored as the text True"
v = store.LoadSetting2("", "Flag", sdtBoolean, , app, True, ok)
Expect v = True And TypeName(v) = "Boolean" And ok = True, "Boolean round trip"
store.SaveSetting2 "", "Wrong", sdtBoolean, 1, app, True, ok
Expect ok = False, "a number is not saved as sdtBoolean"
store.SaveSetting2 "", "Wrong", sdtLong, "5", app, True, ok
Expect ok = False, "a numeric text is not saved as sdtLong"
store.SaveSetting2 "", "Number", sdtString, 5, app, True, ok
Expect ok = True And store.LoadSetting2("", "Number", sdtString, , app) = "5", "a number saved as text"

' The result of SaveSetting2, the flag omitted, and both in parentheses.
r = store.SaveSetting2("", "Result", sdtLong, 9, app, True, ok)
Expect r = True And ok = True, "SaveSetting2 answers True"
store.SaveSetting2 "", "No flag", sdtLong, 4, app
Expect store.LoadSetting2("", "No flag", sdtLong, , app) = 4, "SaveSetting2 without a flag"
ok = "untouched"
store.SaveSetting2 "", "In parentheses", sdtLong, 5, (app), True, (ok)
Expect ok = "untouched", "a flag in parentheses is passed by value"
Expect store.LoadSetting2("", "In parentheses", sdtLong, , (app), True, ok) = 5 And ok = True, "object in parentheses"

' UserSetting False keeps the value in HKEY_LOCAL_MACHINE only.
store.SaveSetting2 "", "Machine", sdtLong, 11, app, False, ok
Expect ok = True, "SaveSetting2 to the machine"
Expect store.LoadSetting2("", "Machine", sdtLong, , app, False, ok) = 11 And ok = True, "load from the machine"
v = store.LoadSetting2("", "Machine", sdtLong, , app, True, ok)
Expect ok = False, "not under the user"

' The plain methods with title and version.
Expect store.LoadSetting("", "Num Sections", sdtLong, , title, 1, 2, True, ok) = 7 And ok = True, "LoadSetting"

' An older version's value is found by a newer version.
app.Minor = 5
v = store.LoadSetting2("", "Num Sections", sdtLong, , app, True, ok)
Expect v = 7 And ok = True, "value of version 1.02 read by version 1.05"
app.Minor = 2

' Errors reach the script with a number and a description.
Dim nothingApp, partial
Set nothingApp = Nothing
Set partial = New AppWithoutMinor
partial.Title = title
partial.Major = 1
On Error Resume Next
v = store.LoadSetting2("", "Num Sections", sdtLong, , nothingApp, True, ok)
Expect Err.Number <> 0 And Err.Description <> "", "AppObject Nothing raises an error: " & Err.Number
Err.Clear
store.SaveSetting2 "", "Never", sdtLong, 1, nothingApp, True, ok
Expect Err.Number <> 0 And Err.Description <> "", "SaveSetting2 with Nothing raises an error"
Err.Clear
v = store.LoadSetting2("", "Num Sections", sdtLong, , partial, True, ok)
Expect Err.Number <> 0 And InStr(Err.Description, "Minor") > 0, "missing Minor: " & Err.Number & " " & Err.Description
Err.Clear
v = store.GetSettingPath(title, -1, 0)
Expect Err.Number <> 0 And Err.Description <> "", "a negative version raises an error"
Err.Clear
On Error GoTo 0
Expect IsEmpty(ReadReg("HKCU\" & versionKey & "\Never")), "nothing was written for a failing call"

' Clean up under both roots; the family keys go only when nothing else is there.
shell.Run "reg delete ""HKCU\" & family & title & """ /f", 0, True
shell.Run "reg delete ""HKLM\" & family & title & """ /f", 0, True
Dim registry, root
Set registry = CreateObject("Brindle0200.orvRegistry2")
For Each root In Array(&H80000001, &H80000002)
    registry.DeleteKey root, "Software\Larkspur Forge\Orvane", False
    registry.DeleteKey root, "Software\Larkspur Forge", False
Next

Tally
