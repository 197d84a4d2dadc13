#pragma once

#include "currency.h"
#include "entitylib.h"

#include <QDateTime>
#include <QHash>
#include <QPair>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

// The reading side of the report loaders: filtered reads of one table through the data-entity
// library with its fields found by name once, and the display texts of the records that foreign
// keys name, read once per load.

// One table of a report.
class ReportTable final
{
public:
    // False with the reason when the database has no such table.
    bool Open(const QString &Name, QString &ErrString);

    const std::shared_ptr<Rollstrake::Table> &Table() const
    {
        return m_table;
    }

    // The 1-based position of a field in every record of the table; 0 when there is no such field.
    qint32 Position(const QString &Field) const;
    std::shared_ptr<Rollstrake::DBFilterFields> NewFilter() const;
    // Takes part in the filter: Value (and Value2 for cBetween) compared by Condition.
    static void SetSlot(Rollstrake::DBFilterFields &Filter,
                        const QString &Field,
                        Rollstrake::enCondition Condition,
                        const QVariant &Value);
    static void
    SetBetween(Rollstrake::DBFilterFields &Filter, const QString &Field, const QDateTime &From, const QDateTime &To);
    // Takes part also with a value of 0.
    static void SetEvenEmpty(Rollstrake::DBFilterFields &Filter,
                             const QString &Field,
                             Rollstrake::enCondition Condition,
                             const QVariant &Value);
    // Hands each row that the filter selects to Take, in the library's order, without making a
    // record of it; false with the reason when the read fails or Take gives one.
    using RowTaker = std::function<bool(const Rollstrake::RecordReader &Row, QString &ErrString)>;
    bool
    ForEach(const std::shared_ptr<Rollstrake::DBFilterFields> &Filter, const RowTaker &Take, QString &ErrString) const;

private:
    std::shared_ptr<Rollstrake::Table> m_table;
};

// Typed values of a row's field by position (ReportTable::Position; 0 gives an empty value).
qint32 IntAt(const Rollstrake::RecordReader &Row, qint32 Position);
QString TextAt(const Rollstrake::RecordReader &Row, qint32 Position);
QDateTime DateAt(const Rollstrake::RecordReader &Row, qint32 Position);
Currency MoneyAt(const Rollstrake::RecordReader &Row, qint32 Position);
// A date-time cell: "05/12/2026 14:03:27".
QString DateTimeCell(const QDateTime &Value);
// Bytes as megabytes kept to four decimals: 1,000,000 bytes give 0.9537.
Currency Megabytes(Currency Bytes);
// The amount in whole kopecks, a half away from zero as FormatSum shows it (0.125 gives 0.13): a
// total of such amounts is the total of what the rows show.
Currency ToKopecks(Currency Amount);

// The display texts of the records that a load's foreign keys name (a computer's number, a
// desktop's or a rate's name), each read once.
class ReferenceTexts final
{
public:
    // The display text of the record that the row's foreign key at Position names; empty with the
    // reason when it cannot be read.
    QString Text(const Rollstrake::RecordReader &Row, qint32 Position, QString &ErrString);

private:
    struct Known
    {
        QString Text;
        QString Error;
    };

    QHash<QPair<const Rollstrake::Field *, qint32>, Known> m_texts;
};

// The record code of computer Num, searched in the database: 0 with ErrString empty when no
// computer has that number, 0 with the reason when the search fails.
qint32 FindComputerCode(qint32 Num, QString &ErrString);
// "Компьютер №3 не найден!"
QString ComputerNotFoundText(qint32 Num);
