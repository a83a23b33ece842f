' orvRegistry2 values as a family script uses them: late-bound by ProgID,
' values written and read back, Nothing for what is missing, LastRegError.
' Wine's cscript is silent about script errors, so every check goes through
' Check and the script ends with its own tally.
On Error Resume Next

Const HKEY_CURRENT_USER = &H80000001
Const REG_SZ = 1
Const REG_EXPAND_SZ = 2
Const REG_BINARY = 3
Const REG_DWORD = 4
Const REG_MULTI_SZ = 7

Dim ok


Randomize
Dim base
base = "Software\OrvaneTests\vbs-values-" & CLng(Rnd * 1000000000)

Dim reg
Set reg = CreateObject("Brindle0200.orvRegistry2")
ok = False : ok = IsObject(reg) : Check "created by ProgID", ok
ok = False : ok = (reg.UseUnicodeFunctions = True) : Check "wide entry points by default", ok
ok = False : ok = (reg.ValueDataTypeToString(6) = "REG_LINK" And reg.ValueDataTypeToString(9) = "") : Check "type names", ok

' Late bound, only root and sub-key: False, not a missing-argument error, and
' nothing touched.
Dim before
before = reg.LastRegError
ok = True : ok = reg.SetValue(HKEY_CURRENT_USER, base) : Check "SetValue without data is False", ok = False
ok = False : ok = (reg.LastRegError = before) : Check "SetValue without data leaves LastRegError", ok
ok = True : ok = reg.IsKeyExist(HKEY_CURRENT_USER, base) : Check "SetValue without data creates no key", ok = False
ok = True : ok = reg.SetValue(HKEY_CURRENT_USER, base, "five", REG_DWORD, "5") : Check "a text is no DWORD", ok = False

' Strings beyond ASCII: Chr(150) is U+2013 in the ANSI code page 1252
' (Wine 8's VBScript has no ChrW and reads no UTF-16 script files).
Dim text, v
text = "Gr" & Chr(252) & Chr(223) & "e " & Chr(150) & " Orvane"
ok = False : ok = reg.SetValue(HKEY_CURRENT_USER, base, "text", REG_SZ, text) : Check "write REG_SZ", ok
Set v = Nothing : Set v = reg.GetValue(HKEY_CURRENT_USER, base, "text")
ok = False : ok = (v.Data = text And v.DataType = REG_SZ And v.Name = "text") : Check "read REG_SZ", ok
ok = False : ok = reg.SetValue(HKEY_CURRENT_USER, base, "expand", REG_EXPAND_SZ, "%SystemRoot%\x") : Check "write REG_EXPAND_SZ", ok
ok = False : ok = (reg.GetValue(HKEY_CURRENT_USER, base, "expand").Data = "%SystemRoot%\x") : Check "REG_EXPAND_SZ comes back unexpanded", ok

' Name and type omitted: a REG_SZ in the key's default value.
ok = False : ok = reg.SetValue(HKEY_CURRENT_USER, base, , , "default") : Check "write the default value", ok
Set v = Nothing : Set v = reg.GetValue(HKEY_CURRENT_USER, base)
ok = False : ok = (v.Data = "default" And v.DataType = REG_SZ And v.Name = "") : Check "read the default value", ok

' DWORDs: script integers are 16-bit or 32-bit; both come back as Long.
ok = False : ok = reg.SetValue(HKEY_CURRENT_USER, base, "small", REG_DWORD, 42) : Check "write a 16-bit DWORD", ok
Set v = Nothing : Set v = reg.GetValue(HKEY_CURRENT_USER, base, "small")
ok = False : ok = (v.Data = 42 And VarType(v.Data) = vbLong And v.DataType = REG_DWORD) : Check "read a DWORD", ok
ok = False : ok = reg.SetValue(HKEY_CURRENT_USER, base, "minus", REG_DWORD, -1) : Check "write -1", ok
ok = False : ok = (reg.GetValue(HKEY_CURRENT_USER, base, "minus").Data = -1) : Check "read -1", ok
ok = False : ok = reg.SetValue(HKEY_CURRENT_USER, base, "max", REG_DWORD, CLng(&H7FFFFFFF)) : Check "write the largest Long", ok
ok = False : ok = (reg.GetValue(HKEY_CURRENT_USER, base, "max").Data = 2147483647) : Check "read the largest Long", ok

