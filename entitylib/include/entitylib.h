#pragma once

// The data-entity library Rollstrake: a relational database described by a schema-description
// file, offered as tables, records, field values, filters and totals. Start with Root::Create()
// and Root::Start; everything else is reached through Root::Tables(). Values of DOUBLE fields are
// Currency, dates are the zone-free date values of the common library (datevalue.h).
//
// Members marked "Library use" are private: they serve the library's own classes, which reach them
// as friends.

#include "rollstrake_export.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

class QSqlQuery;
class QSqlRecord;

namespace Rollstrake
{
class DBField;
class DBFields;
class DBFilterFields;
class DBRecord;
class DBRecords;
class Table;
class Tables;
// Reaches the library-use members from the library's own suites; defined there only.
class TestProbe;

namespace SchemaReader
{
// Builds the tables from the schema-description file (schemareader.cpp).
class Parser;
} // namespace SchemaReader

// The wording of statements per database engine (sqldialect.h, inside the library).
enum class SqlDialect;

// Field classes of the schema: a column of its own, a foreign key, or a computed lookup.
enum enFieldClass
{
    fcNormal = 1,
    fcForeignKey = 2,
    fcLookupTable = 3,
    fcLookupTableTotal = 4,
};

enum enFieldType
{
    ftINT = 0,
    ftVARCHAR = 1,
    ftDOUBLE = 2,
    ftDATETIME = 3,
    ftDATE = 4,
};

enum enFieldTotal
{
    fttNone = 0,
    fttSum = 1,
};

// Comparisons of filter slots. Any other value compares nothing; the fixed type keeps such a value
// defined.
enum enCondition : qint32
{
    cEqual = 0,
    cLess = 1,
    cMore = 2,
    cNotEqual = 3,
    cLessOrEqual = 4,
    cMoreOrEqual = 5,
    cBetween = 6,
    cLeftLike = 7,
    cRightLike = 8,
    cLike = 9,
};

// The one error the library raises: reading a computed field value that cannot be worked out.
class ROLLSTRAKE_EXPORT EntityError : public std::runtime_error
{
public:
    EntityError(qint32 number, const QString &source, const QString &description)
        : std::runtime_error(description.toStdString())
        , m_number(number)
        , m_source(source)
        , m_description(description)
    {
    }

    qint32 Number() const
    {
        return m_number;
    }

    const QString &Source() const
    {
        return m_source;
    }

    const QString &Description() const
    {
        return m_description;
    }

private:
    qint32 m_number;
    QString m_source;
    QString m_description;
};

// A keyed list of schema keywords (types, classes, totals): entries in the order of adding,
// found by their keyword without regard to letter case or by their numeric code.
template <class Entry>
class ROLLSTRAKE_EXPORT Vocabulary
{
public:
    using Iterator = typename std::vector<std::shared_ptr<Entry>>::const_iterator;

    // Null when the keyword is present already.
    std::shared_ptr<Entry> Add(qint32 Code, const QString &mName)
    {
        if (Item(mName)) {
            return nullptr;
        }
        auto entry = std::make_shared<Entry>(Code, mName);
        m_entries.push_back(entry);
        return entry;
    }

    std::shared_ptr<Entry> Item(const QString &key) const
    {
        for (const auto &entry : m_entries) {
            if (entry->mName().compare(key, Qt::CaseInsensitive) == 0) {
                return entry;
            }
        }
        return nullptr;
    }

    std::shared_ptr<Entry> Item(qint32 code) const
    {
        for (const auto &entry : m_entries) {
            if (entry->Code() == code) {
                return entry;
            }
        }
        return nullptr;
    }

    qint32 Count() const
    {
        return static_cast<qint32>(m_entries.size());
    }

    Iterator begin() const
    {
        return m_entries.begin();
    }

    Iterator end() const
    {
        return m_entries.end();
    }

private:
    std::vector<std::shared_ptr<Entry>> m_entries;
};

// One keyword with its code.
class ROLLSTRAKE_EXPORT VocabularyEntry
{
public:
    VocabularyEntry(qint32 code, const QString &name)
        : m_code(code)
        , m_name(name)
    {
    }

    virtual ~VocabularyEntry() = default;

    qint32 Code() const
    {
        return m_code;
    }

    void SetCode(qint32 code)
    {
        m_code = code;
    }

    const QString &mName() const
    {
        return m_name;
    }

