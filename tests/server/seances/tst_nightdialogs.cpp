#include "controls/string.h"
#include "core/historytexts.h"
#include "dialogfixture.h"
#include "rendercheck.h"
#include "seances/computersbuttons.h"
#include "seances/frmpayment.h"
#include "seances/frmreservenight.h"
#include "seances/frmstartnightreserve.h"
#include "seances/frmstartnightseance.h"
#include "settings/lists/rateslist.h"

#include <QComboBox>
#include <QDateEdit>
#include <QRadioButton>

namespace
{
using PayRows = DialogFixture::PayRows;
using Fixture = DialogFixture;

const QDateTime TonightDate = DateValue::Make(2026, 3, 5);
const QDateTime Morning = Fixture::At(6, 8, 0);

ComputersButtons *Grid(QWidget *Dialog)
{
    return Fixture::Child<ComputersButtons>(Dialog, QStringLiteral("ComputersButtons"));
}

QList<qint32> Enabled(QWidget *Dialog)
{
    QList<qint32> nums;
    for (qint32 num : Fixture::AllComputers()) {
        if (Grid(Dialog)->ButtonEnable(num)) {
            nums.append(num);
        }
    }
    return nums;
}

// The entries are computers 1 to 10: a computer's button is at its number.
void Choose(QWidget *Dialog, const QList<qint32> &Nums)
{
    for (qint32 num : Nums) {
        QTest::mouseClick(Grid(Dialog)->Button(num), Qt::LeftButton);
    }
}

// Types into the nickname as the keyboard would (QTest has no keys for Cyrillic letters).
void TypeNickname(QWidget *Dialog, const QString &Text)
{
    Fixture::Child<String>(Dialog, QStringLiteral("sNickname"))->TextBox()->insert(Text);
}

// Clicks Apply; true when a payment dialog was shown meanwhile, which is then cancelled.
bool ApplyShowsPayment(QWidget *Dialog)
{
    const auto shown = std::make_shared<bool>(false);
    QTimer::singleShot(0, Dialog, [shown] {
        if (auto *payment = qobject_cast<frmPayment *>(QApplication::activeModalWidget())) {
            *shown = true;
            payment->reject();
        }
    });
    Fixture::Click(Dialog, QStringLiteral("Apply"));
    return *shown;
}

// The history line of a night seance from Begin to the morning on "Стандарт" at "Ночной", paid Sum,
// CardPart of it by card.
QString NightLine(SeanceStartKind Kind, const QDateTime &Begin, qint32 Minutes, qint32 Sum, qint32 CardPart = 0)
{
    return SeanceAddedHistoryText(Kind,
                                  Begin,
                                  Morning,
                                  Minutes,
                                  QStringLiteral("Стандарт"),
                                  QStringLiteral("Ночной"),
                                  Sum,
                                  CardPart);
}
} // namespace

// The night-seance, night-reserve and reserve-activation dialogs, on both engines, with the night
// rate "Ночной" of 300 a night and a reserve prepayment of 100.
class TestNightDialogs : public DialogFixture
{
    Q_OBJECT

private slots:

    void init()
    {
        DialogFixture::init();
        m_nightRate = Db().AddRate(QStringLiteral("Ночной"), 1, 300);
        SetRatePrice(m_nightRate, 300, 100);
    }

