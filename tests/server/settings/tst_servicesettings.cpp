#include "clock.h"
#include "controls/numeric.h"
#include "controls/string.h"
#include "datevalue.h"
#include "settings/lists/serviceslist.h"
#include "settings/servicesettingsframe.h"
#include "settings/servicesframe.h"
#include "settingsfixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>

// The service types page, the service list and the operator's view of service sales.
class TestServiceSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void listChoosesTheFirstType();
    void typesAddedEditedAndDeleted();
    void salesButtons_data();
    void salesButtons();
    void saleAskedAndStored();
    void reloadKeepsTheTypeWhileItExists();

private:
    template <typename T>
    static T *Find(QWidget *Page, const QString &Name)
    {
        return SettingsFixture::Child<T>(Page, Name);
    }

    qint32 AddType(const QString &Name, double Price) const;
    // The operator's input on the sales view: the type (0: the blank entry), the units, the comment.
    void EnterSale(qint32 Type, const QString &Amount, const QString &Comment);
    QStringList Sales() const;
    QStringList Buttons() const;

    std::unique_ptr<SettingsFixture> m_fixture;
    std::unique_ptr<ServicesFrame> m_view;
};

void TestServiceSettings::init()
{
    m_fixture = std::make_unique<SettingsFixture>();
    QVERIFY(m_fixture->Start());
    m_view = std::make_unique<ServicesFrame>();
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

void TestServiceSettings::cleanup()
{
    m_view.reset();
    m_fixture.reset();
    Clock::SetNow({});
}

qint32 TestServiceSettings::AddType(const QString &Name, double Price) const
{
    return m_fixture->Db().Add(
        QStringLiteral("ServiceTypes"),
        {{QStringLiteral("Name"), Name}, {QStringLiteral("Price"), QVariant::fromValue(Currency::FromDouble(Price))}});
}

void TestServiceSettings::EnterSale(qint32 Type, const QString &Amount, const QString &Comment)
{
    QComboBox *combo = Find<ServicesList>(m_view.get(), QStringLiteral("ServicesList"))->ComboBox();
    combo->setCurrentIndex(combo->findData(Type));
    SettingsFixture::Retype(Find<Numeric>(m_view.get(), QStringLiteral("sAmount"))->TextBox(), Amount);
    Find<String>(m_view.get(), QStringLiteral("sComment"))->TextBox()->setText(Comment);
}

QStringList TestServiceSettings::Sales() const
{
    QStringList sales;
    const auto records = m_fixture->Db().All(QStringLiteral("Services"));
    for (const auto &sale : *records) {
        sales << QStringLiteral("%1 %2 %3 %4")
                     .arg(IntValue(*sale, QStringLiteral("ServiceType")))
                     .arg(IntValue(*sale, QStringLiteral("Amount")))
                     .arg(
                         DateValueOf(*sale, QStringLiteral("ServiceTime")).toString(QStringLiteral("dd.MM.yyyy HH:mm")),
                         TextValue(*sale, QStringLiteral("Comment")));
    }
    return sales;
}

// "add clear" with the enabled buttons in capitals.
QStringList TestServiceSettings::Buttons() const
{
    QStringList buttons;
    for (const char *name : {"btnAdd", "btnClear"}) {
        const auto *button = Find<QPushButton>(m_view.get(), QString::fromLatin1(name));
        const QString text = QString::fromLatin1(name).mid(3);
        buttons << (button->isEnabled() ? text.toUpper() : text.toLower());
    }
    return buttons;
}

void TestServiceSettings::listChoosesTheFirstType()
{
    ServicesList list;
    QSignalSpy click(&list, &ServicesList::Click);
    // An empty list still says so.
    list.FillServicesList();
    QCOMPARE(click.count(), 1);
    QCOMPARE(list.Value(), 0);
    const qint32 coffee = AddType(QStringLiteral("Кофе"), 50);
    const qint32 print = AddType(QStringLiteral("Печать"), 5);
    list.FillServicesList(print);
    QCOMPARE(list.Value(), print);
    list.FillServicesList();
    QCOMPARE(list.Value(), coffee);
    list.FillServicesList(print, QStringLiteral(" "));
    QCOMPARE(list.ComboBox()->count(), 3);
    QCOMPARE(list.Value(), print);
    QCOMPARE(click.count(), 4);
}

void TestServiceSettings::typesAddedEditedAndDeleted()
{
    ServiceSettingsFrame page(nullptr);
    page.show();
    page.LoadSettings();
    auto *editor = Find<QWidget>(&page, QStringLiteral("ServiceEdit"));
    auto *del = Find<QToolButton>(&page, QStringLiteral("DelService"));
    QVERIFY(!editor->isEnabled());
    Find<QToolButton>(&page, QStringLiteral("AddService"))->click();
    Find<QToolButton>(&page, QStringLiteral("AddService"))->click();
    const qint32 second = page.CurrentCode();
    QCOMPARE(Find<String>(&page, QStringLiteral("ServiceName"))->Value(), QStringLiteral("Новая услуга 2"));
    Find<String>(&page, QStringLiteral("ServiceName"))->TextBox()->setText(QStringLiteral(" Печать "));
    SettingsFixture::Retype(Find<Numeric>(&page, QStringLiteral("ServicePrice"))->TextBox(),
                            QStringLiteral("1250EBBBBBBB12.5"));
    QVERIFY(page.ValidateAndSave());
    QVERIFY(!page.Changed());
    const auto stored = m_fixture->Db().Record(QStringLiteral("ServiceTypes"), second);
    QCOMPARE(TextValue(*stored, QStringLiteral("Name")), QStringLiteral("Печать"));
    QCOMPARE(MoneyValue(*stored, QStringLiteral("Price")), Currency::FromDouble(12.5));
    QVERIFY(RenderControl(&page, QStringLiteral("ServiceSettingsFrame")));

    // A type with sales stays; the last type gone leaves an empty list and no record in the editor.
    m_fixture->Db().Add(QStringLiteral("Services"),
                        {{QStringLiteral("ServiceType"), second}, {QStringLiteral("Amount"), 1}});
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    del->click();
    QCOMPARE(SettingsFixture::BoxTexts(),
             QStringList{QStringLiteral("В объекте 'Оказанные услуги' есть запись, поле 'Услуга' которой ссылается на "
                                        "удаляемую запись в объекте 'Виды услуг'! Удаление невозможно!")});
    m_fixture->Db().Execute(QStringLiteral("DELETE FROM Services"));
    // Deleted with unsaved edits: nothing written, the first type bound next.
    Find<String>(&page, QStringLiteral("ServiceName"))->TextBox()->setText(QStringLiteral("Правка"));
    del->click();
    QVERIFY(!m_fixture->Db().Record(QStringLiteral("ServiceTypes"), second));
    QCOMPARE(Find<String>(&page, QStringLiteral("ServiceName"))->Value(), QStringLiteral("Новая услуга 1"));
    QSignalSpy click(Find<ServicesList>(&page, QStringLiteral("ServicesList")), &ServicesList::Click);
    del->click();
    QVERIFY(!click.isEmpty());
    QCOMPARE(m_fixture->Db().All(QStringLiteral("ServiceTypes"))->Count(), 0);
    QCOMPARE(page.CurrentCode(), 0);
    QVERIFY(!editor->isEnabled());
    QVERIFY(!del->isEnabled());
    QCOMPARE(Find<String>(&page, QStringLiteral("ServiceName"))->Value(), QString());
    QVERIFY(page.Changed());
    QVERIFY(page.ValidateAndSave());
}

void TestServiceSettings::salesButtons_data()
{
    QTest::addColumn<bool>("withType");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<QStringList>("buttons");
    QTest::newRow("nothing") << false << QStringLiteral("0") << QString()
                             << QStringList{QStringLiteral("add"), QStringLiteral("clear")};
    QTest::newRow("a comment alone") << false << QStringLiteral("0") << QStringLiteral("Кто-то")
                                     << QStringList{QStringLiteral("add"), QStringLiteral("CLEAR")};
    QTest::newRow("units without a type")
        << false << QStringLiteral("3") << QString() << QStringList{QStringLiteral("add"), QStringLiteral("CLEAR")};
    QTest::newRow("a type without units")
        << true << QStringLiteral("0") << QString() << QStringList{QStringLiteral("add"), QStringLiteral("CLEAR")};
    QTest::newRow("a type and units") << true << QStringLiteral("3") << QString()
                                      << QStringList{QStringLiteral("ADD"), QStringLiteral("CLEAR")};
}

void TestServiceSettings::salesButtons()
{
    QFETCH(bool, withType);
    QFETCH(QString, amount);
    QFETCH(QString, comment);
    QFETCH(QStringList, buttons);
    const qint32 type = AddType(QStringLiteral("Кофе"), 50);
    m_view->LoadSettings();
    QCOMPARE(Find<ServicesList>(m_view.get(), QStringLiteral("ServicesList"))->ComboBox()->itemText(0),
             QStringLiteral(" "));
    QCOMPARE(Buttons(), (QStringList{QStringLiteral("add"), QStringLiteral("clear")}));
    EnterSale(withType ? type : 0, amount, comment);
    QCOMPARE(Buttons(), buttons);
    QVERIFY(!m_view->Changed());
}

void TestServiceSettings::saleAskedAndStored()
{
    Clock::SetNow(DateValue::Make(2026, 3, 5, 14, 7));
    const qint32 type = AddType(QStringLiteral("Кофе"), 12.5);
    m_view->LoadSettings();
    EnterSale(type, QStringLiteral("3"), QStringLiteral("Столик 2"));
    MessageBox::PrepareAnswer(QMessageBox::No);
    Find<QPushButton>(m_view.get(), QStringLiteral("btnAdd"))->click();
    const QList<MessageBox::Record> asked = MessageBox::TakeRecords();
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked.first().Icon, QMessageBox::Question);
    QCOMPARE(asked.first().Title + QLatin1Char('/') + asked.first().Text, QStringLiteral("Внимание!/Добавить услугу?"));
    QCOMPARE(Sales(), QStringList());
    QCOMPARE(Buttons(), (QStringList{QStringLiteral("ADD"), QStringLiteral("CLEAR")}));

    // The database refuses: its text in the critical box, the input kept.
    QVERIFY(m_fixture->Db().AddRefusal(QStringLiteral("Services"), QStringLiteral("INSERT"), QStringLiteral("1 = 1")));
    MessageBox::PrepareAnswer(QMessageBox::Yes);
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    Find<QPushButton>(m_view.get(), QStringLiteral("btnAdd"))->click();
    const QList<MessageBox::Record> refused = MessageBox::TakeRecords();
    QCOMPARE(refused.size(), 2);
    QCOMPARE(refused.last().Icon, QMessageBox::Critical);
    QVERIFY(!refused.last().Text.isEmpty());
    QCOMPARE(Find<String>(m_view.get(), QStringLiteral("sComment"))->Value(), QStringLiteral("Столик 2"));
    m_fixture->Db().Execute(TestDatabase::IsOdbc() ? QStringLiteral("DROP TRIGGER qm_refusal_1 ON Services")
                                                   : QStringLiteral("DROP TRIGGER qm_refusal_1"));

    MessageBox::PrepareAnswer(QMessageBox::Yes);
    Find<QPushButton>(m_view.get(), QStringLiteral("btnAdd"))->click();
    QCOMPARE(Sales(), QStringList{QStringLiteral("%1 3 05.03.2026 14:07 Столик 2").arg(type)});
    QCOMPARE(Find<ServicesList>(m_view.get(), QStringLiteral("ServicesList"))->Value(), 0);
    QCOMPARE(Find<Numeric>(m_view.get(), QStringLiteral("sAmount"))->Value(), Currency());
    QCOMPARE(Find<String>(m_view.get(), QStringLiteral("sComment"))->Value(), QString());
    QCOMPARE(Buttons(), (QStringList{QStringLiteral("add"), QStringLiteral("clear")}));
    QVERIFY(m_view->ValidateAndSave());
    QVERIFY(RenderControl(m_view.get(), QStringLiteral("ServicesFrame")));
}

void TestServiceSettings::reloadKeepsTheTypeWhileItExists()
{
    AddType(QStringLiteral("Кофе"), 50);
    const qint32 print = AddType(QStringLiteral("Печать"), 5);
    m_view->LoadSettings();
    EnterSale(print, QStringLiteral("0"), QString());
    m_view->LoadSettings();
    QCOMPARE(Find<ServicesList>(m_view.get(), QStringLiteral("ServicesList"))->Value(), print);
    QString err;
    QVERIFY2(m_fixture->Db().Table(QStringLiteral("ServiceTypes"))->Remove(print, false, err), qPrintable(err));
    m_view->LoadSettings();
    QCOMPARE(Find<ServicesList>(m_view.get(), QStringLiteral("ServicesList"))->ComboBox()->currentText(),
             QStringLiteral(" "));
    QCOMPARE(Buttons(), (QStringList{QStringLiteral("add"), QStringLiteral("clear")}));
}

QTEST_MAIN(TestServiceSettings)
#include "tst_servicesettings.moc"