' Binary: a script cannot make a byte array, so one comes from the registry.
' Wine 8's VBScript cannot look inside byte or string arrays (no LenB, MidB,
' UBound or index on them); the harness reads the stored bytes with reg.exe.
Dim shell, bytes
Set shell = CreateObject("WScript.Shell")
shell.RegWrite "HKCU\" & base & "\seed", 513, "REG_BINARY"
Check "seed a binary value", True
bytes = Empty : bytes = reg.GetValue(HKEY_CURRENT_USER, base, "seed").Data
ok = False : ok = (VarType(bytes) = vbArray + vbByte) : Check "REG_BINARY reads as bytes", ok
ok = False : ok = reg.SetValue(HKEY_CURRENT_USER, base, "copy", REG_BINARY, bytes) : Check "write REG_BINARY", ok
Set v = Nothing : Set v = reg.GetValue(HKEY_CURRENT_USER, base, "copy")
ok = False : ok = (v.DataType = REG_BINARY And VarType(v.Data) = vbArray + vbByte) : Check "REG_BINARY round trip", ok
ok = True : ok = reg.SetValue(HKEY_CURRENT_USER, base, "notbytes", REG_BINARY, "abc") : Check "a text is no binary", ok = False

' Multi-strings: a text with NULs between the elements.
Dim items
ok = False : ok = reg.SetValue(HKEY_CURRENT_USER, base, "multi", REG_MULTI_SZ, "a" & vbNullChar & "b") : Check "write REG_MULTI_SZ", ok
Set v = Nothing : Set v = reg.GetValue(HKEY_CURRENT_USER, base, "multi")
ok = False : ok = (v.DataType = REG_MULTI_SZ And VarType(v.Data) = vbArray + vbString) : Check "REG_MULTI_SZ reads as a string array", ok
' An array is accepted only when it holds strings (Split gives one on Windows,
' a variant array under Wine).
Dim parts, written
parts = Split("x,y", ",")
written = Empty : written = reg.SetValue(HKEY_CURRENT_USER, base, "split", REG_MULTI_SZ, parts)
ok = False : ok = (written = (VarType(parts) = vbArray + vbString)) : Check "only string arrays are multi-strings", ok

' Missing values and keys: Nothing, and the registry's status.
Set v = reg.GetValue(HKEY_CURRENT_USER, base, "nope")
ok = False : ok = (v Is Nothing And reg.LastRegError = 2) : Check "missing value is Nothing", ok
Set v = reg.GetValue(HKEY_CURRENT_USER, base & "\nokey", "text")
ok = False : ok = (v Is Nothing And reg.LastRegError = 2) : Check "missing key is Nothing", ok

' lpKeyAlreadyExist: omitted, a variable, and a value in parentheses.
Dim existed
ok = False : ok = reg.SetValue(HKEY_CURRENT_USER, base & "\flag", "v", REG_SZ, "x") : Check "flag omitted", ok
existed = True
ok = False : ok = reg.SetValue(HKEY_CURRENT_USER, base & "\flag2", "v", REG_SZ, "x", existed) : Check "flag as a variable", ok
ok = False : ok = (existed = False) : Check "new key reported", ok
ok = False : ok = reg.SetValue(HKEY_CURRENT_USER, base & "\flag2", "v", REG_SZ, "y", existed) : Check "flag as a variable again", ok
ok = False : ok = (existed = True) : Check "existing key reported", ok
ok = False : ok = reg.SetValue(HKEY_CURRENT_USER, base & "\flag3", "v", REG_SZ, "x", (existed)) : Check "flag in parentheses", ok

' DeleteValue.
ok = False : ok = reg.DeleteValue(HKEY_CURRENT_USER, base, "text") : Check "delete a value", ok
ok = False : ok = (reg.GetValue(HKEY_CURRENT_USER, base, "text") Is Nothing) : Check "deleted value is gone", ok
ok = True : ok = reg.DeleteValue(HKEY_CURRENT_USER, base, "text") : Check "delete it again", ok = False
ok = False : ok = (reg.LastRegError = 2) : Check "LastRegError after deleting nothing", ok

' Records are made by the library only.
Dim record
Set record = CreateObject("Brindle0200.RegValue")
ok = (Err.Number <> 0) : Err.Clear : Check "RegValue has no ProgID", ok

ok = False : ok = reg.DeleteKey(HKEY_CURRENT_USER, base) : Check "clean up", ok
Tally
