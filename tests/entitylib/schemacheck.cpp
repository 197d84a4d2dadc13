#include "schemacheck.h"

#include "entitylib.h"
#include "schemareader.h"
#include "sqldialect.h"
#include "testprobe.h"

#include <QStringList>

using namespace Rollstrake;

namespace
{
bool IsPlainIdentifier(const QString &Name)
{
    if (Name.isEmpty() || (Name.at(0) >= QLatin1Char('0') && Name.at(0) <= QLatin1Char('9'))) {
        return false;
    }
    for (const QChar ch : Name) {
        if (!(ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) && ch != QLatin1Char('_') && !ch.isLetter()) {
            return false;
        }
    }
    return true;
}

// Some line holds more than blanks, tabs and carriage returns.
bool HasLines(const QByteArray &Input)
{
    for (const char ch : Input) {
        if (ch != ' ' && ch != '\t' && ch != '\r' && ch != '\n') {
            return true;
        }
    }
    return false;
}

bool CheckTable(const Tables &Schema, const Table &Checked, QString &Failure)
{
    if (!IsPlainIdentifier(Checked.mName())) {
        Failure = QStringLiteral("table name '%1' accepted").arg(Checked.mName());
        return false;
    }
    if (Schema.Item(Checked.mName().toUpper()).get() != &Checked
        || Schema.Item(Checked.mName().toLower()).get() != &Checked) {
        Failure = QStringLiteral("table '%1' not found by its name").arg(Checked.mName());
        return false;
    }
    for (const auto &field : *Checked.Fields()) {
        const QString &name = field->mName();
        if (!name.isEmpty() && (!IsPlainIdentifier(name) || Checked.Fields()->Item(name.toUpper()) != field)) {
            Failure = QStringLiteral("field '%1' of '%2' accepted or not found").arg(name, Checked.mName());
            return false;
        }
        for (const QString &lookup : {field->TableForLookup(), field->FieldForLookup()}) {
            if (!lookup.isEmpty() && !IsPlainIdentifier(lookup)) {
                Failure = QStringLiteral("lookup name '%1' accepted").arg(lookup);
                return false;
            }
        }
    }
    for (const SqlDialect dialect : {SqlDialect::SQLite, SqlDialect::PostgreSQL}) {
        const QString ddl =
            Dialect::CreateTable(dialect, Checked.mName(), TestProbe::GetColumnsDDL(*Checked.Fields(), dialect));
        if (ddl.contains(QLatin1Char(';')) || ddl.contains(QLatin1String("--")) || ddl.contains(QLatin1Char('\''))) {
            Failure = QStringLiteral("definition of '%1' carries more than a table: %2").arg(Checked.mName(), ddl);
            return false;
        }
    }
    return true;
}
} // namespace

bool CheckSchema(const QByteArray &Input, QString &Failure)
{
    const auto tables = std::make_shared<Tables>();
    QString error;
    if (!SchemaReader::ParseStructBytes(*tables, Input, error)) {
        if (error.isEmpty() && HasLines(Input)) {
            Failure = QStringLiteral("refused without a reason");
            return false;
        }
        return true;
    }
    if (tables->Count() == 0) {
        Failure = QStringLiteral("accepted without a table");
        return false;
    }
    for (const auto &table : *tables) {
        if (!CheckTable(*tables, *table, Failure)) {
            return false;
        }
    }
    return true;
}
