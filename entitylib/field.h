#pragma once

#include "fieldclass.h"
#include "fieldtype.h"
#include "sqldialect.h"

#include <QString>
#include <QVariant>

#include <memory>

namespace Rollstrake
{
class Table;

// One column definition of the schema: class, type, length, caption, default and flags.
class Field
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

    // Library use.
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

private:
    QString m_default;
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
} // namespace Rollstrake
