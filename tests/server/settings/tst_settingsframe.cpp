#include "controls/numeric.h"
#include "controls/password.h"
#include "controls/smartcontrolscontainer.h"
#include "core/clientsettingtexts.h"
#include "core/settingsstore.h"
#include "core/widgets/registryserilize.h"
#include "settings/settingsframe.h"
#include "settings/settingspage.h"
#include "settingsfixture.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTreeWidget>

class TestSettingsFrame : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void treeOfPages();
    void password_data();
    void password();
    void promptOnEveryLoadAndNoLoadDuringIt();
    void intervalsWithinTheirLimits_data();
    void intervalsWithinTheirLimits();
    void nothingWrittenWithoutEdit();
    void loadIsNoEdit_data();
    void loadIsNoEdit();
    void refusingPageStopsTheSave();
    void deleteQuestionDefaultsToNo_data();
    void deleteQuestionDefaultsToNo();
    void rendered();

private:
    QWidget *Find(const QString &Name) const;
    QString CurrentPage() const;

    std::unique_ptr<SettingsFixture> m_fixture;
    std::unique_ptr<SettingsFrame> m_view;
    QString m_typed;
    int m_prompts = 0;
    std::function<void()> m_duringPrompt;
};

void TestSettingsFrame::init()
{
    m_fixture = std::make_unique<SettingsFixture>();
    QVERIFY(m_fixture->Start());
    m_view = std::make_unique<SettingsFrame>();
    m_typed.clear();
    m_prompts = 0;
    m_duringPrompt = nullptr;
    connect(m_view.get(), &SettingsFrame::QueryConfigPassword, this, [this](QString &Digest) {
        ++m_prompts;
        if (m_duringPrompt) {
            m_duringPrompt();
        }
        Digest = m_typed;
    });
    m_view->resize(700, 450);
    m_view->show();
}

void TestSettingsFrame::cleanup()
{
    m_view.reset();
    m_fixture.reset();
}

QWidget *TestSettingsFrame::Find(const QString &Name) const
{
    return m_view->findChild<QWidget *>(Name);
}

QString TestSettingsFrame::CurrentPage() const
{
    return m_view->findChild<QStackedWidget *>(QStringLiteral("RightFrame"))->currentWidget()->objectName();
}

// The server page first; a hidden page is neither shown nor stops a save, and the tree stays open.
void TestSettingsFrame::treeOfPages()
{
    auto *tree = m_view->findChild<QTreeWidget *>(QStringLiteral("SettingsTree"));
    QCOMPARE(CurrentPage(), QStringLiteral("ServerSettingsFrame"));
    tree->setCurrentItem(tree->topLevelItem(0)->child(2));
    QCOMPARE(CurrentPage(), QStringLiteral("ProxySettingsFrame"));
    m_view->ShowSettingsPage(QStringLiteral("StaffSettings"));
    QCOMPARE(CurrentPage(), QStringLiteral("ProxySettingsFrame"));
    tree->collapseItem(tree->topLevelItem(0));
    QVERIFY(tree->topLevelItem(0)->isExpanded());
    SettingsPage *staff = m_view->Pages().at(5);
    QCOMPARE(staff->objectName(), QStringLiteral("StaffSettingsFrame"));
    QVERIFY(!staff->Changed());
    QVERIFY(staff->ValidateAndSave());
}

void TestSettingsFrame::password_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("opens");
    const QString secret = SettingsFixture::Md5(QStringLiteral("secret"));
    QTest::newRow("none, prompt closed") << QString() << QString() << true;
    QTest::newRow("set, prompt closed") << secret << QString() << false;
    QTest::newRow("set, right") << secret << secret << true;
    QTest::newRow("set in upper case, right") << secret.toUpper() << secret << true;
    QTest::newRow("set, wrong") << secret << SettingsFixture::Md5(QStringLiteral("Secret")) << false;
    QTest::newRow("none, box emptied") << QString() << SettingsFixture::Md5(QString()) << false;
}

void TestSettingsFrame::password()
{
    QFETCH(QString, stored);
    QFETCH(QString, typed);
    QFETCH(bool, opens);
    SetConfigValue(QStringLiteral("ConfigPassword"), stored);
    SetConfigValue(QStringLiteral("SeancesRefreshInterval"), QStringLiteral("7"));
    m_typed = typed;
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    m_view->LoadSettings();
    QCOMPARE(Find(QStringLiteral("SmartControlsContainer"))->isVisible(), opens);
    QCOMPARE(SettingsFixture::BoxTexts(),
             opens ? QStringList()
                   : QStringList{QStringLiteral("Введён неверный пароль! Доступ к настройкам закрыт!")});
    const auto *interval = m_view->findChild<Numeric *>(QStringLiteral("SeancesRefreshInterval"));
    QCOMPARE(interval->Value() == Currency(7), opens);
}