    void SetmName(const QString &name)
    {
        m_name = name;
    }

private:
    qint32 m_code;
    QString m_name;
};

// A field class keyword (enFieldClass).
class ROLLSTRAKE_EXPORT FieldClass : public VocabularyEntry
{
public:
    using VocabularyEntry::VocabularyEntry;
};

// NORMAL, FOREIGNKEY, LOOKUPTABLE, LOOKUPTABLETOTAL; one shared instance.
class ROLLSTRAKE_EXPORT FieldClasses : public Vocabulary<FieldClass>
{
public:
    static const FieldClasses &Instance();
};

// A totalling keyword (enFieldTotal).
class ROLLSTRAKE_EXPORT FieldTotal : public VocabularyEntry
{
public:
    using VocabularyEntry::VocabularyEntry;
};

// NONE, SUM; one shared instance.
class ROLLSTRAKE_EXPORT FieldTotals : public Vocabulary<FieldTotal>
{
public:
    static const FieldTotals &Instance();
};

// A data type keyword (enFieldType) with the value rules of the type. Converted values are
// INT: double; VARCHAR: QString; DOUBLE: Currency; DATETIME and DATE: QDateTime (UTC wall clock,
// DATE at 00:00:00). Conversion never fails: a non-number becomes 0, a non-date 30/12/1899.
class ROLLSTRAKE_EXPORT FieldType : public VocabularyEntry
{
public:
    using VocabularyEntry::VocabularyEntry;

    QVariant ConvertValue(const QVariant &Value) const;
    QVariant GetEmptyValue() const;
    bool IsEmptyValue(const QVariant &Value) const;
    // Display text: numbers with a decimal point, dates as dd/mm/yyyy[ hh:mm:ss].
    QString GetStringValue(const QVariant &Value) const;
    // SQL literal of the converted value for the open database's engine.
    QString GetSQLValue(const QVariant &Value, bool IsLike) const;
    QString GetSQLValue(const QVariant &Value, bool IsLike, SqlDialect dialect) const;
    // Column type name for the open database's engine.
    QString GetDBTypeName() const;
    QString GetDBTypeName(SqlDialect dialect) const;
};

// INT, VARCHAR, DOUBLE, DATETIME, DATE; one shared instance.
class ROLLSTRAKE_EXPORT FieldTypes : public Vocabulary<FieldType>
{
public:
    static const FieldTypes &Instance();
};

// One column definition of the schema: class, type, length, caption, default and flags.
class ROLLSTRAKE_EXPORT Field
{
public:
    Field();

    const QString &Default() const;
    void SetDefault(const QString &value);
    // FOREIGNKEY: the referred table; LOOKUPTABLE: the listed table; LOOKUPTABLETOTAL: a LOOKUPTABLE
    // field of the same table.
    const QString &TableForLookup() const;
    void SetTableForLookup(const QString &value);
    // FOREIGNKEY: the display field; LOOKUPTABLE: the other table's field holding this Code;
    // LOOKUPTABLETOTAL: the SUM field to show.
    const QString &FieldForLookup() const;
    void SetFieldForLookup(const QString &value);
    // Part of the default order of record sets.
    bool Sorted() const;
    void SetSorted(bool value);
    bool Required() const;
    void SetRequired(bool value);
    bool UniqueKey() const;
    void SetUniqueKey(bool value);
    const QString &Caption() const;
    void SetCaption(const QString &value);
    // Maximum length of a VARCHAR value (0 or less: no limit).
    qint32 Length() const;
    void SetLength(qint32 value);
    std::shared_ptr<Rollstrake::Table> Table() const;
    const std::shared_ptr<FieldType> &mType() const;
    const std::shared_ptr<FieldTotal> &Total() const;
    const std::shared_ptr<FieldClass> &mClass() const;
    const QString &mName() const;
    void SetmName(const QString &value);

private:
    // Library use: the library's own classes reach these as friends.
    friend class DBField;
    friend class DBRecord;
    friend class Fields;
    friend class RecordReader;
    friend class Table;
    friend class SchemaReader::Parser;
    friend class TestProbe;