    void nightSeances_data()
    {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QList<qint32>>("chosen");
        QTest::addColumn<double>("price");
        QTest::addColumn<qint32>("minutes");
        // The total shown once Apply is done with.
        QTest::addColumn<qint32>("total");
        QTest::addColumn<QString>("box");
        const QDateTime evening = At(5, 23, 30);
        const QList<qint32> three{1, 2, 3};
        const QList<qint32> one{1};
        QTest::newRow("three at 23:30") << evening << QString() << three << 150.0 << 510 << 450 << QString();
        QTest::newRow("one at 02:15, ending that morning")
            << At(6, 2, 15) << QString() << QList<qint32>{4} << 150.0 << 345 << 150 << QString();
        // OK is refused once with the new total shown; the next OK books it.
        QTest::newRow("three, the second taken meanwhile")
            << evening << QStringLiteral("taken") << three << 150.0 << 510 << 300 << QString();
        QTest::newRow("two at 70, raised to 100 meanwhile")
            << evening << QStringLiteral("raised") << QList<qint32>{1, 2} << 70.0 << 510 << 200 << QString();
        QTest::newRow("two at 70") << evening << QString() << QList<qint32>{1, 2} << 70.0 << 510 << 140 << QString();
        QTest::newRow("three at 100") << evening << QString() << three << 100.0 << 510 << 300 << QString();
        QTest::newRow("a free night, paid by nobody")
            << evening << QString() << QList<qint32>{1, 2} << 0.0 << 510 << 0 << QString();
        QTest::newRow("nothing chosen: the price of one")
            << evening << QString() << QList<qint32>() << 300.0 << 0 << 300 << QStringLiteral("Не выбран компьютер!");
        QTest::newRow("no desktop") << evening << QStringLiteral("DELETE FROM Desktops") << one << 300.0 << 0 << 300
                                    << QStringLiteral("Не выбран рабочий стол!");
        QTest::newRow("no night rate") << evening << QStringLiteral("DELETE FROM Rates WHERE IsNight = 1") << one
                                       << 300.0 << 0 << 0 << QStringLiteral("Не выбран тариф!");
        QTest::newRow("the rate deleted meanwhile") << evening << QStringLiteral("rate deleted") << one << 300.0 << 0
                                                    << 0 << QStringLiteral("Тариф не найден: нет записи с кодом %1");
        QTest::newRow("the night over meanwhile") << evening << QStringLiteral("morning") << one << 300.0 << 0 << 300
                                                  << QStringLiteral("Не выбран компьютер!");
    }