void TestSettingsFrame::promptOnEveryLoadAndNoLoadDuringIt()
{
    m_duringPrompt = [this] {
        m_view->LoadSettings();
    };
    m_view->LoadSettings();
    m_view->LoadSettings();
    QCOMPARE(m_prompts, 2);
    QVERIFY(SettingsFixture::BoxTexts().isEmpty());
}

void TestSettingsFrame::intervalsWithinTheirLimits_data()
{
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QStringList>("shown");
    const QStringList defaults = {QStringLiteral("1"), QStringLiteral("5"), QStringLiteral("20"), QStringLiteral("2")};
    QTest::newRow("defaults") << defaults << defaults;
    QTest::newRow("beyond the limits")
        << QStringList{QStringLiteral("99"), QStringLiteral("0"), QStringLiteral("2"), QStringLiteral("31")}
        << QStringList{QStringLiteral("60"), QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("30")};
}

void TestSettingsFrame::intervalsWithinTheirLimits()
{
    QFETCH(QStringList, stored);
    QFETCH(QStringList, shown);
    const QStringList keys = {QStringLiteral("OnLineStatusCheckInterval"),
                              QStringLiteral("OffLineStatusCheckInterval"),
                              QStringLiteral("SeancesRefreshInterval"),
                              QStringLiteral("SeanceAlarmTime")};
    QStringList texts;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        SetConfigValue(keys.at(i), stored.at(i));
    }
    m_view->LoadSettings();
    for (const QString &key : keys) {
        texts << m_view->findChild<Numeric *>(key)->TextBox()->text();
    }
    QCOMPARE(texts, shown);
    QVERIFY(!m_view->Changed());
}

// Only the client page stores on every save: its stamp sends the settings again.
void TestSettingsFrame::nothingWrittenWithoutEdit()
{
    m_view->LoadSettings();
    QSignalSpy intervals(m_view.get(), &SettingsFrame::UpdateIntervals);
    QSignalSpy computers(m_view.get(), &SettingsFrame::UpdateComputersSettings);
    QSignalSpy internet(m_view.get(), &SettingsFrame::UpdateInternet);
    const auto config = m_fixture->Db().Table(QStringLiteral("Config"));
    const quint64 changes = config->ChangeCount();
    for (SettingsPage *page : m_view->Pages()) {
        if (page->Key() != QStringLiteral("ClientsSettings")) {
            QVERIFY(page->ValidateAndSave());
        }
    }
    QCOMPARE(config->ChangeCount(), changes);
    QCOMPARE(intervals.count() + computers.count() + internet.count(), 0);
}

void TestSettingsFrame::loadIsNoEdit_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("notice");
    const QString notice = QStringLiteral("Добро пожаловать!|Правила клуба");
    QTest::newRow("ClientsSettings without a notice") << QStringLiteral("ClientsSettings") << QString();
    for (const char *key : {"ServiceSettings",
                            "ProxySettings",
                            "CardsSettings",
                            "RateSettings",
                            "NightSettings",
                            "StaffSettings",
                            "ComputersSettings",
                            "ServerSettings",
                            "ClientsSettings"}) {
        QTest::newRow(key) << QString::fromLatin1(key) << notice;
    }
}

// Every page filled with what a club has; loading it twice is no edit of the operator's.
void TestSettingsFrame::loadIsNoEdit()
{
    QFETCH(QString, key);
    QFETCH(QString, notice);
    SetClientsInfoString(notice);
    m_fixture->Db().AddComputer(1, QStringLiteral("Касса"));
    m_fixture->Db().AddRate(QStringLiteral("Дневной"), 0, 70);
    const auto pages = m_view->Pages();
    const auto found =
        std::find_if(pages.cbegin(), pages.cend(), [&key](SettingsPage *Page) { return Page->Key() == key; });
    QVERIFY(found != pages.cend());
    SettingsPage *page = *found;
    QSignalSpy pageEdited(page, &SettingsPage::Edited);
    QSignalSpy viewEdited(m_view.get(), &SettingsFrame::Edited);
    for (int load = 0; load < 2; ++load) {
        page->LoadSettings();
        QVERIFY(!page->Changed());
    }
    QCOMPARE(pageEdited.count(), 0);
    QCOMPARE(viewEdited.count(), 0);
}