    void SetType(const std::shared_ptr<FieldType> &type);
    void SetTotal(const std::shared_ptr<FieldTotal> &total);
    void SetClass(const std::shared_ptr<FieldClass> &fieldClass);
    void SetTable(const std::weak_ptr<Rollstrake::Table> &table);
    // Has a column: NORMAL and FOREIGNKEY.
    bool IsStored() const;
    // 'Table.Field' for messages.
    QString GetFullName() const;
    // The value converted to the type, a VARCHAR cut to Length.
    QVariant CheckValue(const QVariant &value) const;
    QVariant GetDefaultValue() const;
    QString GetColumnDDL(SqlDialect dialect) const;
    QString GetColumnDDL() const;
    // Adds the missing column to the existing table and fills it with the default.
    bool AddToDBTable(QString &ErrString) const;

    QString m_default;
    // The default converted to the type, once asked for.
    mutable std::optional<QVariant> m_defaultValue;
    QString m_tableForLookup;
    QString m_fieldForLookup;
    bool m_sorted = false;
    bool m_required = false;
    bool m_uniqueKey = false;
    QString m_caption;
    qint32 m_length = 0;
    std::weak_ptr<Rollstrake::Table> m_table;
    std::shared_ptr<FieldType> m_type;
    std::shared_ptr<FieldTotal> m_total;
    std::shared_ptr<FieldClass> m_class;
    QString m_name;
};

// The fields of one table in schema order, found by name without regard to letter case or by
// 1-based position.
class ROLLSTRAKE_EXPORT Fields
{
public:
    using Iterator = std::vector<std::shared_ptr<Field>>::const_iterator;

    std::shared_ptr<Field> Item(const QString &name) const;
    std::shared_ptr<Field> Item(qint32 position) const;
    qint32 Count() const;
    Iterator begin() const;
    Iterator end() const;
    std::shared_ptr<Rollstrake::Table> Table() const;

private:
    // Library use: the library's own classes reach these as friends.
    friend class DBFields;
    friend class DBFilterFields;
    friend class Table;
    friend class SchemaReader::Parser;
    friend class TestProbe;

    // Add refuses a second field of one name, with the collection's refusal text. A
    // field is found by the name it had when it was added.
    bool Add(const std::shared_ptr<Field> &field, QString &refusal);
    // The 0-based position of the field of that name (letter case aside), -1 when there is none.
    qint32 IndexOf(const QString &name) const;
    void SetTable(const std::weak_ptr<Rollstrake::Table> &table);
    // Definitions of the stored fields, each followed by ",".
    QString GetColumnsDDL(SqlDialect dialect) const;
    // " ORDER BY A, B" over the sorted stored fields; empty when none is sorted. Texts are ordered
    // without regard to letter case on every engine.
    QString GetOrderBy(SqlDialect dialect) const;

    std::vector<std::shared_ptr<Field>> m_fields;
    // Position by name as written and by case-folded name: a table of thousands of fields is read
    // in linear time, and a lookup by the name as written makes no new text.
    QHash<QString, qint32> m_exact;
    QHash<QString, qint32> m_positions;
    std::weak_ptr<Rollstrake::Table> m_table;
    // The ORDER BY of each dialect, made once: fields do not change once read.
    mutable QHash<int, QString> m_orderBy;
};

// The value of one field in one record (or one total of a record set).
class ROLLSTRAKE_EXPORT DBField
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
    // The table those records are in, without reading them; null with the message when this field
    // has none or its record is not saved yet.
    std::shared_ptr<Rollstrake::Table> LinkedTable(QString &ErrString) const;

private:
    // Library use: the library's own classes reach these as friends.
    friend class DBFields;
    friend class DBRecord;
    friend class DBRecords;
    friend class RecordReader;
    friend class Table;
    friend class TestProbe;

    bool Init(const std::shared_ptr<Rollstrake::Field> &field);
    bool sysLoadFromDB(const QSqlQuery &query, const QSqlRecord &columns, QString &ErrString);
    // The same from a column found beforehand (-1: the query has none of that name).
    bool sysLoadFromDB(const QSqlQuery &query, int column, QString &ErrString);
    void SetRecordCode(qint32 code);
    void SetIsTotals(bool value);
    const QVariant &StoredValue() const;
    QString GetSQLValue() const;

    // The value in its type; a value just read from the database is converted when first asked for.
    const QVariant &Stored() const;
    // The table of that name in the schema of the field's table, or null.
    static std::shared_ptr<Rollstrake::Table> FindTable(const Rollstrake::Field &field, const QString &name);

