#pragma once

#include <QString>

// Texts prepared for the client computers and the client notice kept in the settings store in pieces.

// The autorun list for the client settings message: a blank and the number of programs, "|", then
// every "AutorunList" program name followed by "|" (" 3|a.exe|b.exe|c.exe|", " 0|"). A list that
// cannot be read is the empty text with ErrString (the form without it logs the reason): never a
// list of none.
QString GetAutorunListString();
QString GetAutorunListString(QString &ErrString);

// The notice joined from "ClientsInfo1", "ClientsInfo2", … up to the first empty piece. A piece that
// cannot be read makes the empty text with ErrString (the form without it logs the reason).
QString GetClientsInfoString();
QString GetClientsInfoString(QString &ErrString);

// Stores the notice in pieces (SplitClientsInfo) under "ClientsInfo1", "ClientsInfo2", …, the empty
// end piece included; it reads back unchanged.
void SetClientsInfoString(const QString &Text);
