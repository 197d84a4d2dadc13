#include "core/clientsinfopieces.h"

namespace
{
bool IsSafeCut(const QString &Text, qsizetype Position)
{
    return Position >= Text.size() || (!Text.at(Position - 1).isSpace() && !Text.at(Position).isSpace());
}

// The end of the piece that starts at Start.
qsizetype PieceEnd(const QString &Text, qsizetype Start)
{
    const qsizetype longest = qMin(Start + ClientsInfoPieceLength, Text.size());
    for (qsizetype end = longest; end > Start; --end) {
        if (IsSafeCut(Text, end)) {
            return end;
        }
    }
    return longest;
}
} // namespace

QStringList SplitClientsInfo(const QString &Text)
{
    QStringList pieces;
    for (qsizetype start = 0; start < Text.size();) {
        const qsizetype end = PieceEnd(Text, start);
        pieces.append(Text.mid(start, end - start));
        start = end;
    }
    pieces.append(QString());
    return pieces;
}
