#include "clock.h"
#include "controls/barcode.h"
#include "controls/numeric.h"
#include "controls/string.h"
#include "core/settingsstore.h"
#include "datevalue.h"
#include "seances/barcodelookup.h"
#include "settings/cardssettingsframe.h"
#include "settings/frmaddcardpay.h"
#include "settingsfixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

// What the operator does in the card dialog; a null text leaves an input as it is.
struct CardInput
{
    QString Barcode;
    QString Nickname;
    QString Sum;
    bool Accept = true;
};

// The cards page with its card and top-up dialogs, and the two card settings.
class TestCardsSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void newCard_data();
    void newCard();
    void editNeverChangesTheBalance();
    void deleteTakesThePayments();
    void topUp_data();
    void topUp();
    void settingsStoredAsTheyChange();

private:
    // Answers the card dialog that Action opens; what it showed comes back: its title, the sum and
    // whether the sum can be changed.
    QString RunCardDialog(const std::function<void()> &Action, const CardInput &Input);
    qint32 AddCard(const QString &Barcode, qint32 TopUp) const;
    // Barcode, nickname and balance of every row, the selected one marked.
    QStringList Rows() const;
    qint32 Count(const QString &Table) const;

    std::unique_ptr<SettingsFixture> m_fixture;
    std::unique_ptr<CardsSettingsFrame> m_page;
};

void TestCardsSettings::init()
{
    m_fixture = std::make_unique<SettingsFixture>();
    QVERIFY(m_fixture->Start());
    Clock::SetNow(DateValue::Make(2026, 3, 5, 14));
    SetConfigValue(QStringLiteral("DefaultCardStartSum"), QStringLiteral("100"));
    m_page = std::make_unique<CardsSettingsFrame>(nullptr);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
}

void TestCardsSettings::cleanup()
{
    m_page.reset();
    m_fixture.reset();
    Clock::SetNow({});
}

QString TestCardsSettings::RunCardDialog(const std::function<void()> &Action, const CardInput &Input)
{
    QString seen;
    QObject context;
    SettingsFixture::AnswerDialog(&context, [&](QWidget *Dialog) {
        const auto close = SettingsFixture::CancelOnExit(Dialog);
        auto *sum = Dialog->findChild<Numeric *>(QStringLiteral("tSum"));
        seen = Dialog->windowTitle() + QLatin1Char('/') + sum->TextBox()->text()
               + (sum->Enabled() ? QString() : QStringLiteral("/fixed"));
        QVERIFY(RenderControl(Dialog, QStringLiteral("frmEditCard")));
        QLineEdit *barcode = Dialog->findChild<Barcode *>(QStringLiteral("tBarcode"))->TextBox();
        if (!Input.Barcode.isNull()) {
            barcode->clear();
            QTest::keyClicks(barcode, Input.Barcode);
        }
        auto *nickname = Dialog->findChild<String *>(QStringLiteral("tNickname"));
        // Enter in a barcode moves on to the owner.
        QTest::keyClick(barcode, Qt::Key_Return);
        QVERIFY(Dialog->isVisible());
        QCOMPARE(Dialog->focusWidget() == nickname->TextBox(), !barcode->text().isEmpty());
        if (!Input.Nickname.isNull()) {
            nickname->TextBox()->setText(Input.Nickname);
        }
        if (!Input.Sum.isNull()) {
            SettingsFixture::Retype(sum->TextBox(), Input.Sum);
        }
        if (Input.Accept) {
            QTest::keyClick(nickname->TextBox(), Qt::Key_Return);
        }
    });
    Action();
    return seen;
}

qint32 TestCardsSettings::AddCard(const QString &Barcode, qint32 TopUp) const
{
    const qint32 card = m_fixture->Db().Add(
        QStringLiteral("Cards"),
        {{QStringLiteral("Barcode"), Barcode}, {QStringLiteral("OwnerNickname"), QStringLiteral("Гость")}});
    m_fixture->Db().Add(QStringLiteral("CardPays"),
                        {{QStringLiteral("Card"), card},
                         {QStringLiteral("PayDate"), DateValue::Make(2026, 3, 1)},
                         {QStringLiteral("Sum"), TopUp}});
    return card;
}

