' orvRegistry2 keys as a family script uses them: creating, testing and
' deleting keys, and walking GetSubKeys and GetValues with For Each.
' Every check goes through Check; the script ends with its own tally.
On Error Resume Next

Const HKEY_CURRENT_USER = &H80000001
Const REG_SZ = 1
Const REG_DWORD = 4

Dim ok


Randomize
Dim base, reg
base = "Software\OrvaneTests\vbs-keys-" & CLng(Rnd * 1000000000)
Set reg = CreateObject("Brindle0200.orvRegistry2")

' CreateKey with the flag omitted, as a variable, and in parentheses.
Dim existed
ok = False : ok = reg.CreateKey(HKEY_CURRENT_USER, base & "\a\b\c") : Check "create a path", ok
ok = False : ok = reg.IsKeyExist(HKEY_CURRENT_USER, base & "\a\b\c") : Check "the whole path exists", ok
existed = False
ok = False : ok = reg.CreateKey(HKEY_CURRENT_USER, base & "\a\b\c", existed) : Check "open an existing key", ok
ok = False : ok = (existed = True) : Check "existing key reported", ok
ok = False : ok = reg.CreateKey(HKEY_CURRENT_USER, base & "\fresh", existed) : Check "create with a variable", ok
ok = False : ok = (existed = False) : Check "new key reported", ok
Dim unset
ok = False : ok = reg.CreateKey(HKEY_CURRENT_USER, base & "\fresh", unset) : Check "create with an unset variable", ok
ok = False : ok = (unset = True) : Check "unset variable receives the flag", ok
ok = False : ok = reg.CreateKey(HKEY_CURRENT_USER, base & "\fresh2", (existed)) : Check "flag in parentheses", ok

' Missing keys.
ok = True : ok = reg.IsKeyExist(HKEY_CURRENT_USER, base & "\nope") : Check "missing key does not exist", ok = False
ok = False : ok = (reg.LastRegError = 2) : Check "LastRegError of a missing key", ok
ok = False : ok = (reg.GetSubKeys(HKEY_CURRENT_USER, base & "\nope") Is Nothing) : Check "GetSubKeys of a missing key", ok
ok = False : ok = (reg.GetValues(HKEY_CURRENT_USER, base & "\nope") Is Nothing) : Check "GetValues of a missing key", ok
ok = False : ok = (reg.GetKey(HKEY_CURRENT_USER, base & "\nope") Is Nothing) : Check "GetKey of a missing key", ok

' GetSubKeys and For Each.
Dim kids, k, names, count
ok = False : ok = reg.CreateKey(HKEY_CURRENT_USER, base & "\kids\one") And reg.CreateKey(HKEY_CURRENT_USER, base & "\kids\two") _
  And reg.CreateKey(HKEY_CURRENT_USER, base & "\kids\three") : Check "create three children", ok
Set kids = Nothing : Set kids = reg.GetSubKeys(HKEY_CURRENT_USER, base & "\kids")
ok = False : ok = (kids.Count = 3) : Check "three sub-keys", ok
names = "|" : count = 0
For Each k In kids
  names = names & k.Name & "|"
  count = count + 1
  ok = False : ok = (VarType(k.LastWriteTime) = vbDate And Abs(k.LastWriteTime - Now) < 1.1 And k.KeyClass = "") : Check "record of " & k.Name, ok
Next
ok = False : ok = (count = 3 And InStr(names, "|one|") > 0 And InStr(names, "|two|") > 0 And InStr(names, "|three|") > 0) : Check "For Each over sub-keys", ok
ok = False : ok = (InStr(names, "|" & kids.Item(1).Name & "|") > 0 And kids(3).Name = kids.Item(3).Name) : Check "Item is 1-based and the default member", ok
Set kids = Nothing : Set kids = reg.GetSubKeys(HKEY_CURRENT_USER, base & "\kids\one")
ok = False : ok = (Not kids Is Nothing) : Check "a key without sub-keys gives a collection", ok
ok = False : ok = (kids.Count = 0) : Check "an empty collection", ok

' GetKey keeps the caller's spelling of the last path component.
ok = False : ok = (reg.GetKey(HKEY_CURRENT_USER, base & "\A\B").Name = "B") : Check "GetKey name", ok

' GetValues and For Each, without and with the data.
Dim vals, v, found
ok = False : ok = reg.SetValue(HKEY_CURRENT_USER, base & "\vals", "s", REG_SZ, "text") And reg.SetValue(HKEY_CURRENT_USER, base & "\vals", "d", REG_DWORD, 7) _
  And reg.SetValue(HKEY_CURRENT_USER, base & "\vals", , , "default") : Check "write three values", ok
Set vals = Nothing : Set vals = reg.GetValues(HKEY_CURRENT_USER, base & "\vals")
ok = False : ok = (vals.Count = 3) : Check "three values", ok
found = 0
For Each v In vals
  If IsNull(v.Data) Then found = found + 1
  If v.Name = "d" And v.DataType = REG_DWORD Then found = found + 10
  If v.Name = "" And v.DataType = REG_SZ Then found = found + 100
Next
ok = False : ok = (found = 113) : Check "For Each over values without data", ok
Set vals = Nothing : Set vals = reg.GetValues(HKEY_CURRENT_USER, base & "\vals", True)
found = 0
For Each v In vals
  If v.Name = "s" And v.Data = "text" Then found = found + 1
  If v.Name = "d" And v.Data = 7 Then found = found + 10
  If v.Name = "" And v.Data = "default" Then found = found + 100
Next
ok = False : ok = (found = 111) : Check "For Each over values with data", ok
Set vals = Nothing : Set vals = reg.GetValues(HKEY_CURRENT_USER, base & "\kids")
ok = False : ok = (Not vals Is Nothing) : Check "a key without values gives a collection", ok
ok = False : ok = (vals.Count = 0 And reg.LastRegError = 0) : Check "an empty collection of values", ok

' DeleteKey: not recursive leaves a key with sub-keys alone.
ok = True : ok = reg.DeleteKey(HKEY_CURRENT_USER, base & "\a", False) : Check "no recursive delete of a parent", ok = False
ok = False : ok = reg.IsKeyExist(HKEY_CURRENT_USER, base & "\a") : Check "the parent stays", ok
ok = False : ok = reg.DeleteKey(HKEY_CURRENT_USER, base & "\a") : Check "recursive by default", ok
ok = True : ok = reg.IsKeyExist(HKEY_CURRENT_USER, base & "\a\b") : Check "the tree is gone", ok = False

ok = False : ok = reg.DeleteKey(HKEY_CURRENT_USER, base) : Check "clean up", ok
Tally
