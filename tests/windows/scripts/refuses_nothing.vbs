' A host that passes Nothing for the connection hears an automation error with its description, not a crash.
Option Explicit
Dim account, answer
Set account = CreateObject("TARVENISH.JustAccount")
On Error Resume Next
answer = account.JustAccount(1, Nothing)
If Err.Number = 0 Then WScript.Quit 1
WScript.Echo "raised: " & Hex(Err.Number) & " " & Err.Description
If InStr(Err.Description, "no connection object") = 0 Then WScript.Quit 2
WScript.Quit 0
