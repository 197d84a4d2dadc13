#pragma once

#include "dbfields.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>

#include <memory>

namespace Rollstrake
{
class Table;

// One row of a table: its key Code (0 until saved) and its field values.
class DBRecord : public std::enable_shared_from_this<DBRecord>
{
public:
    qint32 Code() const;
    std::shared_ptr<Rollstrake::Table> Table() const;
    const std::shared_ptr<Rollstrake::DBFields> &DBFields() const;
    // Required fields filled, unique keys free, foreign keys naming existing records.
    bool CheckRecord(QString &ErrString);
    // Checks and saves: inserts a new record, updates a saved one. A failed save of a saved record
    // shows the database's values again; a failed insert keeps the caller's values.
    bool Update(QString &ErrString);
    // Reads the record's row again; false when it cannot be read or no longer exists.
    bool Reload(QString &ErrString);
    // Some record of TableName (of any table when empty) refers to this one through a FOREIGNKEY.
    bool IsInUse(const QString &TableName);

    // Library use.
    void SetCode(qint32 code);
    bool Init(const std::shared_ptr<Rollstrake::Table> &table);
    bool sysLoadFromDB(const QSqlQuery &query, const QSqlRecord &columns, QString &ErrString);
    bool CheckRequired(QString &ErrString);
    bool CheckForeignKeys(QString &ErrString);
    QString GetUpdateSQL() const;
    bool sysDBUpdate(QString &ErrString);
    bool Insert(QString &ErrString);
    bool SavePreset(QString &ErrString);
    // The fields a preset row of the schema file sets.
    void AddPresetField(const QString &name);

private:
    bool PresetAlreadyStored(bool &stored, QString &ErrString);

    qint32 m_code = 0;
    std::shared_ptr<Rollstrake::Table> m_table;
    std::shared_ptr<Rollstrake::DBFields> m_fields;
    QStringList m_presetFields;
};
} // namespace Rollstrake
