#include "connection.h"
#include "currency.h"
#include "datevalue.h"
#include "entitylib.h"
#include "leadingnumber.h"
#include "texthelpers.h"

#include <QRegularExpression>

#include <cmath>

namespace Rollstrake
{
namespace
{
bool IsNumberType(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return value.metaType() == QMetaType::fromType<Currency>();
    }
}

bool IsDateType(const QVariant &value)
{
    const int id = value.metaType().id();
    return id == QMetaType::QDateTime || id == QMetaType::QDate;
}

// A text that is a plain decimal number as a whole (blanks around it allowed).
bool ReadsAsNumber(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?\\s*$"));
    return number.match(text).hasMatch();
}

// Null counts as a number (zero); texts only when they read as a number as a whole.
bool CountsAsNumeric(const QVariant &value)
{
    if (value.isNull() || IsNumberType(value)) {
        return true;
    }
    return !IsDateType(value) && ReadsAsNumber(value.toString());
}

double NumberOf(const QVariant &value)
{
    if (value.isNull()) {
        return 0;
    }
    if (value.metaType() == QMetaType::fromType<Currency>()) {
        return value.value<Currency>().ToDouble();
    }
    if (IsNumberType(value)) {
        return value.toDouble();
    }
    return LeadingNumber(value.toString());
}

Currency CurrencyOf(const QVariant &value)
{
    if (value.metaType() == QMetaType::fromType<Currency>()) {
        return value.value<Currency>();
    }
    Currency result;
    if (!IsNumberType(value) && !value.isNull() && Currency::FromText(value.toString(), result)) {
        return result;
    }
    return Currency::FromDouble(NumberOf(value));
}

// Where the parts of the stored form "yyyy-MM-dd hh:mm:ss" stand.
constexpr qsizetype YearAt = 0;
constexpr qsizetype YearDigits = 4;
constexpr qsizetype MonthAt = 5;
constexpr qsizetype DayAt = 8;
constexpr qsizetype HourAt = 11;
constexpr qsizetype MinuteAt = 14;
constexpr qsizetype SecondAt = 17;
constexpr qsizetype PartDigits = 2;
// Whole numbers below this are shown without an exponent; any other number with this many
// significant digits.
constexpr double PlainWholeLimit = 1e15;
constexpr int SignificantDigits = 15;

// "yyyy-MM-dd hh:mm:ss" exactly, or "yyyy-MM-dd" (a DATE column).
bool IsStoredDateTimeText(const QString &text)
{
    static const QString shape = QStringLiteral("0000-00-00 00:00:00");
    if (text.size() != shape.size() && text.size() != HourAt - 1) {
        return false;
    }
    for (qsizetype at = 0; at < text.size(); ++at) {
        const bool digitWanted = shape.at(at) == QLatin1Char('0');
        if (digitWanted ? !text.at(at).isDigit() || text.at(at).unicode() > '9' : text.at(at) != shape.at(at)) {
            return false;
        }
    }
    return true;
}

// The number that Count ASCII digits at At make; the stored form was checked to hold digits there.
// Read without the locale's number parser: every date of a year's rows passes here.
int DigitsAt(QStringView Text, qsizetype At, qsizetype Count)
{
    constexpr int Decimal = 10;
    int number = 0;
    for (qsizetype i = At; i < At + Count; ++i) {
        number = number * Decimal + (Text.at(i).unicode() - '0');
    }
    return number;
}

QDateTime ParseDateText(const QString &text)
{
    // The library's own dd/mm/yyyy form, the dotted Russian form and the ISO form of SQLite columns.
    static const QRegularExpression dayFirst(
        QStringLiteral("^(\\d{1,2})[./](\\d{1,2})[./](\\d{4})(?:\\s+(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?)?$"));
    static const QRegularExpression yearFirst(QStringLiteral(
        "^(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[ T](\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?(?:\\.\\d*)?)?(?:Z)?$"));
    const QString trimmed = text.trimmed();
    // The fixed-width form the embedded database stores, read without a pattern.
    if (IsStoredDateTimeText(trimmed)) {
        const QStringView stored(trimmed);
        const bool withTime = stored.size() > HourAt;
        const QDateTime quick = DateValue::Make(DigitsAt(stored, YearAt, YearDigits),
                                                DigitsAt(stored, MonthAt, PartDigits),
                                                DigitsAt(stored, DayAt, PartDigits),
                                                withTime ? DigitsAt(stored, HourAt, PartDigits) : 0,
                                                withTime ? DigitsAt(stored, MinuteAt, PartDigits) : 0,
                                                withTime ? DigitsAt(stored, SecondAt, PartDigits) : 0);
        if (quick.isValid()) {
            return quick;
        }
    }
    int year = 0;
    int month = 0;
    int day = 0;
    QRegularExpressionMatch match = dayFirst.match(trimmed);
    if (match.hasMatch()) {
        day = match.captured(1).toInt();
        month = match.captured(2).toInt();
        year = match.captured(3).toInt();
    } else {
        match = yearFirst.match(trimmed);
        if (!match.hasMatch()) {
            return {};
        }
        year = match.captured(1).toInt();
        month = match.captured(2).toInt();
        day = match.captured(3).toInt();
    }
    return DateValue::Make(year,
                           month,
                           day,
                           match.captured(4).toInt(),
                           match.captured(5).toInt(),
                           match.captured(6).toInt());
}

QDateTime DateOf(const QVariant &value)
{
    QDateTime result;
    if (value.isNull()) {
        return DateValue::Zero();
    }
    if (value.metaType().id() == QMetaType::QDateTime) {
        result = DateValue::Normalized(value.toDateTime());
    } else if (value.metaType().id() == QMetaType::QDate) {
        result = DateValue::Make(value.toDate().year(), value.toDate().month(), value.toDate().day());
    } else if (!IsNumberType(value)) {
        result = ParseDateText(value.toString());
    }
    if (!result.isValid()) {
        return DateValue::Zero();
    }
    // Values are kept to the second.
    result.setTime(QTime(result.time().hour(), result.time().minute(), result.time().second()));
    return result;
}

QString NumberText(double value)
{
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < PlainWholeLimit) {
        return QString::number(static_cast<qint64>(value));
    }
    return QString::number(value, 'g', SignificantDigits);
}

} // namespace