void TestSettingsFrame::refusingPageStopsTheSave()
{
    m_view->LoadSettings();
    const QString kept = QStringLiteral("1234");
    RegistrySerilize::SaveContainerValue(QStringLiteral("SettingsSeparator"), kept);
    QSignalSpy edited(m_view.get(), &SettingsFrame::Edited);
    QSignalSpy intervals(m_view.get(), &SettingsFrame::UpdateIntervals);
    QSignalSpy computers(m_view.get(), &SettingsFrame::UpdateComputersSettings);
    m_view->findChild<Numeric *>(QStringLiteral("SeanceAlarmTime"))->TextBox()->setText(QStringLiteral("9"));
    QTest::keyClicks(m_view->findChild<Password *>(QStringLiteral("AdminPassword0"))->TextBox(), QStringLiteral("x"));
    QVERIFY(m_view->Changed());
    QVERIFY(edited.count() >= 2);
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    QVERIFY(!m_view->ValidateAndSave());
    QCOMPARE(SettingsFixture::BoxTexts(),
             QStringList{QStringLiteral("Пароли доступа к режиму администрирования не совпадают!")});
    QCOMPARE(GetConfigValue(QStringLiteral("SeanceAlarmTime")), QStringLiteral("9"));
    QCOMPARE(intervals.count(), 1);
    QCOMPARE(computers.count(), 0);
    QCOMPARE(CurrentPage(), QStringLiteral("ClientsSettingsFrame"));
    QVERIFY(m_view->Changed());
    QCOMPARE(RegistrySerilize::GetContainerValue(QStringLiteral("SettingsSeparator")), kept);

    QTest::keyClicks(m_view->findChild<Password *>(QStringLiteral("AdminPassword1"))->TextBox(), QStringLiteral("x"));
    QVERIFY(m_view->ValidateAndSave());
    QCOMPARE(computers.count(), 1);
    QCOMPARE(intervals.count(), 1);
    QVERIFY(!m_view->Changed());
    const auto *container = m_view->findChild<SmartControlsContainer *>(QStringLiteral("SmartControlsContainer"));
    QCOMPARE(RegistrySerilize::GetContainerValue(QStringLiteral("SettingsSeparator")),
             QString::number(container->SeparatorPosition()));
}

void TestSettingsFrame::deleteQuestionDefaultsToNo_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("list");
    QTest::newRow("computer, its seance and payments")
        << QStringLiteral("ComputersSettings") << QStringLiteral("ComputersList");
    QTest::newRow("card, its payments") << QStringLiteral("CardsSettings") << QStringLiteral("CardsList");
}

// Return answers the question before money records go with its default, "Нет": nothing is deleted.
void TestSettingsFrame::deleteQuestionDefaultsToNo()
{
    QFETCH(QString, page);
    QFETCH(QString, list);
    CoreDatabase &db = m_fixture->Db();
    const QDateTime now = DateValue::Make(2026, 3, 5, 14);
    const qint32 seance = db.AddSeance(db.AddComputer(1),
                                       db.AddDesktop(QStringLiteral("Стол")),
                                       db.AddRate(QStringLiteral("Тариф"), 0, 60),
                                       now,
                                       now.addSecs(3600));
    const qint32 card = db.Add(QStringLiteral("Cards"),
                               {{QStringLiteral("Barcode"), QStringLiteral("111")},
                                {QStringLiteral("OwnerNickname"), QStringLiteral("Гость")}});
    db.Add(QStringLiteral("CardPays"), {{QStringLiteral("Card"), card}, {QStringLiteral("Sum"), 100}});
    db.Add(QStringLiteral("SeancePays"),
           {{QStringLiteral("Seance"), seance}, {QStringLiteral("Card"), card}, {QStringLiteral("Sum"), 60}});
    db.Add(QStringLiteral("SeancePays"), {{QStringLiteral("Seance"), seance}, {QStringLiteral("Sum"), 10}});
    const auto counts = [&db] {
        QList<qint32> found;
        for (const char *table : {"Computers", "Seances", "Cards", "CardPays", "SeancePays"}) {
            found << db.All(QString::fromLatin1(table))->Count();
        }
        return found;
    };
    m_view->LoadSettings();
    m_view->ShowSettingsPage(page);
    QMessageBox::StandardButton chosen = QMessageBox::NoButton;
    SettingsFixture::AnswerDialog(this, [&chosen](QWidget *Dialog) {
        auto *box = qobject_cast<QMessageBox *>(Dialog);
        QVERIFY(box);
        chosen = box->standardButton(box->defaultButton());
        QTest::keyClick(box, Qt::Key_Return);
    });
    QTest::keyClick(Find(list), Qt::Key_Delete);
    QCOMPARE(SettingsFixture::BoxTexts().size(), 1);
    QCOMPARE(counts(), (QList<qint32>{1, 1, 1, 1, 2}));
    QCOMPARE(chosen, QMessageBox::No);
}

void TestSettingsFrame::rendered()
{
    m_view->LoadSettings();
    for (SettingsPage *page : m_view->Pages()) {
        m_view->ShowSettingsPage(page->Key());
        QVERIFY(RenderControl(m_view.get(), QStringLiteral("settings-") + page->Key()));
    }
}

QTEST_MAIN(TestSettingsFrame)
#include "tst_settingsframe.moc"
