#include "textdates.h"

bool GetNextToken(const QString &Text, qint32 &Position, QString &Token, const QString &Separator)
{
    Token.clear();
    const QString separator = Separator.isEmpty() ? QStringLiteral("|") : Separator;
    const qsizetype start = qMax<qsizetype>(Position, 1) - 1;
    if (start >= Text.size()) {
        return false;
    }
    const qsizetype found = Text.indexOf(separator, start, Qt::CaseSensitive);
    if (found >= 0) {
        Token = Text.mid(start, found - start);
        Position = static_cast<qint32>(found + separator.size() + 1);
        return true;
    }
    Token = Text.mid(start);
    Position = static_cast<qint32>(Text.size() + separator.size() + 1);
    return true;
}
