#include "controls/barcode.h"
#include "controls/numeric.h"
#include "controls/string.h"
#include "dialogfixture.h"
#include "rendercheck.h"
#include "seances/barcodelookup.h"
#include "seances/frmpayment.h"

#include <QLineEdit>
#include <QSignalSpy>

namespace
{
QLineEdit *BarcodeBox(QWidget *Parent)
{
    return DialogFixture::Child<Barcode>(Parent, QStringLiteral("tBarcode"))->TextBox();
}

// What the picker shows: barcode, nickname, last and first name, comment and balance.
QStringList Shown(QWidget *Lookup)
{
    QStringList shown{BarcodeBox(Lookup)->text()};
    for (const char *name : {"tNickname", "tLastName", "tFirstName", "tComment"}) {
        shown.append(DialogFixture::Child<String>(Lookup, QString::fromLatin1(name))->Value());
    }
    return shown << QString::number(DialogFixture::Sum(Lookup, QStringLiteral("tAllSum")));
}

const QStringList Card70{QStringLiteral("4600017"),
                         QStringLiteral("Гость"),
                         QStringLiteral("Петров"),
                         QStringLiteral("Иван"),
                         QStringLiteral("Постоянный"),
                         QStringLiteral("70")};
const QStringList NoCard{QString(), QString(), QString(), QString(), QString(), QStringLiteral("0")};
} // namespace

class TestFrmPayment : public DialogFixture
{
    Q_OBJECT

private slots:

    void init()
    {
        DialogFixture::init();
        SetConfigValue(QStringLiteral("CardPayEnabled"), QStringLiteral("1"));
    }

