#include "controls/date.h"
#include "controls/duration.h"
#include "controls/numeric.h"
#include "controls/time.h"
#include "core/historytexts.h"
#include "dialogfixture.h"
#include "rendercheck.h"
#include "seances/frmalterseance.h"
#include "seances/frmpayment.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

namespace
{
using PayRows = DialogFixture::PayRows;

constexpr qint64 Minute = DialogFixture::Minute;

Duration *DurationTime(QWidget *Dialog)
{
    return DialogFixture::Child<Duration>(Dialog, QStringLiteral("DurationTime"));
}

void TypePriceAndLeave(QWidget *Dialog, const QString &Money)
{
    QLineEdit *price = DialogFixture::Child<Numeric>(Dialog, QStringLiteral("Price"))->TextBox();
    price->setFocus();
    price->selectAll();
    QTest::keyClicks(price, Money);
    DialogFixture::Child(Dialog, QStringLiteral("ActiveSum"))->setFocus(Qt::TabFocusReason);
}

} // namespace

class TestFrmAlterSeance : public QObject
{
    Q_OBJECT

private slots:

    void init()
    {
        QString err;
        QVERIFY2(m_fixture.Start(err), qPrintable(err));
        m_begin = DialogFixture::Now.addSecs(-30 * Minute);
        m_seance = m_fixture.AddSeance(1, m_fixture.DayRate, m_begin, 60, 30);
    }

    void cleanup()
    {
        m_fixture.Stop();
    }

    void changesTheEndByMinutes_data()
    {
        QTest::addColumn<qint32>("delta");
        QTest::addColumn<bool>("withCard");
        QTest::addColumn<qint32>("price");
        QTest::newRow("half an hour more") << 30 << false << 15;
        QTest::newRow("half an hour less, back to the card") << -30 << true << -15;
        QTest::newRow("no change") << 0 << false << 0;
    }

    void changesTheEndByMinutes()
    {
        QFETCH(qint32, delta);
        QFETCH(bool, withCard);
        QFETCH(qint32, price);
        qint32 card = 0;
        if (withCard) {
            SetConfigValue(QStringLiteral("CardPayEnabled"), QStringLiteral("1"));
            card = m_fixture.AddCard(10);
        }
        frmAlterSeance dialog;
        DialogFixture::WhenShown(&dialog, [&](frmAlterSeance *Dialog) {
            QVERIFY(DialogFixture::Child<QRadioButton>(Dialog, QStringLiteral("DurationMode"))->isChecked());
            QVERIFY(!DialogFixture::Child<Date>(Dialog, QStringLiteral("DateTo"))->Enabled());
            DurationTime(Dialog)->SetValue(delta);
            QCOMPARE(DialogFixture::Sum(Dialog, QStringLiteral("Price")), price);
            if (withCard) {
                DialogFixture::WhenShown<frmPayment>(nullptr, [](frmPayment *Payment) {
                    DialogFixture::TypeBarcode(Payment, QStringLiteral("4600017"));
                    DialogFixture::Click(Payment, QStringLiteral("Apply"));
                });
            }
            DialogFixture::Click(Dialog, QStringLiteral("Apply"));
        });
        QVERIFY(dialog.Start(DialogFixture::Entries({1, 2}, {1})));
        QCOMPARE(DialogFixture::Boxes(), QStringList());
        const qint32 duration = 60 + delta;
        const QDateTime end = m_begin.addSecs(duration * Minute);
        QCOMPARE(m_fixture.SeanceValue(m_seance, QStringLiteral("Duration")), duration);
        QCOMPARE(m_fixture.SeanceEnd(m_seance), end);
        QCOMPARE(m_fixture.Pays(m_seance), (PayRows{{0, 30}, {card, price}}));
        const PaymentKind payment = withCard ? PaymentKind::Card : PaymentKind::Cash;
        QCOMPARE(
            m_fixture.History(1),
            QStringList{SeanceEndChangedHistoryText(m_begin.addSecs(60 * Minute), end, 60, duration, price, payment)});
    }