    mutable QVariant m_value;
    mutable bool m_raw = false;
    std::shared_ptr<Rollstrake::Field> m_field;
    qint32 m_recordCode = 0;
    bool m_isTotals = false;
};

// The field values of one record (every field) or the totals of a record set (SUM fields only),
// in schema order; found by field name without regard to letter case or by 1-based position.
class ROLLSTRAKE_EXPORT DBFields
{
public:
    using Iterator = std::vector<std::shared_ptr<DBField>>::const_iterator;

    std::shared_ptr<DBField> Item(const QString &name) const;
    std::shared_ptr<DBField> Item(qint32 position) const;
    qint32 Count() const;
    Iterator begin() const;
    Iterator end() const;

private:
    // Library use: the library's own classes reach these as friends.
    friend class DBRecord;
    friend class DBRecords;

    bool Init(const std::shared_ptr<Rollstrake::Fields> &fields, bool IsTotals);
    void Add(const std::shared_ptr<DBField> &field);
    bool IsTotals() const;
    void SetIsTotals(bool value);
    void SetRecordCode(qint32 code);
    bool LoadFromDB(const QSqlQuery &query, const QSqlRecord &columns, QString &ErrString);
    // The same with the query's column of every field (by position, -1 for none) found beforehand.
    bool LoadFromDB(const QSqlQuery &query, const std::vector<int> &columns, QString &ErrString);

    std::vector<std::shared_ptr<DBField>> m_fields;
    // The table's fields when this holds one value of each, in their order: names are looked up there.
    std::shared_ptr<Rollstrake::Fields> m_schema;
    bool m_isTotals = false;
    qint32 m_recordCode = 0;
};

// One condition slot of a filter: a comparison of one field with Value (and Value2 for cBetween).
class ROLLSTRAKE_EXPORT DBFilterField
{
public:
    // The slot takes part even when Value is the empty value of the field's type.
    bool IncludeEmpty() const;
    void SetIncludeEmpty(bool value);
    const QVariant &Value() const;
    void SetValue(const QVariant &value);
    const QVariant &Value2() const;
    void SetValue2(const QVariant &value);
    enCondition Condition() const;
    void SetCondition(enCondition value);
    const std::shared_ptr<Rollstrake::Field> &Field() const;
    // The slot takes part in the WHERE clause.
    bool IsFilterSet() const;

private:
    // Library use: the library's own classes reach these as friends.
    friend class DBFilterFields;

    void SetField(const std::shared_ptr<Rollstrake::Field> &field);
    std::shared_ptr<Rollstrake::Table> GetTable() const;
    QString GetConditionTemplate() const;
    QString GetSQLCondition(SqlDialect dialect) const;
    // The condition with its values bound ("?") where they can be, appended to Values; a LIKE
    // pattern stays in the text.
    QString GetSQLCondition(SqlDialect dialect, QVariantList &Values) const;
    // Only the values that condition binds, appended to Values; false when its text holds a literal
    // (a LIKE pattern, a classic kind), so that the text depends on the value.
    bool AppendValues(SqlDialect dialect, QVariantList &Values) const;

    bool m_includeEmpty = false;
    QVariant m_value;
    QVariant m_value2;
    enCondition m_condition = cEqual;
    std::shared_ptr<Rollstrake::Field> m_field;
};

// A filter of a record set: either a key filter (Code other than -1) or one condition slot per
// field of the table, joined with AND.
class ROLLSTRAKE_EXPORT DBFilterFields
{
public:
    using Iterator = std::vector<std::shared_ptr<DBFilterField>>::const_iterator;

    // The Code of a filter without a key.
    static constexpr qint32 NoKeyFilter = -1;

    // NoKeyFilter (-1): no key filter; any other value selects that record alone.
    qint32 Code() const;
    void SetCode(qint32 value);
    std::shared_ptr<Rollstrake::Table> Table() const;
    std::shared_ptr<DBFilterField> Item(const QString &name) const;
    std::shared_ptr<DBFilterField> Item(qint32 position) const;
    qint32 Count() const;
    Iterator begin() const;
    Iterator end() const;
    // Some slot takes part (never with a key filter).
    bool IsFilterSet() const;

private:
    // Library use: the library's own classes reach these as friends.
    friend class Table;
    friend class TestProbe;

