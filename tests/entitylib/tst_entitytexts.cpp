// Library text helpers, field types and their literals, without a database.
#include "codepage.h"
#include "connection.h"
#include "currency.h"
#include "datevalue.h"
#include "entitylib.h"
#include "sqldialect.h"
#include "texthelpers.h"

#include <QTest>

using namespace Rollstrake;

Q_DECLARE_METATYPE(Rollstrake::SqlDialect)

class TestEntityTexts : public QObject
{
    Q_OBJECT

private slots:

    void detectCodePage_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("ascii") << QByteArray("Code") << 0;
        QTest::newRow("dos caption") << CodePage::ToCp866(QStringLiteral("Компьютеры")) << 2;
        QTest::newRow("windows caption") << CodePage::ToWindows1251(QStringLiteral("Компьютеры")) << 1;
        // 168 is Ё in Windows-1251 and и in code page 866: it decides nothing.
        QTest::newRow("ambiguous only") << QByteArray("\xA8\xA8") << 0;
        QTest::newRow("ambiguous then windows") << QByteArray("\xA8\xC0") << 1;
    }

    void detectCodePage()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, expected);
        QCOMPARE(DetectCodePage(text), expected);
    }

    void convertFromDos()
    {
        const QString caption = QStringLiteral("Ёлки и палки: Сеансы ёж");
        QCOMPARE(CodePage::FromWindows1251(ConvertFromDOS(CodePage::ToCp866(caption))), caption);
        QCOMPARE(ConvertFromDOS(CodePage::ToWindows1251(caption)), CodePage::ToWindows1251(caption));
        QCOMPARE(ConvertFromDOS(QByteArray("Code")), QByteArray("Code"));
    }

    void odbcLiterals()
    {
        const QDateTime moment = DateValue::Make(2003, 3, 5, 14, 20, 7);
        QCOMPARE(GetODBCDateLiteral(moment, 0), QStringLiteral("{d '2003-03-05'}"));
        QCOMPARE(GetODBCDateLiteral(moment, 1), QStringLiteral("{d '2003-03-05'}"));
        QCOMPARE(GetODBCDateLiteral(moment, 2), QStringLiteral("{t '14:20:07'}"));
        QCOMPARE(GetODBCDateLiteral(moment, 3), QStringLiteral("{ts '2003-03-05 14:20:07'}"));
        QCOMPARE(GetODBCDateLiteral(moment, 4), QString());
        QCOMPARE(QuoteSQLString(QStringLiteral("it's")), QStringLiteral("it''s"));
        QCOMPARE(QuoteSQLString(QString()), QString());
    }

    void dateHelpers()
    {
        const QDateTime moment = DateValue::Make(2003, 3, 5, 14, 20, 7);
        QCOMPARE(DateToString(moment, true, QStringLiteral("/")), QStringLiteral("05/03/2003 14:20:07"));
        QCOMPARE(DateToString(moment, false, QStringLiteral(".")), QStringLiteral("05.03.2003"));
        QCOMPARE(DateToString(QDateTime(), true, QStringLiteral("/")), QString());
        QCOMPARE(GetDayBound(moment, false), DateValue::Make(2003, 3, 5));
        QCOMPARE(GetDayBound(moment, true), DateValue::Make(2003, 3, 5, 23, 59, 59));
        QVERIFY(!GetDayBound(QDateTime(), false).isValid());
        QCOMPARE(MakeItemKey(42), QStringLiteral("C42"));
    }

    void openFileForReading()
    {
        QTemporaryDir folder;
        QString error;
        QFile file;
        QCOMPARE(OpenFileForReading(folder.filePath(QStringLiteral("none")), error, false, 0, file), qint16(-1));
        QCOMPARE(error,
                 QStringLiteral("Файл '") + folder.filePath(QStringLiteral("none")) + QStringLiteral("' не найден!"));
        const QString empty = folder.filePath(QStringLiteral("empty"));
        QFile(empty).open(QIODevice::WriteOnly);
        QCOMPARE(OpenFileForReading(empty, error, false, 0, file), qint16(-2));
        QCOMPARE(error, QStringLiteral("Файл '") + empty + QStringLiteral("' пустой!"));
        QVERIFY(!file.isOpen());
    }

    void vocabularies()
    {
        QCOMPARE(FieldTypes::Instance().Item(QStringLiteral("varchar"))->Code(), qint32(ftVARCHAR));
        QVERIFY(!FieldTypes::Instance().Item(QStringLiteral("TEXT")));
        QCOMPARE(FieldTotals::Instance().Item(qint32(1))->mName(), QStringLiteral("SUM"));
        QCOMPARE(FieldClasses::Instance().Item(qint32(1))->mName(), QStringLiteral("NORMAL"));
        QCOMPARE(FieldClasses::Instance().Count(), 4);
    }

    void convertValue_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("empty");
        QTest::newRow("int text") << int(ftINT) << QVariant(QStringLiteral("42")) << QStringLiteral("42") << false;
        QTest::newRow("int fraction kept")
            << int(ftINT) << QVariant(QStringLiteral("12.5")) << QStringLiteral("12.5") << false;
        QTest::newRow("int not a number")
            << int(ftINT) << QVariant(QStringLiteral("abc")) << QStringLiteral("0") << true;
        QTest::newRow("int trailing junk")
            << int(ftINT) << QVariant(QStringLiteral("12x")) << QStringLiteral("0") << true;
        QTest::newRow("int null") << int(ftINT) << QVariant() << QStringLiteral("0") << true;
        QTest::newRow("int date") << int(ftINT) << QVariant(DateValue::Make(2003, 3, 5)) << QStringLiteral("0") << true;
        QTest::newRow("double rounding") << int(ftDOUBLE) << QVariant(1.23456) << QStringLiteral("1.2346") << false;
        QTest::newRow("double tiny is empty") << int(ftDOUBLE) << QVariant(0.00001) << QStringLiteral("0") << true;
        QTest::newRow("double text") << int(ftDOUBLE) << QVariant(QStringLiteral(" 1234.5 "))
                                     << QStringLiteral("1234.5") << false;
        QTest::newRow("double comma text")
            << int(ftDOUBLE) << QVariant(QStringLiteral("1234,5")) << QStringLiteral("0") << true;
        QTest::newRow("varchar blank") << int(ftVARCHAR) << QVariant(QStringLiteral(" ")) << QStringLiteral(" ")
                                       << false;
        QTest::newRow("varchar null") << int(ftVARCHAR) << QVariant() << QString() << true;
        QTest::newRow("varchar number") << int(ftVARCHAR) << QVariant(7) << QStringLiteral("7") << false;
        QTest::newRow("datetime text") << int(ftDATETIME) << QVariant(QStringLiteral("05/03/2003 14:20:00"))
                                       << QStringLiteral("05/03/2003 14:20:00") << false;
        QTest::newRow("datetime iso") << int(ftDATETIME) << QVariant(QStringLiteral("2003-03-05 14:20:00"))
                                      << QStringLiteral("05/03/2003 14:20:00") << false;
        QTest::newRow("datetime junk") << int(ftDATETIME) << QVariant(QStringLiteral("x"))
                                       << QStringLiteral("30/12/1899 00:00:00") << true;
        QTest::newRow("date cut") << int(ftDATE) << QVariant(DateValue::Make(2003, 3, 5, 14, 20))
                                  << QStringLiteral("05/03/2003") << false;
        QTest::newRow("date zero day with time")
            << int(ftDATE) << QVariant(DateValue::Make(1899, 12, 30, 10, 0)) << QStringLiteral("30/12/1899") << true;
    }

    void convertValue()
    {
        QFETCH(int, type);
        QFETCH(QVariant, value);
        QFETCH(QString, text);
        QFETCH(bool, empty);
        const auto fieldType = FieldTypes::Instance().Item(qint32(type));
        QCOMPARE(fieldType->GetStringValue(value), text);
        QCOMPARE(fieldType->IsEmptyValue(value), empty);
    }

    void convertedForms()
    {
        const auto &types = FieldTypes::Instance();
        QCOMPARE(types.Item(qint32(ftINT))->ConvertValue(QStringLiteral("42")).metaType().id(), int(QMetaType::Double));
        QCOMPARE(types.Item(qint32(ftDOUBLE))->ConvertValue(1.23456).value<Currency>(), Currency::FromUnits(12346));
        QCOMPARE(types.Item(qint32(ftDATE))->ConvertValue(DateValue::Make(2003, 3, 5, 14, 20)).toDateTime(),
                 DateValue::Make(2003, 3, 5));
        QCOMPARE(types.Item(qint32(ftDATETIME))->GetEmptyValue().toDateTime(), DateValue::Zero());
    }

    void sqlLiterals_data()
    {
        QTest::addColumn<SqlDialect>("dialect");
        QTest::addColumn<int>("type");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("like");
        QTest::addColumn<QString>("literal");
        const QVariant moment = DateValue::Make(2003, 3, 5, 14, 20);
        const QVariant obrien = QStringLiteral(" O'Brien ");
        for (const SqlDialect dialect :
             {SqlDialect::Access, SqlDialect::SqlServer, SqlDialect::SQLite, SqlDialect::PostgreSQL}) {
            const QByteArray name = QByteArray::number(int(dialect));
            QTest::newRow(QByteArray(QByteArray("text ") + name).constData())
                << dialect << int(ftVARCHAR) << obrien << false << QStringLiteral("'O''Brien'");
            QTest::newRow(QByteArray(QByteArray("like ") + name).constData())
                << dialect << int(ftVARCHAR) << obrien << true << QStringLiteral("O''Brien");
            QTest::newRow(QByteArray(QByteArray("int ") + name).constData())
                << dialect << int(ftINT) << QVariant(QStringLiteral("12.5")) << false << QStringLiteral("12.5");
            QTest::newRow(QByteArray(QByteArray("double ") + name).constData())
                << dialect << int(ftDOUBLE) << QVariant(QStringLiteral("x")) << false << QStringLiteral("0");
        }
        QTest::newRow("date kind 0") << SqlDialect::Access << int(ftDATE) << moment << false
                                     << QStringLiteral("{d '2003-03-05'}");
        QTest::newRow("datetime kind 1") << SqlDialect::SqlServer << int(ftDATETIME) << moment << false
                                         << QStringLiteral("{ts '2003-03-05 14:20:00'}");
        QTest::newRow("date sqlite") << SqlDialect::SQLite << int(ftDATE) << moment << false
                                     << QStringLiteral("'2003-03-05'");
        QTest::newRow("datetime sqlite") << SqlDialect::SQLite << int(ftDATETIME) << moment << false
                                         << QStringLiteral("'2003-03-05 14:20:00'");
        QTest::newRow("date postgres") << SqlDialect::PostgreSQL << int(ftDATE) << moment << false
                                       << QStringLiteral("DATE '2003-03-05'");
        QTest::newRow("datetime postgres") << SqlDialect::PostgreSQL << int(ftDATETIME) << moment << false
                                           << QStringLiteral("TIMESTAMP '2003-03-05 14:20:00'");
        QTest::newRow("unconverted date text")
            << SqlDialect::Access << int(ftDATETIME) << QVariant(QStringLiteral("'; DROP TABLE x")) << false
            << QStringLiteral("{ts '1899-12-30 00:00:00'}");
    }

    void sqlLiterals()
    {
        QFETCH(SqlDialect, dialect);
        QFETCH(int, type);
        QFETCH(QVariant, value);
        QFETCH(bool, like);
        QFETCH(QString, literal);
        QCOMPARE(FieldTypes::Instance().Item(qint32(type))->GetSQLValue(value, like, dialect), literal);
    }

    void dbTypeNames()
    {
        const auto date = FieldTypes::Instance().Item(qint32(ftDATE));
        const auto number = FieldTypes::Instance().Item(qint32(ftDOUBLE));
        QCOMPARE(date->GetDBTypeName(SqlDialect::SqlServer), QStringLiteral("SMALLDATETIME"));
        QCOMPARE(date->GetDBTypeName(SqlDialect::Access), QStringLiteral("DATE"));
        QCOMPARE(number->GetDBTypeName(SqlDialect::SqlServer), QStringLiteral("FLOAT"));
        QCOMPARE(number->GetDBTypeName(SqlDialect::Access), QStringLiteral("DOUBLE"));
    }

    void isSqlServer_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind");
        QTest::newRow("sql server") << QStringLiteral("Microsoft SQL Server") << 1;
        QTest::newRow("lower case") << QStringLiteral("mysql") << 1;
        QTest::newRow("postgres") << QStringLiteral("PostgreSQL") << 1;
        QTest::newRow("access") << QStringLiteral("ACCESS") << 0;
        QTest::newRow("empty") << QString() << 0;
    }

    void isSqlServer()
    {
        QFETCH(QString, name);
        QFETCH(int, kind);
        QCOMPARE(Connection::KindOfDBMSName(name), qint32(kind));
    }

    void sqliteFilePath()
    {
        QCOMPARE(Connection::SqliteFilePath(QStringLiteral("/tmp/x/club.sqlite")),
                 QStringLiteral("/tmp/x/club.sqlite"));
        QVERIFY(Connection::SqliteFilePath(QStringLiteral("QuillmarshDB"))
                    .endsWith(QStringLiteral("/QuillmarshDB.sqlite")));
        QVERIFY(!Connection::IsOdbcDataSource(QStringLiteral("/tmp/x/club.sqlite")));
        QVERIFY(!Connection::IsOdbcDataSource(QStringLiteral("NoSuchDataSourceAnywhere")));
    }
};

QTEST_GUILESS_MAIN(TestEntityTexts)
#include "tst_entitytexts.moc"