    void lookupOnEnter_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("known card") << QStringLiteral("4600017") << Card70;
        QTest::newRow("separators are dropped") << QStringLiteral("46-00,01.7") << Card70;
        QTest::newRow("unknown barcode empties every field") << QStringLiteral("999") << NoCard;
    }

    void lookupOnEnter()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, shown);
        // 100 put on yesterday, 50 tomorrow, 30 paid from it today: 70 now.
        const qint32 card = AddCard(100);
        QString err;
        QVERIFY(AddCardPay(card, Now.addDays(1), 50, err));
        QVERIFY(AddSeancePay(AddSeance(1, DayRate, Now, 60, 0), 0, Now, card, 30, err));
        QWidget form;
        auto *lookup = new BarcodeLookup(&form);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        lookup->SetCardCode(card);
        QSignalSpy changed(lookup, &BarcodeLookup::CardChanged);
        TypeBarcode(lookup, typed);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(lookup->CardCode(), shown == NoCard ? 0 : card);
        QCOMPARE(Shown(lookup), shown);
        QVERIFY(RenderControl(lookup, QStringLiteral("barcodelookup")));
    }

    void lookupOnLeavingTellsNoCardChanged()
    {
        const qint32 card = AddCard(-20);
        QWidget form;
        auto *lookup = new BarcodeLookup(&form);
        auto *other = new QLineEdit(&form);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QSignalSpy changed(lookup, &BarcodeLookup::CardChanged);
        QSignalSpy lookedUp(lookup, &BarcodeLookup::CardLookedUp);
        TypeBarcode(lookup, QStringLiteral("4600017"), false);
        other->setFocus(Qt::TabFocusReason);
        QCOMPARE(lookup->CardCode(), card);
        QCOMPARE(lookedUp.count(), 1);
        // A debt is shown as it is.
        QCOMPARE(Sum(lookup, QStringLiteral("tAllSum")), -20);
        // Enter in an empty box looks nothing up.
        BarcodeBox(lookup)->clear();
        TypeBarcode(lookup, QString());
        QCOMPARE(changed.count(), 0);
        // The code of a card that is gone clears the picker.
        QString err;
        QVERIFY2(Db().Table(QStringLiteral("Cards"))->Remove(card, true, err), qPrintable(err));
        lookup->SetCardCode(card);
        QCOMPARE(lookup->CardCode(), 0);
        QCOMPARE(Shown(lookup), NoCard);
    }

    void dialogShowsTheSplitThatIsRecorded_data()
    {
        QTest::addColumn<qint32>("price");
        QTest::addColumn<bool>("withCard");
        QTest::addColumn<qint32>("balance");
        QTest::addColumn<qint32>("byCard");
        QTest::addColumn<qint32>("inCash");
        QTest::addColumn<bool>("applied");
        QTest::newRow("balance covers part") << 100 << true << 60 << 60 << 40 << true;
        QTest::newRow("no card") << 100 << false << 0 << 0 << 100 << true;
        QTest::newRow("refund to the card") << -30 << true << 10 << -30 << 0 << true;
        QTest::newRow("refund to a card in debt") << -30 << true << -50 << -50 << 20 << true;
        QTest::newRow("cancelled") << 100 << true << 500 << 100 << 0 << false;
    }

    void dialogShowsTheSplitThatIsRecorded()
    {
        QFETCH(qint32, price);
        QFETCH(bool, withCard);
        QFETCH(qint32, balance);
        QFETCH(qint32, byCard);
        QFETCH(qint32, inCash);
        QFETCH(bool, applied);
        const qint32 card = withCard ? AddCard(balance) : 0;
        frmPayment dialog;
        WhenShown(&dialog, [&](frmPayment *Dialog) {
            QCOMPARE(Sum(Dialog, QStringLiteral("tPriceDifference")), price);
            QCOMPARE(Sum(Dialog, QStringLiteral("tSumByNal")), price);
            if (withCard) {
                TypeBarcode(Dialog, QStringLiteral("4600017"));
                QVERIFY(Child(Dialog, QStringLiteral("Apply"))->hasFocus());
            }
            QCOMPARE(Sum(Dialog, QStringLiteral("tSumByCard")), byCard);
            QCOMPARE(Sum(Dialog, QStringLiteral("tSumByNal")), inCash);
            if (balance == 60) {
                QVERIFY(RenderControl(Dialog, QStringLiteral("frmpayment")));
            }
            Click(Dialog, applied ? QStringLiteral("Apply") : QStringLiteral("Cancel"));
        });
        qint32 chosen = -1;
        QCOMPARE(dialog.Start(price, chosen), applied);
        QCOMPARE(chosen, applied ? card : 0);
        QCOMPARE(Boxes(), QStringList());
    }

    void switchedOffShowsNothing()
    {
        for (const QString &setting : {QStringLiteral("0"), QString(), QStringLiteral("нет")}) {
            SetConfigValue(QStringLiteral("CardPayEnabled"), setting);
            frmPayment dialog;
            qint32 card = 5;
            QVERIFY(dialog.Start(100, card));
            QCOMPARE(card, 5);
        }
    }

    void paymentStepRefusesACardThatIsGone()
    {
        const qint32 card = AddCard(60);
        QWidget owner;
        WhenShown<frmPayment>(nullptr, [&](frmPayment *Dialog) {
            TypeBarcode(Dialog, QStringLiteral("4600017"));
            QString err;
            QVERIFY2(Db().Table(QStringLiteral("Cards"))->Remove(card, true, err), qPrintable(err));
            AnswerBoxes();
            Click(Dialog, QStringLiteral("Apply"));
        });
        qint32 chosen = -1;
        QVERIFY(!frmPayment::TakePayment(&owner, 100, chosen));
        QCOMPARE(Boxes(), QStringList{QStringLiteral("Карточка не найдена!")});
        // Nothing to pay asks nothing.
        QVERIFY(frmPayment::TakePayment(&owner, 0, chosen));
        QCOMPARE(chosen, 0);
    }
};

QTEST_MAIN(TestFrmPayment)
#include "tst_frmpayment.moc"