QStringList TestCardsSettings::Rows() const
{
    QStringList rows;
    const auto *list = m_page->findChild<QTreeWidget *>(QStringLiteral("CardsList"));
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = list->topLevelItem(i);
        rows << (item->isSelected() ? QStringLiteral("*") : QString()) + item->text(0) + QLatin1Char('/')
                    + item->text(1) + QLatin1Char('/') + item->text(2);
    }
    return rows;
}

qint32 TestCardsSettings::Count(const QString &Table) const
{
    return m_fixture->Db().All(Table)->Count();
}

void TestCardsSettings::newCard_data()
{
    QTest::addColumn<QString>("barcode");
    QTest::addColumn<QString>("nickname");
    QTest::addColumn<QString>("sum");
    QTest::addColumn<bool>("startSumRefused");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("rows");
    const QStringList existing{QStringLiteral("*555/Гость/50,00")};
    QTest::newRow("typed with separators")
        << QStringLiteral("12-34.56,78") << QStringLiteral("Вася") << QString() << false << QString()
        << QStringList{QStringLiteral("555/Гость/50,00"), QStringLiteral("*12345678/Вася/100,00")};
    QTest::newRow("a blank is a nickname")
        << QStringLiteral("777") << QStringLiteral(" ") << QStringLiteral("2500") << false << QString()
        << QStringList{QStringLiteral("555/Гость/50,00"),
                       QStringLiteral("*777/ /2") + QChar(0xa0) + QStringLiteral("500,00")};
    // The card stays listed and selected when its start sum fails.
    QTest::newRow("start sum refused") << QStringLiteral("4600") << QStringLiteral("Вася") << QString() << true
                                       << QStringLiteral("Стартовая сумма не зачислена на карточку: ")
                                       << QStringList{QStringLiteral("555/Гость/50,00"),
                                                      QStringLiteral("*4600/Вася/0,00")};
    QTest::newRow("no barcode") << QString() << QStringLiteral("Вася") << QString() << false
                                << QStringLiteral("Не указан штрихкод!") << existing;
    QTest::newRow("no nickname") << QStringLiteral("777") << QString() << QString() << false
                                 << QStringLiteral("Не указан псевдоним владельца!") << existing;
    QTest::newRow("no start sum") << QStringLiteral("777") << QStringLiteral("Вася") << QStringLiteral("0") << false
                                  << QStringLiteral("Не указана стартовая сумма!") << existing;
    QTest::newRow("a barcode taken")
        << QStringLiteral("555") << QStringLiteral("Вася") << QString() << false
        << QStringLiteral("Запись с таким значением поля 'Штрихкод' уже присутствует в объекте 'Карточки оплаты'!")
        << existing;
}

void TestCardsSettings::newCard()
{
    QFETCH(QString, barcode);
    QFETCH(QString, nickname);
    QFETCH(QString, sum);
    QFETCH(bool, startSumRefused);
    QFETCH(QString, message);
    QFETCH(QStringList, rows);
    AddCard(QStringLiteral("555"), 50);
    if (startSumRefused) {
        QVERIFY(
            m_fixture->Db().AddRefusal(QStringLiteral("CardPays"), QStringLiteral("INSERT"), QStringLiteral("1 = 1")));
    }
    m_page->LoadSettings();
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    auto *list = m_page->findChild<QTreeWidget *>(QStringLiteral("CardsList"));
    QCOMPARE(RunCardDialog([list] { QTest::keyClick(list, Qt::Key_Insert); },
                           {barcode.isEmpty() ? QStringLiteral("") : barcode, nickname, sum}),
             QStringLiteral("Добавление карточки/100"));
    QTRY_COMPARE(Rows(), rows);
    const QStringList boxes = SettingsFixture::BoxTexts();
    QCOMPARE(boxes.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        QVERIFY2(startSumRefused ? boxes.first().startsWith(message) : boxes.first() == message,
                 qPrintable(boxes.first()));
    }
    QCOMPARE(Count(QStringLiteral("Cards")), rows.size());
    QCOMPARE(Count(QStringLiteral("CardPays")), rows.size() - (startSumRefused ? 1 : 0));
    QCOMPARE(m_page->Changed(), rows.size() == 2);
}