    bool Add(const std::shared_ptr<Rollstrake::Table> &table);
    void AddFilterField(const std::shared_ptr<DBFilterField> &slot);
    QString GetWhereClause() const;
    QString GetWhereClause(SqlDialect dialect) const;
    // The clause with a "?" for every value that can be bound, the values appended to Values in
    // their order: the text then depends on the conditions only, so its statement can be kept.
    QString GetWhereClause(SqlDialect dialect, QVariantList &Values) const;
    // What the clause's text depends on: the positions and conditions of the slots that take part.
    // Empty when a slot's text holds its value, or for a key filter.
    QByteArray ClauseShape(SqlDialect dialect) const;
    // The values GetWhereClause binds, in its order, without its text.
    void AppendValues(SqlDialect dialect, QVariantList &Values) const;

    // Slots are made when first asked for: a key filter needs none, a lookup by one field one.
    std::shared_ptr<DBFilterField> MakeSlot(qint32 index) const;
    void MakeSlots() const;

    qint32 m_code = NoKeyFilter;
    std::weak_ptr<Rollstrake::Table> m_table;
    std::shared_ptr<Rollstrake::Fields> m_fields;
    // One entry per field of the table in its order (null until made), then any added ones.
    mutable std::vector<std::shared_ptr<DBFilterField>> m_slots;
    mutable bool m_slotsMade = false;
};

// One row of a table: its key Code (0 until saved) and its field values.
class ROLLSTRAKE_EXPORT DBRecord : public std::enable_shared_from_this<DBRecord>
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
    // A search that cannot finish answers true, and its reason goes to the library's warning log.
    bool IsInUse(const QString &TableName);

private:
    // Library use: the library's own classes reach these as friends.
    friend class DBRecords;
    friend class Table;
    friend class SchemaReader::Parser;
    friend class TestProbe;

    void SetCode(qint32 code);
    bool Init(const std::shared_ptr<Rollstrake::Table> &table);
    bool sysLoadFromDB(const QSqlQuery &query, const QSqlRecord &columns, QString &ErrString);
    // The same from the columns of Code and of every field (by position) found once per read.
    bool
    sysLoadFromDB(const QSqlQuery &query, int CodeColumn, const std::vector<int> &FieldColumns, QString &ErrString);
    bool CheckRequired(QString &ErrString);
    bool CheckForeignKeys(QString &ErrString);
    QString GetUpdateSQL() const;
    bool sysDBUpdate(QString &ErrString);
    bool Insert(QString &ErrString);
    bool SavePreset(QString &ErrString);
    // The fields a preset row of the schema file sets.
    void AddPresetField(const QString &name);

    // A saved record whose save failed shows the database's values again; when that read fails
    // too, its reason follows the save's in ErrString.
    void ReloadAfterFailedSave(QString &ErrString);
    bool PresetAlreadyStored(bool &stored, QString &ErrString);
    // The UPDATE of the record's stored fields; false with the engine's description.
    bool ExecuteUpdate(QString &description);

    qint32 m_code = 0;
    std::shared_ptr<Rollstrake::Table> m_table;
    std::shared_ptr<Rollstrake::DBFields> m_fields;
    QStringList m_presetFields;
};

// A loaded set of records of one table in query order, indexed by Code, with totals of the SUM
// fields.
class ROLLSTRAKE_EXPORT DBRecords
{
public:
    using Iterator = std::vector<std::shared_ptr<DBRecord>>::const_iterator;

    // The filter the set was loaded with, or null.
    const std::shared_ptr<Rollstrake::DBFilterFields> &DBFilterFields() const;
    // One entry per SUM field: the sum over the set.
    const std::shared_ptr<Rollstrake::DBFields> &Totals() const;
    std::shared_ptr<DBRecord> Item(qint32 Code) const;
    // 1-based position; null outside 1..Count.
    std::shared_ptr<DBRecord> GetByIndex(qint32 Index) const;
    qint32 Count() const;
    Iterator begin() const;
    Iterator end() const;
    const std::shared_ptr<Rollstrake::Table> &Table() const;
    // Reads the set afresh through the same filter.
    bool Reload(QString &ErrString);
    // This process changed the table after the last successful Reload.
    bool IsExpired() const;

private:
    // Library use: the library's own classes reach these as friends.
    friend class Table;
    friend class SchemaReader::Parser;

