#pragma once

#include "fields.h"

#include <QDateTime>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

namespace Rollstrake
{
class Tables;
class DBRecord;
class DBRecords;
class DBField;
class DBFilterFields;

// One table of the schema: its fields and flags, and the door to its records.
class Table : public std::enable_shared_from_this<Table>
{
public:
    // A table with its empty Fields bound to it.
    static std::shared_ptr<Table> Create();
    Table();

    // A filter over this table with one slot per field and nothing set.
    std::shared_ptr<DBFilterFields> GetNewFilter();
    // Records may not be inserted, updated or deleted.
    bool ReadOnly() const;
    const QString &Caption() const;
    // Unique fields are unique together, not each alone.
    bool CombineUnique() const;
    const QString &mName() const;
    const std::shared_ptr<Rollstrake::Fields> &Fields() const;
    // The record with this Code (from the cache of a Cached table), or null; ErrString is left
    // unchanged when the record does not exist.
    std::shared_ptr<DBRecord> GetDBRecordByCode(qint32 Code, QString &ErrString);
    // The records that the filter selects (all records for null), in the table's order.
    std::shared_ptr<DBRecords> GetDBRecords(const std::shared_ptr<DBFilterFields> &DBFilter, QString &ErrString);
    // The first record whose field equals the value (empty values count), or null.
    std::shared_ptr<DBRecord>
    GetRecordByFieldValue(const QString &FieldName, const QVariant &FieldValue, QString &ErrString);
    std::shared_ptr<DBRecords>
    GetRecordsByFieldValue(const QString &FieldName, const QVariant &FieldValue, QString &ErrString);
    // A new record with Code 0 and every field at its default.
    std::shared_ptr<DBRecord> GetNewRecord();
    // Deletes one record; refused while another record refers to it, unless DeleteCascade deletes
    // those first (all in one transaction). A failed DELETE is reported through the delete-error
    // handler of Root and leaves ErrString unchanged.
    bool Remove(qint32 Code, bool DeleteCascade, QString &ErrString);
    // When this process last inserted, updated or deleted a record here (zero date before).
    QDateTime LastChangeDate() const;
    // Records read by code are kept for the rest of the run.
    bool Cached() const;
    // Creates, once, the index "IX_<table>_<f1>_<f2>..." over these stored columns in this order (an
    // equality column first, then a range column, serves a repeated lookup). Where it exists nothing
    // is created or scanned. Refused for an unknown field and on the classic kinds, which have no
    // "IF NOT EXISTS" form.
    bool EnsureIndex(const QStringList &FieldNames, QString &ErrString);

    // Library use.
    void SetReadOnly(bool value);
    void SetCaption(const QString &value);
    void SetCombineUnique(bool value);
    void SetmName(const QString &value);
    void SetCached(bool value);
    void SetParent(const std::weak_ptr<Tables> &parent);
    std::shared_ptr<Tables> Parent() const;
    // Stamps a change now; record sets loaded before see themselves expired.
    void MarkChanged();
    quint64 ChangeCount() const;
    std::shared_ptr<DBRecords> PresetRecords();
    bool CheckDBStructure(QString &ErrString);
    // Every foreign-key column gets its index once; later starts find it and change nothing.
    void IndexForeignKeys();
    bool TableExists();
    bool CreateTable(QString &ErrString);
    bool SavePresetValues(QString &ErrString);
    QString OpenRecordset(const std::shared_ptr<DBFilterFields> &filter) const;
    // The read of one record by a bound Code.
    QString OpenRecordByCode() const;
    QString GetDeleteSQL(qint32 code) const;
    bool sysCheckUnique(const DBRecord &record, QString &ErrString);
    void ForgetCachedRecord(qint32 code);
    void ForgetCache();
    // The first record of this table whose FOREIGNKEY field to tableName holds code (without
    // cascade), or, with cascade, removes every such record. ok is false when a read or a cascade
    // delete failed, with the message in ErrString.
    std::shared_ptr<DBField>
    GetReferencingRecords(const QString &tableName, qint32 code, bool cascade, bool &ok, QString &ErrString);

private:
    bool RemoveRecord(qint32 Code, bool DeleteCascade, QString &ErrString);

    QString m_name;
    QString m_caption;
    bool m_readOnly = false;
    bool m_combineUnique = false;
    bool m_cached = false;
    std::shared_ptr<Rollstrake::Fields> m_fields;
    std::weak_ptr<Tables> m_parent;
    QDateTime m_lastChangeDate;
    quint64 m_changeCount = 0;
    std::shared_ptr<DBRecords> m_presetRecords;
    std::shared_ptr<DBRecords> m_cachedRecords;
    QSet<qint32> m_removing;
};
} // namespace Rollstrake