    void nightSeances()
    {
        QFETCH(QDateTime, moment);
        QFETCH(QString, change);
        QFETCH(QList<qint32>, chosen);
        QFETCH(double, price);
        QFETCH(qint32, minutes);
        QFETCH(qint32, total);
        QFETCH(QString, box);
        const qint32 taken = change == QStringLiteral("taken") ? 2 : 0;
        // A free night must not ask for a payment.
        SetUp(moment, price, 0, price == 0);
        if (change.startsWith(QStringLiteral("DELETE"))) {
            QVERIFY(Db().Execute(change));
            Rollstrake::Root::ForgetCaches();
        }
        frmStartNightSeance dialog;
        WhenShown(&dialog, [&](frmStartNightSeance *Dialog) {
            if (box.isEmpty()) {
                QCOMPARE(Label(Dialog, QStringLiteral("NightDate")), QStringLiteral("05/03/2026"));
                QCOMPARE(Child<QComboBox>(Dialog, QStringLiteral("DesktopsList"))->currentIndex(), 0);
                QCOMPARE(Child<RatesList>(Dialog, QStringLiteral("RatesList"))->Value(), m_nightRate);
            }
            ChooseDesktop(Dialog, Standard);
            Choose(Dialog, chosen);
            if (box.isEmpty()) {
                QCOMPARE(Label(Dialog, QStringLiteral("Price")), QString::number(qRound(price) * chosen.size()));
            }
            if (chosen.size() == 3 && taken == 0) {
                QVERIFY(RenderControl(Dialog, QStringLiteral("frmstartnightseance")));
            }
            if (taken != 0) {
                AddSeance(taken, DayRate, moment.addSecs(-60), 60, 30);
            } else if (change == QStringLiteral("rate deleted")) {
                QVERIFY(Db().Execute(QStringLiteral("DELETE FROM Rates WHERE Code = %1").arg(m_nightRate)));
            } else if (change == QStringLiteral("morning")) {
                Clock::SetNow(At(6, 8, 1));
            } else if (change == QStringLiteral("raised")) {
                SetRatePrice(m_nightRate, 100);
            }
            const qint32 seen = qRound(price) * static_cast<qint32>(chosen.size());
            if (box.isEmpty() && total != seen) {
                AnswerBoxes();
                Click(Dialog, QStringLiteral("Apply"));
                QCOMPARE(Boxes(),
                         QStringList{QStringLiteral("Сумма изменилась с %1 на %2 руб.!").arg(seen).arg(total)});
            }
            AnswerBoxes(box.isEmpty() ? 0 : 1);
            QVERIFY(!ApplyShowsPayment(Dialog));
            QCOMPARE(Dialog->isVisible(), !box.isEmpty());
        });
        QCOMPARE(dialog.Start(Entries(AllComputers(), {}), WrittenBack), box.isEmpty());
        if (box.contains(QStringLiteral("%1"))) {
            box = box.arg(m_nightRate);
        }
        QCOMPARE(Boxes(), box.isEmpty() ? QStringList() : QStringList{box});
        QCOMPARE(Label(&dialog, QStringLiteral("Price")), QString::number(total));
        // A computer taken meanwhile neither pays nor makes the others pay for it.
        QList<qint32> written = box.isEmpty() ? chosen : QList<qint32>();
        written.removeAll(taken);
        const qint32 each = written.isEmpty() ? 0 : total / static_cast<qint32>(written.size());
        for (qint32 num : AllComputers()) {
            const auto seances = SeancesOf(num);
            if (!written.contains(num)) {
                QCOMPARE(seances.size(), num == taken ? 1 : 0);
                QVERIFY(History(num).isEmpty());
                continue;
            }
            QCOMPARE(seances.size(), 1);
            QCOMPARE(Written(*seances.first()), std::make_tuple(Standard, m_nightRate, moment, Morning, minutes));
            QCOMPARE(Pays(seances.first()->Code()), (PayRows{{0, each}}));
            QCOMPARE(History(num), QStringList{NightLine(SeanceStartKind::NightSeance, moment, minutes, each)});
        }
        QCOMPARE(Count(QStringLiteral("SeancePays")), written.size() + (taken != 0 ? 1 : 0));
    }

    void reservesANight_data()
    {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("prepay");
        QTest::addColumn<qint32>("sum");
        QTest::addColumn<QString>("box");
        const QDateTime day = At(5, 14, 20);
        const QDateTime night = At(5, 23, 30);
        QTest::newRow("in full, in the day") << day << QString() << false << 300 << QString();
        QTest::newRow("prepaid before the night") << At(5, 22, 59) << QString() << true << 100 << QString();
        QTest::newRow("prepaid once the night began")
            << night << QString() << true << 100
            << QStringLiteral("Текущую ночь можно зарезервировать только по полной предоплате!");
        QTest::newRow("in full once the night began") << night << QString() << false << 300 << QString();
        QTest::newRow("a free rate") << day << QString() << false << 0 << QString();
        QTest::newRow("no desktop") << day << QStringLiteral("no desktop") << false << 300
                                    << QStringLiteral("Не выбран рабочий стол!");
        QTest::newRow("no computer") << day << QStringLiteral("no computer") << false << 300
                                     << QStringLiteral("Не выбран компьютер!");
        QTest::newRow("blanks for a nickname") << day << QStringLiteral("blanks") << false << 300
                                               << QStringLiteral("Не указан псевдоним резервирующего лица!");
        QTest::newRow("the night over meanwhile") << At(6, 7, 30) << QStringLiteral("morning") << false << 300
                                                  << QStringLiteral("Нельзя зарезервировать прошедшую ночь!");
        QTest::newRow("reserved by another during the payment")
            << day << QStringLiteral("taken") << false << 300 << QStringLiteral("Компьютер указанной ночью занят!");
    }

