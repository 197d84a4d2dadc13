#include "controls/date.h"
#include "controls/duration.h"
#include "controls/numeric.h"
#include "controls/time.h"
#include "core/historytexts.h"
#include "core/seancearithmetic.h"
#include "dialogfixture.h"
#include "rendercheck.h"
#include "seances/frmaddseance.h"
#include "seances/frmpayment.h"
#include "settings/lists/rateslist.h"
#include "textdates.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTimeEdit>

namespace
{
using PayRows = DialogFixture::PayRows;

// The history line of a day seance begun now for Minutes on "Стандарт" at "Дневной".
QString AddedLine(qint32 Minutes, qint32 Sum, qint32 CardPart = 0)
{
    return SeanceAddedHistoryText(SeanceStartKind::DaySeance,
                                  DialogFixture::Now,
                                  DialogFixture::Now.addSecs(Minutes * DialogFixture::Minute),
                                  Minutes,
                                  QStringLiteral("Стандарт"),
                                  QStringLiteral("Дневной"),
                                  Sum,
                                  CardPart);
}

Duration *DurationTime(QWidget *Dialog)
{
    return DialogFixture::Child<Duration>(Dialog, QStringLiteral("DurationTime"));
}

// What the operator does before Apply: the desktop, the minutes (when not 0) and a total typed (when
// not empty), which Enter in the price applies; else the Apply button.
struct Inputs
{
    bool Desktop = true;
    qint32 Minutes = 0;
    QString Total;
};

void EnterAndApply(QWidget *Dialog, const Inputs &Typed, qint32 Desktop)
{
    if (Typed.Desktop) {
        QCOMPARE(DialogFixture::Child<QComboBox>(Dialog, QStringLiteral("DesktopsList"))->currentIndex(), -1);
        DialogFixture::ChooseDesktop(Dialog, Desktop);
    }
    if (Typed.Minutes != 0) {
        DurationTime(Dialog)->SetValue(Typed.Minutes);
    }
    if (Typed.Total.isEmpty()) {
        DialogFixture::Click(Dialog, QStringLiteral("Apply"));
        return;
    }
    QLineEdit *price = DialogFixture::Child<Numeric>(Dialog, QStringLiteral("Price"))->TextBox();
    price->setFocus();
    price->selectAll();
    QTest::keyClicks(price, Typed.Total);
    QTest::keyClick(price, Qt::Key_Return);
}
} // namespace

class TestFrmAddSeance : public DialogFixture
{
    Q_OBJECT

private slots:

