#pragma once

#include "core/computerlookups.h"
#include "core/dbvalues.h"
#include "datafolder.h"
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

    // Every record of the table in the library's order.
    std::shared_ptr<Rollstrake::DBRecords> All(const QString &TableName) const
    {
        QString err;
        return Table(TableName)->GetDBRecords(nullptr, err);
    }

    std::shared_ptr<Rollstrake::DBRecord> Record(const QString &TableName, qint32 Code) const
    {
        QString err;
        return Table(TableName)->GetDBRecordByCode(Code, err);
    }

private:
    TestDatabase m_database;
    std::shared_ptr<Rollstrake::Root> m_root;
};
