// Creating and altering tables and writing preset rows at start, on the engine of this run.
#include "connection.h"
#include "currency.h"
#include "datevalue.h"
#include "entitylib.h"
#include "testdatabase.h"
#include "testschema.h"

#include <QFile>
#include <QTest>

using namespace Rollstrake;

class TestEntityStructure : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> m_database;
    std::shared_ptr<Root> m_root;

    bool Start(const QByteArray &schema, QString &error)
    {
        Root::Shutdown();
        m_root = Root::Create();
        const QString path = m_database->FolderPath() + QStringLiteral("/schema.dbs");
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(schema);
        file.close();
        return m_root->Start(m_database->DataSource(), path, error, m_database->UserName(), m_database->Password());
    }

    std::shared_ptr<DBRecords> All(const char *table)
    {
        QString error;
        auto records = m_root->Tables()->Item(QString::fromLatin1(table))->GetDBRecords(nullptr, error);
        if (!records) {
            qWarning() << error;
        }
        return records;
    }

    bool ColumnExists(const QString &table, const QString &column)
    {
        QString description;
        return Connection::Current()->Execute(QStringLiteral("SELECT ") + column + QStringLiteral(" FROM ") + table
                                                  + QStringLiteral(" WHERE 1=0"),
                                              description);
    }