    void Init(const std::shared_ptr<Rollstrake::Table> &table,
              const std::shared_ptr<Rollstrake::DBFilterFields> &filter);
    void Clear();
    void InitTotals();
    bool sysAdd(const std::shared_ptr<DBRecord> &record, QString &ErrString);
    void AddToTotals(const DBRecord &record);
    void RemoveByCode(qint32 Code);
    QDateTime LoadTime() const;

    // Runs the read of the set on a kept statement; the caller finishes it.
    QSqlQuery *RunRead(QString &description);

    std::shared_ptr<Rollstrake::Table> m_table;
    std::shared_ptr<Rollstrake::DBFilterFields> m_filter;
    std::shared_ptr<Rollstrake::DBFields> m_totals;
    std::vector<std::shared_ptr<DBRecord>> m_records;
    QHash<qint32, std::shared_ptr<DBRecord>> m_byCode;
    QDateTime m_loadTime;
    quint64 m_loadedChangeCount = 0;
};

// A forward-only read of the records a filter selects (every record for null), through the same
// statement and in the same order as Table::GetDBRecords, without a record object per row: for
// long reads whose rows are each taken once. The read runs on a statement of its own, so that
// other reads may run while it is open.
class ROLLSTRAKE_EXPORT RecordReader
{
public:
    RecordReader(const std::shared_ptr<Rollstrake::Table> &Source,
                 const std::shared_ptr<Rollstrake::DBFilterFields> &Filter);
    ~RecordReader();
    RecordReader(const RecordReader &) = delete;
    RecordReader &operator=(const RecordReader &) = delete;

    // Runs the read; false with the message.
    bool Open(QString &ErrString);
    // Moves to the next row; false after the last one, or with the message on a failure.
    bool Next(QString &ErrString);
    qint32 Code() const;
    // The value of the current row's field at a 1-based position, in the field's type as
    // DBField::StoredValue gives it; empty for a position out of range or a field not stored.
    QVariant Value(qint32 Position) const;
    // The current row's field at that position as a value object of its own (to reach the record
    // that a foreign key names); null for a position out of range. Built on every call.
    std::shared_ptr<DBField> MakeDBField(qint32 Position, QString &ErrString) const;
    const std::shared_ptr<Rollstrake::Table> &Table() const;

private:
    QString FailureText() const;

    std::shared_ptr<Rollstrake::Table> m_table;
    std::shared_ptr<Rollstrake::DBFilterFields> m_filter;
    std::unique_ptr<QSqlQuery> m_query;
    std::vector<std::shared_ptr<Field>> m_fields;
    std::vector<int> m_columns;
    int m_codeColumn = -1;
};

// One table of the schema: its fields and flags, and the door to its records.
class ROLLSTRAKE_EXPORT Table : public std::enable_shared_from_this<Table>
{
public:
    // A table with its empty Fields bound to it.
    static std::shared_ptr<Table> Create();

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
    // The sum of a field over the records the filter selects (every record for null), read with
    // one aggregate query instead of the records: a value of the field's type (Currency for
    // DOUBLE), 0 when nothing is selected. An invalid QVariant with the message in ErrString when
    // the field is unknown or the read fails.
    QVariant GetSum(const QString &FieldName, const std::shared_ptr<DBFilterFields> &DBFilter, QString &ErrString);
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
    // How many times this process changed the table (a rolled-back change counts too): a reader
    // that keeps values of the table knows by it when they may be stale.
    quint64 ChangeCount() const;

private:
    // Library use: the library's own classes reach these as friends.
    friend class DBField;
    friend class DBRecord;
    friend class DBRecords;
    friend class RecordReader;
    friend class Tables;
    friend class SchemaReader::Parser;
    friend class TestProbe;