void TestCardsSettings::editNeverChangesTheBalance()
{
    CoreDatabase &db = m_fixture->Db();
    const qint32 card = AddCard(QStringLiteral("555"), 100);
    db.Add(QStringLiteral("SeancePays"),
           {{QStringLiteral("Card"), card},
            {QStringLiteral("PayDate"), DateValue::Make(2026, 3, 2)},
            {QStringLiteral("Sum"), 130}});
    m_page->LoadSettings();
    QCOMPARE(Rows(), QStringList{QStringLiteral("*555/Гость/-30,00")});
    auto *list = m_page->findChild<QTreeWidget *>(QStringLiteral("CardsList"));
    const QPoint row = list->visualItemRect(list->currentItem()).center();
    // A card in debt shows its debt; the sum cannot be changed and is not returned.
    QCOMPARE(RunCardDialog(
                 [&] {
                     QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
                     QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
                 },
                 {QString(), QStringLiteral("Петя"), QStringLiteral("500")}),
             QStringLiteral("Редактирование карточки/-30/fixed"));
    QCOMPARE(Rows(), QStringList{QStringLiteral("*555/Петя/-30,00")});
    QCOMPARE(Count(QStringLiteral("CardPays")), 1);
    QVERIFY(m_page->Changed());
    QVERIFY(m_page->ValidateAndSave());
    QVERIFY(!m_page->Changed());
}

void TestCardsSettings::deleteTakesThePayments()
{
    CoreDatabase &db = m_fixture->Db();
    m_page->LoadSettings();
    auto *list = m_page->findChild<QTreeWidget *>(QStringLiteral("CardsList"));
    // Nothing to delete, nothing asked.
    QTest::keyClick(list, Qt::Key_Delete);
    QVERIFY(MessageBox::TakeRecords().isEmpty());
    const qint32 kept = AddCard(QStringLiteral("111"), 40);
    const qint32 gone = AddCard(QStringLiteral("222"), 100);
    const QDateTime now = Clock::Now();
    const qint32 seance = db.AddSeance(db.AddComputer(1),
                                       db.AddDesktop(QStringLiteral("Стол")),
                                       db.AddRate(QStringLiteral("Тариф"), 0, 60),
                                       now,
                                       now.addSecs(3600));
    db.Add(QStringLiteral("SeancePays"),
           {{QStringLiteral("Seance"), seance}, {QStringLiteral("Card"), gone}, {QStringLiteral("Sum"), 60}});
    db.Add(QStringLiteral("SeancePays"), {{QStringLiteral("Seance"), seance}, {QStringLiteral("Sum"), 10}});
    m_page->LoadSettings(gone);
    const auto counts = [this] {
        return QList<qint32>{Count(QStringLiteral("Cards")),
                             Count(QStringLiteral("CardPays")),
                             Count(QStringLiteral("SeancePays"))};
    };
    MessageBox::PrepareAnswer(QMessageBox::No);
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(SettingsFixture::BoxTexts(),
             QStringList{QStringLiteral("Удалить карточку? Оплаты сеансов по ней будут также удалены!")});
    QCOMPARE(counts(), (QList<qint32>{2, 2, 2}));
    QVERIFY(!m_page->Changed());
    MessageBox::PrepareAnswer(QMessageBox::Yes);
    m_page->findChild<QPushButton *>(QStringLiteral("Delete"))->click();
    QCOMPARE(counts(), (QList<qint32>{1, 1, 1}));
    QVERIFY(db.Record(QStringLiteral("Cards"), kept));
    QCOMPARE(Rows(), QStringList{QStringLiteral("*111/Гость/40,00")});
    QVERIFY(m_page->Changed());
}

void TestCardsSettings::topUp_data()
{
    QTest::addColumn<QString>("barcode");
    QTest::addColumn<QString>("sum");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("the card shown") << QString() << QStringLiteral("25") << QString()
                                    << QStringList{QStringLiteral("111/Гость/40,00"),
                                                   QStringLiteral("*222/Гость/125,00")};
    QTest::newRow("erased, then 50") << QString() << QStringLiteral("EBB50") << QString()
                                     << QStringList{QStringLiteral("111/Гость/40,00"),
                                                    QStringLiteral("*222/Гость/150,00")};
    QTest::newRow("kopecks typed") << QString() << QStringLiteral("12,50") << QString()
                                   << QStringList{QStringLiteral("111/Гость/40,00"),
                                                  QStringLiteral("*222/Гость/112,00")};
    QTest::newRow("another card") << QStringLiteral("111") << QStringLiteral("5") << QString()
                                  << QStringList{QStringLiteral("*111/Гость/45,00"),
                                                 QStringLiteral("222/Гость/100,00")};
    QTest::newRow("no such card") << QStringLiteral("999") << QStringLiteral("5")
                                  << QStringLiteral("Не выбрана карточка!")
                                  << QStringList{QStringLiteral("111/Гость/40,00"),
                                                 QStringLiteral("*222/Гость/100,00")};
    QTest::newRow("no sum") << QString() << QStringLiteral("0") << QStringLiteral("Не указана сумма!")
                            << QStringList{QStringLiteral("111/Гость/40,00"), QStringLiteral("*222/Гость/100,00")};
}

