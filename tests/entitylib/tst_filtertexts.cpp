// WHERE clauses, ORDER BY and UPDATE texts, without a database.
#include "datevalue.h"
#include "entitylib.h"
#include "schemareader.h"
#include "sqldialect.h"
#include "testprobe.h"

#include <QTest>

using namespace Rollstrake;

Q_DECLARE_METATYPE(Rollstrake::SqlDialect)

class TestFilterTexts : public QObject
{
    Q_OBJECT

private:
    std::shared_ptr<Tables> m_tables;

    std::shared_ptr<Table> T() const
    {
        return m_tables->Item(QStringLiteral("T"));
    }

private slots:

    void initTestCase()
    {
        m_tables = std::make_shared<Tables>();
        const QStringList lines = {
            QStringLiteral("{TABLE}"),         QStringLiteral("{NAME=T}"),         QStringLiteral("{FIELD}"),
            QStringLiteral("{NAME=A}"),        QStringLiteral("{SORTED}"),         QStringLiteral("{/FIELD}"),
            QStringLiteral("{FIELD}"),         QStringLiteral("{NAME=B}"),         QStringLiteral("{TYPE=VARCHAR}"),
            QStringLiteral("{SORTED}"),        QStringLiteral("{/FIELD}"),         QStringLiteral("{FIELD}"),
            QStringLiteral("{NAME=Name}"),     QStringLiteral("{TYPE=VARCHAR}"),   QStringLiteral("{/FIELD}"),
            QStringLiteral("{FIELD}"),         QStringLiteral("{NAME=Seance}"),    QStringLiteral("{/FIELD}"),
            QStringLiteral("{FIELD}"),         QStringLiteral("{NAME=BeginDate}"), QStringLiteral("{TYPE=DATE}"),
            QStringLiteral("{/FIELD}"),        QStringLiteral("{FIELD}"),          QStringLiteral("{NAME=Moment}"),
            QStringLiteral("{TYPE=DATETIME}"), QStringLiteral("{/FIELD}"),         QStringLiteral("{/TABLE}")};
        QString error;
        QVERIFY2(SchemaReader::ParseStructFile(*m_tables, lines, true, error), qPrintable(error));
    }

    void newFilterReadsAll()
    {
        const auto filter = T()->GetNewFilter();
        QCOMPARE(filter->Count(), 6);
        QCOMPARE(filter->Table(), T());
        QVERIFY(!filter->IsFilterSet());
        QCOMPARE(TestProbe::GetWhereClause(*filter, SqlDialect::Access), QString());
        QCOMPARE(TestProbe::OpenRecordset(*T(), filter), QStringLiteral("SELECT * FROM [T] ORDER BY [A], [B]"));
        QCOMPARE(TestProbe::GetOrderBy(*T()->Fields(), SqlDialect::PostgreSQL),
                 QStringLiteral(" ORDER BY \"a\", LOWER(\"b\")"));
    }

    void keyFilterWins()
    {
        const auto filter = T()->GetNewFilter();
        filter->Item(QStringLiteral("a"))->SetValue(1);
        filter->SetCode(7);
        QVERIFY(!filter->IsFilterSet());
        QCOMPARE(TestProbe::GetWhereClause(*filter, SqlDialect::Access), QStringLiteral(" WHERE Code=7"));
    }

