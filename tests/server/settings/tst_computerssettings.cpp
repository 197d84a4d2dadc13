#include "controls/ipaddress.h"
#include "controls/numeric.h"
#include "controls/string.h"
#include "core/dbvalues.h"
#include "datevalue.h"
#include "settings/computerssettingsframe.h"
#include "settingsfixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTreeWidget>

// What the operator does in the computer dialog; empty texts leave an input as it is.
struct ComputerInput
{
    QString Num;
    QString IP;
    QString NetworkName;
    QString Name;
    bool Accept = true;
};

class TestComputersSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void addDialog_data();
    void addDialog();
    void addsOneAfterAnother();
    void typedThroughTheKeyboard();
    void editKeepsTheNumber();
    void deleteAsksFirst();

private:
    // Answers the dialog that Action opens; its proposed number and caption come back.
    QString RunDialog(const std::function<void()> &Action, const ComputerInput &Input);
    QStringList Computers() const;
    qint32 Count(const QString &Table) const;

    std::unique_ptr<SettingsFixture> m_fixture;
    std::unique_ptr<ComputersSettingsFrame> m_page;
};

void TestComputersSettings::init()
{
    m_fixture = std::make_unique<SettingsFixture>();
    QVERIFY(m_fixture->Start());
    m_page = std::make_unique<ComputersSettingsFrame>(nullptr);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
}

void TestComputersSettings::cleanup()
{
    m_page.reset();
    m_fixture.reset();
}

QString TestComputersSettings::RunDialog(const std::function<void()> &Action, const ComputerInput &Input)
{
    QString seen;
    QObject context;
    SettingsFixture::AnswerDialog(&context, [&](QWidget *Dialog) {
        const auto close = SettingsFixture::CancelOnExit(Dialog);
        auto *number = Dialog->findChild<Numeric *>(QStringLiteral("ComputerID"));
        seen = Dialog->windowTitle() + QLatin1Char('/') + number->TextBox()->text()
               + (number->Enabled() ? QString() : QStringLiteral("/fixed"));
        QVERIFY(RenderControl(Dialog, QStringLiteral("frmEditComputer")));
        if (!Input.Num.isEmpty()) {
            number->TextBox()->setText(Input.Num);
        }
        if (!Input.IP.isEmpty()) {
            Dialog->findChild<IPAddress *>(QStringLiteral("ComputerIP"))->SetValue(Input.IP);
        }
        if (!Input.NetworkName.isEmpty()) {
            Dialog->findChild<QRadioButton *>(QStringLiteral("opCompName"))->click();
            QTest::keyClicks(Dialog->findChild<String *>(QStringLiteral("sCompName"))->TextBox(), Input.NetworkName);
        }
        Dialog->findChild<QCheckBox *>(QStringLiteral("chName"))->setChecked(!Input.Name.isEmpty());
        Dialog->findChild<String *>(QStringLiteral("sName"))->SetValue(Input.Name);
        if (Input.Accept) {
            Dialog->findChild<QPushButton *>(QStringLiteral("OK"))->click();
        }
    });
    Action();
    return seen;
}

QStringList TestComputersSettings::Computers() const
{
    QStringList computers;
    const auto records = m_fixture->Db().All(QStringLiteral("Computers"));
    for (const auto &computer : *records) {
        computers << QStringLiteral("%1 %2 %3 %4")
                         .arg(IntValue(*computer, QStringLiteral("Num")))
                         .arg(TextValue(*computer, QStringLiteral("IP")),
                              TextValue(*computer, QStringLiteral("Name")),
                              DateValue::IsZero(DateValueOf(*computer, QStringLiteral("LastSettingsUpdate")))
                                  ? QStringLiteral("new")
                                  : QStringLiteral("sent"));
    }
    return computers;
}

qint32 TestComputersSettings::Count(const QString &Table) const
{
    return m_fixture->Db().All(Table)->Count();
}

