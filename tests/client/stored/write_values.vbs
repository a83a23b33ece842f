' Writes one value of each kind under the key named by the first argument;
' the harness then reads the stored bytes with reg.exe, not with the library.
On Error Resume Next

Const HKEY_CURRENT_USER = &H80000001

Dim ok


Dim key, reg, shell, bytes
key = WScript.Arguments(0)
Set reg = CreateObject("Brindle0200.orvRegistry2")
ok = False : ok = reg.SetValue(HKEY_CURRENT_USER, key, "text", 1, "Orvane - Brindle") : Check "text", ok
ok = False : ok = reg.SetValue(HKEY_CURRENT_USER, key, , , "default value") : Check "default value", ok
ok = False : ok = reg.SetValue(HKEY_CURRENT_USER, key, "dword", 4, -1) : Check "dword", ok
ok = False : ok = reg.SetValue(HKEY_CURRENT_USER, key, "big_endian", 5, 1) : Check "big endian", ok
ok = False : ok = reg.SetValue(HKEY_CURRENT_USER, key, "expand", 2, "%SystemRoot%\x") : Check "expand", ok
ok = False : ok = reg.SetValue(HKEY_CURRENT_USER, key, "multi", 7, "a" & vbNullChar & "b") : Check "multi", ok
Set shell = CreateObject("WScript.Shell")
shell.RegWrite "HKCU\" & key & "\seed", 513, "REG_BINARY"
bytes = reg.GetValue(HKEY_CURRENT_USER, key, "seed").Data
ok = False : ok = reg.SetValue(HKEY_CURRENT_USER, key, "binary", 3, bytes) : Check "binary", ok
Tally
