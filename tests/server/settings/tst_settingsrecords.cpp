#include "coredatabase.h"
#include "settings/settingsrecords.h"

// The settings pages' writes without a window: a refused write leaves the database and the
// record as the database holds them, and a delete with its dependants is all or nothing.
class TestSettingsRecords : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void refusedStoreChangesNothing_data();
    void refusedStoreChangesNothing();
    void deletionAllOrNothing_data();
    void deletionAllOrNothing();

private:
    std::unique_ptr<CoreDatabase> m_db;
};

void TestSettingsRecords::init()
{
    m_db = std::make_unique<CoreDatabase>();
    QString err;
    QVERIFY2(m_db->StartAsProgram(err), qPrintable(err));
}

void TestSettingsRecords::cleanup()
{
    m_db.reset();
}

void TestSettingsRecords::refusedStoreChangesNothing_data()
{
    QTest::addColumn<QString>("event");
    QTest::newRow("a new record") << QStringLiteral("INSERT");
    QTest::newRow("an edited record") << QStringLiteral("UPDATE");
}

// The engine refuses the write: the reason comes back alone (no failed read after it), an edited
// record shows the stored values again, and nothing is stored.
void TestSettingsRecords::refusedStoreChangesNothing()
{
    QFETCH(QString, event);
    const QString table = QStringLiteral("ServiceTypes");
    const qint32 kept = m_db->Add(table, {{QStringLiteral("Name"), QStringLiteral("Кофе")}});
    QVERIFY(m_db->AddRefusal(table, event, QStringLiteral("1 = 1")));
    const bool edited = event == QLatin1String("UPDATE");
    QString err;
    const auto record = edited ? m_db->Record(table, kept) : NewSettingsRecord(table, err);
    QVERIFY2(record, qPrintable(err));
    SetFieldValue(*record, QStringLiteral("Name"), QStringLiteral("Чай"));
    QVERIFY(!StoreSettingsRecord(*record, err));
    QVERIFY2(!err.isEmpty() && !err.contains(QLatin1String("Reload")), qPrintable(err));
    QCOMPARE(TextValue(*record, QStringLiteral("Name")), edited ? QStringLiteral("Кофе") : QStringLiteral("Чай"));
    const auto stored = m_db->All(table);
    QCOMPARE(stored->Count(), 1);
    QCOMPARE(TextValue(*m_db->Record(table, kept), QStringLiteral("Name")), QStringLiteral("Кофе"));
}

void TestSettingsRecords::deletionAllOrNothing_data()
{
    QTest::addColumn<bool>("cascade");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QString>("message");
    QTest::newRow("with its seances") << true << false << QString();
    QTest::newRow("the computer refused after its seances") << true << true << QString();
    QTest::newRow("in use") << false << false
                            << QStringLiteral("В объекте 'Сеансы' есть запись, поле 'Компьютер' которой ссылается на "
                                              "удаляемую запись в объекте 'Компьютеры'! Удаление невозможно!");
}

// A computer goes with its seances or not at all.
void TestSettingsRecords::deletionAllOrNothing()
{
    QFETCH(bool, cascade);
    QFETCH(bool, refused);
    QFETCH(QString, message);
    const qint32 computer = m_db->AddComputer(3);
    const qint32 desktop = m_db->AddDesktop(QStringLiteral("Стол"));
    const qint32 rate = m_db->AddRate(QStringLiteral("Тариф"), 0, 70);
    const QDateTime begin = DateValue::Make(2026, 3, 5, 14);
    m_db->AddSeance(computer, desktop, rate, begin, begin.addSecs(1800));
    m_db->AddSeance(computer, desktop, rate, begin.addSecs(3600), begin.addSecs(5400));
    QVERIFY(!refused
            || m_db->AddRefusal(QStringLiteral("Computers"), QStringLiteral("DELETE"), QStringLiteral("1 = 1")));
    QString err;
    const bool deleted = DeleteSettingsRecord(QStringLiteral("Computers"), computer, cascade, err);
    QCOMPARE(deleted, cascade && !refused);
    QVERIFY(message.isEmpty() || err == message);
    QCOMPARE(m_db->All(QStringLiteral("Computers"))->Count(), deleted ? 0 : 1);
    QCOMPARE(m_db->All(QStringLiteral("Seances"))->Count(), deleted ? 0 : 2);
}

QTEST_MAIN(TestSettingsRecords)
#include "tst_settingsrecords.moc"
