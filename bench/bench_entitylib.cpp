// Costs of the data-entity library against plain prepared queries doing the same work on the same
// SQLite file. Prints one ratio per operation (library time / baseline time).
// Usage: bench_entitylib [scale]   (scale 1 = 1,000,000 History rows and 500,000 Seances)
#include "benchhelpers.h"
#include "connection.h"
#include "entitylib.h"
#include "schemareader.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTextStream>

#include <functional>

using namespace Rollstrake;

namespace
{
const QString SchemaFile = QStringLiteral(QUILLMARSH_SCHEMA_FILE);
constexpr int Lookups = 10000;
constexpr int SetRows = 10000;
constexpr int Inserts = 10000;
constexpr int InsertRounds = 3;
// A start takes about a millisecond: the best of many keeps other work on the machine out.
constexpr int StartRuns = 15;
constexpr int ConfigRows = 1000;

// The best of a few runs, in milliseconds.
double Measure(const std::function<void()> &work, int runs = 3)
{
    double best = 1e300;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = qMin(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

void Report(const char *what, double library, double baseline)
{
    Out() << qSetFieldWidth(48) << Qt::left << what << qSetFieldWidth(0)
          << QStringLiteral(" library %1 ms, baseline %2 ms, ratio %3")
                 .arg(library, 0, 'f', 2)
                 .arg(baseline, 0, 'f', 2)
                 .arg(library / baseline, 0, 'f', 2)
          << Qt::endl;
}

std::shared_ptr<Root> StartLibrary(const QString &path)
{
    Root::Shutdown();
    auto root = Root::Create();
    QString error;
    if (!root->Start(path, SchemaFile, error, QString(), QString())) {
        qFatal("start failed: %s", qPrintable(error));
    }
    return root;
}

// Makes the file look like a database from before its foreign-key columns were indexed.
void DropForeignKeyIndexes(const QString &path)
{
    StartLibrary(path);
    QSqlQuery query(Connection::Current()->Database());
    query.setForwardOnly(true);
    QStringList names;
    if (query.exec(
            QStringLiteral("SELECT name FROM sqlite_master WHERE type='index' AND name LIKE 'IX!_%' ESCAPE '!'"))) {
        while (query.next()) {
            names << query.value(0).toString();
        }
    }
    for (const QString &name : names) {
        if (!query.exec(QStringLiteral("DROP INDEX \"") + name + QLatin1Char('"'))) {
            qFatal("%s", qPrintable(query.lastError().text()));
        }
    }
    query.finish();
    Root::Shutdown();
}

void Populate(const QString &path, qint64 historyRows, qint64 seanceRows)
{
    StartLibrary(path);
    {
        QSqlDatabase database = Connection::Current()->Database();
        database.transaction();
        QSqlQuery query(database);
        query.prepare(QStringLiteral("INSERT INTO History (HistoryDate, ComputerNum, Description) VALUES (?,?,?)"));
        const qint64 computers = qMax<qint64>(1, historyRows / SetRows);
        for (qint64 row = 0; row < historyRows; ++row) {
            query.addBindValue(
                QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC).addSecs(row).toString(u"yyyy-MM-dd hh:mm:ss"));
            query.addBindValue(1 + row % computers);
            query.addBindValue(QStringLiteral("Начат сеанс на компьютере №%1").arg(1 + row % computers));
            Exec(query);
        }
        query.prepare(QStringLiteral("INSERT INTO Seances (Computer, Desktop, BeginDate, Rate, Duration, EndDate, "
                                     "Downloaded, Uploaded) VALUES (?,?,?,?,?,?,?,?)"));
        for (qint64 row = 0; row < seanceRows; ++row) {
            for (const QVariant &value : {QVariant(1 + row % 20),
                                          QVariant(1),
                                          QVariant(QStringLiteral("2020-01-01 10:00:00")),
                                          QVariant(1),
                                          QVariant(60),
                                          QVariant(QStringLiteral("2020-01-01 11:00:00")),
                                          QVariant(1024.5),
                                          QVariant(512.25)}) {
                query.addBindValue(value);
            }
            Exec(query);
        }
        query.prepare(QStringLiteral("INSERT INTO Config (FieldName, FieldValue) VALUES (?,?)"));
        for (int row = 0; row < ConfigRows; ++row) {
            query.addBindValue(QStringLiteral("Key%1").arg(row));
            query.addBindValue(QStringLiteral("Value%1").arg(row));
            Exec(query);
        }
        database.commit();
    }
    Root::Shutdown();
}

// What the baseline does with every row: every value taken, dates turned into date values.
void ReadRow(const QSqlQuery &query, int columns, QVariantList &values)
{
    for (int column = 0; column < columns; ++column) {
        QVariant value = query.value(column);
        if (value.metaType().id() == QMetaType::QString && value.toString().size() == 19
            && value.toString().at(4) == QLatin1Char('-')) {
            const QString text = value.toString();
            value = QDateTime(QDate(text.mid(0, 4).toInt(), text.mid(5, 2).toInt(), text.mid(8, 2).toInt()),
                              QTime(text.mid(11, 2).toInt(), text.mid(14, 2).toInt(), text.mid(17, 2).toInt()),
                              Qt::UTC);
        }
        values << value;
    }
}

double BaselineLookups(const QString &path, const QString &table, qint32 maxCode)
{
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("baseline"));
    database.setDatabaseName(path);
    database.open();
    double ms = 0;
    {
        QSqlQuery query(database);
        query.setForwardOnly(true);
        query.prepare(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" WHERE Code=?"));
        ms = Measure([&] {
            QRandomGenerator random(1);
            for (int lookup = 0; lookup < Lookups; ++lookup) {
                query.addBindValue(random.bounded(1, maxCode + 1));
                Exec(query);
                QVariantList values;
                if (query.next()) {
                    ReadRow(query, query.record().count(), values);
                }
            }
        });
    }
    database.close();
    database = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("baseline"));
    return ms;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const double scale = argc > 1 ? QString::fromLocal8Bit(argv[1]).toDouble() : 1.0;
    const qint64 historyRows = qMax<qint64>(SetRows, qint64(1000000 * scale));
    const qint64 seanceRows = qMax<qint64>(1000, qint64(500000 * scale));
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("bench.sqlite"));
    const QString emptyPath = folder.filePath(QStringLiteral("empty.sqlite"));
    Out() << "History rows " << historyRows << ", Seances rows " << seanceRows << Qt::endl;
    Populate(path, historyRows, seanceRows);
    Populate(emptyPath, 0, 0);

    // Start against a bare open of the same file plus reading the schema.
    const double start = Measure([&] { StartLibrary(path); }, StartRuns);
    const double startEmpty = Measure([&] { StartLibrary(emptyPath); }, StartRuns);
    Root::Shutdown();
    const double bare = Measure(
        [&] {
            {
                QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bare"));
                database.setDatabaseName(path);
                database.open();
                QSqlQuery(database).exec(QStringLiteral("PRAGMA journal_mode=WAL"));
                Tables tables;
                QString error;
                if (!SchemaReader::LoadDBStructFile(tables, SchemaFile, error)) {
                    qFatal("schema not read: %s", qPrintable(error));
                }
                database.close();
            }
            QSqlDatabase::removeDatabase(QStringLiteral("bare"));
        },
        StartRuns);
    Report("Root.Start (full data)", start, bare);
    Report("Root.Start (empty database)", startEmpty, bare);
    DropForeignKeyIndexes(path);
    const double firstStart = Measure([&] { StartLibrary(path); }, 1);
    Report("Root.Start building the indexes, once", firstStart, bare);

    const double cachedBaseline = BaselineLookups(path, QStringLiteral("Config"), ConfigRows);
    const double uncachedBaseline = BaselineLookups(path, QStringLiteral("Seances"), qint32(seanceRows));
    const double setBaseline = [&] {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("set"));
        database.setDatabaseName(path);
        database.open();
        double ms = 0;
        {
            QSqlQuery query(database);
            query.setForwardOnly(true);
            query.prepare(QStringLiteral("SELECT * FROM History WHERE ComputerNum=? ORDER BY HistoryDate, Code"));
            ms = Measure([&] {
                query.addBindValue(1);
                Exec(query);
                std::vector<QVariantList> rows;
                while (query.next()) {
                    QVariantList values;
                    ReadRow(query, 4, values);
                    rows.push_back(values);
                }
            });
        }
        database.close();
        database = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("set"));
        return ms;
    }();

    auto root = StartLibrary(path);
    const auto config = root->Tables()->Item(QStringLiteral("Config"));
    const auto seances = root->Tables()->Item(QStringLiteral("Seances"));
    const auto history = root->Tables()->Item(QStringLiteral("History"));
    QString error;
    const double cached = Measure([&] {
        QRandomGenerator random(1);
        for (int lookup = 0; lookup < Lookups; ++lookup) {
            config->GetDBRecordByCode(random.bounded(1, ConfigRows + 1), error);
        }
    });
    Report("GetDBRecordByCode, cached table", cached, cachedBaseline);
    const double uncached = Measure([&] {
        QRandomGenerator random(1);
        for (int lookup = 0; lookup < Lookups; ++lookup) {
            seances->GetDBRecordByCode(random.bounded(1, qint32(seanceRows) + 1), error);
        }
    });
    Report("GetDBRecordByCode, uncached table", uncached, uncachedBaseline);
    const double set = Measure([&] {
        auto filter = history->GetNewFilter();
        filter->Item(QStringLiteral("ComputerNum"))->SetValue(1);
        const auto records = history->GetDBRecords(filter, error);
        if (!records || records->Count() != SetRows) {
            qFatal("filtered set: %s", qPrintable(error));
        }
    });
    Report("filtered record set of 10,000 rows", set, setBaseline);

    const auto libraryInserts = [&] {
        Transaction transaction;
        transaction.Begin(error);
        for (int row = 0; row < Inserts; ++row) {
            auto record = history->GetNewRecord();
            record->DBFields()
                ->Item(QStringLiteral("HistoryDate"))
                ->SetValue(QDateTime(QDate(2021, 1, 1), QTime(), Qt::UTC));
            record->DBFields()->Item(QStringLiteral("ComputerNum"))->SetValue(row);
            record->DBFields()->Item(QStringLiteral("Description"))->SetValue(QStringLiteral("Запись %1").arg(row));
            if (!record->Update(error)) {
                qFatal("insert: %s", qPrintable(error));
            }
        }
        transaction.Commit(error);
    };
    const auto baselineInserts = [&] {
        QSqlDatabase database = Connection::Current()->Database();
        database.transaction();
        QSqlQuery query(database);
        query.setForwardOnly(true);
        query.prepare(QStringLiteral("INSERT INTO History (HistoryDate, ComputerNum, Description) VALUES (?,?,?) "
                                     "RETURNING Code"));
        for (int row = 0; row < Inserts; ++row) {
            query.addBindValue(QStringLiteral("2021-01-01 00:00:00"));
            query.addBindValue(row);
            query.addBindValue(QStringLiteral("Запись %1").arg(row));
            Exec(query);
            query.next();
            query.finish();
        }
        database.commit();
    };
    // Rounds taken in turn, the best of each kept: both insert into the same growing table.
    double inserts = 1e300;
    double insertBaseline = 1e300;
    for (int round = 0; round < InsertRounds; ++round) {
        inserts = qMin(inserts, Measure(libraryInserts, 1));
        insertBaseline = qMin(insertBaseline, Measure(baselineInserts, 1));
    }
    Report("insert 10,000 records in one transaction", inserts, insertBaseline);
    root.reset();
    Root::Shutdown();
    return 0;
}