QVariant FieldType::ConvertValue(const QVariant &Value) const
{
    switch (Code()) {
    case ftINT:
        return CountsAsNumeric(Value) ? NumberOf(Value) : 0.0;
    case ftVARCHAR:
        return Value.isNull() ? QString() : Value.toString();
    case ftDOUBLE:
        return QVariant::fromValue(CountsAsNumeric(Value) ? CurrencyOf(Value) : Currency());
    case ftDATETIME:
        return DateOf(Value);
    case ftDATE:
        return GetDayBound(DateOf(Value), false);
    default:
        return Value;
    }
}

QVariant FieldType::GetEmptyValue() const
{
    return ConvertValue(QVariant());
}

bool FieldType::IsEmptyValue(const QVariant &Value) const
{
    const QVariant converted = ConvertValue(Value);
    switch (Code()) {
    case ftINT:
        return converted.toDouble() == 0;
    case ftVARCHAR:
        return converted.toString().isEmpty();
    case ftDOUBLE:
        return converted.value<Currency>() == Currency();
    default:
        return DateValue::IsZero(converted.toDateTime());
    }
}

QString FieldType::GetStringValue(const QVariant &Value) const
{
    const QVariant converted = ConvertValue(Value);
    switch (Code()) {
    case ftINT:
        return NumberText(converted.toDouble());
    case ftDOUBLE:
        return converted.value<Currency>().ToString();
    case ftDATETIME:
        return DateToString(converted.toDateTime(), true, QStringLiteral("/"));
    case ftDATE:
        return DateToString(converted.toDateTime(), false, QStringLiteral("/"));
    default:
        return converted.toString();
    }
}

QString FieldType::GetSQLValue(const QVariant &Value, bool IsLike) const
{
    return GetSQLValue(Value, IsLike, Connection::CurrentDialect());
}

QString FieldType::GetSQLValue(const QVariant &Value, bool IsLike, SqlDialect dialect) const
{
    switch (Code()) {
    case ftVARCHAR: {
        const QString quoted = QuoteSQLString(TrimBlanks(ConvertValue(Value).toString()));
        return IsLike ? quoted : QLatin1Char('\'') + quoted + QLatin1Char('\'');
    }
    case ftDATETIME:
        return Dialect::DateLiteral(dialect, ConvertValue(Value).toDateTime(), true);
    case ftDATE:
        return Dialect::DateLiteral(dialect, ConvertValue(Value).toDateTime(), false);
    default:
        return GetStringValue(Value);
    }
}

QString FieldType::GetDBTypeName() const
{
    return GetDBTypeName(Connection::CurrentDialect());
}

QString FieldType::GetDBTypeName(SqlDialect dialect) const
{
    return Dialect::DBTypeName(dialect, Code());
}

const FieldTypes &FieldTypes::Instance()
{
    static const FieldTypes instance = [] {
        FieldTypes types;
        types.Add(ftINT, QStringLiteral("INT"));
        types.Add(ftVARCHAR, QStringLiteral("VARCHAR"));
        types.Add(ftDOUBLE, QStringLiteral("DOUBLE"));
        types.Add(ftDATETIME, QStringLiteral("DATETIME"));
        types.Add(ftDATE, QStringLiteral("DATE"));
        return types;
    }();
    return instance;
}
} // namespace Rollstrake