    void reservesANight()
    {
        QFETCH(QDateTime, moment);
        QFETCH(QString, change);
        QFETCH(bool, prepay);
        QFETCH(qint32, sum);
        QFETCH(QString, box);
        const QString nickname =
            change == QStringLiteral("blanks") ? QStringLiteral("   ") : QStringLiteral("  Гость ");
        const double price = sum == 0 ? 0 : 300;
        SetUp(moment, price, 100, sum == 0 || change == QStringLiteral("taken"));
        qint32 taken = 0;
        frmReserveNight dialog;
        WhenShown(&dialog, [&](frmReserveNight *Dialog) {
            QCOMPARE(Child<QComboBox>(Dialog, QStringLiteral("DesktopsList"))->currentIndex(), -1);
            QCOMPARE(Child<RatesList>(Dialog, QStringLiteral("RatesList"))->Value(), m_nightRate);
            if (change != QStringLiteral("no desktop")) {
                ChooseDesktop(Dialog, Standard);
            }
            TypeNickname(Dialog, nickname);
            if (prepay) {
                QTest::mouseClick(Child<QRadioButton>(Dialog, QStringLiteral("opReservePrepay")), Qt::LeftButton);
            }
            Choose(Dialog, change == QStringLiteral("no computer") ? QList<qint32>() : QList<qint32>{4});
            QCOMPARE(Label(Dialog, QStringLiteral("Price")), QString::number(sum));
            if (sum == 300 && box.isEmpty()) {
                QVERIFY(RenderControl(Dialog, QStringLiteral("frmreservenight")));
            }
            AnswerBoxes();
            if (change == QStringLiteral("morning")) {
                Clock::SetNow(At(6, 8, 30));
            }
            if (change == QStringLiteral("taken")) {
                // The payment is accepted, then the reserve refused.
                WhenShown<frmPayment>(nullptr, [&](frmPayment *Payment) {
                    taken = Db().AddReserve(Code(4), Games, m_nightRate, TonightDate, true);
                    Click(Payment, QStringLiteral("Apply"));
                });
                Click(Dialog, QStringLiteral("Apply"));
            } else {
                QVERIFY(!ApplyShowsPayment(Dialog));
            }
            if (box.isEmpty() || nickname.trimmed().isEmpty()) {
                QCOMPARE(Child<String>(Dialog, QStringLiteral("sNickname"))->Value(), nickname.trimmed());
            }
        });
        QCOMPARE(dialog.Start(Entries(AllComputers(), {})), box.isEmpty());
        QCOMPARE(Boxes(), box.isEmpty() ? QStringList() : QStringList{box});
        QCOMPARE(Count(QStringLiteral("NightReserves")), box.isEmpty() || taken != 0 ? 1 : 0);
        QCOMPARE(Count(QStringLiteral("SeancePays")), box.isEmpty() ? 1 : 0);
        QCOMPARE(Count(QStringLiteral("History")), box.isEmpty() ? 1 : 0);
        if (!box.isEmpty()) {
            return;
        }
        const auto reserves = ReservesOf(4);
        QCOMPARE(reserves.size(), 1);
        const auto &reserve = *reserves.first();
        QCOMPARE(DateValueOf(reserve, QStringLiteral("NightDate")), TonightDate);
        QCOMPARE(TextValue(reserve, QStringLiteral("Nickname")), QStringLiteral("Гость"));
        QCOMPARE(IntValue(reserve, QStringLiteral("Desktop")), Standard);
        QCOMPARE(IntValue(reserve, QStringLiteral("Rate")), m_nightRate);
        QCOMPARE(IntValue(reserve, QStringLiteral("IsFullPay")), prepay ? 0 : 1);
        QCOMPARE(IntValue(reserve, QStringLiteral("Seance")), 0);
        QCOMPARE(ReservePays(reserve.Code()), (PayRows{{0, sum}}));
        QCOMPARE(Pays(0), (PayRows{{0, sum}}));
        QCOMPARE(
            History(4),
            QStringList{
                NightReservedHistoryText(TonightDate, QStringLiteral("Стандарт"), QStringLiteral("Ночной"), sum, 0)});
    }