    void newEndForEverySeance()
    {
        const qint32 second =
            m_fixture.AddSeance(2, m_fixture.DayRate, DialogFixture::Now.addSecs(-10 * Minute), 30, 15);
        const qint32 night = m_fixture.Db().AddRate(QStringLiteral("Ночной"), 1, 300);
        m_fixture.AddSeance(3, night, DialogFixture::Now.addSecs(-Minute), 600, 300);
        const QDateTime end = DateValue::Make(2026, 3, 5, 16, 0, 0);
        frmAlterSeance dialog;
        DialogFixture::WhenShown(&dialog, [&](frmAlterSeance *Dialog) {
            DialogFixture::Click(Dialog, QStringLiteral("EndTimeMode"));
            QVERIFY(!DurationTime(Dialog)->Enabled());
            DialogFixture::Child<Date>(Dialog, QStringLiteral("DateTo"))->SetValue(end);
            DialogFixture::Child<Time>(Dialog, QStringLiteral("TimeTo"))->SetValue(end);
            QVERIFY(RenderControl(Dialog, QStringLiteral("frmalterseance")));
            DialogFixture::Click(Dialog, QStringLiteral("Apply"));
        });
        const auto entries = DialogFixture::Entries({1, 2, 3}, {1, 2, 3});
        QVERIFY(dialog.Start(entries));
        // Night seances are not changed here.
        QVERIFY(!entries->Item(3)->Enabled());
        // 13:50 to 16:00 costs 65, 14:10 to 16:00 costs 55.
        QCOMPARE(DialogFixture::Sum(&dialog, QStringLiteral("Price")), 35 + 40);
        QCOMPARE(m_fixture.Pays(m_seance), (PayRows{{0, 30}, {0, 35}}));
        QCOMPARE(m_fixture.Pays(second), (PayRows{{0, 15}, {0, 40}}));
        QCOMPARE(m_fixture.SeanceEnd(second), end);
        QCOMPARE(m_fixture.SeanceValue(second, QStringLiteral("Duration")), 110);
    }

    void moneyTypedBuysMinutes()
    {
        // Two hours at 30 per hour: one paid 30, the other 40.
        const qint32 second = m_fixture.AddSeance(2, m_fixture.DayRate, m_begin, 60, 40);
        frmAlterSeance dialog;
        DialogFixture::WhenShown(&dialog, [&](frmAlterSeance *Dialog) {
            QVERIFY(!DialogFixture::Child<Numeric>(Dialog, QStringLiteral("Price"))->Enabled());
            DialogFixture::Click(Dialog, QStringLiteral("ActiveSum"));
            QVERIFY(!DialogFixture::Child(Dialog, QStringLiteral("EndTimeMode"))->isEnabled());
            TypePriceAndLeave(Dialog, QStringLiteral("20"));
            // 10 each buys the second seance 40 minutes more, which the first gets too.
            QCOMPARE(DurationTime(Dialog)->Value(), 40);
            QCOMPARE(DialogFixture::Sum(Dialog, QStringLiteral("Price")), 30);
            DialogFixture::Click(Dialog, QStringLiteral("Apply"));
        });
        QVERIFY(dialog.Start(DialogFixture::Entries({1, 2}, {1, 2})));
        QCOMPARE(m_fixture.Pays(m_seance), (PayRows{{0, 30}, {0, 20}}));
        QCOMPARE(m_fixture.Pays(second), (PayRows{{0, 40}, {0, 10}}));
        QCOMPARE(m_fixture.SeanceValue(m_seance, QStringLiteral("Duration")), 100);
        QCOMPARE(m_fixture.SeanceValue(second, QStringLiteral("Duration")), 100);
    }

