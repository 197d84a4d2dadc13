// The started library left as the program leaves it: the process must end cleanly.
#include "entitylib.h"
#include "testdatabase.h"
#include "testschema.h"

#include <QFile>
#include <QTest>

using namespace Rollstrake;

class TestEntityExit : public QObject
{
    Q_OBJECT

private slots:

    void startedRootStaysUntilExit()
    {
        static TestDatabase database;
        QVERIFY2(database.IsReady(), qPrintable(database.Error()));
        const QString path = database.FolderPath() + QStringLiteral("/test.dbs");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(TestSchema());
        file.close();
        QString error;
        QVERIFY2(Root::Create()->Start(database.DataSource(), path, error, database.UserName(), database.Password()),
                 qPrintable(error));
        // Only the started root keeps the library alive now.
        const auto desktops = Root::StartedRoot()->Tables()->Item(QStringLiteral("Desktops"));
        auto record = desktops->GetNewRecord();
        record->DBFields()->Item(QStringLiteral("Name"))->SetValue(QStringLiteral("kept"));
        QVERIFY2(record->Update(error), qPrintable(error));
        QVERIFY(desktops->GetDBRecordByCode(record->Code(), error));
    }
};

QTEST_GUILESS_MAIN(TestEntityExit)
#include "tst_entityexit.moc"