    void SetReadOnly(bool value);
    void SetCaption(const QString &value);
    void SetCombineUnique(bool value);
    void SetmName(const QString &value);
    void SetCached(bool value);
    void SetParent(const std::weak_ptr<Tables> &parent);
    std::shared_ptr<Tables> Parent() const;
    // Stamps a change now; record sets loaded before see themselves expired.
    void MarkChanged();
    std::shared_ptr<DBRecords> PresetRecords();
    bool CheckDBStructure(QString &ErrString);
    // The same knowing the indexes the database has and the table's columns (case-folded; null:
    // not known, they are asked for).
    bool CheckDBStructure(const QSet<QString> *ExistingIndexes, const QSet<QString> *KnownColumns, QString &ErrString);
    // Every foreign-key column gets its index once; later starts find it and change nothing.
    void IndexForeignKeys(const QSet<QString> *ExistingIndexes = nullptr);
    // False when the table cannot be read; ProbeError then holds the engine's reason, which is
    // what creating a missing table answers and context for a creation that fails.
    bool TableExists(QString &ProbeError);
    bool CreateTable(QString &ErrString);
    bool SavePresetValues(QString &ErrString);
    QString OpenRecordset(const std::shared_ptr<DBFilterFields> &filter) const;
    // The same with the filter's values bound, appended to Values.
    QString OpenRecordset(const std::shared_ptr<DBFilterFields> &filter, QVariantList &Values) const;
    // The read of one record by a bound Code.
    QString OpenRecordByCode() const;
    // The read of the records a filter selects: by its Code when it names one, else OpenRecordset;
    // the values to bind appended to Values.
    QString ReadStatement(const std::shared_ptr<DBFilterFields> &filter, QVariantList &Values) const;
    // The INSERT of every stored field (with RETURNING Code where the engine has it) and the UPDATE
    // of every stored field by Code, all values bound in the fields' order; written once.
    const QString &InsertStatement(SqlDialect dialect) const;
    const QString &UpdateStatement(SqlDialect dialect) const;
    // The columns of Code and of every field (by position) in the rows of a "SELECT *" of this
    // table, the query being such a read; found again only when the number of columns changed.
    void ColumnLayout(const QSqlQuery &query, int &CodeColumn, const std::vector<int> *&FieldColumns);
    // A column was added: the layout is found again.
    void ForgetColumnLayout();
    QString GetDeleteSQL(qint32 code) const;
    bool sysCheckUnique(const DBRecord &record, QString &ErrString);
    void ForgetCachedRecord(qint32 code);
    void ForgetCache();
    // Drops the preset rows and the record cache: their records hold the table, so while they are
    // kept the table cannot go.
    void ReleaseRecords();
    // The first record of this table whose FOREIGNKEY field to tableName holds code (without
    // cascade), or, with cascade, removes every such record. ok is false when a read or a cascade
    // delete failed, with the message in ErrString.
    std::shared_ptr<DBField>
    GetReferencingRecords(const QString &tableName, qint32 code, bool cascade, bool &ok, QString &ErrString);

    // Made through Create, which binds the empty Fields to the table.
    Table();
    bool RemoveRecord(qint32 Code, bool DeleteCascade, QString &ErrString);
    // The names of the table's columns, case-folded; false with the engine's reason when the
    // table cannot be read.
    bool ReadColumns(QSet<QString> &Columns, QString &ProbeError);

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
    // Where "SELECT *" puts Code and each field (by position), found at the first read.
    int m_codeColumn = -1;
    int m_columnCount = -1;
    std::vector<int> m_fieldColumns;
    // The reads already written, by the shape of their filters: a lookup repeats its text.
    mutable QHash<QByteArray, QString> m_selects;
    mutable QHash<int, QString> m_writes;

    static int WriteKey(SqlDialect dialect, bool insert);
};

// The schema's tables in schema order, found by name without regard to letter case or by
// 1-based position.
class ROLLSTRAKE_EXPORT Tables : public std::enable_shared_from_this<Tables>
{
public:
    using Iterator = std::vector<std::shared_ptr<Table>>::const_iterator;

    Tables() = default;
    // The tables let go of their records, so that they go with the schema.
    ~Tables();
    Tables(const Tables &) = delete;
    Tables &operator=(const Tables &) = delete;

    std::shared_ptr<Table> Item(const QString &name) const;
    std::shared_ptr<Table> Item(qint32 position) const;
    qint32 Count() const;
    Iterator begin() const;
    Iterator end() const;

private:
    // Library use: the library's own classes reach these as friends.
    friend class DBRecord;
    friend class Root;
    friend class Table;
    friend class SchemaReader::Parser;

    // Add refuses a second table of one name, with the collection's refusal text.
    bool Add(const std::shared_ptr<Table> &table, QString &refusal);
    bool CheckDBStructure(QString &ErrString);
    bool SavePresetValues(QString &ErrString);
    // The first record of any table that refers to (tableName, code) through a FOREIGNKEY field,
    // or with cascade removes them all; ok false on a failed read or cascade delete.
    std::shared_ptr<DBField>
    GetReferencingRecords(const QString &tableName, qint32 code, bool cascade, bool &ok, QString &ErrString);
    // Drops every record cache (after a rollback the caches may hold what the database does not).
    void ForgetCaches();

