// Creating and altering tables and writing preset rows at start, on the engine of this run.
#include "connection.h"
#include "currency.h"
#include "datevalue.h"
#include "entitylib.h"
#include "testdatabase.h"
#include "testprobe.h"
#include "testschema.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
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

    // From the engine's description of the table's columns, so no failing statement stands for "no".
    bool ColumnExists(const QString &table, const QString &column)
    {
        return Connection::Current()->Database().record(table).indexOf(column) >= 0;
    }

    static QStringList Column(const QString &statement)
    {
        QSqlQuery query(Connection::Current()->Database());
        QStringList values;
        if (!query.exec(statement)) {
            qWarning() << query.lastError().text();
        }
        while (query.next()) {
            values << query.value(0).toString();
        }
        return values;
    }

    // The foreign-key indexes of the database, by name.
    static QStringList Indexes()
    {
        QStringList names =
            TestDatabase::IsOdbc()
                ? Column(QStringLiteral("SELECT indexname FROM pg_indexes WHERE schemaname=current_schema()"))
                : Column(QStringLiteral("SELECT name FROM sqlite_master WHERE type='index'"));
        names.removeIf([](const QString &name) { return !name.startsWith(QStringLiteral("IX_")); });
        names.sort();
        return names;
    }

    // Changes whenever a table, column or index is created, altered or made again.
    static QStringList CatalogStamp()
    {
        if (TestDatabase::IsOdbc()) {
            return Column(QStringLiteral("SELECT relname || ':' || oid::text || ':' || relnatts::text FROM pg_class "
                                         "WHERE relnamespace=current_schema()::regnamespace ORDER BY relname"));
        }
        return Column(QStringLiteral("PRAGMA schema_version"));
    }

    // The columns of an index as the engine keeps them, unquoted, e.g. "(desktop, begindate)"; empty when missing.
    static QString IndexColumns(const QString &name)
    {
        const QString definition =
            TestDatabase::IsOdbc()
                ? Column(QStringLiteral("SELECT indexdef FROM pg_indexes WHERE indexname='") + name + QLatin1Char('\''))
                      .value(0)
                : Column(QStringLiteral("SELECT sql FROM sqlite_master WHERE type='index' AND name='") + name
                         + QLatin1Char('\''))
                      .value(0);
        return definition.mid(definition.lastIndexOf(QLatin1Char('(')))
            .toLower()
            .remove(QRegularExpression(QStringLiteral("[\\[\\]\"]")));
    }

    // The engine's plan of a read; the sequential scan is switched off on PostgreSQL so that a tiny
    // table still shows whether an index can serve the read at all.
    static QString Plan(const QString &statement)
    {
        if (TestDatabase::IsOdbc()) {
            const auto set = [](const QString &setting) {
                QString description;
                if (!Connection::Current()->Execute(setting, description)) {
                    qWarning() << setting << description;
                }
            };
            set(QStringLiteral("SET enable_seqscan = off"));
            const QString plan = Column(QStringLiteral("EXPLAIN ") + statement).join(QLatin1Char('\n'));
            set(QStringLiteral("SET enable_seqscan = on"));
            return plan;
        }
        QSqlQuery query(Connection::Current()->Database());
        QStringList lines;
        if (!query.exec(QStringLiteral("EXPLAIN QUERY PLAN ") + statement)) {
            qWarning() << query.lastError().text();
        }
        while (query.next()) {
            lines << query.value(3).toString();
        }
        return lines.join(QLatin1Char('\n'));
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

    void foreignKeyColumnsIndexedOnce()
    {
        QString error;
        QVERIFY2(Start(TestSchema(), error), qPrintable(error));
        const QStringList expected{QStringLiteral("IX_Desktops_Parent"),
                                   QStringLiteral("IX_Locked_Seance"),
                                   QStringLiteral("IX_Seances_Desktop")};
        QCOMPARE(Indexes(), expected);
        const QStringList stamp = CatalogStamp();
        QVERIFY(!stamp.isEmpty());
        QVERIFY2(Start(TestSchema(), error), qPrintable(error));
        QCOMPARE(CatalogStamp(), stamp);
        QCOMPARE(Indexes(), expected);
    }

    void existingTableGetsIndexOnNextStart()
    {
        // A database made before its foreign-key columns were indexed.
        const QByteArray schema = "{TABLE}\n{NAME=Owners}\n{FIELD}\n{NAME=Name}\n{TYPE=VARCHAR}\n{/FIELD}\n{/TABLE}\n"
                                  "{TABLE}\n{NAME=Items}\n{FIELD}\n{NAME=Owner}\n{CLASS=FOREIGNKEY}\n"
                                  "{TABLEFORLOOKUP=Owners}\n{FIELDFORLOOKUP=Name}\n{/FIELD}\n"
                                  "{FIELD}\n{NAME=Label}\n{TYPE=VARCHAR}\n{/FIELD}\n{/TABLE}\n";
        QString error;
        QVERIFY2(Start(schema, error), qPrintable(error));
        QString description;
        QVERIFY2(Connection::Current()->Execute(QStringLiteral("DROP INDEX \"IX_Items_Owner\""), description),
                 qPrintable(description));
        QVERIFY2(Connection::Current()->Execute(QStringLiteral("INSERT INTO Items (Owner, Label) VALUES (7, 'a')"),
                                                description),
                 qPrintable(description));
        QCOMPARE(Indexes(), QStringList());

        QVERIFY2(Start(schema, error), qPrintable(error));
        QCOMPARE(Indexes(), QStringList{QStringLiteral("IX_Items_Owner")});
        const auto items = All("Items");
        QCOMPARE(items->Count(), 1);
        QCOMPARE(items->GetByIndex(1)->DBFields()->Item(QStringLiteral("Owner"))->Value().toInt(), 7);
        const QStringList stamp = CatalogStamp();
        QVERIFY2(Start(schema, error), qPrintable(error));
        QCOMPARE(CatalogStamp(), stamp);
    }

    void addedForeignKeyColumnGetsIndex()
    {
        const QByteArray before = "{TABLE}\n{NAME=Items}\n{FIELD}\n{NAME=Label}\n{TYPE=VARCHAR}\n{/FIELD}\n{/TABLE}\n";
        const QByteArray after = "{TABLE}\n{NAME=Items}\n{FIELD}\n{NAME=Label}\n{TYPE=VARCHAR}\n{/FIELD}\n"
                                 "{FIELD}\n{NAME=Parent}\n{CLASS=FOREIGNKEY}\n{TABLEFORLOOKUP=Items}\n"
                                 "{FIELDFORLOOKUP=Label}\n{/FIELD}\n{/TABLE}\n";
        QString error;
        QVERIFY2(Start(before, error), qPrintable(error));
        QCOMPARE(Indexes(), QStringList());
        QVERIFY2(Start(after, error), qPrintable(error));
        QCOMPARE(Indexes(), QStringList{QStringLiteral("IX_Items_Parent")});
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

    // Names the schema reader accepts that are also SQL keywords: each serves as a table and as a
    // field, stored, added to an existing table, filtered, sorted, summed, indexed and deleted.
    void keywordNamesRoundTrip_data()
    {
        QTest::addColumn<QString>("owner");
        QTest::addColumn<QString>("name");
        QTest::newRow("When") << QStringLiteral("Order") << QStringLiteral("When");
        QTest::newRow("Order") << QStringLiteral("Select") << QStringLiteral("Order");
        QTest::newRow("Group") << QStringLiteral("When") << QStringLiteral("Group");
        QTest::newRow("Select") << QStringLiteral("Group") << QStringLiteral("Select");
    }

    void keywordNamesRoundTrip()
    {
        QFETCH(QString, owner);
        QFETCH(QString, name);
        // The owner table's rows, under the name; the table of the name refers to them.
        const QString before = QStringLiteral("{TABLE}\n{NAME=%1}\n{FIELD}\n{NAME=Note}\n{TYPE=VARCHAR}\n{/FIELD}\n"
                                              "{/TABLE}\n")
                                   .arg(owner);
        const QString after =
            QStringLiteral("{TABLE}\n{NAME=%1}\n{FIELD}\n{NAME=Note}\n{TYPE=VARCHAR}\n{/FIELD}\n"
                           "{FIELD}\n{NAME=%2}\n{TYPE=VARCHAR}\n{UNIQUE}\n{SORTED}\n{/FIELD}\n"
                           "{FIELD}\n{NAME=Rows}\n{CLASS=LOOKUPTABLE}\n{TABLEFORLOOKUP=%2}\n{FIELDFORLOOKUP=%1}\n"
                           "{/FIELD}\n{FIELD}\n{NAME=Total}\n{CLASS=LOOKUPTABLETOTAL}\n{TABLEFORLOOKUP=Rows}\n"
                           "{FIELDFORLOOKUP=%2}\n{/FIELD}\n{/TABLE}\n"
                           "{TABLE}\n{NAME=%2}\n{FIELD}\n{NAME=%1}\n{CLASS=FOREIGNKEY}\n{TABLEFORLOOKUP=%1}\n"
                           "{FIELDFORLOOKUP=%2}\n{/FIELD}\n{FIELD}\n{NAME=%2}\n{TYPE=DOUBLE}\n{TOTAL=SUM}\n{/FIELD}\n"
                           "{/TABLE}\n")
                .arg(owner, name);
        QString error;
        QVERIFY2(Start(before.toUtf8(), error), qPrintable(error));
        auto first = m_root->Tables()->Item(owner)->GetNewRecord();
        first->DBFields()->Item(QStringLiteral("Note"))->SetValue(QStringLiteral("old"));
        QVERIFY2(first->Update(error), qPrintable(error));
        QVERIFY2(Start(after.toUtf8(), error), qPrintable(error));
        QVERIFY2(Start(after.toUtf8(), error), qPrintable(error));
        QCOMPARE(Indexes(), QStringList{QStringLiteral("IX_") + name + QLatin1Char('_') + owner});

        const auto owners = m_root->Tables()->Item(owner);
        const auto rows = m_root->Tables()->Item(name);
        first = owners->GetDBRecordByCode(first->Code(), error);
        QVERIFY2(first, qPrintable(error));
        first->DBFields()->Item(name)->SetValue(QStringLiteral("b"));
        QVERIFY2(first->Update(error), qPrintable(error));
        auto second = owners->GetNewRecord();
        second->DBFields()->Item(name)->SetValue(QStringLiteral("a"));
        QVERIFY2(second->Update(error), qPrintable(error));
        auto twin = owners->GetNewRecord();
        twin->DBFields()->Item(name)->SetValue(QStringLiteral("A"));
        QVERIFY(!twin->Update(error));
        const std::pair<qint32, qint64> prices[] = {{first->Code(), 700001},
                                                    {first->Code(), 1000001},
                                                    {second->Code(), 10001}};
        for (const auto &[code, units] : prices) {
            auto row = rows->GetNewRecord();
            row->DBFields()->Item(owner)->SetValue(code);
            row->DBFields()->Item(name)->SetValue(QVariant::fromValue(Currency::FromUnits(units)));
            QVERIFY2(row->Update(error), qPrintable(error));
        }

        const auto all = All(qPrintable(owner));
        QVERIFY(all);
        QCOMPARE(all->Count(), 2);
        QCOMPARE(all->GetByIndex(1)->DBFields()->Item(name)->Value().toString(), QStringLiteral("a"));
        QCOMPARE(all->GetByIndex(2)->DBFields()->Item(QStringLiteral("Note"))->Value().toString(),
                 QStringLiteral("old"));
        const auto found = owners->GetRecordByFieldValue(name, QStringLiteral("B"), error);
        QVERIFY2(found, qPrintable(error));
        QCOMPARE(found->Code(), first->Code());
        QCOMPARE(found->DBFields()->Item(QStringLiteral("Total"))->Value().value<Currency>(),
                 Currency::FromUnits(1700002));
        const QVariant sum = rows->GetSum(name, nullptr, error);
        QVERIFY2(sum.isValid(), qPrintable(error));
        QCOMPARE(sum.value<Currency>(), Currency::FromUnits(1710003));

        QVERIFY(!owners->Remove(first->Code(), false, error));
        QVERIFY2(owners->Remove(first->Code(), true, error), qPrintable(error));
        QCOMPARE(All(qPrintable(owner))->Count(), 1);
        QCOMPARE(All(qPrintable(name))->Count(), 1);
    }

    // A table as earlier versions made it (names unquoted, so folded to lower case on PostgreSQL,
    // Latin letters only) is read and written under quoted names, and its index is not made again.
    void databaseOfEarlierVersionsOpens()
    {
        const QByteArray schema = "{TABLE}\n{NAME=Legacy}\n{FIELD}\n{NAME=Name}\n{TYPE=VARCHAR}\n{SORTED}\n{/FIELD}\n"
                                  "{FIELD}\n{NAME=Owner}\n{CLASS=FOREIGNKEY}\n{TABLEFORLOOKUP=Legacy}\n"
                                  "{FIELDFORLOOKUP=Name}\n{/FIELD}\n{FIELD}\n{NAME=Заметка}\n{TYPE=VARCHAR}\n{/FIELD}\n"
                                  "{/TABLE}\n";
        QString error;
        QVERIFY2(Start("{TABLE}\n{NAME=Other}\n{FIELD}\n{NAME=A}\n{/FIELD}\n{/TABLE}\n", error), qPrintable(error));
        const QString table =
            TestDatabase::IsOdbc()
                ? QStringLiteral("CREATE TABLE Legacy(Code SERIAL,Name VARCHAR,Owner INTEGER,"
                                 "Заметка VARCHAR,CONSTRAINT PK_Legacy PRIMARY KEY (Code))")
                : QStringLiteral("CREATE TABLE Legacy(Code INTEGER CONSTRAINT PK_Legacy PRIMARY KEY AUTOINCREMENT,"
                                 "[Name] VARCHAR COLLATE NOCASE,[Owner] INTEGER,[Заметка] VARCHAR COLLATE NOCASE)");
        for (const QString &statement :
             {table,
              QStringLiteral("CREATE INDEX IF NOT EXISTS \"IX_Legacy_Owner\" ON Legacy (Owner)"),
              QStringLiteral("INSERT INTO Legacy (Name, Owner, Заметка) VALUES ('Old', 0, 'старая')")}) {
            QString description;
            QVERIFY2(Connection::Current()->Execute(statement, description), qPrintable(description));
        }
        const QStringList stamp = CatalogStamp();
        QVERIFY2(Start(schema, error), qPrintable(error));
        QCOMPARE(CatalogStamp(), stamp);
        const auto legacy = m_root->Tables()->Item(QStringLiteral("Legacy"));
        auto added = legacy->GetNewRecord();
        added->DBFields()->Item(QStringLiteral("Name"))->SetValue(QStringLiteral("New"));
        added->DBFields()->Item(QStringLiteral("Owner"))->SetValue(1);
        QVERIFY2(added->Update(error), qPrintable(error));
        const auto all = All("Legacy");
        QVERIFY(all);
        QCOMPARE(all->Count(), 2);
        QCOMPARE(all->GetByIndex(1)->DBFields()->Item(QStringLiteral("Name"))->Value().toString(),
                 QStringLiteral("New"));
        QCOMPARE(all->GetByIndex(2)->DBFields()->Item(QStringLiteral("Заметка"))->Value().toString(),
                 QStringLiteral("старая"));
        const auto owned = legacy->GetRecordsByFieldValue(QStringLiteral("Owner"), 1, error);
        QVERIFY2(owned, qPrintable(error));
        QCOMPARE(owned->Count(), 1);
        QVERIFY(!legacy->Remove(1, false, error));
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
            QVERIFY(!TestProbe::PresetRecords(*m_root->Tables()->Item(QStringLiteral("Config")))
                    || TestProbe::PresetRecords(*m_root->Tables()->Item(QStringLiteral("Config")))->Count() == 0);
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

    // A table whose name an index holds can be neither read nor created: the creation's reason, then
    // the read's.
    void tableThatCannotBeCreated()
    {
        QString error;
        QVERIFY2(Start("{TABLE}\n{NAME=Other}\n{FIELD}\n{NAME=A}\n{/FIELD}\n{/TABLE}\n", error), qPrintable(error));
        QString description;
        QVERIFY2(Connection::Current()->Execute(QStringLiteral("CREATE INDEX Taken ON Other (A)"), description),
                 qPrintable(description));
        QVERIFY(!Start("{TABLE}\n{NAME=Taken}\n{FIELD}\n{NAME=A}\n{/FIELD}\n{/TABLE}\n", error));
        QVERIFY2(error.startsWith(QStringLiteral("Ошибка создания таблицы 'Taken': ")), qPrintable(error));
        QVERIFY2(error.contains(QStringLiteral("\r\n(чтение таблицы: ")), qPrintable(error));
    }

    // An index that the engine refuses only slows reads down: the start goes on and logs why.
    void refusedIndexIsLogged()
    {
        if (TestDatabase::IsOdbc()) {
            QSKIP("PostgreSQL skips an index whose name another relation has");
        }
        const QByteArray schema = "{TABLE}\n{NAME=Notes}\n{FIELD}\n{NAME=Parent}\n{CLASS=FOREIGNKEY}\n"
                                  "{TABLEFORLOOKUP=Notes}\n{FIELDFORLOOKUP=Code}\n{/FIELD}\n{/TABLE}\n";
        QString error;
        QVERIFY2(Start(schema, error), qPrintable(error));
        QString description;
        QVERIFY2(Connection::Current()->Execute(QStringLiteral("DROP INDEX \"IX_Notes_Parent\""), description),
                 qPrintable(description));
        QVERIFY2(
            Connection::Current()->Execute(QStringLiteral("CREATE TABLE \"IX_Notes_Parent\" (A INTEGER)"), description),
            qPrintable(description));
        QTest::ignoreMessage(QtWarningMsg,
                             "Rollstrake Индекс по полю 'Parent' таблицы 'Notes' не создан: there is already a table "
                             "named IX_Notes_Parent");
        QVERIFY2(Start(schema, error), qPrintable(error));
    }

    void failingPresetRowFailsStart()
    {
        const QByteArray schema = "{TABLE}\n{NAME=Notes}\n{FIELD}\n{NAME=Text}\n{TYPE=VARCHAR}\n{UNIQUE}\n{/FIELD}\n"
                                  "{VALUE}\n{CODE=1}\n{Text=a}\n{/VALUE}\n{/TABLE}\n";
        QString error;
        QVERIFY2(Start(schema, error), qPrintable(error));
        QString description;
        QVERIFY2(Connection::Current()->Execute(QStringLiteral("DROP TABLE Notes"), description),
                 qPrintable(description));
        QVERIFY2(Connection::Current()->Execute(QStringLiteral("CREATE TABLE Notes (Code INTEGER, Text VARCHAR(10))"),
                                                description),
                 qPrintable(description));
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
                QCOMPARE(ColumnExists(table->mName(), field->mName()), TestProbe::IsStored(*field));
            }
        }
        // Every foreign-key column is indexed, the seances' computer among them.
        QStringList indexed;
        for (const auto &table : tables) {
            for (const auto &field : *table->Fields()) {
                if (field->mClass()->Code() == fcForeignKey) {
                    indexed << QStringLiteral("IX_") + table->mName() + QLatin1Char('_') + field->mName();
                }
            }
        }
        indexed.sort();
        QVERIFY(indexed.contains(QStringLiteral("IX_Seances_Computer")));
        QCOMPARE(Indexes(), indexed);
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

    void ensureIndexOnNewTable()
    {
        QString error;
        QVERIFY2(Start(TestSchema(), error), qPrintable(error));
        const auto seances = m_root->Tables()->Item(QStringLiteral("Seances"));
        // Field names as the schema spells them, whatever the caller's case.
        QVERIFY2(seances->EnsureIndex({QStringLiteral("desktop"), QStringLiteral("BeginDate")}, error),
                 qPrintable(error));
        QVERIFY(Indexes().contains(QStringLiteral("IX_Seances_Desktop_BeginDate")));
        QCOMPARE(IndexColumns(QStringLiteral("IX_Seances_Desktop_BeginDate")), QStringLiteral("(desktop, begindate)"));
        const QStringList stamp = CatalogStamp();
        QVERIFY2(seances->EnsureIndex({QStringLiteral("Desktop"), QStringLiteral("BeginDate")}, error),
                 qPrintable(error));
        QCOMPARE(CatalogStamp(), stamp);
    }

    void ensureIndexOnExistingTable()
    {
        QString error;
        QVERIFY2(Start(TestSchema(), error), qPrintable(error));
        QString description;
        QVERIFY2(Connection::Current()->Execute(
                     QStringLiteral("INSERT INTO Seances (Desktop, Day, Note) VALUES (3, '2003-03-05', 'kept')"),
                     description),
                 qPrintable(description));
        // A later run: the table and its row are there before the index.
        QVERIFY2(Start(TestSchema(), error), qPrintable(error));
        auto seances = m_root->Tables()->Item(QStringLiteral("Seances"));
        QVERIFY2(seances->EnsureIndex({QStringLiteral("Day"), QStringLiteral("Desktop")}, error), qPrintable(error));
        QCOMPARE(IndexColumns(QStringLiteral("IX_Seances_Day_Desktop")), QStringLiteral("(day, desktop)"));
        QCOMPARE(All("Seances")->Count(), 1);
        const QStringList stamp = CatalogStamp();
        QVERIFY2(Start(TestSchema(), error), qPrintable(error));
        seances = m_root->Tables()->Item(QStringLiteral("Seances"));
        QVERIFY2(seances->EnsureIndex({QStringLiteral("Day"), QStringLiteral("Desktop")}, error), qPrintable(error));
        QCOMPARE(CatalogStamp(), stamp);
    }

    void ensureIndexRefusesUnknownField_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown") << QStringLiteral("Seances") << QStringList{QStringLiteral("Computer")}
                                 << QStringLiteral(
                                        "Поле 'Computer' в таблице 'Seances' не найдено (Table.EnsureIndex)!");
        QTest::newRow("known then unknown")
            << QStringLiteral("Seances") << QStringList{QStringLiteral("Desktop"), QStringLiteral("EndDate")}
            << QStringLiteral("Поле 'EndDate' в таблице 'Seances' не найдено (Table.EnsureIndex)!");
        QTest::newRow("lookup field has no column")
            << QStringLiteral("Desktops") << QStringList{QStringLiteral("SeanceList")}
            << QStringLiteral("Поле 'SeanceList' в таблице 'Desktops' не найдено (Table.EnsureIndex)!");
        QTest::newRow("no fields") << QStringLiteral("Seances") << QStringList()
                                   << QStringLiteral("Не заданы поля индекса таблицы 'Seances'!");
    }

    void ensureIndexRefusesUnknownField()
    {
        QFETCH(QString, table);
        QFETCH(QStringList, fields);
        QFETCH(QString, message);
        QString error;
        QVERIFY2(Start(TestSchema(), error), qPrintable(error));
        const QStringList before = Indexes();
        QVERIFY(!m_root->Tables()->Item(table)->EnsureIndex(fields, error));
        QCOMPARE(error, message);
        QCOMPARE(Indexes(), before);
    }

    void repeatedLookupsUseTheirIndexes_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("index");
        // A computer's seance at a moment, and its reserve of a night, as the computers view reads them.
        QTest::newRow("seance at a moment")
            << QStringLiteral("Seances") << QStringList{QStringLiteral("Computer"), QStringLiteral("EndDate")}
            << QStringLiteral("IX_Seances_Computer_EndDate");
        QTest::newRow("reserve of a night")
            << QStringLiteral("NightReserves") << QStringList{QStringLiteral("Computer"), QStringLiteral("NightDate")}
            << QStringLiteral("IX_NightReserves_Computer_NightDate");
    }

    void repeatedLookupsUseTheirIndexes()
    {
        QFETCH(QString, table);
        QFETCH(QStringList, fields);
        QFETCH(QString, index);
        QFile shipped(QStringLiteral(QUILLMARSH_SCHEMA_FILE));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        QString error;
        QVERIFY2(Start(shipped.readAll(), error), qPrintable(error));
        const auto target = m_root->Tables()->Item(table);
        QVERIFY2(target->EnsureIndex(fields, error), qPrintable(error));
        const QDateTime moment = DateValue::Make(2026, 12, 9, 7, 0);
        const auto filter = target->GetNewFilter();
        filter->Item(QStringLiteral("Computer"))->SetValue(5);
        if (table == QStringLiteral("Seances")) {
            const auto begin = filter->Item(QStringLiteral("BeginDate"));
            begin->SetCondition(cLessOrEqual);
            begin->SetValue(moment);
            const auto end = filter->Item(QStringLiteral("EndDate"));
            end->SetCondition(cMoreOrEqual);
            end->SetValue(moment);
        } else {
            filter->Item(QStringLiteral("NightDate"))->SetValue(DateValue::Make(2026, 12, 8));
        }
        const QString plan = Plan(TestProbe::OpenRecordset(*target, filter));
        QVERIFY2(plan.contains(index), qPrintable(plan));
    }
};

QTEST_GUILESS_MAIN(TestEntityStructure)
#include "tst_entitystructure.moc"
