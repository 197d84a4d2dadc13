#pragma once

#include "field.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

#include <memory>

namespace Rollstrake
{
class DBRecord;
class DBRecords;

// The value of one field in one record (or one total of a record set).
class DBField
{
public:
    // Stores the value converted to the field's type (a VARCHAR cut to its length); never refused.
    void SetValue(const QVariant &value);
    // True when the stored value is the empty value of the type; lookup fields are never empty.
    bool IsEmpty() const;
    // The stored value, or for LOOKUPTABLE the number of linked records and for LOOKUPTABLETOTAL a
    // total over them, worked out on every read. Throws EntityError (1, "DBFields.Value") when a
    // computed value cannot be worked out.
    QVariant Value() const;
    const std::shared_ptr<Rollstrake::Field> &Field() const;
    // The record that a FOREIGNKEY value names, or null with a message.
    std::shared_ptr<DBRecord> GetForeignKeyDBRecord(QString &ErrString) const;
    // That record's display field (FieldForLookup), or null with a message.
    std::shared_ptr<DBField> GetForeignKeyDBField(QString &ErrString) const;
    // Display text; a foreign key shows the display text of the record it names.
    QString GetStringValue(QString &ErrString) const;
    // The records of TableForLookup whose FieldForLookup holds this record's Code (LOOKUPTABLE).
    std::shared_ptr<DBRecords> LookupTable(QString &ErrString) const;

    // Library use.
    bool Init(const std::shared_ptr<Rollstrake::Field> &field);
    bool sysLoadFromDB(const QSqlQuery &query, const QSqlRecord &columns, QString &ErrString);
    void SetRecordCode(qint32 code);
    void SetIsTotals(bool value);
    const QVariant &StoredValue() const;
    QString GetSQLValue() const;

private:
    QVariant m_value;
    std::shared_ptr<Rollstrake::Field> m_field;
    qint32 m_recordCode = 0;
    bool m_isTotals = false;
};
} // namespace Rollstrake
