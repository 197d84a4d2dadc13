#include "controls/numeric.h"
#include "core/settingsstore.h"
#include "settings/proxysettingsframe.h"
#include "settingsfixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSignalSpy>

class TestProxySettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void allowances_data();
    void allowances();
    void everythingStoredWithTheProxyOff();
    void enabledInputs();

private:
    template <typename T>
    T *Find(const QString &Name) const
    {
        return m_page->findChild<T *>(Name);
    }

    QStringList Stored() const;

    std::unique_ptr<SettingsFixture> m_fixture;
    std::unique_ptr<ProxySettingsFrame> m_page;
};

void TestProxySettings::init()
{
    m_fixture = std::make_unique<SettingsFixture>();
    QVERIFY(m_fixture->Start());
    for (const auto &[key, value] : {std::pair{QStringLiteral("InternetAvailable"), QStringLiteral("1")},
                                     std::pair{QStringLiteral("OuterProxyIP"), QStringLiteral("10.1.2.3")},
                                     std::pair{QStringLiteral("OuterProxyPort"), QStringLiteral("3128")}}) {
        SetConfigValue(key, value);
    }
    m_page = std::make_unique<ProxySettingsFrame>(nullptr);
    m_page->show();
}

void TestProxySettings::cleanup()
{
    m_page.reset();
    m_fixture.reset();
}

QStringList TestProxySettings::Stored() const
{
    QStringList values;
    for (const QString &key :
         QStringLiteral("HourDownloadLimit OuterProxyIP OuterProxyPort InternetAvailable ProxyPort "
                        "ProxyConnectTimeout HourUploadLimit")
             .split(QLatin1Char(' '))) {
        values << GetConfigValue(key);
    }
    return values;
}

void TestProxySettings::allowances_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::newRow("unticked") << QStringLiteral("500") << false << QString() << QStringLiteral("0");
    QTest::newRow("ticked with 0") << QStringLiteral("0") << true << QString() << QStringLiteral("0");
    QTest::newRow("ticked with a value") << QStringLiteral("0") << true << QStringLiteral("12345")
                                         << QStringLiteral("12345");
}

void TestProxySettings::allowances()
{
    QFETCH(QString, stored);
    QFETCH(bool, ticked);
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    SetConfigValue(QStringLiteral("HourDownloadLimit"), stored);
    m_page->LoadSettings();
    auto *check = Find<QCheckBox>(QStringLiteral("chHourDownloadLimit"));
    check->click();
    QCOMPARE(check->isChecked(), ticked);
    if (!typed.isEmpty()) {
        SettingsFixture::Retype(Find<Numeric>(QStringLiteral("HourDownloadLimit"))->TextBox(), typed);
    }
    QVERIFY(m_page->ValidateAndSave());
    QCOMPARE(GetConfigValue(QStringLiteral("HourDownloadLimit")), saved);
    m_page->LoadSettings();
    QCOMPARE(check->isChecked(), saved != QStringLiteral("0"));
    QVERIFY(RenderControl(m_page.get(), QStringLiteral("ProxySettingsFrame")));
}

void TestProxySettings::everythingStoredWithTheProxyOff()
{
    m_page->LoadSettings();
    QSignalSpy saved(m_page.get(), &ProxySettingsFrame::InternetSettingsChanged);
    Find<QCheckBox>(QStringLiteral("InternetAvailable"))->click();
    QVERIFY(m_page->ValidateAndSave());
    QCOMPARE(saved.count(), 1);
    QCOMPARE(Stored().join(QLatin1Char(' ')), QStringLiteral("0 10.1.2.3 3128 0 6666 5 0"));
}

void TestProxySettings::enabledInputs()
{
    SetConfigValue(QStringLiteral("InternetAvailable"), QStringLiteral("0"));
    SetConfigValue(QStringLiteral("HourUploadLimit"), QStringLiteral("300"));
    m_page->LoadSettings();
    const auto states = [this] {
        return QList<bool>{Find<Numeric>(QStringLiteral("ProxyPort"))->Enabled(),
                           Find<QCheckBox>(QStringLiteral("chHourUploadLimit"))->isEnabled(),
                           Find<Numeric>(QStringLiteral("HourUploadLimit"))->Enabled(),
                           Find<Numeric>(QStringLiteral("HourDownloadLimit"))->Enabled()};
    };
    // As loaded, each allowance input follows its own box, even with the proxy off.
    QCOMPARE(states(), (QList<bool>{false, false, true, false}));
    QVERIFY(Find<QCheckBox>(QStringLiteral("chHourUploadLimit"))->isChecked());
    Find<QCheckBox>(QStringLiteral("InternetAvailable"))->click();
    QCOMPARE(states(), (QList<bool>{true, true, true, false}));
    QVERIFY(m_page->Changed());
}

QTEST_MAIN(TestProxySettings)
#include "tst_proxysettings.moc"
