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

QString TwoDigits(int value)
{
    return QString::number(value).rightJustified(2, QLatin1Char('0'));
}
} // namespace

qint16 OpenFileForReading(const QString &FileName, QString &ErrString, bool Retry, qint16 RetryOnAnyError, QFile &File)
{
    if (!QFileInfo::exists(FileName)) {
        ErrString = QStringLiteral("Файл '") + FileName + QStringLiteral("' не найден!");
        return -1;
    }
    File.setFileName(FileName);
    const int attempts = Retry ? RetryAttempts : 1;
    for (int attempt = 1; !File.open(QIODevice::ReadOnly); ++attempt) {
        // A busy file is what a retry waits out; other failures end at once unless asked otherwise.
        const bool busy = File.error() == QFileDevice::ResourceError;
        if ((!busy && RetryOnAnyError == 0) || attempt >= attempts) {
            ErrString = QStringLiteral("Ошибка открытия файла '") + FileName + QStringLiteral("' на чтение: ")
                        + File.errorString();
            return -3;
        }
        QThread::msleep(RetryPauseMs);
    }
    if (File.atEnd()) {
        ErrString = QStringLiteral("Файл '") + FileName + QStringLiteral("' пустой!");
        File.close();
        return -2;
    }
    return 1;
}

qint32 DetectCodePage(const QByteArray &Text)
{
    for (const char c : Text) {
        const auto code = static_cast<unsigned char>(c);
        if ((code >= 128 && code <= 167) || (code >= 169 && code <= 175)) {
            return 2;
        }
        if (code == 184 || (code >= 192 && code <= 223) || code >= 242) {
            return 1;
        }
    }
    return 0;
}

QByteArray DOSToWindows(const QByteArray &Text)
{
    QByteArray result = Text;
    for (char &c : result) {
        const auto code = static_cast<unsigned char>(c);
        int converted = code;
        if (code >= 128 && code <= 175) {
            converted = code + 64;
        } else if (code >= 224 && code <= 239) {
            converted = code + 16;
        } else if (code == 240) {
            converted = 168;
        } else if (code == 241) {
            converted = 184;
        }
        c = static_cast<char>(converted);
    }
    return result;
}

QByteArray ConvertFromDOS(const QByteArray &Text)
{
    return DetectCodePage(Text) == 2 ? DOSToWindows(Text) : Text;
}

QString GetODBCDateLiteral(const QDateTime &DateValue, quint8 Kind)
{
    if (Kind == 0) {
        Kind = 1;
    }
    static const char *const openers[] = {"{d", "{t", "{ts"};
    if (Kind > 3) {
        return {};
    }
    const QDate date = DateValue.date();
    const QTime time = DateValue.time();
    QString result = QLatin1String(openers[Kind - 1]) + QStringLiteral(" '");
    if (Kind != 2) {
        result += QString::number(date.year()).rightJustified(4, QLatin1Char('0')) + QLatin1Char('-')
                  + TwoDigits(date.month()) + QLatin1Char('-') + TwoDigits(date.day());
    }
    if (Kind != 1) {
        if (Kind == 3) {
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
                     + QString::number(date.year()).rightJustified(4, QLatin1Char('0'));
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
    return QDateTime(DateValue.date(), EndOfDay ? QTime(23, 59, 59) : QTime(0, 0, 0), Qt::UTC);
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
