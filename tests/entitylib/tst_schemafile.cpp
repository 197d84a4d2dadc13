// Reading the schema-description file into tables and fields, without a database.
#include "codepage.h"
#include "corpusreplay.h"
#include "currency.h"
#include "entitylib.h"
#include "schemacheck.h"
#include "schemareader.h"
#include "sqldialect.h"
#include "testprobe.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Rollstrake;

Q_DECLARE_METATYPE(Rollstrake::SqlDialect)

namespace
{
QString Lines(std::initializer_list<const char *> lines)
{
    QStringList list;
    for (const char *line : lines) {
        list << QString::fromUtf8(line);
    }
    return list.join(QLatin1Char('\n'));
}

bool Parse(const QString &text, Tables &tables, QString &error)
{
    QStringList lines;
    for (QString line : text.split(QLatin1Char('\n'))) {
        line.remove(QLatin1Char('\t'));
        line = line.trimmed();
        if (!line.isEmpty()) {
            lines << line;
        }
    }
    return SchemaReader::ParseStructFile(tables, lines, true, error);
}

QString Numbered(const char *prefix, int n, const char *suffix = "!")
{
    return QString::fromUtf8(prefix) + QString::number(n) + QString::fromUtf8(suffix);
}
} // namespace

class TestSchemaFile : public QObject
{
    Q_OBJECT

private slots:

