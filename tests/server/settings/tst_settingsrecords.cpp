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
    QStringList TypeNames() const;
    qint32 Count(const QString &Table) const;

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

QStringList TestSettingsRecords::TypeNames() const
{
    QStringList names;
    const auto types = m_db->All(QStringLiteral("ServiceTypes"));
    for (const auto &type : *types) {
        names << TextValue(*type, QStringLiteral("Name"));
    }
    return names;
}

qint32 TestSettingsRecords::Count(const QString &Table) const
{
    return m_db->All(Table)->Count();
}

void TestSettingsRecords::refusedStoreChangesNothing_data()
{
    QTest::addColumn<bool>("saved");
    QTest::newRow("a new record") << false;
    QTest::newRow("an edited record") << true;
}

// The engine refuses the write: the reason comes back alone, an edited record shows the stored
// values again, and nothing is stored.
void TestSettingsRecords::refusedStoreChangesNothing()
{
    QFETCH(bool, saved);
    const qint32 kept = m_db->Add(QStringLiteral("ServiceTypes"), {{QStringLiteral("Name"), QStringLiteral("Кофе")}});
    QVERIFY(m_db->AddRefusal(QStringLiteral("ServiceTypes"),
                             saved ? QStringLiteral("UPDATE") : QStringLiteral("INSERT"),
                             QStringLiteral("1 = 1")));
    QString err;
    const auto record = saved ? m_db->Record(QStringLiteral("ServiceTypes"), kept)
                              : NewSettingsRecord(QStringLiteral("ServiceTypes"), err);
    QVERIFY2(record, qPrintable(err));
    SetFieldValue(*record, QStringLiteral("Name"), QStringLiteral("Чай"));
    QVERIFY(!StoreSettingsRecord(*record, err));
    QVERIFY(!err.isEmpty());
    QVERIFY2(!err.contains(QLatin1String("Reload")), qPrintable(err));
    QCOMPARE(TextValue(*record, QStringLiteral("Name")), saved ? QStringLiteral("Кофе") : QStringLiteral("Чай"));
    QCOMPARE(TypeNames(), QStringList{QStringLiteral("Кофе")});
}

void TestSettingsRecords::deletionAllOrNothing_data()
{
    QTest::addColumn<bool>("cascade");
    QTest::addColumn<QString>("refused");
    QTest::addColumn<QString>("message");
    QTest::newRow("with its seances") << true << QString() << QString();
    QTest::newRow("the computer refused after its seances") << true << QStringLiteral("Computers") << QString();
    QTest::newRow("a seance refused") << true << QStringLiteral("Seances") << QString();
    QTest::newRow("in use") << false << QString()
                            << QStringLiteral("В объекте 'Сеансы' есть запись, поле 'Компьютер' которой ссылается на "
                                              "удаляемую запись в объекте 'Компьютеры'! Удаление невозможно!");
}

// A computer goes with its seances or not at all.
void TestSettingsRecords::deletionAllOrNothing()
{
    QFETCH(bool, cascade);
    QFETCH(QString, refused);
    QFETCH(QString, message);
    const qint32 computer = m_db->AddComputer(3);
    const qint32 desktop = m_db->AddDesktop(QStringLiteral("Стол"));
    const qint32 rate = m_db->AddRate(QStringLiteral("Тариф"), 0, 70);
    const QDateTime begin = DateValue::Make(2026, 3, 5, 14);
    for (int hour = 0; hour < 2; ++hour) {
        m_db->AddSeance(computer, desktop, rate, begin.addSecs(hour * 3600), begin.addSecs(hour * 3600 + 1800));
    }
    if (!refused.isEmpty()) {
        QVERIFY(m_db->AddRefusal(refused, QStringLiteral("DELETE"), QStringLiteral("1 = 1")));
    }
    QString err;
    const bool deleted = DeleteSettingsRecord(QStringLiteral("Computers"), computer, cascade, err);
    QCOMPARE(deleted, cascade && refused.isEmpty());
    if (!message.isEmpty()) {
        QCOMPARE(err, message);
    }
    QCOMPARE(Count(QStringLiteral("Computers")), deleted ? 0 : 1);
    QCOMPARE(Count(QStringLiteral("Seances")), deleted ? 0 : 2);
}

QTEST_MAIN(TestSettingsRecords)
#include "tst_settingsrecords.moc"
