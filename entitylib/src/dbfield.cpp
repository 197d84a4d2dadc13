#include "entitylib.h"
#include "leadingnumber.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace Rollstrake
{
namespace
{
QString TableCaption(const Field &field)
{
    const auto table = field.Table();
    return table ? table->Caption() : QString();
}
} // namespace

std::shared_ptr<Table> DBField::FindTable(const Rollstrake::Field &field, const QString &name)
{
    const auto table = field.Table();
    const auto tables = table ? table->Parent() : nullptr;
    return tables ? tables->Item(name) : nullptr;
}

void DBField::SetValue(const QVariant &value)
{
    m_value = m_field->CheckValue(value);
    m_raw = false;
}

bool DBField::IsEmpty() const
{
    return m_field->IsStored() && m_field->mType()->IsEmptyValue(Stored());
}

QVariant DBField::Value() const
{
    if (m_isTotals) {
        return Stored();
    }
    QString error;
    switch (m_field->mClass()->Code()) {
    case fcLookupTable: {
        const auto records = LookupTable(error);
        if (!records) {
            throw EntityError(1, QStringLiteral("DBFields.Value"), error);
        }
        return records->Count();
    }
    case fcLookupTableTotal: {
        // One aggregate query over the linked records, which are not read.
        const auto table = m_field->Table();
        const auto lookup = table ? table->Fields()->Item(m_field->TableForLookup()) : nullptr;
        if (m_recordCode <= 0 || !lookup) {
            throw EntityError(1,
                              QStringLiteral("DBFields.Value"),
                              QStringLiteral("Невозможно вычислить значение поля ") + m_field->GetFullName()
                                  + QLatin1Char('!'));
        }
        DBField linked;
        linked.Init(lookup);
        linked.SetRecordCode(m_recordCode);
        const auto target = linked.LinkedTable(error);
        if (!target) {
            throw EntityError(1, QStringLiteral("DBFields.Value"), error);
        }
        const auto summed = target->Fields()->Item(m_field->FieldForLookup());
        if (!summed || summed->Total()->Code() != fttSum) {
            throw EntityError(1,
                              QStringLiteral("DBFields.Value"),
                              QStringLiteral("Поле '") + m_field->FieldForLookup()
                                  + QStringLiteral("' не суммируется в таблице '") + target->mName()
                                  + QStringLiteral("'!"));
        }
        auto filter = target->GetNewFilter();
        const auto slot = filter->Item(lookup->FieldForLookup());
        if (slot) {
            slot->SetValue(m_recordCode);
            slot->SetIncludeEmpty(true);
        }
        const QVariant total = slot ? target->GetSum(summed->mName(), filter, error) : QVariant();
        if (!total.isValid()) {
            throw EntityError(1,
                              QStringLiteral("DBFields.Value"),
                              error.isEmpty() ? QStringLiteral("Предпринята попытка доступа к несуществующему полю '")
                                                    + lookup->FieldForLookup() + QStringLiteral("' таблицы '")
                                                    + target->mName() + QLatin1Char('\'')
                                              : error);
        }
        return total;
    }
    default:
        return Stored();
    }
}

const std::shared_ptr<Field> &DBField::Field() const
{
    return m_field;
}

std::shared_ptr<DBRecord> DBField::GetForeignKeyDBRecord(QString &ErrString) const
{
    if (m_field->mClass()->Code() != fcForeignKey) {
        ErrString = QStringLiteral("Поле ") + m_field->GetFullName() + QStringLiteral(" не является внешним ключём!");
        return nullptr;
    }
    const auto target = FindTable(*m_field, m_field->TableForLookup());
    if (!target) {
        ErrString = QStringLiteral("Таблица, с которой связано поле-внешний ключ ") + m_field->GetFullName()
                    + QStringLiteral(" не найдена!");
        return nullptr;
    }
    const QString missing = QStringLiteral("Выбранное значение поля '") + m_field->Caption()
                            + QStringLiteral("' в объекте '") + TableCaption(*m_field)
                            + QStringLiteral("' не соответствует ни одной записи в объекте '") + target->Caption()
                            + QStringLiteral("'!");
    if (IsEmpty()) {
        if (m_field->Required()) {
            ErrString = missing;
        }
        return nullptr;
    }
    // A record that does not exist leaves readError empty; a read that fails says why.
    QString readError;
    const qint32 code = LeadingInteger(m_field->mType()->GetStringValue(Stored()));
    const auto record = target->GetDBRecordByCode(code, readError);
    if (!record) {
        ErrString = readError.isEmpty() ? missing
                                        : QStringLiteral("Ошибка чтения записи объекта '") + target->Caption()
                                              + QStringLiteral("', на которую ссылается поле ") + m_field->GetFullName()
                                              + QStringLiteral(": ") + readError;
    }
    return record;
}

std::shared_ptr<DBField> DBField::GetForeignKeyDBField(QString &ErrString) const
{
    const auto record = GetForeignKeyDBRecord(ErrString);
    if (!record) {
        return nullptr;
    }
    const auto display = record->DBFields()->Item(m_field->FieldForLookup());
    if (!display) {
        ErrString = QStringLiteral("Поле в таблице '") + m_field->TableForLookup()
                    + QStringLiteral("', которое является выводным значением поля-внешнего ключа ")
                    + m_field->GetFullName() + QStringLiteral(" не найдено!");
    }
    return display;
}

QString DBField::GetStringValue(QString &ErrString) const
{
    if (m_field->mClass()->Code() == fcForeignKey) {
        const auto display = GetForeignKeyDBField(ErrString);
        return display ? display->GetStringValue(ErrString) : QString();
    }
    return m_field->mType()->GetStringValue(Value());
}

std::shared_ptr<Table> DBField::LinkedTable(QString &ErrString) const
{
    if (m_field->mClass()->Code() != fcLookupTable) {
        ErrString = QStringLiteral("Предпринята попытка запроса у поля ") + m_field->GetFullName()
                    + QStringLiteral(", класс которого не допускает внешней связи, связанной таблицы!");
        return nullptr;
    }
    if (m_recordCode == 0) {
        ErrString = QStringLiteral("Предпринята попытка запроса записей из связанной таблцы по полю ")
                    + m_field->GetFullName() + QStringLiteral(" когда запись ещё не сохранена!");
        return nullptr;
    }
    const auto target = FindTable(*m_field, m_field->TableForLookup());
    if (!target) {
        ErrString = QStringLiteral("Таблица '") + m_field->TableForLookup()
                    + QStringLiteral("', которая указана у поля ") + m_field->GetFullName()
                    + QStringLiteral(" в качестве связанной, отсутствует!");
    }
    return target;
}

std::shared_ptr<DBRecords> DBField::LookupTable(QString &ErrString) const
{
    const auto target = LinkedTable(ErrString);
    return target ? target->GetRecordsByFieldValue(m_field->FieldForLookup(), m_recordCode, ErrString) : nullptr;
}

bool DBField::Init(const std::shared_ptr<Rollstrake::Field> &field)
{
    m_field = field;
    m_value = field->GetDefaultValue();
    m_raw = false;
    return true;
}

bool DBField::sysLoadFromDB(const QSqlQuery &query, const QSqlRecord &columns, QString &ErrString)
{
    return sysLoadFromDB(query, m_field->IsStored() ? columns.indexOf(m_field->mName()) : -1, ErrString);
}

bool DBField::sysLoadFromDB(const QSqlQuery &query, int column, QString &ErrString)
{
    if (!m_field->IsStored()) {
        return true;
    }
    if (column < 0) {
        const auto table = m_field->Table();
        ErrString = QStringLiteral("Ошибка чтения значения поля '") + m_field->mName()
                    + QStringLiteral("' из таблицы '") + (table ? table->mName() : QString())
                    + QStringLiteral("' (функция DBField.sysLoadFromDB): нет такого столбца");
        return false;
    }
    // Converted when first read: a record is read whole, its fields seldom are.
    m_value = query.value(column);
    m_raw = true;
    return true;
}

void DBField::SetRecordCode(qint32 code)
{
    m_recordCode = code;
}

void DBField::SetIsTotals(bool value)
{
    m_isTotals = value;
}

const QVariant &DBField::StoredValue() const
{
    return Stored();
}

const QVariant &DBField::Stored() const
{
    if (m_raw) {
        m_value = m_field->CheckValue(m_value);
        m_raw = false;
    }
    return m_value;
}

QString DBField::GetSQLValue() const
{
    return m_field->mType()->GetSQLValue(Stored(), false);
}
} // namespace Rollstrake