void TestCardsSettings::topUp()
{
    QFETCH(QString, barcode);
    QFETCH(QString, sum);
    QFETCH(QString, message);
    QFETCH(QStringList, rows);
    AddCard(QStringLiteral("111"), 40);
    const qint32 shown = AddCard(QStringLiteral("222"), 100);
    m_page->LoadSettings(shown);
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    QObject context;
    SettingsFixture::AnswerDialog(&context, [&](QWidget *Dialog) {
        const auto close = SettingsFixture::CancelOnExit(Dialog);
        QCOMPARE(Dialog->windowTitle(), QStringLiteral("Пополнение баланса"));
        QVERIFY(RenderControl(Dialog, QStringLiteral("frmAddCardPay")));
        auto *lookup = Dialog->findChild<BarcodeLookup *>(QStringLiteral("BarcodeLookup"));
        QCOMPARE(lookup->CardCode(), shown);
        QLineEdit *sumBox = Dialog->findChild<Numeric *>(QStringLiteral("tSum"))->TextBox();
        if (!barcode.isEmpty()) {
            QLineEdit *box = lookup->findChild<Barcode *>(QStringLiteral("tBarcode"))->TextBox();
            box->selectAll();
            QTest::keyClicks(box, barcode);
            QTest::keyClick(box, Qt::Key_Return);
            QCOMPARE(Dialog->focusWidget(), sumBox);
        }
        SettingsFixture::Retype(sumBox, sum);
        QTest::keyClick(sumBox, Qt::Key_Return);
    });
    m_page->findChild<QPushButton *>(QStringLiteral("AddBalance"))->click();
    QCOMPARE(SettingsFixture::BoxTexts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(Rows(), rows);
    QCOMPARE(m_page->Changed(), message.isEmpty());

    // Cancelled: no card and no sum.
    qint32 card = shown;
    qint32 cancelledSum = -1;
    frmAddCardPay dialog;
    SettingsFixture::AnswerDialog(&context, [](QWidget *Dialog) {
        Dialog->findChild<QPushButton *>(QStringLiteral("Cancel"))->click();
    });
    QVERIFY(!dialog.Start(card, cancelledSum));
    QCOMPARE(card, 0);
    QCOMPARE(cancelledSum, 0);
}

void TestCardsSettings::settingsStoredAsTheyChange()
{
    SetConfigValue(QStringLiteral("CardPayEnabled"), QStringLiteral("0"));
    m_page->LoadSettings();
    auto *enabled = m_page->findChild<QCheckBox *>(QStringLiteral("chCardPayEnabled"));
    QVERIFY(!enabled->isChecked());
    QVERIFY(!m_page->Changed());
    // Stored at once: the payment dialog reads the switch when it opens.
    enabled->click();
    QCOMPARE(GetConfigValue(QStringLiteral("CardPayEnabled")), QStringLiteral("1"));
    enabled->click();
    QCOMPARE(GetConfigValue(QStringLiteral("CardPayEnabled")), QStringLiteral("0"));
    SettingsFixture::Retype(m_page->findChild<Numeric *>(QStringLiteral("tDefaultCardStartSum"))->TextBox(),
                            QStringLiteral("250"));
    QCOMPARE(GetConfigValue(QStringLiteral("DefaultCardStartSum")), QStringLiteral("250"));
    QVERIFY(m_page->Changed());
    QVERIFY(m_page->ValidateAndSave());
    QVERIFY(!m_page->Changed());
    QCOMPARE(GetConfigValue(QStringLiteral("DefaultCardStartSum")), QStringLiteral("250"));
    QVERIFY(RenderControl(m_page.get(), QStringLiteral("CardsSettingsFrame")));
}

QTEST_MAIN(TestCardsSettings)
#include "tst_cardssettings.moc"
