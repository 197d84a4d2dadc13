#include "proxy/requesturl.h"

#include "codepage.h"

#include <QStringView>

QString BytesToString(const QByteArray &Bytes, qsizetype Last)
{
    return CodePage::FromWindows1251(Bytes.left(Last + 1));
}

QString GetRequestURL(const QString &Text)
{
    const qsizetype blank = Text.indexOf(QLatin1Char(' '));
    if (blank < 0) {
        return {};
    }
    const QString method = QStringView(Text).left(blank).trimmed().toString().toUpper();
    if (method != QLatin1String("GET") && method != QLatin1String("POST")) {
        return {};
    }
    // The URL starts after the blank; leading blanks are trimmed away, so the search for its end
    // starts one character further, and a request line without a version ends at its CR or LF.
    qsizetype end = Text.size();
    for (qsizetype at = blank + 2; at < Text.size(); ++at) {
        const QChar c = Text.at(at);
        if (c == QLatin1Char(' ') || c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            end = at;
            break;
        }
    }
    return QStringView(Text).mid(blank + 1, end - blank - 1).trimmed().toString();
}
