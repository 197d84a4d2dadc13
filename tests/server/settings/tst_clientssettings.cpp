#include "clock.h"
#include "controls/executiblefile.h"
#include "controls/password.h"
#include "core/clientsettingtexts.h"
#include "core/settingsstore.h"
#include "datevalue.h"
#include "settings/clientssettingsframe.h"
#include "settingsfixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTreeWidget>

class TestClientsSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void storedWithoutSeparatorsAndStamped();
    void passwords_data();
    void passwords();
    void editingTheAutorunList();

private:
    QTreeWidget *List() const;
    QStringList StoredPrograms() const;

    std::unique_ptr<SettingsFixture> m_fixture;
    std::unique_ptr<ClientsSettingsFrame> m_page;
};

void TestClientsSettings::init()
{
    m_fixture = std::make_unique<SettingsFixture>();
    QVERIFY(m_fixture->Start());
    m_page = std::make_unique<ClientsSettingsFrame>(nullptr);
    m_page->resize(460, 420);
    m_page->show();
}

void TestClientsSettings::cleanup()
{
    m_page.reset();
    m_fixture.reset();
    Clock::SetNow({});
}

QTreeWidget *TestClientsSettings::List() const
{
    return m_page->findChild<QTreeWidget *>(QStringLiteral("AutorunList"));
}

QStringList TestClientsSettings::StoredPrograms() const
{
    QStringList programs;
    const auto records = m_fixture->Db().All(QStringLiteral("AutorunList"));
    for (const auto &record : *records) {
        programs << QString::number(record->Code()) + QLatin1Char(' ')
                        + TextValue(*record, QStringLiteral("ProgramName"));
    }
    return programs;
}

void TestClientsSettings::storedWithoutSeparatorsAndStamped()
{
    Clock::SetNow(DateValue::Make(2026, 3, 5, 14, 7, 9));
    m_page->LoadSettings();
    QSignalSpy saved(m_page.get(), &ClientsSettingsFrame::ClientSettingsChanged);
    m_page->findChild<QCheckBox *>(QStringLiteral("chInfo"))->click();
    auto *notice = m_page->findChild<QPlainTextEdit *>(QStringLiteral("ClientsInfo"));
    QTest::keyClicks(notice, QStringLiteral("Hello|"));
    QTest::keyClick(notice, Qt::Key_Return);
    QTest::keyClicks(notice, QStringLiteral("club"));
    QTest::keyClicks(m_page->findChild<ExecutibleFile *>(QStringLiteral("ExecutibleFile"))->findChild<QLineEdit *>(),
                     QStringLiteral("\\\\srv\\ad|min.exe"));
    QTest::keyClick(List(), Qt::Key_Insert);
    QTest::keyClick(List(), Qt::Key_Insert);
    List()->topLevelItem(0)->setText(0, QStringLiteral("C:\\p|q.exe"));
    QVERIFY(m_page->ValidateAndSave());
    QCOMPARE(saved.count(), 1);
    QCOMPARE(GetClientsInfoString(), QStringLiteral("Hello\r\nclub"));
    QCOMPARE(GetConfigValue(QStringLiteral("ExecutibleFile")), QStringLiteral("\\\\srv\\admin.exe"));
    QCOMPARE(GetAutorunListString(), QStringLiteral(" 2|C:\\pq.exe|Новая программа|"));
    QCOMPARE(GetConfigValue(QStringLiteral("LastClientSettingsUpdate")), QStringLiteral("05/03/2026 14:07:09"));
    m_page->LoadSettings();
    QCOMPARE(notice->toPlainText(), QStringLiteral("Hello\nclub"));
    QVERIFY(m_page->findChild<QCheckBox *>(QStringLiteral("chInfo"))->isChecked());
    QVERIFY(!m_page->Changed());
    QVERIFY(RenderControl(m_page.get(), QStringLiteral("ClientsSettingsFrame")));
}

void TestClientsSettings::passwords_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<QString>("stored");
    const QString old = SettingsFixture::Md5(QStringLiteral("old")).toUpper();
    QTest::newRow("one changed") << QStringLiteral("new") << QString() << false << old;
    QTest::newRow("both alike") << QStringLiteral("new") << QStringLiteral("new") << true
                                << SettingsFixture::Md5(QStringLiteral("new"));
    QTest::newRow("neither") << QString() << QString() << true << old;
}

void TestClientsSettings::passwords()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(bool, saved);
    QFETCH(QString, stored);
    SetConfigValue(QStringLiteral("AdminPassword"), SettingsFixture::Md5(QStringLiteral("old")).toUpper());
    m_page->LoadSettings();
    SettingsFixture::Retype(m_page->findChild<Password *>(QStringLiteral("AdminPassword0"))->TextBox(), first);
    SettingsFixture::Retype(m_page->findChild<Password *>(QStringLiteral("AdminPassword1"))->TextBox(), second);
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    QCOMPARE(m_page->ValidateAndSave(), saved);
    QCOMPARE(SettingsFixture::BoxTexts(),
             saved ? QStringList()
                   : QStringList{QStringLiteral("Пароли доступа к режиму администрирования не совпадают!")});
    QCOMPARE(GetConfigValue(QStringLiteral("AdminPassword")), stored);
    QCOMPARE(GetConfigValue(QStringLiteral("LastClientSettingsUpdate")).isEmpty(), !saved);
}

// The list is written anew on a save: a refused write keeps the stored list, and the next save goes
// through.
void TestClientsSettings::editingTheAutorunList()
{
    for (const QString &name : {QStringLiteral("a.exe"), QStringLiteral("b.exe")}) {
        m_fixture->Db().Add(QStringLiteral("AutorunList"), {{QStringLiteral("ProgramName"), name}});
    }
    QVERIFY(m_fixture->Db().AddRefusal(QStringLiteral("AutorunList"),
                                       QStringLiteral("INSERT"),
                                       QStringLiteral("NEW.ProgramName = 'bad'")));
    const QStringList before = StoredPrograms();
    m_page->LoadSettings();
    QTest::keyClick(List(), Qt::Key_Insert);
    for (const QString &refused : {QStringLiteral("   "), QStringLiteral(" | ")}) {
        List()->topLevelItem(0)->setText(0, refused);
        QCOMPARE(List()->topLevelItem(0)->text(0), QStringLiteral("a.exe"));
    }
    List()->topLevelItem(2)->setText(0, QStringLiteral("bad"));
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    QVERIFY(!m_page->ValidateAndSave());
    QCOMPARE(SettingsFixture::BoxTexts().size(), 1);
    QCOMPARE(StoredPrograms(), before);
    QVERIFY(m_page->Changed());
    QCOMPARE(GetConfigValue(QStringLiteral("LastClientSettingsUpdate")), QString());

    List()->topLevelItem(2)->setText(0, QStringLiteral("c.exe"));
    List()->setCurrentItem(List()->topLevelItem(1));
    QTest::keyClick(List(), Qt::Key_Delete);
    QVERIFY(m_page->ValidateAndSave());
    QVERIFY(!m_page->Changed());
    const QStringList after = StoredPrograms();
    QCOMPARE(after.size(), 2);
    QVERIFY(after.first().endsWith(QStringLiteral(" a.exe")) && after.last().endsWith(QStringLiteral(" c.exe")));
    QVERIFY(!before.contains(after.first()));
}

QTEST_MAIN(TestClientsSettings)
#include "tst_clientssettings.moc"
