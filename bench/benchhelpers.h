#pragma once

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>

// What the benchmarks print goes to standard output through one stream.
inline QTextStream &Out()
{
    static QTextStream out(stdout);
    return out;
}

// A moment as the benchmarks' plain queries write it.
inline QString SqlDate(const QDateTime &Moment)
{
    return Moment.toString(u"yyyy-MM-dd hh:mm:ss");
}

// Runs a prepared statement of a benchmark's set-up; a failure ends the benchmark.
inline void Exec(QSqlQuery &Query)
{
    if (!Query.exec()) {
        qFatal("%s", qPrintable(Query.lastError().text()));
    }
}
