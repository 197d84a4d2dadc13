#include "texthelpers.h"

#include "datevalue.h"

#include <QFileInfo>
#include <QThread>

namespace Rollstrake
{
namespace
{
constexpr int RetryPauseMs = 3000;
constexpr int RetryAttempts = 100;
constexpr int YearDigits = 4;
const QTime LastSecondOfDay(23, 59, 59);

// Code page 866: "А" to "п" at 128-175, "р" to "я" at 224-239, "Ё" and "ё" at 240 and 241.
constexpr int DosCapitalA = 128;
constexpr int DosSmallPe = 175;
constexpr int DosSmallEr = 224;
constexpr int DosSmallYa = 239;
constexpr int DosCapitalYo = 240;
constexpr int DosSmallYo = 241;
// Windows-1251: "Ё" at 168, "ё" at 184, "А" to "Я" at 192-223, "р" at 240, "т" at 242.
constexpr int WinCapitalYo = 168;
constexpr int WinSmallYo = 184;
constexpr int WinCapitalA = 192;
constexpr int WinCapitalYa = 223;
constexpr int WinSmallEr = 240;
constexpr int WinSmallTe = 242;

QString TwoDigits(int value)
{
    return QString::number(value).rightJustified(2, QLatin1Char('0'));
}
} // namespace

qint16 OpenFileForReading(const QString &FileName, QString &ErrString, bool Retry, qint16 RetryOnAnyError, QFile &File)
{
    if (!QFileInfo::exists(FileName)) {
        ErrString = QStringLiteral("Файл '") + FileName + QStringLiteral("' не найден!");
        return ReadFileMissing;
    }
    File.setFileName(FileName);
    const int attempts = Retry ? RetryAttempts : 1;
    for (int attempt = 1; !File.open(QIODevice::ReadOnly); ++attempt) {
        // A busy file is what a retry waits out; other failures end at once unless asked otherwise.
        const bool busy = File.error() == QFileDevice::ResourceError;
        if ((!busy && RetryOnAnyError == 0) || attempt >= attempts) {
            ErrString = QStringLiteral("Ошибка открытия файла '") + FileName + QStringLiteral("' на чтение: ")
                        + File.errorString();
            return ReadFileNotOpened;
        }
        QThread::msleep(RetryPauseMs);
    }
    if (File.atEnd()) {
        ErrString = QStringLiteral("Файл '") + FileName + QStringLiteral("' пустой!");
        File.close();
        return ReadFileEmpty;
    }
    return ReadFileOpened;
}

qint32 DetectCodePage(const QByteArray &Text)
{
    for (const char c : Text) {
        const auto code = static_cast<unsigned char>(c);
        // Letters of code page 866 where Windows-1251 has no letter.
        if (code >= DosCapitalA && code <= DosSmallPe && code != WinCapitalYo) {
            return CodePageDos866;
        }
        // Letters of Windows-1251 where code page 866 has none.
        if (code == WinSmallYo || (code >= WinCapitalA && code <= WinCapitalYa) || code >= WinSmallTe) {
            return CodePageWindows1251;
        }
    }
    return CodePageUndecided;
}

QByteArray DOSToWindows(const QByteArray &Text)
{
    QByteArray result = Text;
    for (char &c : result) {
        const auto code = static_cast<unsigned char>(c);
        int converted = code;
        if (code >= DosCapitalA && code <= DosSmallPe) {
            converted = code + (WinCapitalA - DosCapitalA);
        } else if (code >= DosSmallEr && code <= DosSmallYa) {
            converted = code + (WinSmallEr - DosSmallEr);
        } else if (code == DosCapitalYo) {
            converted = WinCapitalYo;
        } else if (code == DosSmallYo) {
            converted = WinSmallYo;
        }
        c = static_cast<char>(converted);
    }
    return result;
}

QByteArray ConvertFromDOS(const QByteArray &Text)
{
    return DetectCodePage(Text) == CodePageDos866 ? DOSToWindows(Text) : Text;
}

QString GetODBCDateLiteral(const QDateTime &DateValue, quint8 Kind)
{
    if (Kind == 0) {
        Kind = OdbcDate;
    }
    static const char *const openers[] = {"{d", "{t", "{ts"};
    if (Kind > OdbcTimestamp) {
        return {};
    }
    const QDate date = DateValue.date();
    const QTime time = DateValue.time();
    QString result = QLatin1String(openers[Kind - 1]) + QStringLiteral(" '");
    if (Kind != OdbcTime) {
        result += QString::number(date.year()).rightJustified(YearDigits, QLatin1Char('0')) + QLatin1Char('-')
                  + TwoDigits(date.month()) + QLatin1Char('-') + TwoDigits(date.day());
    }
    if (Kind != OdbcDate) {
        if (Kind == OdbcTimestamp) {
            result += QLatin1Char(' ');
        }
        result += TwoDigits(time.hour()) + QLatin1Char(':') + TwoDigits(time.minute()) + QLatin1Char(':')
                  + TwoDigits(time.second());
    }
    return result + QStringLiteral("'}");
}

QString QuoteSQLString(const QString &Text)
{
    QString result = Text;
    return result.replace(QLatin1Char('\''), QStringLiteral("''"));
}

QString TrimBlanks(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' ')) {
        ++first;
    }
    while (last > first && text.at(last - 1) == QLatin1Char(' ')) {
        --last;
    }
    return text.mid(first, last - first);
}

QString DateToString(const QDateTime &DateValue, bool WithTime, const QString &Separator)
{
    if (!DateValue.isValid()) {
        return {};
    }
    const QDate date = DateValue.date();
    QString result = TwoDigits(date.day()) + Separator + TwoDigits(date.month()) + Separator
                     + QString::number(date.year()).rightJustified(YearDigits, QLatin1Char('0'));
    if (WithTime) {
        const QTime time = DateValue.time();
        result += QLatin1Char(' ') + TwoDigits(time.hour()) + QLatin1Char(':') + TwoDigits(time.minute())
                  + QLatin1Char(':') + TwoDigits(time.second());
    }
    return result;
}

QDateTime GetDayBound(const QDateTime &DateValue, bool EndOfDay)
{
    if (!DateValue.isValid()) {
        return {};
    }
    return QDateTime(DateValue.date(), EndOfDay ? LastSecondOfDay : QTime(0, 0, 0), Qt::UTC);
}

QString MakeItemKey(qint32 Number)
{
    return QLatin1Char('C') + QString::number(Number);
}

QString DuplicateKeyText()
{
    return QStringLiteral("Этот ключ уже связан с элементом данной коллекции");
}
} // namespace Rollstrake