    void reserveDateMarksTheComputersOfThatNight()
    {
        const QDateTime tomorrow = TonightDate.addDays(1);
        Db().AddReserve(Code(2), Standard, m_nightRate, tomorrow, true);
        Db().AddReserve(Code(3), Standard, m_nightRate, TonightDate, true);
        frmReserveNight dialog;
        WhenShown(&dialog, [&](frmReserveNight *Dialog) {
            auto *picker = Child<QDateEdit>(Dialog, QStringLiteral("Picker"));
            // The caller's marks stand until the operator changes the date.
            QCOMPARE(Enabled(Dialog), AllComputers());
            picker->setDate(tomorrow.date());
            QCOMPARE(Enabled(Dialog), (QList<qint32>{1, 3, 4, 5, 6, 7, 8, 9, 10}));
            picker->setDate(TonightDate.date().addDays(-1));
            QCOMPARE(picker->date(), TonightDate.date());
            QCOMPARE(Enabled(Dialog), (QList<qint32>{1, 2, 4, 5, 6, 7, 8, 9, 10}));
        });
        QVERIFY(!dialog.Start(Entries(AllComputers(), {})));
    }

    void activatesAReserve_data()
    {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<bool>("fullPay");
        QTest::addColumn<qint32>("paid");
        QTest::addColumn<double>("price");
        QTest::addColumn<qint32>("sum");
        QTest::addColumn<qint32>("minutes");
        QTest::newRow("prepaid 100 of 300") << At(5, 23, 20) << false << 100 << 300.0 << 200 << 520;
        QTest::newRow("paid in full, ending that morning") << At(6, 2, 15) << true << 300 << 300.0 << 0 << 345;
        QTest::newRow("paid in full, the rate lowered since") << At(5, 23, 40) << true << 300 << 250.0 << -50 << 500;
    }

    void activatesAReserve()
    {
        QFETCH(QDateTime, moment);
        QFETCH(bool, fullPay);
        QFETCH(qint32, paid);
        QFETCH(double, price);
        QFETCH(qint32, sum);
        QFETCH(qint32, minutes);
        const qint32 reserve = AddPaidReserve(5, fullPay, paid);
        SetUp(moment, price, 100, sum == 0);
        frmStartNightReserve dialog;
        WhenShown(&dialog, [&](frmStartNightReserve *Dialog) {
            QCOMPARE(Label(Dialog, QStringLiteral("NightDate")), QStringLiteral("05/03/2026"));
            QCOMPARE(Child<String>(Dialog, QStringLiteral("sNickname"))->Value(), QStringLiteral("Гость"));
            QCOMPARE(Label(Dialog, QStringLiteral("Price")), QString::number(sum));
            if (sum == 200) {
                QVERIFY(RenderControl(Dialog, QStringLiteral("frmstartnightreserve")));
            }
            QVERIFY(!ApplyShowsPayment(Dialog));
        });
        QVERIFY(dialog.Start(Entries(AllComputers(), {5}), QDateTime()));
        QCOMPARE(Boxes(), QStringList());
        const auto seances = SeancesOf(5);
        QCOMPARE(seances.size(), 1);
        const qint32 seance = seances.first()->Code();
        QCOMPARE(Written(*seances.first()), std::make_tuple(Standard, m_nightRate, moment, Morning, minutes));
        QCOMPARE(Pays(seance), (PayRows{{0, sum}}));
        QCOMPARE(ReservePays(reserve), (PayRows{{0, paid}}));
        QCOMPARE(IntValue(*Db().Record(QStringLiteral("NightReserves"), reserve), QStringLiteral("Seance")), seance);
        QCOMPARE(History(5), QStringList{NightLine(SeanceStartKind::ReserveActivated, moment, minutes, sum)});
    }

