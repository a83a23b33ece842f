' Run by a 64-bit cscript after the x86 build was unregistered while the x64
' build stays registered: the shared ProgIDs still create the x64 classes.
On Error Resume Next

Dim reg, s
Set reg = CreateObject("Brindle0200.orvRegistry2")
Check "Brindle0200.orvRegistry2 still creates", reg.ValueDataTypeToString(4) = "REG_DWORD"
Set s = CreateObject("Brindle0200.orvOrvaneSettings2")
Check "Brindle0200.orvOrvaneSettings2 still creates", _
  s.GetSettingPath("Kept", 1, 2) = "Software\Larkspur Forge\Orvane\Kept\Version 1.02"
Tally
