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
                          qint32 Condition,
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
                               qint32 Condition,
                               const QVariant &Value)
{
    SetSlot(Filter, Field, Condition, Value);
    Filter.Item(Field)->SetIncludeEmpty(true);
}

std::shared_ptr<Rollstrake::DBRecords> ReportTable::Read(const std::shared_ptr<Rollstrake::DBFilterFields> &Filter,
                                                         QString &ErrString) const
{
    return m_table->GetDBRecords(Filter, ErrString);
}

const std::shared_ptr<Rollstrake::DBField> &FieldAt(const Rollstrake::DBRecord &Record, qint32 Position)
{
    static const std::shared_ptr<Rollstrake::DBField> none;
    const auto &fields = Record.DBFields();
    return Position >= 1 && Position <= fields->Count() ? *(fields->begin() + (Position - 1)) : none;
}

namespace
{
QVariant ValueAt(const Rollstrake::DBRecord &Record, qint32 Position)
{
    const auto &field = FieldAt(Record, Position);
    return field ? field->StoredValue() : QVariant();
}
} // namespace

qint32 IntAt(const Rollstrake::DBRecord &Record, qint32 Position)
{
    const double value = ValueAt(Record, Position).toDouble();
    return std::isnan(value) ? 0 : Saturated32(static_cast<qint64>(std::nearbyint(value)));
}

QString TextAt(const Rollstrake::DBRecord &Record, qint32 Position)
{
    return ValueAt(Record, Position).toString();
}

QDateTime DateAt(const Rollstrake::DBRecord &Record, qint32 Position)
{
    return ValueAt(Record, Position).toDateTime();
}

Currency MoneyAt(const Rollstrake::DBRecord &Record, qint32 Position)
{
    return ValueAt(Record, Position).value<Currency>();
}

QString DateTimeCell(const QDateTime &Value)
{
    return DateToString(Value, true, QStringLiteral("/"));
}

Currency Megabytes(Currency Bytes)
{
    // One division and one rounding: kilobytes rounded on the way would shift some values by 0.0001.
    constexpr int BytesPerMegabyte = 1024 * 1024;
    return Bytes / Currency(BytesPerMegabyte);
}

qint64 RoundToWhole(Currency Amount)
{
    const qint64 whole = Amount.Units() / Currency::Scale;
    const qint64 rest = Amount.Units() % Currency::Scale;
    const qint64 half = Currency::Scale / 2;
    if (rest > half || (rest == half && whole % 2 != 0)) {
        return whole + 1;
    }
    if (rest < -half || (rest == -half && whole % 2 != 0)) {
        return whole - 1;
    }
    return whole;
}

QString ReferenceTexts::Text(const Rollstrake::DBField &ForeignKey, QString &ErrString)
{
    const QPair<const Rollstrake::Field *, qint32> key(ForeignKey.Field().get(),
                                                       static_cast<qint32>(ForeignKey.StoredValue().toDouble()));
    auto found = m_texts.constFind(key);
    if (found == m_texts.constEnd()) {
        Known known;
        known.Text = ForeignKey.GetStringValue(known.Error);
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
