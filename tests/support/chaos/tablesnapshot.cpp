#include "tablesnapshot.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace
{
const QString TrafficTable = QStringLiteral("Traffic");

// Columns that peers change through the program as it is meant to: the stamp of the last settings
// sent to a computer, and the traffic counts of its seance.
bool PeerMayChange(const QString &Table, const QString &Column)
{
    return (Table == QLatin1String("Computers") && Column == QLatin1String("LastSettingsUpdate"))
           || (Table == QLatin1String("Seances")
               && (Column == QLatin1String("Downloaded") || Column == QLatin1String("Uploaded")));
}
} // namespace

bool TableSnapshot::Take(const QString &File, QString &ErrString)
{
    const QString connection = QStringLiteral("chaos-snapshot");
    bool ok = false;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        database.setDatabaseName(File);
        database.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=10000"));
        ok = database.open();
        if (!ok) {
            ErrString = database.lastError().text();
        }
        QStringList tables = database.tables();
        tables.sort();
        for (const QString &table : std::as_const(tables)) {
            // The engine's own bookkeeping (the last keys handed out) is no data of the club's.
            if (!table.startsWith(QLatin1String("sqlite_"))) {
                ok = ok && ReadTable(connection, table, ErrString);
            }
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return ok;
}

bool TableSnapshot::ReadTable(const QString &Connection, const QString &Table, QString &ErrString)
{
    QSqlQuery query(QSqlDatabase::database(Connection, false));
    if (!query.exec(QStringLiteral("SELECT * FROM \"%1\"").arg(Table))) {
        ErrString = Table + QStringLiteral(": ") + query.lastError().text();
        return false;
    }
    QStringList &rows = m_rows[Table];
    while (query.next()) {
        const QSqlRecord record = query.record();
        QStringList fields;
        for (int column = 0; column < record.count(); ++column) {
            if (!PeerMayChange(Table, record.fieldName(column))) {
                fields.append(record.fieldName(column) + QLatin1Char('=') + record.value(column).toString());
            }
        }
        rows.append(fields.join(QLatin1Char(';')));
        if (Table == TrafficTable) {
            m_trafficComputers.append(record.value(QStringLiteral("Computer")).toInt());
        }
    }
    rows.sort();
    return true;
}

QStringList TableSnapshot::Forbidden(const TableSnapshot &After, const QList<qint32> &ClubComputers) const
{
    QStringList faults;
    for (auto table = After.m_rows.cbegin(); table != After.m_rows.cend(); ++table) {
        const QStringList before = m_rows.value(table.key());
        if (table.key() != TrafficTable && before != table.value()) {
            faults.append(QStringLiteral("%1: %2 rows before, %3 after, or their values changed")
                              .arg(table.key())
                              .arg(before.size())
                              .arg(table.value().size()));
        }
    }
    QStringList traffic = After.m_rows.value(TrafficTable);
    for (const QString &row : m_rows.value(TrafficTable)) {
        if (!traffic.removeOne(row)) {
            faults.append(QStringLiteral("Traffic: a row went: ") + row);
        }
    }
    for (const qint32 computer : After.m_trafficComputers) {
        if (!ClubComputers.contains(computer)) {
            faults.append(
                QStringLiteral("Traffic: a row for computer code %1, which is no club computer").arg(computer));
        }
    }
    if (m_rows.size() != After.m_rows.size()) {
        faults.append(QStringLiteral("%1 tables before, %2 after").arg(m_rows.size()).arg(After.m_rows.size()));
    }
    return faults;
}

QString TableSnapshot::Counts() const
{
    QStringList counts;
    QStringList tables = m_rows.keys();
    tables.sort();
    for (const QString &table : std::as_const(tables)) {
        counts.append(QStringLiteral("%1 %2").arg(table).arg(m_rows.value(table).size()));
    }
    return counts.join(QStringLiteral(", "));
}