void TestComputersSettings::addDialog_data()
{
    QTest::addColumn<QList<qint32>>("numbers");
    QTest::addColumn<QString>("num");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("networkName");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("proposed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("stored");
    const QString first = QStringLiteral("Добавление компьютера/1");
    const QStringList one{QStringLiteral("1 127.0.0.1  new")};
    const QString taken = QStringLiteral("Запись с таким значением поля '%1' уже присутствует в объекте 'Компьютеры'!");
    QTest::newRow("proposes the free number") << QList<qint32>{1, 2, 4} << QString() << QString() << QString() << false
                                              << QStringLiteral("Добавление компьютера/3") << QString()
                                              << QStringList{QStringLiteral("1 127.0.0.1  new"),
                                                             QStringLiteral("2 127.0.0.2  new"),
                                                             QStringLiteral("4 127.0.0.4  new")};
    QTest::newRow("number 0") << QList<qint32>() << QStringLiteral("0") << QString() << QString() << true << first
                              << QStringLiteral("Не указан порядковый номер компьютера!") << QStringList();
    QTest::newRow("unknown name") << QList<qint32>() << QString() << QString() << QStringLiteral("nothing.invalid")
                                  << true << first << QStringLiteral("Компьютер с именем 'NOTHING.INVALID' не найден!")
                                  << QStringList();
    QTest::newRow("known name") << QList<qint32>() << QString() << QString() << QStringLiteral("localhost") << true
                                << first << QString() << one;
    // The library refuses what the dialog lets through.
    QTest::newRow("number taken") << QList<qint32>{1} << QStringLiteral("1") << QStringLiteral("10.0.0.9") << QString()
                                  << true << QStringLiteral("Добавление компьютера/2")
                                  << taken.arg(QStringLiteral("Порядковый номер")) << one;
    const QString refused = QStringLiteral("IP-адрес '%1' не может быть адресом компьютера!");
    for (const char *address : {"0.0.0.0", "255.255.255.255", "224.0.0.0", "239.255.255.255", "230.1.2.3"}) {
        const QString ip = QString::fromLatin1(address);
        QTest::addRow("refused %s", address)
            << QList<qint32>() << QString() << ip << QString() << true << first << refused.arg(ip) << QStringList();
    }
    for (const char *address : {"127.0.0.5", "223.255.255.255", "240.0.0.1", "1.0.0.0"}) {
        QTest::addRow("allowed %s", address)
            << QList<qint32>() << QString() << QString::fromLatin1(address) << QString() << true << first << QString()
            << QStringList{QStringLiteral("1 %1  new").arg(QString::fromLatin1(address))};
    }
    QTest::newRow("address taken") << QList<qint32>{1} << QString() << QStringLiteral("127.0.0.1") << QString() << true
                                   << QStringLiteral("Добавление компьютера/2") << taken.arg(QStringLiteral("IP-адрес"))
                                   << one;
}

void TestComputersSettings::addDialog()
{
    QFETCH(QList<qint32>, numbers);
    QFETCH(QString, num);
    QFETCH(QString, ip);
    QFETCH(QString, networkName);
    QFETCH(bool, accept);
    QFETCH(QString, proposed);
    QFETCH(QString, message);
    QFETCH(QStringList, stored);
    for (qint32 number : numbers) {
        m_fixture->Db().AddComputer(number);
    }
    m_page->LoadSettings();
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    QCOMPARE(RunDialog([this] { m_page->AddComputer(); }, {num, ip, networkName, {}, accept}), proposed);
    QCOMPARE(SettingsFixture::BoxTexts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(Computers(), stored);
    QCOMPARE(m_page->Changed(), accept && message.isEmpty());
}

void TestComputersSettings::addsOneAfterAnother()
{
    m_page->LoadSettings();
    QSignalSpy changed(m_page.get(), &ComputersSettingsFrame::ComputersChanged);
    auto *add = m_page->findChild<QPushButton *>(QStringLiteral("Add"));
    QCOMPARE(RunDialog([add] { add->click(); }, {{}, QStringLiteral("10.0.0.1"), {}, QStringLiteral(" Касса ")}),
             QStringLiteral("Добавление компьютера/1"));
    auto *list = m_page->findChild<QTreeWidget *>(QStringLiteral("ComputersList"));
    QCOMPARE(RunDialog([list] { QTest::keyClick(list, Qt::Key_Insert); }, {{}, QStringLiteral("10.0.0.2"), {}, {}}),
             QStringLiteral("Добавление компьютера/2"));
    QCOMPARE(Computers(), (QStringList{QStringLiteral("1 10.0.0.1 Касса new"), QStringLiteral("2 10.0.0.2  new")}));
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(list->currentItem()->text(0), QStringLiteral("2"));
    QVERIFY(m_page->Changed());
    QVERIFY(m_page->ValidateAndSave());
    QVERIFY(m_page->ValidateAndSave());
    QCOMPARE(changed.count(), 1);
    QVERIFY(RenderControl(m_page.get(), QStringLiteral("ComputersSettingsFrame")));
}

// The operator types the number, tabs once to the address and presses Enter.
void TestComputersSettings::typedThroughTheKeyboard()
{
    m_page->LoadSettings();
    QObject context;
    SettingsFixture::AnswerDialog(&context, [](QWidget *Dialog) {
        const auto close = SettingsFixture::CancelOnExit(Dialog);
        Dialog->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), Dialog);
        auto *number = Dialog->findChild<Numeric *>(QStringLiteral("ComputerID"));
        number->TextBox()->setFocus();
        number->TextBox()->selectAll();
        QTest::keyClicks(number->TextBox(), QStringLiteral("7"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        auto *address = Dialog->findChild<IPAddress *>(QStringLiteral("ComputerIP"));
        QCOMPARE(QApplication::focusWidget(), address->Box(0));
        for (const QChar c : QStringLiteral("10.0.0.7")) {
            QTest::keyClicks(QApplication::focusWidget(), QString(c));
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    m_page->AddComputer();
    QCOMPARE(SettingsFixture::BoxTexts(), QStringList());
    QCOMPARE(Computers(), QStringList{QStringLiteral("7 10.0.0.7  new")});
}

void TestComputersSettings::editKeepsTheNumber()
{
    const qint32 code = m_fixture->Db().AddComputer(5, QStringLiteral("Старое"));
    SetFieldValue(*m_fixture->Db().Record(QStringLiteral("Computers"), code),
                  QStringLiteral("LastSettingsUpdate"),
                  DateValue::Make(2026, 3, 1));
    m_page->LoadSettings(code);
    auto *list = m_page->findChild<QTreeWidget *>(QStringLiteral("ComputersList"));
    const QPoint row = list->visualItemRect(list->currentItem()).center();
    QCOMPARE(RunDialog(
                 [&] {
                     QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
                     QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
                 },
                 {QStringLiteral("9"), QStringLiteral("10.0.0.5"), {}, {}}),
             QStringLiteral("Редактирование компьютера/5/fixed"));
    QCOMPARE(Computers(), QStringList{QStringLiteral("5 10.0.0.5  new")});
}

void TestComputersSettings::deleteAsksFirst()
{
    CoreDatabase &db = m_fixture->Db();
    const qint32 first = db.AddComputer(1);
    db.AddComputer(2);
    const QDateTime now = DateValue::Make(2026, 3, 5, 14);
    const qint32 desktop = db.AddDesktop(QStringLiteral("Стол"));
    const qint32 rate = db.AddRate(QStringLiteral("Тариф"), 0, 60);
    const qint32 seance = db.AddSeance(first, desktop, rate, now, now.addSecs(3600));
    const qint32 reserve = db.AddReserve(first, desktop, rate, now, true);
    db.Add(QStringLiteral("SeancePays"), {{QStringLiteral("Seance"), seance}, {QStringLiteral("Sum"), 60}});
    db.Add(QStringLiteral("SeancePays"), {{QStringLiteral("NightReserve"), reserve}, {QStringLiteral("Sum"), 300}});
    db.Add(QStringLiteral("Traffic"),
           {{QStringLiteral("Computer"), first}, {QStringLiteral("URL"), QStringLiteral("a")}});
    db.Add(QStringLiteral("History"),
           {{QStringLiteral("ComputerNum"), 1}, {QStringLiteral("Description"), QStringLiteral("x")}});
    m_page->LoadSettings(first);
    auto *list = m_page->findChild<QTreeWidget *>(QStringLiteral("ComputersList"));
    const QStringList tables = {QStringLiteral("Computers"),
                                QStringLiteral("Seances"),
                                QStringLiteral("NightReserves"),
                                QStringLiteral("SeancePays"),
                                QStringLiteral("Traffic"),
                                QStringLiteral("History")};
    const auto counts = [&] {
        QList<qint32> found;
        for (const QString &table : tables) {
            found << Count(table);
        }
        return found;
    };
    MessageBox::PrepareAnswer(QMessageBox::No);
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(SettingsFixture::BoxTexts(),
             QStringList{
                 QStringLiteral("Удалить компьютер? Его сеансы, оплаты, резервы ночей и трафик будут также удалены!")});
    QCOMPARE(counts(), (QList<qint32>{2, 1, 1, 2, 1, 1}));
    QVERIFY(!m_page->Changed());
    MessageBox::PrepareAnswer(QMessageBox::Yes);
    m_page->findChild<QPushButton *>(QStringLiteral("Delete"))->click();
    QCOMPARE(counts(), (QList<qint32>{1, 0, 0, 0, 0, 1}));
    QCOMPARE(list->topLevelItemCount(), 1);
    QVERIFY(m_page->Changed());
}

QTEST_MAIN(TestComputersSettings)
#include "tst_computerssettings.moc"