    // Runs the catalog query of the engine; false on the classic kinds, which have none here, or
    // when it fails.
    static bool ReadCatalog(const QString &SQLite, const QString &PostgreSQL, QSqlQuery &Query);
    // The case-folded names of the indexes the database has; false where they cannot be listed.
    static bool ReadIndexNames(QSet<QString> &Names);
    // The case-folded column names of every table, by case-folded table name; false where the
    // catalog cannot be read.
    static bool ReadColumnNames(QHash<QString, QSet<QString>> &Columns);
    // The column names (case-folded) a CREATE TABLE statement defines; false when it cannot be
    // read with certainty.
    static bool DefinitionColumns(const QString &Definition, QSet<QString> &Names);

    std::vector<std::shared_ptr<Table>> m_tables;
    // Position by name as written and by case-folded name.
    QHash<QString, qint32> m_exact;
    QHash<QString, qint32> m_positions;
};

// The entry of the library: opens the database, reads the schema-description file and makes the
// database match it. One Root is started per process; it then stays alive for the whole run.
class ROLLSTRAKE_EXPORT Root : public std::enable_shared_from_this<Root>
{
public:
    static std::shared_ptr<Root> Create();
    ~Root();
    Root(const Root &) = delete;
    Root &operator=(const Root &) = delete;

    // The schema's tables; the same object on every call.
    const std::shared_ptr<Rollstrake::Tables> &Tables() const;
    // Opens the data source DataBase (an ODBC data source name, else an embedded SQLite database),
    // reads DBStructFile, creates missing tables and columns and writes the preset rows. False with
    // a Russian message in ErrString; only the first Start of a process can succeed.
    bool Start(const QString &DataBase,
               const QString &DBStructFile,
               QString &ErrString,
               const QString &UserName,
               const QString &Password);

    // Releases the started root and closes the connection, so that a new Root can start (the end
    // of the run, or a test that starts again).
    static void Shutdown();
    // The Root whose Start opened the connection and succeeded so far, or null.
    static std::shared_ptr<Root> StartedRoot();
    // The database that a Start opened or tried to open, in Russian: "SQLite, файл '<path>'" (with
    // the data source name that unixODBC did not know, when one stood for it), or the ODBC data source
    // with its driver and, once open, the engine. Empty before a Start has got as far as opening.
    static QString DataBaseInUse();
    // The start took the embedded file for a data source name that unixODBC did not know, while
    // ODBCINI or ODBCSYSINI names a configuration that lists other data sources: a misspelt name.
    static bool DataSourceMisnamed();
    // Receives the text and title of a failed delete (the program shows a message box); without a
    // handler the text goes to the warning log.
    static void SetDeleteErrorHandler(std::function<void(const QString &text, const QString &title)> handler);
    static void ReportDeleteError(const QString &text);
    // Drops the record caches of the started root's tables.
    static void ForgetCaches();
    // A connection to a database server that the server dropped (it stopped or restarted); an
    // embedded file is never lost. While it is lost every statement fails with the driver's text.
    static bool IsConnectionLost();
    // Checks the server's connection with a statement that costs it nothing and opens a lost one
    // again: at once with Force (an operator's action), otherwise only when the back-off since the
    // last try has passed (1 s, doubled after each failure, up to 16 s). True
    // unless a lost connection stays lost; false with the driver's text.
    static bool Reconnect(bool Force, QString &ErrString);
    // Told once when the connection is lost, with the driver's text, and once when it is back, with
    // an empty text.
    static void SetConnectionStateHandler(std::function<void(bool Lost, const QString &Text)> handler);

private:
    Root();

    std::shared_ptr<Rollstrake::Tables> m_tables;
};

// All-or-nothing work on the library's connection: rolled back when the guard goes without a
// successful Commit. Guards nest; only the outermost one reaches the database, and a roll-back of
// an inner one makes the outer commit fail. A roll-back drops the record caches.
class ROLLSTRAKE_EXPORT Transaction
{
public:
    Transaction() = default;
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    bool Begin(QString &ErrString);
    bool Commit(QString &ErrString);
    void Rollback();

private:
    bool m_active = false;
};
} // namespace Rollstrake