    void refusalsWriteNothing()
    {
        const qint32 free = m_fixture.Db().AddRate(QStringLiteral("Бесплатный"), 0, 0);
        m_fixture.AddSeance(2, free, m_begin, 60, 0);
        frmAlterSeance dialog;
        DialogFixture::WhenShown(&dialog, [&](frmAlterSeance *Dialog) {
            DialogFixture::AnswerBoxes();
            DialogFixture::Click(Dialog, QStringLiteral("EndTimeMode"));
            auto *timeTo = DialogFixture::Child<Time>(Dialog, QStringLiteral("TimeTo"));
            timeTo->SetValue(DateValue::Make(2026, 3, 5, 13, 0));
            DialogFixture::Click(Dialog, QStringLiteral("Apply"));
            QCOMPARE(DialogFixture::Boxes(),
                     QStringList{QStringLiteral("Время окончания сеанса на компьютере №1 раньше времени начала!")});
            // The sum box takes the dialog back to minutes; money cannot buy a new end.
            timeTo->SetValue(DateValue::Make(2026, 3, 5, 16, 0));
            DialogFixture::AnswerBoxes();
            DialogFixture::Click(Dialog, QStringLiteral("ActiveSum"));
            QVERIFY(DialogFixture::Child<QRadioButton>(Dialog, QStringLiteral("DurationMode"))->isChecked());
            DialogFixture::Child<QRadioButton>(Dialog, QStringLiteral("EndTimeMode"))->setChecked(true);
            TypePriceAndLeave(Dialog, QStringLiteral("20"));
            QCOMPARE(DialogFixture::Boxes(),
                     QStringList{QStringLiteral("Пересчёт даты окончания после изменения цены запрещён!")});
        });
        QVERIFY(!dialog.Start(DialogFixture::Entries({1, 2}, {1})));
        // A free rate buys no minutes: the sum box is off.
        frmAlterSeance freeDialog;
        DialogFixture::WhenShown(&freeDialog, [](frmAlterSeance *Dialog) {
            QVERIFY(!DialogFixture::Child(Dialog, QStringLiteral("ActiveSum"))->isEnabled());
        });
        QVERIFY(!freeDialog.Start(DialogFixture::Entries({2, 1}, {2, 1})));
        QCOMPARE(m_fixture.Pays(m_seance), (PayRows{{0, 30}}));
        QCOMPARE(m_fixture.Count(QStringLiteral("History")), 0);
    }

    void eachComputerIsAllOrNothing()
    {
        const qint32 second = m_fixture.AddSeance(2, m_fixture.DayRate, m_begin, 60, 30);
        QVERIFY(m_fixture.Db().AddRefusal(QStringLiteral("Seances"),
                                          QStringLiteral("UPDATE"),
                                          QStringLiteral("NEW.Computer = %1").arg(DialogFixture::Code(2))));
        frmAlterSeance dialog;
        DialogFixture::WhenShown(&dialog, [&](frmAlterSeance *Dialog) {
            DurationTime(Dialog)->SetValue(30);
            DialogFixture::ApplyRefused(Dialog);
        });
        QVERIFY(!dialog.Start(DialogFixture::Entries({1, 2}, {1, 2})));
        QCOMPARE(m_fixture.Pays(m_seance), (PayRows{{0, 30}, {0, 15}}));
        QCOMPARE(m_fixture.History(1).size(), 1);
        QCOMPARE(m_fixture.Pays(second), (PayRows{{0, 30}}));
        QVERIFY(m_fixture.History(2).isEmpty());
        QCOMPARE(m_fixture.SeanceValue(second, QStringLiteral("Duration")), 60);
    }

private:
    DialogFixture m_fixture;
    // Computer 1 runs an hour from half an hour ago, paid 30 at 30 per hour.
    qint32 m_seance = 0;
    QDateTime m_begin;
};

QTEST_MAIN(TestFrmAlterSeance)
#include "tst_frmalterseance.moc"
