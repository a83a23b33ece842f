' Run after unregistration: neither ProgID creates an object any more.
On Error Resume Next

Dim gone, o
Err.Clear
Set o = CreateObject("Brindle0200.orvRegistry2")
gone = (Err.Number <> 0) : Err.Clear
Check "Brindle0200.orvRegistry2 no longer resolves", gone
Set o = CreateObject("Brindle0200.orvOrvaneSettings2")
gone = (Err.Number <> 0) : Err.Clear
Check "Brindle0200.orvOrvaneSettings2 no longer resolves", gone
Tally