    void activationOffersUsableReservesAtNight_data()
    {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QList<qint32>>("enabled");
        QTest::newRow("at night") << At(5, 23, 20) << QList<qint32>{2, 5};
        QTest::newRow("in the day") << At(5, 22, 0) << QList<qint32>();
        QTest::newRow("prepayments lapsed") << At(5, 23, 31) << QList<qint32>{2};
    }

    void activationOffersUsableReservesAtNight()
    {
        QFETCH(QDateTime, moment);
        QFETCH(QList<qint32>, enabled);
        // 1 activated, 2 paid in full, 3 with a day seance running, 5 prepaid; 4 has none.
        const qint32 used = AddSeance(1, m_nightRate, At(5, 23, 0), 10, 300);
        Db().AddReserve(Code(1), Standard, m_nightRate, TonightDate, true, used);
        AddPaidReserve(2, true, 300);
        AddPaidReserve(3, true, 300);
        AddSeance(3, DayRate, At(5, 21, 0), 600, 300);
        AddPaidReserve(5, false, 100);
        Clock::SetNow(moment);
        frmStartNightReserve dialog;
        WhenShown(&dialog, [&](frmStartNightReserve *Dialog) {
            QCOMPARE(Enabled(Dialog), enabled);
            AnswerBoxes();
            Click(Dialog, QStringLiteral("Apply"));
            QCOMPARE(Boxes(), QStringList{QStringLiteral("Не выбран компьютер!")});
        });
        QVERIFY(!dialog.Start(Entries(AllComputers(), {}), QDateTime()));
    }