    void startsASeancePerComputer_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QList<qint32>>("chosen");
        QTest::addColumn<double>("pricePerHour");
        QTest::addColumn<qint32>("typedMinutes");
        QTest::addColumn<QString>("typedTotal");
        QTest::addColumn<qint32>("total");
        QTest::addColumn<qint32>("minutes");
        QTest::addColumn<qint32>("sum");
        QTest::addColumn<QString>("box");
        const QList<qint32> two{1, 2};
        const QList<qint32> three{1, 2, 3};
        const QList<qint32> none;
        QTest::newRow("a total typed for three")
            << QString() << three << 30.0 << 0 << QStringLiteral("100") << 102 << 68 << 34 << QString();
        QTest::newRow("seven minutes stretch to what they cost")
            << QString() << QList<qint32>{1} << 30.0 << 7 << QString() << 4 << 8 << 4 << QString();
        QTest::newRow("free rate in force") << QString() << two << 0.0 << 0 << QString() << 0 << 60 << 0 << QString();
        QTest::newRow("ten computers for forty hours")
            << QString() << AllComputers() << 30.0 << 2400 << QString() << 12000 << 2400 << 1200 << QString();
        QTest::newRow("a computer taken meanwhile is left out")
            << QStringLiteral("taken") << three << 30.0 << 0 << QString() << 60 << 60 << 30 << QString();
        QTest::newRow("nothing chosen") << QStringLiteral("no desktop") << none << 30.0 << 0 << QString() << 0 << 0 << 0
                                        << QStringLiteral("Не выбран рабочий стол!");
        QTest::newRow("the automatic rate is computed first")
            << QStringLiteral("automatic rate") << two << 30.0 << 60 << QString() << 0 << 0 << 0
            << QStringLiteral("РЕЖИМ АВТОМАТИЧЕСКОГО ТАРИФА ЕЩЁ НЕ РЕАЛИЗОВАН!");
        QTest::newRow("an end typed before the begin, refused by OK")
            << QStringLiteral("end 09") << QList<qint32>{1} << 30.0 << 0 << QString() << 0 << 0 << 0
            << QStringLiteral("Время окончания сеанса не может быть раньше его начала!");
        QTest::newRow("no duration") << QStringLiteral("no duration") << none << 30.0 << 0 << QString() << 0 << 0 << 0
                                     << QStringLiteral("Не задана продолжительность сеанса!");
        QTest::newRow("no computer") << QString() << none << 30.0 << 60 << QString() << 0 << 0 << 0
                                     << QStringLiteral("Не выбран ни один компьютер!");
        QTest::newRow("two for a hundred hours at 9999")
            << QString() << two << 9999.0 << 6000 << QString() << 0 << 0 << 0
            << QStringLiteral("Сумма сеансов превышает 999 999 руб.!");
        QTest::newRow("more minutes than a duration holds")
            << QString() << two << 1.0 << 0 << QStringLiteral("999999") << 0 << 0 << 0
            << QStringLiteral("Длительность сеанса слишком велика!");
    }

    void startsASeancePerComputer()
    {
        QFETCH(QString, change);
        QFETCH(QList<qint32>, chosen);
        QFETCH(double, pricePerHour);
        QFETCH(qint32, typedMinutes);
        QFETCH(QString, typedTotal);
        QFETCH(qint32, total);
        QFETCH(qint32, minutes);
        QFETCH(qint32, sum);
        QFETCH(QString, box);
        const qint32 taken = change == QStringLiteral("taken") ? 2 : 0;
        SetRatePrice(DayRate, pricePerHour);
        qint32 takenSeance = 0;
        frmAddSeance dialog;
        WhenShown(&dialog, [&](frmAddSeance *Dialog) {
            auto *rates = Child<RatesList>(Dialog, QStringLiteral("RatesList"));
            QCOMPARE(rates->Value(), DayRate);
            // A free rate in force locks the price.
            QCOMPARE(Child<Numeric>(Dialog, QStringLiteral("Price"))->Enabled(), pricePerHour > 0);
            if (taken != 0) {
                takenSeance = AddSeance(taken, DayRate, Now.addSecs(-60), 120, 60);
                // The total shown is for three: OK shows the new one first, and the next OK books it.
                AnswerBoxes();
                Click(Dialog, QStringLiteral("Apply"));
                QCOMPARE(Boxes(), QStringList{QStringLiteral("Сумма изменилась с 90 на 60 руб.!")});
            } else if (change == QStringLiteral("automatic rate")) {
                rates->SetValue(0);
            } else if (change == QStringLiteral("no duration")) {
                DurationTime(Dialog)->SetValue(0);
            } else if (change == QStringLiteral("end 09")) {
                QTimeEdit *picker = Child<Time>(Dialog, QStringLiteral("TimeTo"))->Picker();
                AnswerBoxes();
                ClickAndType(picker->findChild<QLineEdit *>(), picker, 0, QStringLiteral("09"));
                QCOMPARE(Boxes(), QStringList());
            } else if (chosen.size() == 3) {
                QVERIFY(RenderControl(Dialog, QStringLiteral("frmaddseance")));
            }
            // A refused edit, then the same refusal of Apply.
            AnswerBoxes(box.isEmpty() ? 0 : 3);
            EnterAndApply(Dialog, {change != QStringLiteral("no desktop"), typedMinutes, typedTotal}, Standard);
            QCOMPARE(Dialog->isVisible(), !box.isEmpty());
            const QStringList boxes = Boxes();
            QCOMPARE(boxes.isEmpty(), box.isEmpty());
            QCOMPARE(boxes, QStringList(boxes.size(), box));
        });
        const auto entries = Entries(AllComputers(), chosen);
        QCOMPARE(dialog.Start(entries, WrittenBack), box.isEmpty());
        if (box.isEmpty()) {
            QCOMPARE(Sum(&dialog, QStringLiteral("Price")), total);
            QCOMPARE(DurationTime(&dialog)->Value(), minutes);
        }
        for (qint32 num : AllComputers()) {
            const auto seances = SeancesOf(num);
            QCOMPARE(seances.size(), box.isEmpty() && chosen.contains(num) ? 1 : 0);
            if (num == taken) {
                QVERIFY(!entries->Item(num)->Enabled());
                QCOMPARE(seances.first()->Code(), takenSeance);
                QVERIFY(History(num).isEmpty());
                continue;
            }
            QCOMPARE(History(num), seances.isEmpty() ? QStringList() : QStringList{AddedLine(minutes, sum)});
            if (!seances.isEmpty()) {
                QCOMPARE(Written(*seances.first()),
                         std::make_tuple(Standard, DayRate, Now, Now.addSecs(minutes * Minute), minutes));
                QCOMPARE(Pays(seances.first()->Code()), (PayRows{{0, sum}}));
            }
        }
        QCOMPARE(Count(QStringLiteral("SeancePays")), box.isEmpty() ? chosen.size() : 0);
    }

    void shownAtOkIsBooked_data()
    {
        QTest::addColumn<double>("perHour");
        QTest::addColumn<QList<qint32>>("chosen");
        // What is typed into: the duration's hours:minutes, the end's time, or the price.
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<qint32>("minutes");
        QTest::addColumn<qint32>("total");
        const QList<qint32> one{1};
        const QList<qint32> three{1, 2, 3};
        QTest::newRow("the default hour at 100") << 100.0 << one << QString() << 0 << QString() << 60 << 100;
        QTest::newRow("the default hour at 100 on three") << 100.0 << three << QString() << 0 << QString() << 60 << 300;
        QTest::newRow("hours: Up, 0, 8 at 70")
            << 70.0 << one << QStringLiteral("duration") << 1 << QStringLiteral("U08") << 480 << 560;
        QTest::newRow("hours clicked, 1:00 at 70")
            << 70.0 << one << QStringLiteral("duration") << 1 << QStringLiteral("1:00") << 60 << 70;
        QTest::newRow("hours clicked, 2:00 at 70 on three")
            << 70.0 << three << QStringLiteral("duration") << 0 << QStringLiteral("2:00") << 120 << 420;
        QTest::newRow("minutes 07 at 70")
            << 70.0 << one << QStringLiteral("duration") << 4 << QStringLiteral("07") << 67 << 79;
        QTest::newRow("the end's minutes at 100 on three")
            << 100.0 << three << QStringLiteral("end") << 4 << QStringLiteral("50") << 90 << 450;
        QTest::newRow("the end's minutes at 70")
            << 70.0 << one << QStringLiteral("end") << 4 << QStringLiteral("50") << 90 << 105;
        // Typed a digit at a time; the end is before the begin until the hour, or the day, is all typed:
        // no box meanwhile.
        QTest::newRow("the end's hours 2, 1 at 70")
            << 70.0 << one << QStringLiteral("end") << 1 << QStringLiteral("21") << 420 << 490;
        QTest::newRow("the end's hours 0, 9, then tomorrow at 100 on three")
            << 100.0 << three << QStringLiteral("end, then tomorrow") << 0 << QStringLiteral("09") << 1140 << 5700;
        QTest::newRow("a price at 70") << 70.0 << one << QStringLiteral("price") << 0 << QStringLiteral("100") << 85
                                       << 100;
        QTest::newRow("hours clicked, 99:99 at 70")
            << 70.0 << one << QStringLiteral("duration") << 1 << QStringLiteral("99:99") << 6039 << 7046;
        QTest::newRow("a price erased, then 50 at 70")
            << 70.0 << one << QStringLiteral("price") << 0 << QStringLiteral("EBB50") << 42 << 49;
        QTest::newRow("a price with kopecks at 70")
            << 70.0 << one << QStringLiteral("price") << 0 << QStringLiteral("12,50") << 10 << 12;
        QTest::newRow("a price shared by three at 100")
            << 100.0 << three << QStringLiteral("price") << 0 << QStringLiteral("250") << 50 << 252;
    }

    void shownAtOkIsBooked()
    {
        QFETCH(double, perHour);
        QFETCH(QList<qint32>, chosen);
        QFETCH(QString, input);
        QFETCH(int, caret);
        QFETCH(QString, keys);
        SetRatePrice(DayRate, perHour);
        frmAddSeance dialog;
        WhenShown(&dialog, [&](frmAddSeance *Dialog) {
            ChooseDesktop(Dialog, Standard);
            if (input == QStringLiteral("duration")) {
                auto *box = DurationTime(Dialog)->findChild<QAbstractSpinBox *>();
                ClickAndType(box->findChild<QLineEdit *>(), box, caret, keys);
            } else if (input.startsWith(QStringLiteral("end"))) {
                QTimeEdit *picker = Child<Time>(Dialog, QStringLiteral("TimeTo"))->Picker();
                AnswerBoxes(keys.size());
                ClickAndType(picker->findChild<QLineEdit *>(), picker, caret, keys);
                if (input.endsWith(QStringLiteral("tomorrow"))) {
                    auto *day = Child<Date>(Dialog, QStringLiteral("DateTo"))->findChild<QDateEdit *>();
                    day->setFocus();
                    day->setSelectedSection(QDateTimeEdit::DaySection);
                    QTest::keyClicks(day, QStringLiteral("06"));
                }
                QCOMPARE(Boxes(), QStringList());
            } else if (input == QStringLiteral("price")) {
                QLineEdit *price = Child<Numeric>(Dialog, QStringLiteral("Price"))->TextBox();
                ClickAndType(price, price, caret, keys);
            }
            Click(Dialog, QStringLiteral("Apply"));
        });
        QVERIFY(dialog.Start(Entries(AllComputers(), chosen), WrittenBack));
        QCOMPARE(Boxes(), QStringList());
        // What the dialog shows at OK.
        const qint32 total = Sum(&dialog, QStringLiteral("Price"));
        const qint32 minutes = DurationTime(&dialog)->Value();
        const QDateTime end = JoinDateTime(Child<Date>(&dialog, QStringLiteral("DateTo"))->Day(),
                                           Child<Time>(&dialog, QStringLiteral("TimeTo"))->Value());
        QTEST(total, "total");
        QTEST(minutes, "minutes");
        QCOMPARE(DurationTime(&dialog)->findChild<QAbstractSpinBox *>()->text(), FormatDuration(minutes, false));
        const qint32 each = total / static_cast<qint32>(chosen.size());
        QCOMPARE(each * chosen.size(), total);
        for (qint32 num : chosen) {
            const auto seances = SeancesOf(num);
            QCOMPARE(seances.size(), 1);
            QCOMPARE(Written(*seances.first()),
                     std::make_tuple(Standard, DayRate, Now, Now.addSecs(minutes * Minute), minutes));
            QCOMPARE(SeanceEnd(seances.first()->Code()), end);
            QCOMPARE(Pays(seances.first()->Code()), (PayRows{{0, each}}));
            QCOMPARE(History(num), QStringList{AddedLine(minutes, each)});
        }
    }

    void bookedAsShownAsTheClockMoves_data()
    {
        QTest::addColumn<double>("perHour");
        QTest::addColumn<QList<qint32>>("chosen");
        // The end's hours typed, or the default hour kept.
        QTest::addColumn<QString>("typedHours");
        // What moves between showing and OK: the clock at OK, the clock long enough before OK to be
        // shown, the clock while the payment is taken, or the rate's price.
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("box");
        QTest::addColumn<qint32>("total");
        QTest::addColumn<qint32>("minutes");
        const QList<qint32> one{1};
        QTest::newRow("an end two hours ahead, a minute gone at OK")
            << 100.0 << one << QStringLiteral("16") << QStringLiteral("clock")
            << QStringLiteral("Сумма изменилась с 200 на 199 руб.!") << 199 << 119;
        QTest::newRow("the same on three")
            << 100.0 << QList<qint32>{1, 2, 3} << QStringLiteral("16") << QStringLiteral("clock")
            << QStringLiteral("Сумма изменилась с 600 на 597 руб.!") << 597 << 119;
        QTest::newRow("an end two hours ahead, a minute gone and shown")
            << 100.0 << one << QStringLiteral("16") << QStringLiteral("clock, shown") << QString() << 199 << 119;
        QTest::newRow("an end two hours ahead, a minute gone while paying")
            << 100.0 << one << QStringLiteral("16") << QStringLiteral("clock, paying") << QString() << 200 << 120;
        QTest::newRow("the default hour, a minute gone at OK")
            << 100.0 << one << QString() << QStringLiteral("clock")
            << QStringLiteral("Время окончания сеанса изменилось с 05-03-2026 15:20 на 05-03-2026 15:21!") << 100 << 60;
        QTest::newRow("an end two hours ahead, the rate down to 70 at OK")
            << 100.0 << one << QStringLiteral("16") << QStringLiteral("rate")
            << QStringLiteral("Сумма изменилась с 200 на 140 руб.!") << 140 << 120;
        QTest::newRow("a free end two hours ahead, a minute gone at OK")
            << 0.0 << one << QStringLiteral("16") << QStringLiteral("clock")
            << QStringLiteral("Длительность сеанса изменилась с 02:00 на 01:59!") << 0 << 119;
    }

    // At 100 per hour the minute price is inexact: a minute gone while the dialog is open takes a rouble
    // off an end's sum. What OK books is what was shown when it was pressed; a change is shown first.
    void bookedAsShownAsTheClockMoves()
    {
        QFETCH(QList<qint32>, chosen);
        QFETCH(QString, typedHours);
        QFETCH(QString, change);
        QFETCH(QString, box);
        QFETCH(double, perHour);
        SetRatePrice(DayRate, perHour);
        const bool paying = change == QStringLiteral("clock, paying");
        const QDateTime begin = change == QStringLiteral("rate") || paying ? Now : Now.addSecs(Minute);
        if (paying) {
            SetConfigValue(QStringLiteral("CardPayEnabled"), QStringLiteral("1"));
        }
        frmAddSeance dialog;
        WhenShown(&dialog, [&](frmAddSeance *Dialog) {
            ChooseDesktop(Dialog, Standard);
            if (!typedHours.isEmpty()) {
                QTimeEdit *picker = Child<Time>(Dialog, QStringLiteral("TimeTo"))->Picker();
                ClickAndType(picker->findChild<QLineEdit *>(), picker, 1, typedHours);
            }
            if (change == QStringLiteral("rate")) {
                SetRatePrice(DayRate, 70);
            } else if (paying) {
                // The seance taken for payment is the one booked, whatever the clock does meanwhile.
                WhenShown<frmPayment>(nullptr, [Dialog](frmPayment *Payment) {
                    QSignalSpy ticks(Child<QTimer>(Dialog, QStringLiteral("ClockTimer")), &QTimer::timeout);
                    Clock::SetNow(Now.addSecs(Minute));
                    QTRY_VERIFY(ticks.count() > 1);
                    Click(Payment, QStringLiteral("Apply"));
                });
            } else {
                Clock::SetNow(begin);
            }
            if (change == QStringLiteral("clock, shown")) {
                QTRY_COMPARE(DurationTime(Dialog)->Value(), 119);
            }
            if (!box.isEmpty()) {
                AnswerBoxes();
                Click(Dialog, QStringLiteral("Apply"));
                QCOMPARE(Boxes(), QStringList{box});
                QVERIFY(Dialog->isVisible());
                QCOMPARE(Count(QStringLiteral("Seances")), 0);
                QCOMPARE(Count(QStringLiteral("SeancePays")), 0);
                QCOMPARE(Count(QStringLiteral("History")), 0);
            }
            Click(Dialog, QStringLiteral("Apply"));
        });
        QVERIFY(dialog.Start(Entries(AllComputers(), chosen), WrittenBack));
        QCOMPARE(Boxes(), QStringList());
        // What the dialog shows at the OK that booked.
        const qint32 total = Sum(&dialog, QStringLiteral("Price"));
        const qint32 minutes = DurationTime(&dialog)->Value();
        const QDateTime end = JoinDateTime(Child<Date>(&dialog, QStringLiteral("DateTo"))->Day(),
                                           Child<Time>(&dialog, QStringLiteral("TimeTo"))->Value());
        QTEST(total, "total");
        QTEST(minutes, "minutes");
        const qint32 each = total / static_cast<qint32>(chosen.size());
        for (qint32 num : chosen) {
            const auto seances = SeancesOf(num);
            QCOMPARE(seances.size(), 1);
            QCOMPARE(Written(*seances.first()), std::make_tuple(Standard, DayRate, begin, end, minutes));
            QCOMPARE(Pays(seances.first()->Code()), (PayRows{{0, each}}));
            QCOMPARE(History(num),
                     QStringList{SeanceAddedHistoryText(SeanceStartKind::DaySeance,
                                                        begin,
                                                        end,
                                                        minutes,
                                                        QStringLiteral("Стандарт"),
                                                        QStringLiteral("Дневной"),
                                                        each,
                                                        0)});
        }
    }

    void cardIsDrainedInCollectionOrder()
    {
        SetConfigValue(QStringLiteral("CardPayEnabled"), QStringLiteral("1"));
        const qint32 card = AddCard(50);
        frmAddSeance dialog;
        WhenShown(&dialog, [&](frmAddSeance *Dialog) {
            // A cancelled payment writes nothing and keeps the dialog.
            WhenShown<frmPayment>(nullptr, [](frmPayment *Payment) { Click(Payment, QStringLiteral("Cancel")); });
            EnterAndApply(Dialog, {true, 0, QStringLiteral("100")}, Standard);
            QVERIFY(Dialog->isVisible());
            QCOMPARE(Count(QStringLiteral("Seances")), 0);
            WhenShown<frmPayment>(nullptr, [](frmPayment *Payment) {
                QCOMPARE(Sum(Payment, QStringLiteral("tPriceDifference")), 102);
                TypeBarcode(Payment, QStringLiteral("4600017"));
                QCOMPARE(Sum(Payment, QStringLiteral("tSumByCard")), 50);
                QCOMPARE(Sum(Payment, QStringLiteral("tSumByNal")), 52);
                Click(Payment, QStringLiteral("Apply"));
            });
            Click(Dialog, QStringLiteral("Apply"));
        });
        QVERIFY(dialog.Start(Entries({1, 2, 3}, {1, 2, 3}), WrittenBack));
        const QList<PayRows> expected{{{card, 34}}, {{card, 16}, {0, 18}}, {{0, 34}}};
        // Each line says how its own sum was paid: by card, split, in cash.
        const QList<qint32> cardParts{34, 16, 0};
        for (qint32 num = 1; num <= 3; ++num) {
            QCOMPARE(Pays(SeancesOf(num).first()->Code()), expected[num - 1]);
            QCOMPARE(History(num), QStringList{AddedLine(68, 34, cardParts[num - 1])});
        }
    }

    void refusedWithoutDesktopsOrDayRates()
    {
        // A night rate is no rate for a day seance.
        Db().AddRate(QStringLiteral("Ночной"), 1, 300);
        const QList<std::pair<QString, QString>> removals{
            {QStringLiteral("Rates WHERE IsNight = 0"), QStringLiteral("Тарифы отсутствуют!")},
            {QStringLiteral("Desktops"), QStringLiteral("Рабочие столы отсутствуют!")}};
        for (const auto &[removed, box] : removals) {
            QVERIFY(Db().Execute(QStringLiteral("DELETE FROM ") + removed));
            Rollstrake::Root::ForgetCaches();
            frmAddSeance dialog;
            AnswerBoxes();
            // Left waiting with the dialog, unless the dialog was shown.
            QTimer::singleShot(0, &dialog, [&dialog] {
                dialog.reject();
                QFAIL("the dialog was shown");
            });
            QVERIFY(!dialog.Start(Entries({1}, {1}), WrittenBack));
            QCOMPARE(Boxes(), QStringList{box});
        }
    }

    void eachComputerIsAllOrNothing_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("condition");
        QTest::newRow("payment refused") << QStringLiteral(
            "SeancePays") << QStringLiteral("NEW.Seance IN (SELECT Code FROM Seances WHERE Computer = %1)");
        QTest::newRow("history line refused") << QStringLiteral("History") << QStringLiteral("NEW.ComputerNum = 2");
    }

    void eachComputerIsAllOrNothing()
    {
        QFETCH(QString, table);
        QFETCH(QString, condition);
        if (condition.contains(QStringLiteral("%1"))) {
            condition = condition.arg(Code(2));
        }
        QVERIFY(Db().AddRefusal(table, QStringLiteral("INSERT"), condition));
        frmAddSeance dialog;
        WhenShown(&dialog, [&](frmAddSeance *Dialog) {
            ChooseDesktop(Dialog, Standard);
            ApplyRefused(Dialog);
        });
        QVERIFY(!dialog.Start(Entries({1, 2, 3}, {1, 2, 3}), WrittenBack));
        QCOMPARE(Pays(SeancesOf(1).first()->Code()), (PayRows{{0, 30}}));
        QCOMPARE(History(1).size(), 1);
        QCOMPARE(Count(QStringLiteral("Seances")), 1);
        QCOMPARE(Count(QStringLiteral("SeancePays")), 1);
        QCOMPARE(Count(QStringLiteral("History")), 1);
    }
};

QTEST_MAIN(TestFrmAddSeance)
#include "tst_frmaddseance.moc"
