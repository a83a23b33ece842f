' Proxy settings from VBScript: a script class as proxy settings object and
' as application object, both families saved and loaded back, the stored
' password checked with WScript.Shell. Prints its own closing tally.
' (No Option Explicit: Wine's VBScript rejects it next to a class.)


Class ScriptProxy
    Public HTTP_AccessType
    Public HTTP_Address
    Public HTTP_BypassList
    Public HTTP_BypassLocal
    Public HTTP_UserName
    Public HTTP_Password
    Public AccessType
    Public HTTPS_Address
    Public FTP_Address
    Public BypassList
    Public UserName
    Public Password
End Class


Const family = "Software\Larkspur Forge\Orvane\"
Randomize
Dim title, shell, store, app, key
title = "OrvaneTest vbs proxy " & CStr(Int(Timer * 100)) & " " & CStr(Int(Rnd * 1000000))
Set shell = CreateObject("WScript.Shell")
Set store = CreateObject("Brindle0200.orvOrvaneSettings2")
Set app = New ScriptApp
app.Title = title
app.Major = 1
app.Minor = 2
key = "HKCU\" & family & title & "\Version 1.02\"

' "HTTP Proxy": saved through the application object, loaded by title.
Dim saved, loaded, stored
Set saved = New ScriptProxy
saved.HTTP_AccessType = 3
saved.HTTP_Address = "proxy.lan:8080"
saved.HTTP_BypassList = "<local>"
saved.HTTP_BypassLocal = True
saved.HTTP_UserName = "ann"
saved.HTTP_Password = "vbs secret"
On Error Resume Next
store.SaveProxySettings2 , saved, app
Check "SaveProxySettings2", True
stored = ReadReg(key & "HTTP Proxy\Password")
Check "stored password is protected: " & stored, Left(stored, 1) = "Z" And Len(stored) Mod 2 = 1
Check "no plain password stored", InStr(stored, "vbs secret") = 0
Check "address stored", ReadReg(key & "HTTP Proxy\Address") = "proxy.lan:8080"

Set loaded = New ScriptProxy
store.LoadProxySettings "HTTP Proxy", loaded, title, 1, 2
Check "LoadProxySettings", True
Check "HTTP_AccessType " & loaded.HTTP_AccessType, loaded.HTTP_AccessType = 3
Check "HTTP_Address", loaded.HTTP_Address = "proxy.lan:8080"
Check "HTTP_BypassList", loaded.HTTP_BypassList = "<local>"
Check "HTTP_BypassLocal " & TypeName(loaded.HTTP_BypassLocal), loaded.HTTP_BypassLocal = True
Check "HTTP_UserName", loaded.HTTP_UserName = "ann"
Check "HTTP_Password", loaded.HTTP_Password = "vbs secret"

' "Proxy HT": saved by title, loaded through the application object in parentheses.
Set saved = New ScriptProxy
saved.AccessType = 1
saved.HTTP_Address = "h:1"
saved.HTTPS_Address = "s:2"
saved.FTP_Address = "f:3"
saved.BypassList = "*.lan"
saved.UserName = "bob"
saved.Password = "ht secret"
store.SaveProxySettingsHT "Proxy HT", saved, title, 1, 2
Check "SaveProxySettingsHT", True
Set loaded = New ScriptProxy
store.LoadProxySettingsHT2 , loaded, (app)
Check "LoadProxySettingsHT2", True
Check "AccessType", loaded.AccessType = 1
Check "HTTPS_Address", loaded.HTTPS_Address = "s:2"
Check "FTP_Address", loaded.FTP_Address = "f:3"
Check "BypassList", loaded.BypassList = "*.lan"
Check "UserName", loaded.UserName = "bob"
Check "Password", loaded.Password = "ht secret"
Check "HTTP family untouched by HT", IsEmpty(loaded.HTTP_UserName)

' Nothing stored: the defaults.
Set loaded = New ScriptProxy
store.LoadProxySettingsHT "Nowhere", loaded, title, 1, 2
Check "defaults", loaded.AccessType = 0 And loaded.Password = "" And loaded.UserName = ""
On Error GoTo 0

shell.Run "reg delete ""HKCU\" & family & title & """ /f", 0, True
Dim registry
Set registry = CreateObject("Brindle0200.orvRegistry2")
registry.DeleteKey &H80000001, "Software\Larkspur Forge\Orvane", False
registry.DeleteKey &H80000001, "Software\Larkspur Forge", False

Tally
