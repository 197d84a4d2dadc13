#pragma once

#include "connection.h"
#include "core/computerlookups.h"
#include "core/dbvalues.h"
#include "core/mainlog.h"
#include "core/settingsstore.h"
#include "datafolder.h"
#include "datevalue.h"
#include "entitylib.h"
#include "testdatabase.h"

#include <QPair>
#include <QTest>

#include <initializer_list>

// A clean database of the engine under test, opened through the data-entity library with the
// system's schema, and a data folder of its own for the main log. Shut down when it goes.
class CoreDatabase
{
public:
    using Values = std::initializer_list<QPair<QString, QVariant>>;

    CoreDatabase()
    {
        DataFolder::SetDataFolder(m_database.FolderPath());
    }

    ~CoreDatabase()
    {
        Rollstrake::Root::Shutdown();
    }

    bool Start(QString &ErrString)
    {
        if (!m_database.IsReady()) {
            ErrString = m_database.Error();
            return false;
        }
        m_root = Rollstrake::Root::Create();
        if (!m_root->Start(m_database.DataSource(),
                           QStringLiteral(QM_TEST_SCHEMA),
                           ErrString,
                           m_database.UserName(),
                           m_database.Password())) {
            return false;
        }
        GetComputerCode(0, true);
        return true;
    }

    // The database as the program has it once started: the main log in the data folder and the
    // default settings written.
    bool StartAsProgram(QString &ErrString)
    {
        if (!Start(ErrString)) {
            return false;
        }
        if (!InitMainLog()) {
            ErrString = QStringLiteral("the main log cannot be made");
            return false;
        }
        SetDefaultSettings();
        return true;
    }

    std::shared_ptr<Rollstrake::Table> Table(const QString &Name) const
    {
        return m_root->Tables()->Item(Name);
    }

    // Saves a new record with the given values; its code, or 0 after a failed test check.
    qint32 Add(const QString &TableName, Values FieldValues) const
    {
        const auto record = Table(TableName)->GetNewRecord();
        for (const auto &[name, value] : FieldValues) {
            SetFieldValue(*record, name, value);
        }
        QString err;
        const bool saved = record->Update(err);
        [&] {
            QVERIFY2(saved, qPrintable(err));
        }();
        return saved ? record->Code() : 0;
    }

    // Every record of the table in the library's order; null, with the reason in the test's log,
    // when they cannot be read.
    std::shared_ptr<Rollstrake::DBRecords> All(const QString &TableName) const
    {
        QString err;
        auto records = Table(TableName)->GetDBRecords(nullptr, err);
        if (!records) {
            qWarning("%s", qPrintable(err));
        }
        return records;
    }

    // The record, or null when there is none; a record that cannot be read leaves the reason in
    // the test's log.
    std::shared_ptr<Rollstrake::DBRecord> Record(const QString &TableName, qint32 Code) const
    {
        QString err;
        auto record = Table(TableName)->GetDBRecordByCode(Code, err);
        if (!err.isEmpty()) {
            qWarning("%s", qPrintable(err));
        }
        return record;
    }

    qint32 AddComputer(qint32 Num, const QString &Name = QString()) const
    {
        return Add(QStringLiteral("Computers"),
                   {{QStringLiteral("Num"), Num},
                    {QStringLiteral("IP"), QStringLiteral("127.0.0.%1").arg(Num)},
                    {QStringLiteral("Name"), Name}});
    }

    qint32 AddDesktop(const QString &Name) const
    {
        return Add(QStringLiteral("Desktops"), {{QStringLiteral("Name"), Name}});
    }

    // Every day of the week: bits 1 to 7 of a rate's DaysOfWeek.
    static constexpr qint32 EveryDayOfWeek = 254;

    // A rate in force on every day at every moment unless told otherwise.
    qint32 AddRate(const QString &Name,
                   qint32 IsNight,
                   double PriceForHour,
                   qint32 DaysOfWeek = EveryDayOfWeek,
                   QTime TimeFrom = QTime(0, 0),
                   QTime TimeTo = QTime(23, 59, 59)) const
    {
        const QDate zero = DateValue::Zero().date();
        return Add(QStringLiteral("Rates"),
                   {{QStringLiteral("Name"), Name},
                    {QStringLiteral("IsNight"), IsNight},
                    {QStringLiteral("DaysOfWeek"), DaysOfWeek},
                    {QStringLiteral("TimeFrom"), QDateTime(zero, TimeFrom, Qt::UTC)},
                    {QStringLiteral("TimeTo"), QDateTime(zero, TimeTo, Qt::UTC)},
                    {QStringLiteral("PriceForHour"), QVariant::fromValue(Currency::FromDouble(PriceForHour))}});
    }

    // Seances last whole minutes.
    static constexpr qint64 SecondsPerMinute = 60;

    qint32 AddSeance(qint32 Computer, qint32 Desktop, qint32 Rate, const QDateTime &Begin, const QDateTime &End) const
    {
        return Add(QStringLiteral("Seances"),
                   {{QStringLiteral("Computer"), Computer},
                    {QStringLiteral("Desktop"), Desktop},
                    {QStringLiteral("Rate"), Rate},
                    {QStringLiteral("BeginDate"), Begin},
                    {QStringLiteral("EndDate"), End},
                    {QStringLiteral("Duration"), Begin.secsTo(End) / SecondsPerMinute}});
    }

    qint32 AddReserve(qint32 Computer,
                      qint32 Desktop,
                      qint32 Rate,
                      const QDateTime &NightDate,
                      bool IsFullPay,
                      qint32 Seance = 0) const
    {
        return Add(QStringLiteral("NightReserves"),
                   {{QStringLiteral("NightDate"), NightDate},
                    {QStringLiteral("Computer"), Computer},
                    {QStringLiteral("Nickname"), QStringLiteral("Гость")},
                    {QStringLiteral("Desktop"), Desktop},
                    {QStringLiteral("Rate"), Rate},
                    {QStringLiteral("IsFullPay"), IsFullPay ? 1 : 0},
                    {QStringLiteral("Seance"), Seance}});
    }

    // Runs a statement on the open database, as a broken or changed database would be.
    bool Execute(const QString &Statement)
    {
        QString description;
        if (!Rollstrake::Connection::Current()->Execute(Statement, description)) {
            qWarning("%s", qPrintable(description));
            return false;
        }
        return true;
    }

    // Makes the database itself refuse the statement (INSERT, UPDATE or DELETE) on the table when
    // the condition over NEW or OLD holds, as a failing disk or a broken constraint would.
    bool AddRefusal(const QString &TableName, const QString &Event, const QString &Condition)
    {
        const QString name = QStringLiteral("qm_refusal_%1").arg(++m_refusals);
        QStringList statements;
        if (TestDatabase::IsOdbc()) {
            statements << QStringLiteral(
                              "CREATE OR REPLACE FUNCTION %1() RETURNS trigger AS $$ BEGIN IF %2 THEN RAISE EXCEPTION "
                              "'refused'; END IF; RETURN COALESCE(NEW, OLD); END $$ LANGUAGE plpgsql")
                              .arg(name, Condition)
                       << QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW EXECUTE FUNCTION %1()")
                              .arg(name, Event, TableName);
        } else {
            statements << QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 WHEN %4 BEGIN SELECT RAISE(ABORT, "
                                         "'refused'); END")
                              .arg(name, Event, TableName, Condition);
        }
        for (const QString &statement : statements) {
            if (!Execute(statement)) {
                return false;
            }
        }
        return true;
    }

private:
    TestDatabase m_database;
    std::shared_ptr<Rollstrake::Root> m_root;
    int m_refusals = 0;
};
