#include "core/settingsstore.h"
#include "coredatabase.h"

#include <QTest>

class TestSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void defaultsWrittenOnceInOrder();
    void emptiedSettingGetsItsDefaultAgain();
    void setCreatesOneRecordThenChangesIt();
    void readingAMissingNameWritesNothing();
    void valuesRoundTrip();
    void everyChangeIsSeenByTheNextRead_data();
    void everyChangeIsSeenByTheNextRead();

private:
    std::unique_ptr<CoreDatabase> m_db;
};

void TestSettingsStore::init()
{
    m_db = std::make_unique<CoreDatabase>();
    QString err;
    QVERIFY2(m_db->Start(err), qPrintable(err));
}

void TestSettingsStore::cleanup()
{
    m_db.reset();
}

void TestSettingsStore::defaultsWrittenOnceInOrder()
{
    SetDefaultSettings();
    SetDefaultSettings();
    const QList<QPair<QString, QString>> expected = {
        {QStringLiteral("OnLineStatusCheckInterval"), QStringLiteral("1")},
        {QStringLiteral("OffLineStatusCheckInterval"), QStringLiteral("5")},
        {QStringLiteral("SeanceAlarmTime"), QStringLiteral("2")},
        {QStringLiteral("SeancesRefreshInterval"), QStringLiteral("20")},
        {QStringLiteral("NightReserveExpirationPeriod"), QStringLiteral("30")},
        {QStringLiteral("NightBeginTime"), QStringLiteral("30/12/1899 23:00:00")},
        {QStringLiteral("NightEndTime"), QStringLiteral("30/12/1899 08:00:00")},
        {QStringLiteral("InternetAvailable"), QStringLiteral("0")},
        {QStringLiteral("ProxyPort"), QStringLiteral("6666")},
        {QStringLiteral("ProxyConnectTimeout"), QStringLiteral("5")},
        {QStringLiteral("HourDownloadLimit"), QStringLiteral("0")},
        {QStringLiteral("HourUploadLimit"), QStringLiteral("0")},
    };
    QList<QPair<QString, QString>> stored;
    const auto records = m_db->All(QStringLiteral("Config"));
    for (const auto &record : *records) {
        stored.append(
            {TextValue(*record, QStringLiteral("FieldName")), TextValue(*record, QStringLiteral("FieldValue"))});
    }
    QCOMPARE(stored, expected);
}

void TestSettingsStore::emptiedSettingGetsItsDefaultAgain()
{
    SetDefaultSettings();
    SetConfigValue(QStringLiteral("ProxyPort"), QString());
    SetConfigValue(QStringLiteral("SeanceAlarmTime"), QStringLiteral("7"));
    QCOMPARE(GetConfigValue(QStringLiteral("ProxyPort")), QString());
    SetDefaultSettings();
    QCOMPARE(GetConfigValue(QStringLiteral("ProxyPort")), QStringLiteral("6666"));
    QCOMPARE(GetConfigValue(QStringLiteral("SeanceAlarmTime")), QStringLiteral("7"));
    QCOMPARE(m_db->All(QStringLiteral("Config"))->Count(), 12);
}

void TestSettingsStore::setCreatesOneRecordThenChangesIt()
{
    SetConfigValue(QStringLiteral("OuterProxyIP"), QStringLiteral("10.0.0.1"));
    QCOMPARE(m_db->All(QStringLiteral("Config"))->Count(), 1);
    SetConfigValue(QStringLiteral("OuterProxyIP"), QStringLiteral("10.0.0.2"));
    QCOMPARE(m_db->All(QStringLiteral("Config"))->Count(), 1);
    QCOMPARE(GetConfigValue(QStringLiteral("OuterProxyIP")), QStringLiteral("10.0.0.2"));
}

void TestSettingsStore::readingAMissingNameWritesNothing()
{
    QCOMPARE(GetConfigValue(QStringLiteral("ConfigPassword")), QString());
    QCOMPARE(m_db->All(QStringLiteral("Config"))->Count(), 0);
}

void TestSettingsStore::valuesRoundTrip()
{
    const QString text = QStringLiteral("Путь 'C:\\Admin\\tool.exe' \"кавычки\"");
    SetConfigValue(QStringLiteral("ExecutibleFile"), text);
    QCOMPARE(GetConfigValue(QStringLiteral("ExecutibleFile")), text);
    SetConfigValue(QStringLiteral("ExecutibleFile"), text + QStringLiteral("2"));
    QCOMPARE(GetConfigValue(QStringLiteral("ExecutibleFile")), text + QStringLiteral("2"));
}

// Values read are kept in memory; any change of the table through the library, and a rollback,
// is seen by the next read all the same.
void TestSettingsStore::everyChangeIsSeenByTheNextRead_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("seen");
    QTest::newRow("saved") << "save"
                           << "7";
    QTest::newRow("record updated") << "update"
                                    << "8";
    QTest::newRow("record added") << "add"
                                  << "9";
    QTest::newRow("rolled back") << "rollback"
                                 << "5";
}

void TestSettingsStore::everyChangeIsSeenByTheNextRead()
{
    QFETCH(QString, change);
    QFETCH(QString, seen);
    const QString name = QStringLiteral("SeanceAlarmTime");
    if (change != QLatin1String("add")) {
        SetConfigValue(name, QStringLiteral("5"));
    }
    QCOMPARE(GetConfigValue(name), change == QLatin1String("add") ? QString() : QStringLiteral("5"));
    QString err;
    const auto table = m_db->Table(QStringLiteral("Config"));
    if (change == QLatin1String("save")) {
        SetConfigValue(name, QStringLiteral("7"));
    } else if (change == QLatin1String("update")) {
        const auto record = table->GetRecordByFieldValue(QStringLiteral("FieldName"), name, err);
        QVERIFY2(record, qPrintable(err));
        record->DBFields()->Item(QStringLiteral("FieldValue"))->SetValue(QStringLiteral("8"));
        QVERIFY2(record->Update(err), qPrintable(err));
    } else if (change == QLatin1String("add")) {
        m_db->Add(QStringLiteral("Config"),
                  {{QStringLiteral("FieldName"), name}, {QStringLiteral("FieldValue"), QStringLiteral("9")}});
    } else {
        Rollstrake::Transaction transaction;
        QVERIFY2(transaction.Begin(err), qPrintable(err));
        SetConfigValue(name, QStringLiteral("6"));
        QCOMPARE(GetConfigValue(name), QStringLiteral("6"));
        transaction.Rollback();
    }
    QCOMPARE(GetConfigValue(name), seen);
}

QTEST_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
