#pragma once

#include <QString>

// Text forms shared by the program and the socket control: "|"-separated message fields.

// Takes the next field of Text from the 1-based Position up to Separator ("|" when empty) into
// Token and moves Position past it. False, with Position unchanged, once Position is past the end;
// a trailing empty field is not returned ("a|" gives "a" and then False).
bool GetNextToken(const QString &Text, qint32 &Position, QString &Token, const QString &Separator = QString());