    void parseStructLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("key value") << QStringLiteral("{Name=Seances}") << QStringLiteral("NAME")
                                   << QStringLiteral("Seances");
        QTest::newRow("blanks") << QStringLiteral("{ name = Seances }") << QStringLiteral("NAME")
                                << QStringLiteral("Seances");
        QTest::newRow("bare") << QStringLiteral("{unique}") << QStringLiteral("UNIQUE") << QStringLiteral("Begin");
        QTest::newRow("closing") << QStringLiteral("{/Table}") << QStringLiteral("TABLE") << QStringLiteral("End");
        QTest::newRow("text around") << QStringLiteral("x{CAPTION=a=b}y") << QStringLiteral("CAPTION")
                                     << QStringLiteral("a=b");
        QTest::newRow("no brace") << QStringLiteral("NAME=x") << QString() << QString();
        QTest::newRow("no closing") << QStringLiteral("{NAME=x") << QString() << QString();
        QTest::newRow("equals behind") << QStringLiteral("{NAME}=x") << QString() << QString();
    }

    void parseStructLine()
    {
        QFETCH(QString, line);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const auto parsed = SchemaReader::ParseStructLine(line);
        QCOMPARE(parsed.Key, key);
        QCOMPARE(parsed.Value, value);
    }

    void model()
    {
        auto tables = std::make_shared<Tables>();
        QString error;
        QVERIFY2(Parse(Lines({"{TABLE}",     "{NAME=Seances}", "{CAPTION=Сеансы}", "{CACHED}",        "{FIELD}",
                              "{NAME=Name}", "{TYPE=VARCHAR}", "{LENGTH=5}",       "{REQUIRED=True}", "{/FIELD}",
                              "{FIELD}",     "{NAME=Sum}",     "{TYPE=double}",    "{TOTAL=sum}",     "{DEFAULT=12.5}",
                              "{/FIELD}",    "{FIELD}",        "{NAME=Len}",       "{TYPE=VARCHAR}",  "{/FIELD}",
                              "{FIELD}",     "{NAME=Twelve}",  "{LENGTH=12.7}",    "{TYPE=VARCHAR}",  "{/FIELD}",
                              "{FIELD}",     "{NAME=Abc}",     "{LENGTH=abc}",     "{/FIELD}",        "{/TABLE}"}),
                       *tables,
                       error),
                 qPrintable(error));
        QCOMPARE(tables->Count(), 1);
        const auto table = tables->Item(QStringLiteral("seances"));
        QVERIFY(table);
        QCOMPARE(tables->Item(1), table);
        QVERIFY(!tables->Item(99));
        QVERIFY(table->Cached());
        QVERIFY(!table->ReadOnly());
        QCOMPARE(table->Caption(), QStringLiteral("Сеансы"));
        QCOMPARE(TestProbe::Parent(*table), tables);
        const auto name = table->Fields()->Item(QStringLiteral("NAME"));
        QCOMPARE(table->Fields()->Item(QStringLiteral("name")), name);
        QCOMPARE(table->Fields()->Item(1), name);
        QCOMPARE(name->Table(), table);
        QVERIFY(name->Required());
        QCOMPARE(name->Length(), 5);
        QCOMPARE(TestProbe::CheckValue(*name, QStringLiteral("abcdefg")).toString(), QStringLiteral("abcde"));
        QCOMPARE(TestProbe::GetFullName(*name), QStringLiteral("'Seances.Name'"));
        QCOMPARE(TestProbe::GetDefaultValue(*name).toString(), QString());
        const auto sum = table->Fields()->Item(QStringLiteral("Sum"));
        QCOMPARE(sum->Total()->Code(), qint32(fttSum));
        QCOMPARE(TestProbe::GetDefaultValue(*sum).value<Currency>(), Currency::FromUnits(125000));
        QCOMPARE(table->Fields()->Item(QStringLiteral("Len"))->Length(), 100);
        QCOMPARE(table->Fields()->Item(QStringLiteral("Twelve"))->Length(), 13);
        const auto abc = table->Fields()->Item(QStringLiteral("Abc"));
        QCOMPARE(abc->Length(), 0);
        QCOMPARE(abc->mType()->Code(), qint32(ftINT));
        QCOMPARE(TestProbe::GetDefaultValue(*abc).toDouble(), 0.0);
    }

    void zeroLengthKeepsText()
    {
        auto tables = std::make_shared<Tables>();
        QString error;
        QVERIFY2(Parse(Lines({"{TABLE}",
                              "{NAME=T}",
                              "{FIELD}",
                              "{NAME=A}",
                              "{LENGTH=0}",
                              "{TYPE=VARCHAR}",
                              "{LENGTH=0}",
                              "{/FIELD}",
                              "{/TABLE}"}),
                       *tables,
                       error),
                 qPrintable(error));
        const auto field = tables->Item(1)->Fields()->Item(1);
        QCOMPARE(field->Length(), 0);
        QCOMPARE(TestProbe::CheckValue(*field, QStringLiteral("whole text")).toString(), QStringLiteral("whole text"));
    }

    void lookupField()
    {
        auto tables = std::make_shared<Tables>();
        QString error;
        QVERIFY2(Parse(Lines({"{TABLE}",
                              "{NAME=T}",
                              "{FIELD}",
                              "{CLASS=FOREIGNKEY}",
                              "{TYPE=VARCHAR}",
                              "{TYPE=INT}",
                              "{NAME=Desk}",
                              "{TABLEFORLOOKUP=D}",
                              "{FIELDFORLOOKUP=Name}",
                              "{/FIELD}",
                              "{FIELD}",
                              "{NAME=List}",
                              "{CLASS=LookupTable}",
                              "{TABLEFORLOOKUP=D}",
                              "{FIELDFORLOOKUP=T}",
                              "{/FIELD}",
                              "{/TABLE}"}),
                       *tables,
                       error),
                 qPrintable(error));
        const auto fields = tables->Item(1)->Fields();
        QCOMPARE(fields->Item(1)->mClass()->Code(), qint32(fcForeignKey));
        QVERIFY(TestProbe::IsStored(*fields->Item(1)));
        QVERIFY(!TestProbe::IsStored(*fields->Item(2)));
        QCOMPARE(TestProbe::GetColumnsDDL(*fields, SqlDialect::Access), QStringLiteral("[Desk] INT,"));
    }

    void faults_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("lower-case true") << Lines(
            {"{TABLE}",
             "{NAME=T}",
             "{FIELD}",
             "{NAME=A}",
             "",
             "\t",
             "{CAPTION=Поле}",
             "{TYPE=INT}",
             "{UNIQUE}",
             "{REQUIRED=true}",
             "{/FIELD}",
             "{/TABLE}"}) << QStringLiteral("Недопустимое значение поля 'true' в строке файла описания структуры №8!");
        QTest::newRow("closing as boolean")
            << Lines({"{TABLE}", "{NAME=T}", "{READONLY=End}", "{/TABLE}"})
            << QStringLiteral("Недопустимое значение поля 'End' в строке файла описания структуры №3!");
        QTest::newRow("first line")
            << Lines({"{NAME=T}"})
            << Numbered("Ошибка формирования структуры таблиц! Неожиданный ключ в строке файла описания структуры №",
                        1);
        QTest::newRow("comment line")
            << Lines({"{TABLE}", "{NAME=T}", "just text", "{/TABLE}"})
            << Numbered("Ошибка формирования структуры таблиц! Неожиданный ключ в строке файла описания структуры №",
                        3);
        QTest::newRow("field in field") << Lines({"{TABLE}", "{NAME=T}", "{FIELD}", "{FIELD}", "{/FIELD}", "{/TABLE}"})
                                        << Numbered("Ошибка формирования структуры таблиц! Неожиданный ключ в строке "
                                                    "файла описания структуры №",
                                                    4);
        QTest::newRow("value in field") << Lines({"{TABLE}", "{NAME=T}", "{FIELD}", "{VALUE}", "{/FIELD}", "{/TABLE}"})
                                        << Numbered("Ошибка формирования структуры таблиц! Неожиданный ключ в строке "
                                                    "файла описания структуры №",
                                                    4);
        QTest::newRow("end of file") << Lines({"{TABLE}", "{NAME=T}", "{FIELD}", "{NAME=A}"})
                                     << QStringLiteral("Неожиданный конец файла описания структуры!");
        QTest::newRow("class") << Lines({"{TABLE}", "{NAME=T}", "{FIELD}", "{CLASS=KEY}", "{/FIELD}", "{/TABLE}"})
                               << QStringLiteral("Неизвестный класс поля 'KEY' в строке файла описания структуры №4!");
        QTest::newRow("type") << Lines({"{TABLE}", "{NAME=T}", "{FIELD}", "{TYPE=TEXT}", "{/FIELD}", "{/TABLE}"})
                              << QStringLiteral("Неизвестный тип поля 'TEXT' в строке файла описания структуры №4!");
        QTest::newRow("total")
            << Lines({"{TABLE}", "{NAME=T}", "{FIELD}", "{TOTAL=AVG}", "{/FIELD}", "{/TABLE}"})
            << QStringLiteral("Неизвестный принцип суммирования по полю 'AVG' в строке файла описания структуры №4!");
        QTest::newRow("no field name") << Lines(
            {"{TABLE}", "{NAME=T}", "{FIELD}", "{TYPE=INT}", "{/FIELD}", "{/TABLE}"})
                                       << Numbered("Не все ключевые значения поля заполнены по состоянию на строку "
                                                   "файла описания структуры №",
                                                   5);
        QTest::newRow("lookup as text") << Lines({"{TABLE}",
                                                  "{NAME=T}",
                                                  "{FIELD}",
                                                  "{CLASS=FOREIGNKEY}",
                                                  "{TABLEFORLOOKUP=D}",
                                                  "{FIELDFORLOOKUP=N}",
                                                  "{TYPE=VARCHAR}",
                                                  "{/FIELD}",
                                                  "{/TABLE}"})
                                        << Numbered("Не все ключевые значения поля заполнены по состоянию на строку "
                                                    "файла описания структуры №",
                                                    8);
        QTest::newRow("field twice") << Lines(
            {"{TABLE}", "{NAME=T}", "{FIELD}", "{NAME=A}", "{/FIELD}", "{FIELD}", "{NAME=a}", "{/FIELD}", "{/TABLE}"})
                                     << QStringLiteral(
                                            "Ошибка добавления поля по состоянию на строку файла описания "
                                            "структуры №8: Этот ключ уже связан с элементом данной коллекции!");
        QTest::newRow("table without name") << Lines({"{TABLE}", "{CAPTION=x}", "{/TABLE}"})
                                            << Numbered("Не заполнено имя таблицы по состоянию на строку файла "
                                                        "описания структуры №",
                                                        3);
        QTest::newRow("value without code")
            << Lines({"{TABLE}",
                      "{NAME=T}",
                      "{FIELD}",
                      "{NAME=A}",
                      "{/FIELD}",
                      "{VALUE}",
                      "{A=1}",
                      "{/VALUE}",
                      "{/TABLE}"})
            << QStringLiteral("Код значения не установлен (строка в файле описания структуры №8)!");
        QTest::newRow("value of unknown field")
            << Lines({"{TABLE}", "{NAME=T}", "{VALUE}", "{CODE=1}", "{Bee=1}", "{/VALUE}", "{/TABLE}"})
            << QStringLiteral("Поле 'BEE' в таблице 'T' не найдено (строка в файле описания структуры №5)!");
        QTest::newRow("value declared below")
            << Lines({"{TABLE}",
                      "{NAME=T}",
                      "{VALUE}",
                      "{CODE=1}",
                      "{A=1}",
                      "{/VALUE}",
                      "{FIELD}",
                      "{NAME=A}",
                      "{/FIELD}",
                      "{/TABLE}"})
            << QStringLiteral("Поле 'A' в таблице 'T' не найдено (строка в файле описания структуры №5)!");
        QTest::newRow("two presets one code") << Lines({"{TABLE}",
                                                        "{NAME=T}",
                                                        "{FIELD}",
                                                        "{NAME=A}",
                                                        "{/FIELD}",
                                                        "{VALUE}",
                                                        "{CODE=1}",
                                                        "{/VALUE}",
                                                        "{VALUE}",
                                                        "{CODE=1.2}",
                                                        "{/VALUE}",
                                                        "{/TABLE}"})
                                              << QStringLiteral("(DBRecords.sysAdd) Этот ключ уже связан с элементом "
                                                                "данной коллекции (строка файла описания таблиц №11)!");
        // A name goes into statements as it stands: one that is no plain identifier is refused.
        QTest::newRow("statement as table name")
            << Lines({"{TABLE}", "{NAME=A(Code INT); DROP TABLE Config; --}", "{/TABLE}"})
            << QStringLiteral("Недопустимое имя таблицы 'A(Code INT); DROP TABLE Config; --' в строке файла "
                              "описания структуры №2!");
        QTest::newRow("quote in field name")
            << Lines({"{TABLE}", "{NAME=T}", "{FIELD}", "{NAME=A'B}", "{/FIELD}", "{/TABLE}"})
            << QStringLiteral("Недопустимое имя поля 'A'B' в строке файла описания структуры №4!");
        QTest::newRow("digit first") << Lines({"{TABLE}", "{NAME=T}", "{FIELD}", "{NAME=1A}", "{/FIELD}", "{/TABLE}"})
                                     << QStringLiteral(
                                            "Недопустимое имя поля '1A' в строке файла описания структуры №4!");
        QTest::newRow("blank inside")
            << Lines({"{TABLE}", "{NAME=T}", "{FIELD}", "{NAME=Last Name}", "{/FIELD}", "{/TABLE}"})
            << QStringLiteral("Недопустимое имя поля 'Last Name' в строке файла описания структуры №4!");
        QTest::newRow("lookup table") << Lines(
            {"{TABLE}", "{NAME=T}", "{FIELD}", "{CLASS=FOREIGNKEY}", "{TABLEFORLOOKUP=D;}", "{/FIELD}", "{/TABLE}"})
                                      << QStringLiteral(
                                             "Недопустимое имя таблицы 'D;' в строке файла описания структуры №5!");
        QTest::newRow("lookup field") << Lines(
            {"{TABLE}",
             "{NAME=T}",
             "{FIELD}",
             "{CLASS=FOREIGNKEY}",
             "{TABLEFORLOOKUP=D}",
             "{FIELDFORLOOKUP=N-1}",
             "{/FIELD}",
             "{/TABLE}"}) << QStringLiteral("Недопустимое имя поля 'N-1' в строке файла описания структуры №6!");
        QTest::newRow("table twice") << Lines({"{TABLE}", "{NAME=T}", "{/TABLE}", "{TABLE}", "{NAME=t}", "{/TABLE}"})
                                     << QStringLiteral("Ошибка добавления таблицы 't' по состоянию на строку файла "
                                                       "описания структуры №6: Этот ключ уже связан с элементом данной "
                                                       "коллекции!");
    }

    // Inputs the fuzz target found, or that once broke the reader, are replayed here.
    void corpusReplays()
    {
        QString failure;
        QVERIFY2(ReplayCorpus(QStringLiteral(SCHEMA_CORPUS_DIR), CheckSchema, failure), qPrintable(failure));
    }

    void plainNamesAreTaken()
    {
        auto tables = std::make_shared<Tables>();
        QString error;
        QVERIFY2(Parse(Lines({"{TABLE}",
                              "{NAME=_Log2}",
                              "{FIELD}",
                              "{NAME=Поле_1}",
                              "{/FIELD}",
                              "{FIELD}",
                              "{CLASS=FOREIGNKEY}",
                              "{NAME=Ref}",
                              "{TABLEFORLOOKUP=_Log2}",
                              "{FIELDFORLOOKUP=Поле_1}",
                              "{/FIELD}",
                              "{/TABLE}"}),
                       *tables,
                       error),
                 qPrintable(error));
        QVERIFY(tables->Item(QStringLiteral("_log2")));
        QVERIFY(tables->Item(QStringLiteral("_Log2"))->Fields()->Item(QStringLiteral("ПОЛЕ_1")));
    }

    void faults()
    {
        QFETCH(QString, text);
        QFETCH(QString, message);
        auto tables = std::make_shared<Tables>();
        QString error;
        QVERIFY(!Parse(text, *tables, error));
        QCOMPARE(error, message);
    }

    // Dropping the schema releases its tables, though their preset rows refer back to them.
    void tablesGoWithTheSchema()
    {
        auto tables = std::make_shared<Tables>();
        QString error;
        QVERIFY2(Parse(Lines({"{TABLE}",
                              "{NAME=T}",
                              "{FIELD}",
                              "{NAME=A}",
                              "{/FIELD}",
                              "{VALUE}",
                              "{CODE=1}",
                              "{A=7}",
                              "{/VALUE}",
                              "{/TABLE}"}),
                       *tables,
                       error),
                 qPrintable(error));
        const std::weak_ptr<Table> table = tables->Item(1);
        QVERIFY(!table.expired());
        tables.reset();
        QVERIFY(table.expired());
    }

    void completedTablesStay()
    {
        auto tables = std::make_shared<Tables>();
        QString error;
        QVERIFY(!Parse(Lines({"{TABLE}", "{NAME=A}", "{/TABLE}", "{TABLE}", "{NAME=B}", "{X}", "{/TABLE}"}),
                       *tables,
                       error));
        QCOMPARE(error, SchemaReader::GetUnexpectedKeyMessage(6));
        QCOMPARE(tables->Count(), 1);
        QCOMPARE(tables->Item(1)->mName(), QStringLiteral("A"));
    }

    void presetRows()
    {
        auto tables = std::make_shared<Tables>();
        QString error;
        QVERIFY2(Parse(Lines({"{TABLE}",
                              "{NAME=T}",
                              "{FIELD}",
                              "{NAME=Name}",
                              "{TYPE=VARCHAR}",
                              "{LENGTH=3}",
                              "{/FIELD}",
                              "{VALUE}",
                              "{CODE=2}",
                              "{name=abcdef}",
                              "{/VALUE}",
                              "{/TABLE}"}),
                       *tables,
                       error),
                 qPrintable(error));
        const auto presets = TestProbe::PresetRecords(*tables->Item(1));
        QCOMPARE(presets->Count(), 1);
        QCOMPARE(presets->Item(2)->DBFields()->Item(QStringLiteral("Name"))->Value().toString(), QStringLiteral("abc"));
    }

    void encodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QString text =
            QStringLiteral("{TABLE}\r\n{NAME=Seances}\r\n\r\n\t{CAPTION=Сеансы\tклуба}\r\n{/TABLE}\r\n");
        QTest::newRow("utf-8") << text.toUtf8();
        QTest::newRow("windows-1251") << CodePage::ToWindows1251(text);
        QTest::newRow("cp866") << CodePage::ToCp866(text);
    }

    void encodings()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("quillmar.dbs"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        auto tables = std::make_shared<Tables>();
        QString error;
        QVERIFY2(SchemaReader::LoadDBStructFile(*tables, path, error), qPrintable(error));
        QCOMPARE(tables->Item(1)->Caption(), QStringLiteral("Сеансыклуба"));
    }

    void unreadableFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("create");
        // Why the file could not be opened, for the library's warning log.
        QTest::addColumn<QString>("cause");
        QTest::newRow("missing") << QByteArray() << false << QStringLiteral("не найден!");
        QTest::newRow("empty") << QByteArray() << true << QStringLiteral("пустой!");
        QTest::newRow("blank lines only") << QByteArray(" \r\n\t\t\n  \n") << true << QString();
    }

    void unreadableFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, create);
        QFETCH(QString, cause);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("quillmar.dbs"));
        if (create) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        const QString message =
            QStringLiteral("Невозможно открыть файл описания структуры БД: '") + path + QStringLiteral("'!");
        if (!cause.isEmpty()) {
            QTest::ignoreMessage(QtWarningMsg,
                                 qPrintable(QStringLiteral("Rollstrake ") + message + QStringLiteral(" Файл '") + path
                                            + QStringLiteral("' ") + cause));
        }
        auto tables = std::make_shared<Tables>();
        QString error = QStringLiteral("before");
        QVERIFY(!SchemaReader::LoadDBStructFile(*tables, path, error));
        QCOMPARE(error, message);
        QCOMPARE(tables->Count(), 0);
    }

    void columnDefinitions()
    {
        auto tables = std::make_shared<Tables>();
        QString error;
        QVERIFY2(Parse(Lines({"{TABLE}",
                              "{NAME=T}",
                              "{FIELD}",
                              "{NAME=A}",
                              "{/FIELD}",
                              "{FIELD}",
                              "{NAME=B}",
                              "{TYPE=VARCHAR}",
                              "{LENGTH=50}",
                              "{DEFAULT=abc}",
                              "{/FIELD}",
                              "{FIELD}",
                              "{NAME=C}",
                              "{CLASS=LOOKUPTABLE}",
                              "{TABLEFORLOOKUP=X}",
                              "{FIELDFORLOOKUP=T}",
                              "{/FIELD}",
                              "{FIELD}",
                              "{NAME=D}",
                              "{TYPE=DATE}",
                              "{/FIELD}",
                              "{/TABLE}"}),
                       *tables,
                       error),
                 qPrintable(error));
        const auto table = tables->Item(1);
        QCOMPARE(TestProbe::GetColumnDDL(*table->Fields()->Item(QStringLiteral("B")), SqlDialect::SqlServer),
                 QStringLiteral("[B] VARCHAR(50) NOT NULL DEFAULT 'abc'"));
        QCOMPARE(TestProbe::GetColumnDDL(*table->Fields()->Item(QStringLiteral("D")), SqlDialect::SqlServer),
                 QStringLiteral("[D] SMALLDATETIME NOT NULL DEFAULT {d '1899-12-30'}"));
        QCOMPARE(TestProbe::GetColumnDDL(*table->Fields()->Item(QStringLiteral("C")), SqlDialect::SqlServer),
                 QString());
        QCOMPARE(Dialect::CreateTable(SqlDialect::Access,
                                      QStringLiteral("T"),
                                      TestProbe::GetColumnsDDL(*table->Fields(), SqlDialect::Access)),
                 QStringLiteral(
                     "CREATE TABLE [T](Code COUNTER,[A] INT,[B] VARCHAR,[D] DATE,CONSTRAINT PK_T PRIMARY KEY (Code))"));
        QCOMPARE(Dialect::AddColumnHead(SqlDialect::SqlServer, QStringLiteral("T"))
                     + TestProbe::GetColumnDDL(*table->Fields()->Item(QStringLiteral("A")), SqlDialect::SqlServer),
                 QStringLiteral("ALTER TABLE [T] ADD  [A] INT NOT NULL DEFAULT 0"));
        QCOMPARE(Dialect::AddColumnHead(SqlDialect::Access, QStringLiteral("T")),
                 QStringLiteral("ALTER TABLE [T] ADD COLUMN "));
    }

    void indexTexts_data()
    {
        QTest::addColumn<Rollstrake::SqlDialect>("dialect");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("text");
        const QStringList one{QStringLiteral("Computer")};
        const QStringList two{QStringLiteral("Computer"), QStringLiteral("EndDate")};
        // PostgreSQL quotes names in the lower case it folds unquoted ones to.
        QTest::newRow("SQLite one")
            << SqlDialect::SQLite << one
            << QStringLiteral("CREATE INDEX IF NOT EXISTS \"IX_Seances_Computer\" ON [Seances] ([Computer])");
        QTest::newRow("PostgreSQL one")
            << SqlDialect::PostgreSQL << one
            << QStringLiteral("CREATE INDEX IF NOT EXISTS \"IX_Seances_Computer\" ON \"seances\" (\"computer\")");
        QTest::newRow("SQLite two") << SqlDialect::SQLite << two
                                    << QStringLiteral("CREATE INDEX IF NOT EXISTS \"IX_Seances_Computer_EndDate\" "
                                                      "ON [Seances] ([Computer], [EndDate])");
        QTest::newRow("PostgreSQL two") << SqlDialect::PostgreSQL << two
                                        << QStringLiteral("CREATE INDEX IF NOT EXISTS \"IX_Seances_Computer_EndDate\" "
                                                          "ON \"seances\" (\"computer\", \"enddate\")");
        // The classic kinds keep their statements: no index is written for them.
        QTest::newRow("Access") << SqlDialect::Access << two << QString();
        QTest::newRow("SqlServer") << SqlDialect::SqlServer << two << QString();
    }

    void indexTexts()
    {
        QFETCH(Rollstrake::SqlDialect, dialect);
        QFETCH(QStringList, fields);
        QFETCH(QString, text);
        QCOMPARE(Dialect::CreateIndex(dialect, QStringLiteral("Seances"), fields), text);
    }
};

QTEST_GUILESS_MAIN(TestSchemaFile)
#include "tst_schemafile.moc"
