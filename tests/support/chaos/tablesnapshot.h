#pragma once

#include <QHash>
#include <QList>
#include <QStringList>

// The rows of every table of the program's embedded database, as text, for comparing what the
// database held before the chaos with what it holds after. The columns that a club computer's
// traffic and settings update may change are left out.
class TableSnapshot final
{
public:
    // Reads the file (read-only, so the running program may use it meanwhile); false with the reason.
    bool Take(const QString &File, QString &ErrString);
    // What changed that no peer may cause: a table other than Traffic changed, a Traffic row went,
    // or a new one names no club computer. Empty when nothing did.
    QStringList Forbidden(const TableSnapshot &After, const QList<qint32> &ClubComputers) const;
    // Rows of each table, for the report.
    QString Counts() const;

private:
    bool ReadTable(const QString &Connection, const QString &Table, QString &ErrString);

    QHash<QString, QStringList> m_rows;
    QList<qint32> m_trafficComputers;
};
