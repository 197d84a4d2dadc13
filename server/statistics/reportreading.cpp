#include "statistics/reportreading.h"

#include "core/dbvalues.h"
#include "textdates.h"

#include <cmath>

bool ReportTable::Open(const QString &Name, QString &ErrString)
{
    m_table = DBTable(Name, ErrString);
    return m_table != nullptr;
}

qint32 ReportTable::Position(const QString &Field) const
{
    qint32 position = 0;
    for (const auto &field : *m_table->Fields()) {
        ++position;
        if (field->mName().compare(Field, Qt::CaseInsensitive) == 0) {
            return position;
        }
    }
    return 0;
}

std::shared_ptr<Rollstrake::DBFilterFields> ReportTable::NewFilter() const
{
    return m_table->GetNewFilter();
}

void ReportTable::SetSlot(Rollstrake::DBFilterFields &Filter,
                          const QString &Field,
                          Rollstrake::enCondition Condition,
                          const QVariant &Value)
{
    const auto slot = Filter.Item(Field);
    slot->SetCondition(Condition);
    slot->SetValue(Value);
}

void ReportTable::SetBetween(Rollstrake::DBFilterFields &Filter,
                             const QString &Field,
                             const QDateTime &From,
                             const QDateTime &To)
{
    const auto slot = Filter.Item(Field);
    slot->SetCondition(Rollstrake::cBetween);
    slot->SetValue(From);
    slot->SetValue2(To);
}

void ReportTable::SetEvenEmpty(Rollstrake::DBFilterFields &Filter,
                               const QString &Field,
                               Rollstrake::enCondition Condition,
                               const QVariant &Value)
{
    SetSlot(Filter, Field, Condition, Value);
    Filter.Item(Field)->SetIncludeEmpty(true);
}

bool ReportTable::ForEach(const std::shared_ptr<Rollstrake::DBFilterFields> &Filter,
                          const RowTaker &Take,
                          QString &ErrString) const
{
    Rollstrake::RecordReader reader(m_table, Filter);
    if (!reader.Open(ErrString)) {
        return false;
    }
    QString failure;
    while (reader.Next(failure)) {
        if (!Take(reader, ErrString)) {
            return false;
        }
    }
    if (!failure.isEmpty()) {
        ErrString = failure;
        return false;
    }
    return true;
}

qint32 IntAt(const Rollstrake::RecordReader &Row, qint32 Position)
{
    const double value = Row.Value(Position).toDouble();
    return std::isnan(value) ? 0 : Saturated32(static_cast<qint64>(std::nearbyint(value)));
}

QString TextAt(const Rollstrake::RecordReader &Row, qint32 Position)
{
    return Row.Value(Position).toString();
}

QDateTime DateAt(const Rollstrake::RecordReader &Row, qint32 Position)
{
    return Row.Value(Position).toDateTime();
}

Currency MoneyAt(const Rollstrake::RecordReader &Row, qint32 Position)
{
    return Row.Value(Position).value<Currency>();
}

QString DateTimeCell(const QDateTime &Value)
{
    // Written into one buffer: a year's rows format millions of these.
    constexpr int MaxYear = 9999;
    int year = 0;
    int month = 0;
    int day = 0;
    Value.date().getDate(&year, &month, &day);
    if (!Value.isValid() || year < 0 || year > MaxYear) {
        return DateToString(Value, true, QStringLiteral("/"));
    }
    const QTime time = Value.time();
    QString text(QStringLiteral("00/00/0000 00:00:00"));
    QChar *out = text.data();
    const auto put = [out](int Position, int Number, int Digits) {
        for (int i = Position + Digits - 1; i >= Position; --i) {
            out[i] = QLatin1Char(char('0' + Number % 10));
            Number /= 10;
        }
    };
    put(0, day, 2);
    put(3, month, 2);
    put(6, year, 4);
    put(11, time.hour(), 2);
    put(14, time.minute(), 2);
    put(17, time.second(), 2);
    return text;
}

Currency Megabytes(Currency Bytes)
{
    // One division and one rounding: kilobytes rounded on the way would shift some values by 0.0001.
    constexpr int BytesPerMegabyte = 1024 * 1024;
    return Bytes / Currency(BytesPerMegabyte);
}

Currency ToKopecks(Currency Amount)
{
    constexpr qint64 UnitsPerKopeck = Currency::Scale / 100;
    const qint64 rest = Amount.Units() % UnitsPerKopeck;
    const Currency cut = Currency::FromUnits(Amount.Units() - rest);
    if (2 * qAbs(rest) < UnitsPerKopeck) {
        return cut;
    }
    // Saturates rather than wraps at the ends of the range.
    return cut + Currency::FromUnits(rest < 0 ? -UnitsPerKopeck : UnitsPerKopeck);
}

QString ReferenceTexts::Text(const Rollstrake::RecordReader &Row, qint32 Position, QString &ErrString)
{
    const auto field = Row.Table()->Fields()->Item(Position);
    const QPair<const Rollstrake::Field *, qint32> key(field.get(), IntAt(Row, Position));
    auto found = m_texts.constFind(key);
    if (found == m_texts.constEnd()) {
        Known known;
        const auto foreignKey = Row.MakeDBField(Position, known.Error);
        if (foreignKey) {
            known.Text = foreignKey->GetStringValue(known.Error);
        }
        found = m_texts.insert(key, known);
    }
    if (!found->Error.isEmpty()) {
        ErrString = found->Error;
    }
    return found->Text;
}

qint32 FindComputerCode(qint32 Num, QString &ErrString)
{
    const auto computers = DBTable(QStringLiteral("Computers"), ErrString);
    const auto computer = computers ? computers->GetRecordByFieldValue(QStringLiteral("Num"), Num, ErrString) : nullptr;
    return computer ? computer->Code() : 0;
}

QString ComputerNotFoundText(qint32 Num)
{
    return QStringLiteral("Компьютер №") + QString::number(Num) + QStringLiteral(" не найден!");
}
