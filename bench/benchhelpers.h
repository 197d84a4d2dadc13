#pragma once

#include <QDateTime>
#include <QList>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>

#include <algorithm>

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

// The value at Fraction (0.99 for the p99) of Values, the nearest rank; 0 for none.
inline double Percentile(QList<double> Values, double Fraction)
{
    if (Values.isEmpty()) {
        return 0;
    }
    std::sort(Values.begin(), Values.end());
    const auto index = qsizetype(Fraction * double(Values.size() - 1) + 0.5);
    return Values.at(qBound<qsizetype>(0, index, Values.size() - 1));
}