    void conditions_data()
    {
        QTest::addColumn<SqlDialect>("dialect");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("condition");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("value2");
        QTest::addColumn<bool>("includeEmpty");
        QTest::addColumn<QString>("where");
        const QVariant none;
        QTest::newRow("equal") << SqlDialect::Access << "Seance" << int(cEqual) << QVariant(5) << none << false
                               << " WHERE [Seance]=5";
        QTest::newRow("like quote") << SqlDialect::Access << "Name" << int(cLike) << QVariant(QStringLiteral(" ab'c "))
                                    << none << false << " WHERE [Name] LIKE '%ab''c%'";
        QTest::newRow("left like") << SqlDialect::SQLite << "Name" << int(cLeftLike) << QVariant(QStringLiteral("x"))
                                   << none << false << " WHERE [Name] LIKE '%x'";
        QTest::newRow("zero skipped") << SqlDialect::Access << "Seance" << int(cEqual) << QVariant(0) << none << false
                                      << "";
        QTest::newRow("zero included") << SqlDialect::Access << "Seance" << int(cEqual) << QVariant(0) << none << true
                                       << " WHERE [Seance]=0";
        QTest::newRow("more zero") << SqlDialect::Access << "Seance" << int(cMore) << QVariant(0) << none << true
                                   << " WHERE [Seance]>0";
        QTest::newRow("not a number") << SqlDialect::Access << "Seance" << int(cEqual)
                                      << QVariant(QStringLiteral("1 OR 1=1")) << none << true << " WHERE [Seance]=0";
        QTest::newRow("between days") << SqlDialect::Access << "BeginDate" << int(cBetween)
                                      << QVariant(DateValue::Make(2003, 3, 1)) << QVariant(DateValue::Make(2003, 3, 31))
                                      << false << " WHERE [BeginDate] BETWEEN {d '2003-03-01'} AND {d '2003-03-31'}";
        QTest::newRow("between moments")
            << SqlDialect::SqlServer << "Moment" << int(cBetween) << QVariant(DateValue::Make(2003, 3, 1))
            << QVariant(DateValue::Make(2003, 3, 31, 23, 59, 59)) << false
            << " WHERE [Moment] BETWEEN {ts '2003-03-01 00:00:00'} AND {ts '2003-03-31 23:59:59'}";
        QTest::newRow("postgres text") << SqlDialect::PostgreSQL << "Name" << int(cNotEqual)
                                       << QVariant(QStringLiteral("Ab")) << none << false
                                       << " WHERE LOWER(\"name\")<>LOWER('Ab')";
        QTest::newRow("postgres like") << SqlDialect::PostgreSQL << "Name" << int(cRightLike)
                                       << QVariant(QStringLiteral("a\\b")) << none << false
                                       << " WHERE \"name\" ILIKE 'a\\b%' ESCAPE ''";
        QTest::newRow("postgres date") << SqlDialect::PostgreSQL << "BeginDate" << int(cMoreOrEqual)
                                       << QVariant(DateValue::Make(2003, 3, 1, 10, 0)) << none << false
                                       << " WHERE \"begindate\">=DATE '2003-03-01'";
        QTest::newRow("unknown condition")
            << SqlDialect::Access << "Seance" << 42 << QVariant(1) << none << false << " WHERE [Seance]";
    }

    void conditions()
    {
        QFETCH(SqlDialect, dialect);
        QFETCH(QString, field);
        QFETCH(int, condition);
        QFETCH(QVariant, value);
        QFETCH(QVariant, value2);
        QFETCH(bool, includeEmpty);
        QFETCH(QString, where);
        const auto filter = T()->GetNewFilter();
        const auto slot = filter->Item(field);
        slot->SetCondition(static_cast<enCondition>(condition));
        slot->SetValue(value);
        slot->SetValue2(value2);
        slot->SetIncludeEmpty(includeEmpty);
        QCOMPARE(TestProbe::GetWhereClause(*filter, dialect), where);
    }

    void slotsInFieldOrder()
    {
        const auto filter = T()->GetNewFilter();
        filter->Item(QStringLiteral("B"))->SetValue(QStringLiteral("x"));
        filter->Item(QStringLiteral("A"))->SetValue(1);
        QVERIFY(filter->IsFilterSet());
        QCOMPARE(TestProbe::GetWhereClause(*filter, SqlDialect::Access), QStringLiteral(" WHERE [A]=1 AND [B]='x'"));
        QCOMPARE(filter->Item(1)->Field()->mName(), QStringLiteral("A"));
        QVERIFY(!filter->Item(QStringLiteral("none")));
        QVERIFY(!filter->Item(0));
    }

    void updateText()
    {
        const auto record = T()->GetNewRecord();
        record->DBFields()->Item(QStringLiteral("A"))->SetValue(3);
        record->DBFields()->Item(QStringLiteral("B"))->SetValue(QStringLiteral("x"));
        TestProbe::SetCode(*record, 12);
        QCOMPARE(TestProbe::GetUpdateSQL(*record),
                 QStringLiteral("UPDATE [T] SET [A]=3,[B]='x',[Name]='',[Seance]=0,[BeginDate]={d '1899-12-30'},"
                                "[Moment]={ts '1899-12-30 00:00:00'} WHERE Code=12"));
        QCOMPARE(TestProbe::GetDeleteSQL(*T(), 12), QStringLiteral("DELETE FROM [T] WHERE Code=12"));
    }
};

QTEST_GUILESS_MAIN(TestFilterTexts)
#include "tst_filtertexts.moc"