private slots:

    void init()
    {
        m_database = std::make_unique<TestDatabase>();
        QVERIFY2(m_database->IsReady(), qPrintable(m_database->Error()));
    }

    void cleanup()
    {
        m_root.reset();
        Root::Shutdown();
        m_database.reset();
    }

    void createsTablesWithoutLookupColumns()
    {
        QString error;
        QVERIFY2(Start(TestSchema(), error), qPrintable(error));
        QVERIFY(ColumnExists(QStringLiteral("Desktops"), QStringLiteral("Parent")));
        QVERIFY(!ColumnExists(QStringLiteral("Desktops"), QStringLiteral("Children")));
        QVERIFY(!ColumnExists(QStringLiteral("Desktops"), QStringLiteral("SeanceSum")));
        QVERIFY2(Start(TestSchema(), error), qPrintable(error));
        QCOMPARE(All("Desktops")->Count(), 0);
    }

    void addedColumnGetsDefault()
    {
        const QByteArray before = "{TABLE}\n{NAME=Items}\n{FIELD}\n{NAME=Name}\n{TYPE=VARCHAR}\n{/FIELD}\n{/TABLE}\n";
        QString error;
        QVERIFY2(Start(before, error), qPrintable(error));
        for (const char *name : {"one", "two"}) {
            auto record = m_root->Tables()->Item(QStringLiteral("Items"))->GetNewRecord();
            record->DBFields()->Item(QStringLiteral("Name"))->SetValue(QString::fromLatin1(name));
            QVERIFY2(record->Update(error), qPrintable(error));
        }
        const QByteArray after = "{TABLE}\n{NAME=Items}\n{FIELD}\n{NAME=Name}\n{TYPE=VARCHAR}\n{/FIELD}\n"
                                 "{FIELD}\n{NAME=Count}\n{/FIELD}\n{FIELD}\n{NAME=Label}\n{TYPE=VARCHAR}\n{/FIELD}\n"
                                 "{FIELD}\n{NAME=Moment}\n{TYPE=DATETIME}\n{/FIELD}\n"
                                 "{FIELD}\n{NAME=Day}\n{TYPE=DATE}\n{/FIELD}\n"
                                 "{FIELD}\n{NAME=Price}\n{TYPE=DOUBLE}\n{DEFAULT=12.5}\n{/FIELD}\n"
                                 "{FIELD}\n{NAME=Title}\n{TYPE=VARCHAR}\n{DEFAULT=Без имени}\n{/FIELD}\n{/TABLE}\n";
        QVERIFY2(Start(after, error), qPrintable(error));
        const auto records = All("Items");
        QCOMPARE(records->Count(), 2);
        for (const auto &record : *records) {
            const auto &fields = *record->DBFields();
            QCOMPARE(fields.Item(QStringLiteral("Count"))->Value().toDouble(), 0.0);
            QCOMPARE(fields.Item(QStringLiteral("Label"))->Value().toString(), QString());
            QCOMPARE(fields.Item(QStringLiteral("Moment"))->Value().toDateTime(), DateValue::Zero());
            QCOMPARE(fields.Item(QStringLiteral("Day"))->Value().toDateTime(), DateValue::Zero());
            QCOMPARE(fields.Item(QStringLiteral("Price"))->Value().value<Currency>(), Currency::FromUnits(125000));
            QCOMPARE(fields.Item(QStringLiteral("Title"))->Value().toString(), QStringLiteral("Без имени"));
        }
    }

    void presetRowsNotDuplicated()
    {
        const QByteArray schema =
            "{TABLE}\n{NAME=Config}\n{FIELD}\n{NAME=FieldName}\n{TYPE=VARCHAR}\n{UNIQUE}\n{/FIELD}\n"
            "{FIELD}\n{NAME=FieldValue}\n{TYPE=VARCHAR}\n{/FIELD}\n"
            "{VALUE}\n{CODE=1}\n{FieldName=Port}\n{FieldValue=2002}\n{/VALUE}\n"
            "{VALUE}\n{CODE=2}\n{FieldName=Name}\n{FieldValue=Клуб}\n{/VALUE}\n{/TABLE}\n"
            "{TABLE}\n{NAME=Plain}\n{FIELD}\n{NAME=A}\n{/FIELD}\n{FIELD}\n{NAME=B}\n"
            "{TYPE=VARCHAR}\n{/FIELD}\n"
            "{VALUE}\n{CODE=1}\n{A=1}\n{B=x}\n{/VALUE}\n{VALUE}\n{CODE=2}\n{A=0}\n{/VALUE}\n"
            "{/TABLE}\n";
        QString error;
        for (int start = 1; start <= 3; ++start) {
            QVERIFY2(Start(schema, error), qPrintable(error));
            QCOMPARE(All("Config")->Count(), 2);
            QCOMPARE(All("Plain")->Count(), 2);
            QVERIFY(!m_root->Tables()->Item(QStringLiteral("Config"))->PresetRecords()
                    || m_root->Tables()->Item(QStringLiteral("Config"))->PresetRecords()->Count() == 0);
        }
        const auto config = All("Config");
        QCOMPARE(config->GetByIndex(2)->DBFields()->Item(QStringLiteral("FieldValue"))->Value().toString(),
                 QStringLiteral("Клуб"));
        // A row changed by the operator is not offered again under its unique key.
        const auto port = config->GetByIndex(1);
        port->DBFields()->Item(QStringLiteral("FieldValue"))->SetValue(QStringLiteral("3000"));
        QVERIFY(port->Update(error));
        QVERIFY2(Start(schema, error), qPrintable(error));
        QCOMPARE(All("Config")->Count(), 2);
    }

    void failingPresetRowFailsStart()
    {
        const QByteArray schema = "{TABLE}\n{NAME=Notes}\n{FIELD}\n{NAME=Text}\n{TYPE=VARCHAR}\n{UNIQUE}\n{/FIELD}\n"
                                  "{VALUE}\n{CODE=1}\n{Text=a}\n{/VALUE}\n{/TABLE}\n";
        QString error;
        QVERIFY2(Start(schema, error), qPrintable(error));
        QString description;
        QVERIFY(Connection::Current()->Execute(QStringLiteral("DROP TABLE Notes"), description));
        QVERIFY(Connection::Current()->Execute(QStringLiteral("CREATE TABLE Notes (Code INTEGER, Text VARCHAR(10))"),
                                               description));
        QVERIFY(!Start(schema, error));
        QVERIFY2(error.startsWith(QStringLiteral("Ошибка добавления записи в таблицу 'Notes': ")), qPrintable(error));
        QVERIFY(!Root::StartedRoot());
    }

    void systemSchemaStartsClean()
    {
        QFile shipped(QStringLiteral(QUILLMARSH_SCHEMA_FILE));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        const QByteArray schema = shipped.readAll();
        QString error;
        QVERIFY2(Start(schema, error), qPrintable(error));
        const auto &tables = *m_root->Tables();
        QCOMPARE(tables.Count(), 15);
        for (const char *name : {"Config",
                                 "Computers",
                                 "Seances",
                                 "SeancePays",
                                 "Rates",
                                 "NightReserves",
                                 "Cards",
                                 "CardPays",
                                 "Desktops",
                                 "Shortcuts",
                                 "AutorunList",
                                 "ServiceTypes",
                                 "Services",
                                 "History",
                                 "Traffic"}) {
            QVERIFY2(tables.Item(QString::fromLatin1(name)), name);
            QVERIFY2(All(name) && All(name)->Count() == 0, name);
        }
        QCOMPARE(tables.Item(QStringLiteral("Seances"))->Caption(), QStringLiteral("Сеансы"));
        QCOMPARE(tables.Item(QStringLiteral("Computers"))->Fields()->Item(QStringLiteral("IP"))->Caption(),
                 QStringLiteral("IP-адрес"));
        QVERIFY(tables.Item(QStringLiteral("Config"))->Fields()->Item(QStringLiteral("FieldValue"))->Length() >= 240);

        // Every stored field has its column; a second start changes nothing.
        for (const auto &table : tables) {
            for (const auto &field : *table->Fields()) {
                QCOMPARE(ColumnExists(table->mName(), field->mName()), field->IsStored());
            }
        }
        QVERIFY2(Start(schema, error), qPrintable(error));
        QCOMPARE(All("Config")->Count(), 0);

        // A computer with a seance, and the cascade that removes both.
        const auto tablesAgain = m_root->Tables();
        auto computer = tablesAgain->Item(QStringLiteral("Computers"))->GetNewRecord();
        computer->DBFields()->Item(QStringLiteral("Num"))->SetValue(1);
        computer->DBFields()->Item(QStringLiteral("IP"))->SetValue(QStringLiteral("127.0.0.2"));
        QVERIFY2(computer->Update(error), qPrintable(error));
        auto duplicate = tablesAgain->Item(QStringLiteral("Computers"))->GetNewRecord();
        duplicate->DBFields()->Item(QStringLiteral("Num"))->SetValue(2);
        duplicate->DBFields()->Item(QStringLiteral("IP"))->SetValue(QStringLiteral("127.0.0.2"));
        QVERIFY(!duplicate->Update(error));
        QCOMPARE(error,
                 QStringLiteral("Запись с таким значением поля 'IP-адрес' уже присутствует в объекте 'Компьютеры'!"));
    }
};

QTEST_GUILESS_MAIN(TestEntityStructure)
#include "tst_entitystructure.moc"
