#include "controls/date.h"
#include "controls/duration.h"
#include "controls/numeric.h"
#include "controls/time.h"
#include "core/historytexts.h"
#include "core/seancearithmetic.h"
#include "dialogfixture.h"
#include "rendercheck.h"
#include "seances/frmalterseance.h"
#include "seances/frmpayment.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimeEdit>

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

class TestFrmAlterSeance : public DialogFixture
{
    Q_OBJECT

private slots:

    void init()
    {
        DialogFixture::init();
        m_begin = Now.addSecs(-30 * Minute);
        m_seance = AddSeance(1, DayRate, m_begin, 60, 30);
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
            card = AddCard(10);
        }
        frmAlterSeance dialog;
        WhenShown(&dialog, [&](frmAlterSeance *Dialog) {
            QVERIFY(Child<QRadioButton>(Dialog, QStringLiteral("DurationMode"))->isChecked());
            QVERIFY(!Child<Date>(Dialog, QStringLiteral("DateTo"))->Enabled());
            DurationTime(Dialog)->SetValue(delta);
            QCOMPARE(Sum(Dialog, QStringLiteral("Price")), price);
            if (withCard) {
                WhenShown<frmPayment>(nullptr, [](frmPayment *Payment) {
                    TypeBarcode(Payment, QStringLiteral("4600017"));
                    Click(Payment, QStringLiteral("Apply"));
                });
            }
            Click(Dialog, QStringLiteral("Apply"));
        });
        QVERIFY(dialog.Start(Entries({1, 2}, {1}), WrittenBack));
        QCOMPARE(Boxes(), QStringList());
        const qint32 duration = 60 + delta;
        const QDateTime end = m_begin.addSecs(duration * Minute);
        QCOMPARE(SeanceValue(m_seance, QStringLiteral("Duration")), duration);
        QCOMPARE(SeanceEnd(m_seance), end);
        QCOMPARE(Pays(m_seance), (PayRows{{0, 30}, {card, price}}));
        // The refund goes back to the card whole.
        const qint32 cardPart = withCard ? price : 0;
        QCOMPARE(
            History(1),
            QStringList{SeanceEndChangedHistoryText(m_begin.addSecs(60 * Minute), end, 60, duration, price, cardPart)});
    }

    void newEndForEverySeance()
    {
        const qint32 second = AddSeance(2, DayRate, Now.addSecs(-10 * Minute), 30, 15);
        const qint32 night = Db().AddRate(QStringLiteral("Ночной"), 1, 300);
        AddSeance(3, night, Now.addSecs(-Minute), 600, 300);
        const QDateTime end = At(5, 16, 0);
        frmAlterSeance dialog;
        WhenShown(&dialog, [&](frmAlterSeance *Dialog) {
            Click(Dialog, QStringLiteral("EndTimeMode"));
            QVERIFY(!DurationTime(Dialog)->Enabled());
            Child<Date>(Dialog, QStringLiteral("DateTo"))->SetValue(end);
            // Through the picker, as the operator sets it: the sum shown follows.
            Child<Time>(Dialog, QStringLiteral("TimeTo"))->Picker()->setTime(end.time());
            QCOMPARE(Sum(Dialog, QStringLiteral("Price")), 35 + 40);
            QVERIFY(RenderControl(Dialog, QStringLiteral("frmalterseance")));
            Click(Dialog, QStringLiteral("Apply"));
        });
        const auto entries = Entries({1, 2, 3}, {1, 2, 3});
        QVERIFY(dialog.Start(entries, WrittenBack));
        // Night seances are not changed here.
        QVERIFY(!entries->Item(3)->Enabled());
        // 13:50 to 16:00 costs 65, 14:10 to 16:00 costs 55.
        QCOMPARE(Sum(&dialog, QStringLiteral("Price")), 35 + 40);
        QCOMPARE(Pays(m_seance), (PayRows{{0, 30}, {0, 35}}));
        QCOMPARE(Pays(second), (PayRows{{0, 15}, {0, 40}}));
        QCOMPARE(SeanceEnd(second), end);
        QCOMPARE(SeanceValue(second, QStringLiteral("Duration")), 110);
    }

    void moneyTypedBuysMinutes()
    {
        // Two hours at 30 per hour: one paid 30, the other 40.
        const qint32 second = AddSeance(2, DayRate, m_begin, 60, 40);
        frmAlterSeance dialog;
        WhenShown(&dialog, [&](frmAlterSeance *Dialog) {
            QVERIFY(!Child<Numeric>(Dialog, QStringLiteral("Price"))->Enabled());
            Click(Dialog, QStringLiteral("ActiveSum"));
            QVERIFY(!Child(Dialog, QStringLiteral("EndTimeMode"))->isEnabled());
            TypePriceAndLeave(Dialog, QStringLiteral("20"));
            // 10 each buys the second seance 40 minutes more, which the first gets too.
            QCOMPARE(DurationTime(Dialog)->Value(), 40);
            QCOMPARE(Sum(Dialog, QStringLiteral("Price")), 30);
            Click(Dialog, QStringLiteral("Apply"));
        });
        QVERIFY(dialog.Start(Entries({1, 2}, {1, 2}), WrittenBack));
        QCOMPARE(Pays(m_seance), (PayRows{{0, 30}, {0, 20}}));
        QCOMPARE(Pays(second), (PayRows{{0, 40}, {0, 10}}));
        QCOMPARE(SeanceValue(m_seance, QStringLiteral("Duration")), 100);
        QCOMPARE(SeanceValue(second, QStringLiteral("Duration")), 100);
    }

    void shownAtOkIsBooked_data()
    {
        QTest::addColumn<double>("perHour");
        QTest::addColumn<QList<qint32>>("chosen");
        // What is typed into: the change's hours:minutes, the money, or the new end's time.
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<qint32>("minutes");
        QTest::addColumn<qint32>("total");
        const QList<qint32> one{3};
        const QList<qint32> two{3, 4};
        QTest::newRow("30 minutes at 100")
            << 100.0 << one << QStringLiteral("duration") << 4 << QStringLiteral("30") << 90 << 50;
        QTest::newRow("an hour at 70 on two")
            << 70.0 << two << QStringLiteral("duration") << 1 << QStringLiteral("1") << 120 << 140;
        QTest::newRow("1:00 more at 70 on two")
            << 70.0 << two << QStringLiteral("duration") << 2 << QStringLiteral("1:00") << 120 << 140;
        QTest::newRow("money at 70") << 70.0 << one << QStringLiteral("price") << 0 << QStringLiteral("35") << 90 << 35;
        QTest::newRow("money shared by two at 100")
            << 100.0 << two << QStringLiteral("price") << 0 << QStringLiteral("100") << 90 << 100;
        QTest::newRow("40 at 70 buys 34 minutes more")
            << 70.0 << one << QStringLiteral("price") << 0 << QStringLiteral("40") << 94 << 40;
        QTest::newRow("the end an hour on at 100")
            << 100.0 << two << QStringLiteral("end") << 1 << QStringLiteral("U") << 90 << 100;
    }

    void shownAtOkIsBooked()
    {
        QFETCH(double, perHour);
        QFETCH(QList<qint32>, chosen);
        QFETCH(QString, input);
        QFETCH(int, caret);
        QFETCH(QString, keys);
        QFETCH(qint32, minutes);
        SetRatePrice(DayRate, perHour);
        QList<qint32> seances;
        for (qint32 num : chosen) {
            seances << AddSeance(num, DayRate, m_begin, 60, qRound(perHour));
        }
        frmAlterSeance dialog;
        WhenShown(&dialog, [&](frmAlterSeance *Dialog) {
            if (input == QStringLiteral("duration")) {
                auto *box = DurationTime(Dialog)->findChild<QAbstractSpinBox *>();
                ClickAndType(box->findChild<QLineEdit *>(), box, caret, keys);
            } else if (input == QStringLiteral("price")) {
                Click(Dialog, QStringLiteral("ActiveSum"));
                QLineEdit *price = Child<Numeric>(Dialog, QStringLiteral("Price"))->TextBox();
                price->setFocus();
                price->selectAll();
                QTest::keyClicks(price, keys);
            } else {
                Click(Dialog, QStringLiteral("EndTimeMode"));
                QTimeEdit *picker = Child<Time>(Dialog, QStringLiteral("TimeTo"))->Picker();
                ClickAndType(picker->findChild<QLineEdit *>(), picker, caret, keys);
            }
            Click(Dialog, QStringLiteral("Apply"));
        });
        QVERIFY(dialog.Start(Entries({1, 2, 3, 4}, chosen), WrittenBack));
        QCOMPARE(Boxes(), QStringList());
        // What the dialog shows at OK: the change or the new end, and the money.
        const qint32 total = Sum(&dialog, QStringLiteral("Price"));
        QTEST(total, "total");
        const QDateTime end = input == QStringLiteral("end")
                                  ? JoinDateTime(Child<Date>(&dialog, QStringLiteral("DateTo"))->Day(),
                                                 Child<Time>(&dialog, QStringLiteral("TimeTo"))->Value())
                                  : m_begin.addSecs((60 + DurationTime(&dialog)->Value()) * Minute);
        QCOMPARE(MinutesBetween(m_begin, end), qint64(minutes));
        const qint32 each = total / static_cast<qint32>(chosen.size());
        QCOMPARE(each * chosen.size(), total);
        for (qint32 i = 0; i < chosen.size(); ++i) {
            QCOMPARE(SeanceEnd(seances[i]), end);
            QCOMPARE(SeanceValue(seances[i], QStringLiteral("Duration")), minutes);
            QCOMPARE(Pays(seances[i]), (PayRows{{0, qRound(perHour)}, {0, each}}));
            QCOMPARE(History(chosen[i]),
                     QStringList{SeanceEndChangedHistoryText(m_begin.addSecs(60 * Minute), end, 60, minutes, each, 0)});
        }
    }

    void bookedAsShownAsTheClockMoves_data()
    {
        QTest::addColumn<QList<qint32>>("chosen");
        // What moves between showing and OK: the clock by a minute, or the rate's price to 70.
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("box");
        QTest::addColumn<qint32>("total");
        QTest::newRow("a minute gone") << QList<qint32>{3} << QStringLiteral("clock") << QString() << 50;
        QTest::newRow("a minute gone on two") << QList<qint32>{3, 4} << QStringLiteral("clock") << QString() << 100;
        QTest::newRow("the rate down to 70")
            << QList<qint32>{3} << QStringLiteral("rate") << QStringLiteral("Сумма изменилась с 50 на 5 руб.!") << 5;
        QTest::newRow("the rate down to 70 on two") << QList<qint32>{3, 4} << QStringLiteral("rate")
                                                    << QStringLiteral("Сумма изменилась с 100 на 10 руб.!") << 10;
    }

    // A new end at 100 per hour, typed; what OK books is what was shown when it was pressed.
    void bookedAsShownAsTheClockMoves()
    {
        QFETCH(QList<qint32>, chosen);
        QFETCH(QString, change);
        QFETCH(QString, box);
        SetRatePrice(DayRate, 100);
        QList<qint32> seances;
        for (qint32 num : chosen) {
            seances << AddSeance(num, DayRate, m_begin, 60, 100);
        }
        const QDateTime now = change == QStringLiteral("clock") ? Now.addSecs(Minute) : Now;
        frmAlterSeance dialog;
        WhenShown(&dialog, [&](frmAlterSeance *Dialog) {
            Click(Dialog, QStringLiteral("EndTimeMode"));
            QTimeEdit *picker = Child<Time>(Dialog, QStringLiteral("TimeTo"))->Picker();
            ClickAndType(picker->findChild<QLineEdit *>(), picker, 1, QStringLiteral("U"));
            if (change == QStringLiteral("rate")) {
                SetRatePrice(DayRate, 70);
            }
            Clock::SetNow(now);
            if (!box.isEmpty()) {
                AnswerBoxes();
                Click(Dialog, QStringLiteral("Apply"));
                QCOMPARE(Boxes(), QStringList{box});
                QVERIFY(Dialog->isVisible());
                // The seance of computer 1 and those changed, paid once each.
                QCOMPARE(Count(QStringLiteral("SeancePays")), chosen.size() + 1);
                QCOMPARE(Count(QStringLiteral("History")), 0);
            }
            Click(Dialog, QStringLiteral("Apply"));
        });
        QVERIFY(dialog.Start(Entries({1, 2, 3, 4}, chosen), WrittenBack));
        QCOMPARE(Boxes(), QStringList());
        // What the dialog shows at the OK that booked.
        const qint32 total = Sum(&dialog, QStringLiteral("Price"));
        QTEST(total, "total");
        const QDateTime end = JoinDateTime(Child<Date>(&dialog, QStringLiteral("DateTo"))->Day(),
                                           Child<Time>(&dialog, QStringLiteral("TimeTo"))->Value());
        const qint32 each = total / static_cast<qint32>(chosen.size());
        for (qint32 i = 0; i < chosen.size(); ++i) {
            QCOMPARE(SeanceEnd(seances[i]), end);
            QCOMPARE(SeanceValue(seances[i], QStringLiteral("Duration")), 90);
            QCOMPARE(Pays(seances[i]), (PayRows{{0, 100}, {0, each}}));
            QCOMPARE(History(chosen[i]),
                     QStringList{SeanceEndChangedHistoryText(m_begin.addSecs(60 * Minute), end, 60, 90, each, 0)});
        }
    }

    void refusalsWriteNothing()
    {
        const qint32 free = Db().AddRate(QStringLiteral("Бесплатный"), 0, 0);
        AddSeance(2, free, m_begin, 60, 0);
        frmAlterSeance dialog;
        WhenShown(&dialog, [&](frmAlterSeance *Dialog) {
            AnswerBoxes();
            Click(Dialog, QStringLiteral("EndTimeMode"));
            auto *timeTo = Child<Time>(Dialog, QStringLiteral("TimeTo"));
            timeTo->SetValue(At(5, 13, 0));
            Click(Dialog, QStringLiteral("Apply"));
            QCOMPARE(Boxes(),
                     QStringList{QStringLiteral("Время окончания сеанса на компьютере №1 раньше времени начала!")});
            // The sum box takes the dialog back to minutes; money cannot buy a new end.
            timeTo->SetValue(At(5, 16, 0));
            AnswerBoxes();
            Click(Dialog, QStringLiteral("ActiveSum"));
            QVERIFY(Child<QRadioButton>(Dialog, QStringLiteral("DurationMode"))->isChecked());
            Child<QRadioButton>(Dialog, QStringLiteral("EndTimeMode"))->setChecked(true);
            TypePriceAndLeave(Dialog, QStringLiteral("20"));
            QCOMPARE(Boxes(), QStringList{QStringLiteral("Пересчёт даты окончания после изменения цены запрещён!")});
        });
        QVERIFY(!dialog.Start(Entries({1, 2}, {1}), WrittenBack));
        // A free rate buys no minutes: the sum box is off.
        frmAlterSeance freeDialog;
        WhenShown(&freeDialog,
                  [](frmAlterSeance *Dialog) { QVERIFY(!Child(Dialog, QStringLiteral("ActiveSum"))->isEnabled()); });
        QVERIFY(!freeDialog.Start(Entries({2, 1}, {2, 1}), WrittenBack));
        QCOMPARE(Pays(m_seance), (PayRows{{0, 30}}));
        QCOMPARE(Count(QStringLiteral("History")), 0);
    }

    void eachComputerIsAllOrNothing()
    {
        const qint32 second = AddSeance(2, DayRate, m_begin, 60, 30);
        QVERIFY(Db().AddRefusal(QStringLiteral("Seances"),
                                QStringLiteral("UPDATE"),
                                QStringLiteral("NEW.Computer = %1").arg(Code(2))));
        frmAlterSeance dialog;
        WhenShown(&dialog, [&](frmAlterSeance *Dialog) {
            DurationTime(Dialog)->SetValue(30);
            ApplyRefused(Dialog);
        });
        QVERIFY(!dialog.Start(Entries({1, 2}, {1, 2}), WrittenBack));
        QCOMPARE(Pays(m_seance), (PayRows{{0, 30}, {0, 15}}));
        QCOMPARE(History(1).size(), 1);
        QCOMPARE(Pays(second), (PayRows{{0, 30}}));
        QVERIFY(History(2).isEmpty());
        QCOMPARE(SeanceValue(second, QStringLiteral("Duration")), 60);
    }

private:
    // Computer 1 runs an hour from half an hour ago, paid 30 at 30 per hour.
    qint32 m_seance = 0;
    QDateTime m_begin;
};

QTEST_MAIN(TestFrmAlterSeance)
#include "tst_frmalterseance.moc"