    void eachComputerIsAllOrNothing_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("condition");
        QTest::newRow("night seance: the second computer's payment")
            << QStringLiteral("seance") << QStringLiteral("SeancePays")
            << QStringLiteral("NEW.Seance IN (SELECT Code FROM Seances WHERE Computer = %1)");
        QTest::newRow("reserve: its payment")
            << QStringLiteral("reserve") << QStringLiteral("SeancePays") << QStringLiteral("NEW.NightReserve > 0");
        QTest::newRow("activation: the payment")
            << QStringLiteral("activation") << QStringLiteral("SeancePays") << QStringLiteral("NEW.Seance > 0");
        QTest::newRow("activation: the reserve's link")
            << QStringLiteral("activation") << QStringLiteral("NightReserves") << QStringLiteral("NEW.Seance > 0");
    }

    void eachComputerIsAllOrNothing()
    {
        QFETCH(QString, dialog);
        QFETCH(QString, table);
        QFETCH(QString, condition);
        // Payments are inserted; the reserve gets its seance by an update.
        const QString event =
            table == QStringLiteral("NightReserves") ? QStringLiteral("UPDATE") : QStringLiteral("INSERT");
        Clock::SetNow(At(5, 23, 20));
        const qint32 reserve = dialog == QStringLiteral("activation") ? AddPaidReserve(2, false, 100) : 0;
        if (condition.contains(QStringLiteral("%1"))) {
            condition = condition.arg(Code(2));
        }
        QVERIFY(Db().AddRefusal(table, event, condition));
        const auto entries = Entries(AllComputers(), {1, 2, 3});
        if (dialog == QStringLiteral("seance")) {
            frmStartNightSeance nights;
            WhenShown<QDialog>(&nights, ApplyRefused);
            QVERIFY(!nights.Start(entries, WrittenBack));
            // The first computer is written whole; the second and third get nothing.
            QCOMPARE(Pays(SeancesOf(1).first()->Code()), (PayRows{{0, 300}}));
            QCOMPARE(History(1).size(), 1);
        } else if (dialog == QStringLiteral("reserve")) {
            frmReserveNight reserves;
            WhenShown<QDialog>(&reserves, [&](QDialog *Dialog) {
                ChooseDesktop(Dialog, Standard);
                TypeNickname(Dialog, QStringLiteral("Гость"));
                Choose(Dialog, {2});
                ApplyRefused(Dialog);
            });
            QVERIFY(!reserves.Start(Entries(AllComputers(), {})));
        } else {
            frmStartNightReserve activation;
            WhenShown<QDialog>(&activation, ApplyRefused);
            QVERIFY(!activation.Start(Entries(AllComputers(), {2}), QDateTime()));
            QCOMPARE(IntValue(*Db().Record(QStringLiteral("NightReserves"), reserve), QStringLiteral("Seance")), 0);
            QCOMPARE(ReservePays(reserve), (PayRows{{0, 100}}));
        }
        QVERIFY(SeancesOf(2).isEmpty());
        QVERIFY(SeancesOf(3).isEmpty());
        QVERIFY(History(2).isEmpty());
        QCOMPARE(ReservesOf(2).size(), reserve != 0 ? 1 : 0);
    }

    void okChargesTheSumShown_data()
    {
        QTest::addColumn<QString>("dialog");
        // The reserve made or activated is a prepayment of half the night, else the night paid in full.
        QTest::addColumn<bool>("prepay");
        // The night's price when OK is pressed; 70 when the dialog opened.
        QTest::addColumn<double>("atOk");
        QTest::addColumn<bool>("cardPay");
        // The sum shown when the dialog opened, and once OK has read the rate again.
        QTest::addColumn<qint32>("seen");
        QTest::addColumn<qint32>("shown");
        const QString reserve = QStringLiteral("reserve");
        const QString activation = QStringLiteral("activation");
        QTest::newRow("reserve at 70") << reserve << false << 70.0 << false << 70 << 70;
        QTest::newRow("reserve, the night raised to 100") << reserve << false << 100.0 << false << 70 << 100;
        QTest::newRow("reserve prepaid, raised to 100, by the payment dialog")
            << reserve << true << 100.0 << true << 35 << 50;
        QTest::newRow("activation, 35 prepaid, raised to 100") << activation << true << 100.0 << false << 35 << 65;
        QTest::newRow("activation, paid in full, raised to 100, by the payment dialog")
            << activation << false << 100.0 << true << 0 << 30;
    }

    void okChargesTheSumShown()
    {
        QFETCH(QString, dialog);
        QFETCH(bool, prepay);
        QFETCH(double, atOk);
        QFETCH(bool, cardPay);
        QFETCH(qint32, seen);
        QFETCH(qint32, shown);
        const bool reserving = dialog == QStringLiteral("reserve");
        const QDateTime moment = reserving ? At(5, 14, 20) : At(5, 23, 20);
        const qint32 reserve = reserving ? 0 : AddPaidReserve(5, !prepay, prepay ? 35 : 70);
        SetUp(moment, 70, 35, cardPay);
        // Paid with a card of 30, the rest in cash.
        const qint32 card = cardPay ? AddCard(30) : 0;
        const qint32 cardPart = cardPay ? qMin(30, shown) : 0;
        PayRows paid{{card, cardPay ? cardPart : shown}};
        if (cardPay && shown > cardPart) {
            paid.append({0, shown - cardPart});
        }
        qint32 atPayment = -1;
        const auto steps = [&](QDialog *Dialog) {
            if (reserving) {
                ChooseDesktop(Dialog, Standard);
                TypeNickname(Dialog, QStringLiteral("Гость"));
                if (prepay) {
                    QTest::mouseClick(Child<QRadioButton>(Dialog, QStringLiteral("opReservePrepay")), Qt::LeftButton);
                }
                Choose(Dialog, {4});
            }
            QCOMPARE(Label(Dialog, QStringLiteral("Price")), QString::number(seen));
            SetRatePrice(m_nightRate, atOk, qRound(atOk) / 2);
            if (shown != seen) {
                // Refused with the new sum shown; nothing is charged.
                AnswerBoxes();
                Click(Dialog, QStringLiteral("Apply"));
                QCOMPARE(Boxes(),
                         QStringList{QStringLiteral("Сумма изменилась с %1 на %2 руб.!").arg(seen).arg(shown)});
                QVERIFY(Dialog->isVisible());
                QCOMPARE(Label(Dialog, QStringLiteral("Price")), QString::number(shown));
                QCOMPARE(Count(QStringLiteral("SeancePays")), reserving ? 0 : 1);
            }
            if (cardPay) {
                WhenShown<frmPayment>(nullptr, [&](frmPayment *Payment) {
                    atPayment = Sum(Payment, QStringLiteral("tPriceDifference"));
                    TypeBarcode(Payment, QStringLiteral("4600017"));
                    Click(Payment, QStringLiteral("Apply"));
                });
            }
            Click(Dialog, QStringLiteral("Apply"));
        };
        bool applied = false;
        if (reserving) {
            frmReserveNight reserves;
            WhenShown<QDialog>(&reserves, steps);
            applied = reserves.Start(Entries(AllComputers(), {}));
            QCOMPARE(Label(&reserves, QStringLiteral("Price")), QString::number(shown));
        } else {
            frmStartNightReserve activations;
            WhenShown<QDialog>(&activations, steps);
            applied = activations.Start(Entries(AllComputers(), {5}), QDateTime());
            QCOMPARE(Label(&activations, QStringLiteral("Price")), QString::number(shown));
        }
        QVERIFY(applied);
        QCOMPARE(Boxes(), QStringList());
        QCOMPARE(atPayment, cardPay ? shown : -1);
        if (reserving) {
            const auto reserves = ReservesOf(4);
            QCOMPARE(reserves.size(), 1);
            QCOMPARE(ReservePays(reserves.first()->Code()), paid);
            QCOMPARE(History(4),
                     QStringList{NightReservedHistoryText(TonightDate,
                                                          QStringLiteral("Стандарт"),
                                                          QStringLiteral("Ночной"),
                                                          shown,
                                                          cardPart)});
            return;
        }
        const auto seances = SeancesOf(5);
        QCOMPARE(seances.size(), 1);
        QCOMPARE(Written(*seances.first()), std::make_tuple(Standard, m_nightRate, moment, Morning, 520));
        QCOMPARE(Pays(seances.first()->Code()), paid);
        QCOMPARE(ReservePays(reserve), (PayRows{{0, prepay ? 35 : 70}}));
        QCOMPARE(History(5), QStringList{NightLine(SeanceStartKind::ReserveActivated, moment, 520, shown, cardPart)});
    }

private:
    // The moment and the night rate; with CardPayEnabled a payment dialog shows when asked for, which
    // ApplyShowsPayment sees.
    void SetUp(const QDateTime &Moment, double PriceForHour, qint32 PrepaySum, bool CardPayEnabled)
    {
        SetRatePrice(m_nightRate, PriceForHour, PrepaySum);
        Clock::SetNow(Moment);
        SetConfigValue(QStringLiteral("CardPayEnabled"), CardPayEnabled ? QStringLiteral("1") : QStringLiteral("0"));
    }

    // Tonight's reserve of the computer on "Стандарт" at the night rate, Paid in cash the day before.
    qint32 AddPaidReserve(qint32 Num, bool FullPay, qint32 Paid)
    {
        const qint32 reserve = Db().AddReserve(Code(Num), Standard, m_nightRate, TonightDate, FullPay);
        QString err;
        [&] {
            QVERIFY2(PaySeance(0, reserve, At(4, 12, 0), 0, Paid, err), qPrintable(err));
        }();
        return reserve;
    }

    qint32 m_nightRate = 0;
};

QTEST_MAIN(TestNightDialogs)
#include "tst_nightdialogs.moc"
