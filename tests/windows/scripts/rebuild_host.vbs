' A host of someone else's: it creates TARVENISH.JustAccount by its ProgID, hands it a connection object of
' its own (ConnectionString and State, as an ADO connection has them) and asks the two checks, then runs the
' rebuild. Arguments: the connection string and AccSql. Exit 0 when JustAccount answered True, 1 when False,
' 2 and up when a call raised an error (an uncaught script error would end the script with 0).
Option Explicit

Class HostConnection
    Public ConnectionString
    Public State
End Class

Dim connection, account, accSql, started, ended, rebuilt
Set connection = New HostConnection
connection.ConnectionString = WScript.Arguments(0)
connection.State = 1
accSql = CInt(WScript.Arguments(1))

On Error Resume Next
Set account = CreateObject("TARVENISH.JustAccount")
If Err.Number <> 0 Then
    WScript.Echo "CreateObject failed: " & Hex(Err.Number) & " " & Err.Description
    WScript.Quit 2
End If

' A variable goes by reference as a variant; a literal goes as a plain value.
started = account.IFIAstart(accSql, connection)
If Err.Number <> 0 Then
    WScript.Echo "IFIAstart failed: " & Hex(Err.Number) & " " & Err.Description
    WScript.Quit 3
End If
If accSql = 0 Then
    ended = account.IFEnd(0, connection)
Else
    ended = account.IFEnd(1, connection)
End If
If Err.Number <> 0 Then
    WScript.Echo "IFEnd failed: " & Hex(Err.Number) & " " & Err.Description
    WScript.Quit 4
End If
WScript.Echo "IFIAstart=" & started & " IFEnd=" & ended

' init takes every kind of parameter: variables (by reference) and literals, and answers Empty.
Dim keep, byDepartment, code, quantity, nothingBack
keep = DateSerial(2024, 1, 1)
byDepartment = False
code = "01"
quantity = 12.5
nothingBack = account.init(keep, byDepartment, code, "name", code, "item", "", quantity, 100, connection)
If Err.Number <> 0 Then
    WScript.Echo "init failed: " & Hex(Err.Number) & " " & Err.Description
    WScript.Quit 6
End If
If Not IsEmpty(nothingBack) Or code <> "01" Or quantity <> 12.5 Then
    WScript.Echo "init answered something or wrote back"
    WScript.Quit 7
End If

rebuilt = account.JustAccount(accSql, connection)
If Err.Number <> 0 Then
    WScript.Echo "JustAccount failed: " & Hex(Err.Number) & " " & Err.Description
    WScript.Quit 5
End If
WScript.Echo "JustAccount=" & rebuilt
If rebuilt Then WScript.Quit 0
WScript.Quit 1
