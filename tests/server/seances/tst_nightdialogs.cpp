#include "controls/string.h"
#include "core/widgets/guihelpers.h"
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
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace
{
using PayRows = DialogFixture::PayRows;
using Steps = std::function<void(QDialog *)>;

// Moments of March 2026; the night of the 5th runs from 23:00 to 08:00 (the default settings).
QDateTime At(int Day, int Hour, int Minute)
{
    return DateValue::Make(2026, 3, Day, Hour, Minute, 0);
}

const QDateTime TonightDate = DateValue::Make(2026, 3, 5);

QList<qint32> AllComputers()
{
    QList<qint32> nums;
    for (qint32 num = 1; num <= DialogFixture::Computers; ++num) {
        nums.append(num);
    }
    return nums;
}

QString Label(QWidget *Dialog, const QString &Name)
{
    return DialogFixture::Child<QLabel>(Dialog, Name)->text();
}

ComputersButtons *Grid(QWidget *Dialog)
{
    return DialogFixture::Child<ComputersButtons>(Dialog, QStringLiteral("ComputersButtons"));
}

QList<qint32> Enabled(QWidget *Dialog)
{
    QList<qint32> nums;
    for (qint32 num : AllComputers()) {
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

void ChooseDesktop(QWidget *Dialog, qint32 Desktop)
{
    auto *desktops = DialogFixture::Child<QComboBox>(Dialog, QStringLiteral("DesktopsList"));
    desktops->setCurrentIndex(FindListIndexByData(desktops, Desktop));
}

// Types into the nickname as the keyboard would (QTest has no keys for Cyrillic letters).
void TypeNickname(QWidget *Dialog, const QString &Text)
{
    DialogFixture::Child<String>(Dialog, QStringLiteral("sNickname"))->TextBox()->insert(Text);
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
    DialogFixture::Click(Dialog, QStringLiteral("Apply"));
    return *shown;
}

QString Line(const QString &Opening, const QString &Span, const QString &Rate, const QString &Sum, bool Cash)
{
    return Opening + Span + QStringLiteral(" с рабочим столом 'Стандарт' по тарифу '") + Rate
           + QStringLiteral("' на сумму ") + Sum + QStringLiteral(" руб.")
           + (Cash ? QStringLiteral(", оплачено наличными.") : QString());
}
} // namespace

// The night-seance, night-reserve and reserve-activation dialogs, on both engines, with the night
// rate "Ночной" of 300 a night and a reserve prepayment of 100.
class TestNightDialogs : public QObject
{
    Q_OBJECT

private slots:

    void init()
    {
        QString err;
        QVERIFY2(m_fixture.Start(err), qPrintable(err));
        m_nightRate = m_fixture.Db().AddRate(QStringLiteral("Ночной"), 1, 300);
        SetNightRate(300, 100);
    }

    void cleanup()
    {
        m_fixture.Stop();
    }

    void nightSeances_data()
    {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QList<qint32>>("chosen");
        QTest::addColumn<double>("price");
        QTest::addColumn<QString>("total");
        QTest::addColumn<qint32>("taken");
        QTest::addColumn<qint32>("minutes");
        QTest::addColumn<QString>("line");
        const QString opening = QStringLiteral("Добавлен ночной сеанс с '");
        QTest::newRow("three at 23:30") << At(5, 23, 30) << QList<qint32>{1, 2, 3} << 150.0 << QStringLiteral("450")
                                        << 0 << 510
                                        << Line(opening,
                                                QStringLiteral("05/03/2026 23:30:00' по '06/03/2026 08:00:00' (08:30)"),
                                                QStringLiteral("Ночной"),
                                                QStringLiteral("150,00"),
                                                true);
        QTest::newRow("one at 02:15, ending that morning")
            << At(6, 2, 15) << QList<qint32>{4} << 150.0 << QStringLiteral("150") << 0 << 345
            << Line(opening,
                    QStringLiteral("06/03/2026 02:15:00' по '06/03/2026 08:00:00' (05:45)"),
                    QStringLiteral("Ночной"),
                    QStringLiteral("150,00"),
                    true);
        QTest::newRow("three, one taken meanwhile")
            << At(5, 23, 30) << QList<qint32>{1, 2, 3} << 150.0 << QStringLiteral("450") << 2 << 510
            << Line(opening,
                    QStringLiteral("05/03/2026 23:30:00' по '06/03/2026 08:00:00' (08:30)"),
                    QStringLiteral("Ночной"),
                    QStringLiteral("150,00"),
                    true);
        QTest::newRow("a free night, paid by nobody")
            << At(5, 23, 30) << QList<qint32>{1, 2} << 0.0 << QStringLiteral("0") << 0 << 510
            << Line(opening,
                    QStringLiteral("05/03/2026 23:30:00' по '06/03/2026 08:00:00' (08:30)"),
                    QStringLiteral("Ночной"),
                    QStringLiteral("0,00"),
                    false);
    }

    void nightSeances()
    {
        QFETCH(QDateTime, moment);
        QFETCH(QList<qint32>, chosen);
        QFETCH(double, price);
        QFETCH(QString, total);
        QFETCH(qint32, taken);
        QFETCH(qint32, minutes);
        QFETCH(QString, line);
        // A free night must not ask for a payment.
        SetUp(moment, price, 0, price == 0);
        frmStartNightSeance dialog;
        DialogFixture::WhenShown(&dialog, [&](frmStartNightSeance *Dialog) {
            QCOMPARE(Label(Dialog, QStringLiteral("NightDate")), QStringLiteral("05/03/2026"));
            QCOMPARE(DialogFixture::Child<QComboBox>(Dialog, QStringLiteral("DesktopsList"))->currentIndex(), 0);
            QCOMPARE(DialogFixture::Child<RatesList>(Dialog, QStringLiteral("RatesList"))->Value(), m_nightRate);
            ChooseDesktop(Dialog, m_fixture.Standard);
            Choose(Dialog, chosen);
            QCOMPARE(Label(Dialog, QStringLiteral("Price")), total);
            if (chosen.size() == 3 && taken == 0) {
                QVERIFY(RenderControl(Dialog, QStringLiteral("frmstartnightseance")));
            }
            if (taken != 0) {
                m_fixture.AddSeance(taken, m_fixture.DayRate, moment.addSecs(-60), 60, 30);
            }
            QVERIFY(!ApplyShowsPayment(Dialog));
        });
        QVERIFY(dialog.Start(DialogFixture::Entries(AllComputers(), {})));
        QCOMPARE(DialogFixture::Boxes(), QStringList());
        // A computer taken meanwhile neither pays nor makes the others pay for it.
        QList<qint32> written = chosen;
        written.removeAll(taken);
        QCOMPARE(Label(&dialog, QStringLiteral("Price")), QString::number(qRound(price) * written.size()));
        for (qint32 num : AllComputers()) {
            QCOMPARE(m_fixture.History(num), written.contains(num) ? QStringList{line} : QStringList());
            if (!written.contains(num)) {
                continue;
            }
            const auto seances = m_fixture.SeancesOf(num);
            QCOMPARE(seances.size(), 1);
            const auto &seance = *seances.first();
            QCOMPARE(IntValue(seance, QStringLiteral("Desktop")), m_fixture.Standard);
            QCOMPARE(IntValue(seance, QStringLiteral("Rate")), m_nightRate);
            QCOMPARE(DateValueOf(seance, QStringLiteral("BeginDate")), moment);
            QCOMPARE(DateValueOf(seance, QStringLiteral("EndDate")), At(6, 8, 0));
            QCOMPARE(IntValue(seance, QStringLiteral("Duration")), minutes);
            QCOMPARE(m_fixture.Pays(seance.Code()), (PayRows{{0, qRound(price)}}));
        }
    }

    void nightSeanceRefusals_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QList<qint32>>("chosen");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("box");
        QTest::newRow("nothing chosen: the price of one")
            << QString() << QList<qint32>() << QStringLiteral("300") << QStringLiteral("Не выбран компьютер!");
        QTest::newRow("no desktop") << QStringLiteral("DELETE FROM Desktops") << QList<qint32>{1}
                                    << QStringLiteral("300") << QStringLiteral("Не выбран рабочий стол!");
        QTest::newRow("no night rate") << QStringLiteral("DELETE FROM Rates WHERE IsNight = 1") << QList<qint32>{1}
                                       << QStringLiteral("0") << QStringLiteral("Не выбран тариф!");
        QTest::newRow("the rate deleted meanwhile")
            << QStringLiteral("rate deleted") << QList<qint32>{1} << QStringLiteral("0")
            << QStringLiteral("Тариф не найден: нет записи с кодом %1");
        QTest::newRow("the night over meanwhile") << QStringLiteral("morning") << QList<qint32>{1}
                                                  << QStringLiteral("300") << QStringLiteral("Не выбран компьютер!");
    }

    void nightSeanceRefusals()
    {
        QFETCH(QString, change);
        QFETCH(QList<qint32>, chosen);
        QFETCH(QString, price);
        QFETCH(QString, box);
        Clock::SetNow(At(5, 23, 30));
        if (change.startsWith(QStringLiteral("DELETE"))) {
            QVERIFY(m_fixture.Db().Execute(change));
            Rollstrake::Root::ForgetCaches();
        }
        frmStartNightSeance dialog;
        DialogFixture::WhenShown(&dialog, [&](frmStartNightSeance *Dialog) {
            Choose(Dialog, chosen);
            if (change == QStringLiteral("rate deleted")) {
                QVERIFY(m_fixture.Db().Execute(QStringLiteral("DELETE FROM Rates WHERE Code = %1").arg(m_nightRate)));
            } else if (change == QStringLiteral("morning")) {
                Clock::SetNow(At(6, 8, 1));
            }
            DialogFixture::AnswerBoxes();
            DialogFixture::Click(Dialog, QStringLiteral("Apply"));
            QVERIFY(Dialog->isVisible());
            QCOMPARE(Label(Dialog, QStringLiteral("Price")), price);
        });
        QVERIFY(!dialog.Start(DialogFixture::Entries(AllComputers(), {})));
        if (box.contains(QStringLiteral("%1"))) {
            box = box.arg(m_nightRate);
        }
        QCOMPARE(DialogFixture::Boxes(), QStringList{box});
        QCOMPARE(m_fixture.Count(QStringLiteral("Seances")) + m_fixture.Count(QStringLiteral("SeancePays"))
                     + m_fixture.Count(QStringLiteral("History")),
                 0);
    }

    void reservesANight_data()
    {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("nickname");
        QTest::addColumn<qint32>("chosen");
        QTest::addColumn<bool>("prepay");
        QTest::addColumn<double>("price");
        QTest::addColumn<qint32>("sum");
        QTest::addColumn<QString>("box");
        const QDateTime day = At(5, 14, 20);
        const QDateTime night = At(5, 23, 30);
        const QString guest = QStringLiteral("  Гость ");
        QTest::newRow("in full, in the day") << day << QString() << guest << 4 << false << 300.0 << 300 << QString();
        QTest::newRow("prepaid before the night")
            << At(5, 22, 59) << QString() << guest << 4 << true << 300.0 << 100 << QString();
        QTest::newRow("prepaid once the night began")
            << night << QString() << guest << 4 << true << 300.0 << 100
            << QStringLiteral("Текущую ночь можно зарезервировать только по полной предоплате!");
        QTest::newRow("in full once the night began")
            << night << QString() << guest << 4 << false << 300.0 << 300 << QString();
        QTest::newRow("a free rate") << day << QString() << guest << 4 << false << 0.0 << 0 << QString();
        QTest::newRow("no desktop") << day << QStringLiteral("no desktop") << guest << 4 << false << 300.0 << 300
                                    << QStringLiteral("Не выбран рабочий стол!");
        QTest::newRow("no computer") << day << QString() << guest << 0 << false << 300.0 << 300
                                     << QStringLiteral("Не выбран компьютер!");
        QTest::newRow("blanks for a nickname") << day << QString() << QStringLiteral("   ") << 4 << false << 300.0
                                               << 300 << QStringLiteral("Не указан псевдоним резервирующего лица!");
        QTest::newRow("the night over meanwhile")
            << At(6, 7, 30) << QStringLiteral("morning") << guest << 4 << false << 300.0 << 300
            << QStringLiteral("Нельзя зарезервировать прошедшую ночь!");
        QTest::newRow("reserved by another during the payment")
            << day << QStringLiteral("taken") << guest << 4 << false << 300.0 << 300
            << QStringLiteral("Компьютер указанной ночью занят!");
    }

    void reservesANight()
    {
        QFETCH(QDateTime, moment);
        QFETCH(QString, change);
        QFETCH(QString, nickname);
        QFETCH(qint32, chosen);
        QFETCH(bool, prepay);
        QFETCH(double, price);
        QFETCH(qint32, sum);
        QFETCH(QString, box);
        SetUp(moment, price, 100, sum == 0 || change == QStringLiteral("taken"));
        qint32 taken = 0;
        frmReserveNight dialog;
        DialogFixture::WhenShown(&dialog, [&](frmReserveNight *Dialog) {
            QCOMPARE(DialogFixture::Child<QComboBox>(Dialog, QStringLiteral("DesktopsList"))->currentIndex(), -1);
            QCOMPARE(DialogFixture::Child<RatesList>(Dialog, QStringLiteral("RatesList"))->Value(), m_nightRate);
            if (change != QStringLiteral("no desktop")) {
                ChooseDesktop(Dialog, m_fixture.Standard);
            }
            TypeNickname(Dialog, nickname);
            if (prepay) {
                QTest::mouseClick(DialogFixture::Child<QRadioButton>(Dialog, QStringLiteral("opReservePrepay")),
                                  Qt::LeftButton);
            }
            Choose(Dialog, chosen != 0 ? QList<qint32>{chosen} : QList<qint32>());
            QCOMPARE(Label(Dialog, QStringLiteral("Price")), QString::number(sum));
            if (sum == 300 && box.isEmpty()) {
                QVERIFY(RenderControl(Dialog, QStringLiteral("frmreservenight")));
            }
            DialogFixture::AnswerBoxes();
            if (change == QStringLiteral("morning")) {
                Clock::SetNow(At(6, 8, 30));
            }
            if (change == QStringLiteral("taken")) {
                // The payment is accepted, then the reserve refused.
                DialogFixture::WhenShown<frmPayment>(nullptr, [&](frmPayment *Payment) {
                    taken = m_fixture.Db().AddReserve(DialogFixture::Code(4),
                                                      m_fixture.Games,
                                                      m_nightRate,
                                                      TonightDate,
                                                      true);
                    DialogFixture::Click(Payment, QStringLiteral("Apply"));
                });
                DialogFixture::Click(Dialog, QStringLiteral("Apply"));
            } else {
                QVERIFY(!ApplyShowsPayment(Dialog));
            }
            if (box.isEmpty() || nickname.trimmed().isEmpty()) {
                QCOMPARE(DialogFixture::Child<String>(Dialog, QStringLiteral("sNickname"))->Value(),
                         nickname.trimmed());
            }
        });
        QCOMPARE(dialog.Start(DialogFixture::Entries(AllComputers(), {})), box.isEmpty());
        QCOMPARE(DialogFixture::Boxes(), box.isEmpty() ? QStringList() : QStringList{box});
        QCOMPARE(m_fixture.Count(QStringLiteral("NightReserves")), box.isEmpty() || taken != 0 ? 1 : 0);
        QCOMPARE(m_fixture.Count(QStringLiteral("SeancePays")), box.isEmpty() ? 1 : 0);
        QCOMPARE(m_fixture.Count(QStringLiteral("History")), box.isEmpty() ? 1 : 0);
        if (!box.isEmpty()) {
            return;
        }
        const auto reserves = m_fixture.ReservesOf(4);
        QCOMPARE(reserves.size(), 1);
        const auto &reserve = *reserves.first();
        QCOMPARE(DateValueOf(reserve, QStringLiteral("NightDate")), TonightDate);
        QCOMPARE(TextValue(reserve, QStringLiteral("Nickname")), QStringLiteral("Гость"));
        QCOMPARE(IntValue(reserve, QStringLiteral("Desktop")), m_fixture.Standard);
        QCOMPARE(IntValue(reserve, QStringLiteral("Rate")), m_nightRate);
        QCOMPARE(IntValue(reserve, QStringLiteral("IsFullPay")), prepay ? 0 : 1);
        QCOMPARE(IntValue(reserve, QStringLiteral("Seance")), 0);
        QCOMPARE(m_fixture.ReservePays(reserve.Code()), (PayRows{{0, sum}}));
        QCOMPARE(m_fixture.Pays(0), (PayRows{{0, sum}}));
        QCOMPARE(m_fixture.History(4),
                 QStringList{Line(QStringLiteral("Зарезервированна ночь на '"),
                                  QStringLiteral("05/03/2026'"),
                                  QStringLiteral("Ночной"),
                                  QString::number(sum) + QStringLiteral(",00"),
                                  sum != 0)});
    }

    void reserveDateMarksTheComputersOfThatNight()
    {
        const QDateTime tomorrow = TonightDate.addDays(1);
        m_fixture.Db().AddReserve(DialogFixture::Code(2), m_fixture.Standard, m_nightRate, tomorrow, true);
        m_fixture.Db().AddReserve(DialogFixture::Code(3), m_fixture.Standard, m_nightRate, TonightDate, true);
        frmReserveNight dialog;
        DialogFixture::WhenShown(&dialog, [&](frmReserveNight *Dialog) {
            auto *picker = DialogFixture::Child<QDateEdit>(Dialog, QStringLiteral("Picker"));
            // The caller's marks stand until the operator changes the date.
            QCOMPARE(Enabled(Dialog), AllComputers());
            picker->setDate(tomorrow.date());
            QCOMPARE(Enabled(Dialog), (QList<qint32>{1, 3, 4, 5, 6, 7, 8, 9, 10}));
            picker->setDate(TonightDate.date().addDays(-1));
            QCOMPARE(picker->date(), TonightDate.date());
            QCOMPARE(Enabled(Dialog), (QList<qint32>{1, 2, 4, 5, 6, 7, 8, 9, 10}));
        });
        QVERIFY(!dialog.Start(DialogFixture::Entries(AllComputers(), {})));
    }

    void activatesAReserve_data()
    {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<bool>("fullPay");
        QTest::addColumn<qint32>("paid");
        QTest::addColumn<double>("price");
        QTest::addColumn<qint32>("sum");
        QTest::addColumn<QString>("span");
        QTest::newRow("prepaid 100 of 300") << At(5, 23, 20) << false << 100 << 300.0 << 200
                                            << QStringLiteral("05/03/2026 23:20:00' по '06/03/2026 08:00:00' (08:40)");
        QTest::newRow("paid in full, ending that morning")
            << At(6, 2, 15) << true << 300 << 300.0 << 0
            << QStringLiteral("06/03/2026 02:15:00' по '06/03/2026 08:00:00' (05:45)");
        QTest::newRow("paid in full, the rate lowered since")
            << At(5, 23, 40) << true << 300 << 250.0 << -50
            << QStringLiteral("05/03/2026 23:40:00' по '06/03/2026 08:00:00' (08:20)");
    }

    void activatesAReserve()
    {
        QFETCH(QDateTime, moment);
        QFETCH(bool, fullPay);
        QFETCH(qint32, paid);
        QFETCH(double, price);
        QFETCH(qint32, sum);
        QFETCH(QString, span);
        const qint32 reserve = AddPaidReserve(5, fullPay, paid);
        SetUp(moment, price, 100, sum == 0);
        frmStartNightReserve dialog;
        DialogFixture::WhenShown(&dialog, [&](frmStartNightReserve *Dialog) {
            QCOMPARE(Label(Dialog, QStringLiteral("NightDate")), QStringLiteral("05/03/2026"));
            QCOMPARE(DialogFixture::Child<String>(Dialog, QStringLiteral("sNickname"))->Value(),
                     QStringLiteral("Гость"));
            QCOMPARE(Label(Dialog, QStringLiteral("Price")), QString::number(sum));
            if (sum == 200) {
                QVERIFY(RenderControl(Dialog, QStringLiteral("frmstartnightreserve")));
            }
            QVERIFY(!ApplyShowsPayment(Dialog));
        });
        QVERIFY(dialog.Start(DialogFixture::Entries(AllComputers(), {5}), QDateTime()));
        QCOMPARE(DialogFixture::Boxes(), QStringList());
        const auto seances = m_fixture.SeancesOf(5);
        QCOMPARE(seances.size(), 1);
        const auto &seance = *seances.first();
        QCOMPARE(DateValueOf(seance, QStringLiteral("BeginDate")), moment);
        QCOMPARE(DateValueOf(seance, QStringLiteral("EndDate")), At(6, 8, 0));
        QCOMPARE(IntValue(seance, QStringLiteral("Desktop")), m_fixture.Standard);
        QCOMPARE(IntValue(seance, QStringLiteral("Rate")), m_nightRate);
        QCOMPARE(m_fixture.Pays(seance.Code()), (PayRows{{0, sum}}));
        QCOMPARE(m_fixture.ReservePays(reserve), (PayRows{{0, paid}}));
        QCOMPARE(IntValue(*m_fixture.Db().Record(QStringLiteral("NightReserves"), reserve), QStringLiteral("Seance")),
                 seance.Code());
        QCOMPARE(m_fixture.History(5),
                 QStringList{Line(QStringLiteral("Активирован резерв ночи с '"),
                                  span,
                                  QStringLiteral("Ночной"),
                                  QString::number(sum) + QStringLiteral(",00"),
                                  sum != 0)});
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
        const qint32 used = m_fixture.AddSeance(1, m_nightRate, At(5, 23, 0), 10, 300);
        m_fixture.Db().AddReserve(DialogFixture::Code(1), m_fixture.Standard, m_nightRate, TonightDate, true, used);
        AddPaidReserve(2, true, 300);
        AddPaidReserve(3, true, 300);
        m_fixture.AddSeance(3, m_fixture.DayRate, At(5, 21, 0), 600, 300);
        AddPaidReserve(5, false, 100);
        Clock::SetNow(moment);
        frmStartNightReserve dialog;
        DialogFixture::WhenShown(&dialog, [&](frmStartNightReserve *Dialog) {
            QCOMPARE(Enabled(Dialog), enabled);
            DialogFixture::AnswerBoxes();
            DialogFixture::Click(Dialog, QStringLiteral("Apply"));
            QCOMPARE(DialogFixture::Boxes(), QStringList{QStringLiteral("Не выбран компьютер!")});
        });
        QVERIFY(!dialog.Start(DialogFixture::Entries(AllComputers(), {}), QDateTime()));
    }

    void eachComputerIsAllOrNothing_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("event");
        QTest::addColumn<QString>("condition");
        QTest::newRow("night seance: the second computer's payment")
            << QStringLiteral("seance") << QStringLiteral("SeancePays") << QStringLiteral("INSERT")
            << QStringLiteral("NEW.Seance IN (SELECT Code FROM Seances WHERE Computer = %1)");
        QTest::newRow("reserve: its payment") << QStringLiteral("reserve") << QStringLiteral("SeancePays")
                                              << QStringLiteral("INSERT") << QStringLiteral("NEW.NightReserve > 0");
        QTest::newRow("activation: the payment") << QStringLiteral("activation") << QStringLiteral("SeancePays")
                                                 << QStringLiteral("INSERT") << QStringLiteral("NEW.Seance > 0");
        QTest::newRow("activation: the reserve's link")
            << QStringLiteral("activation") << QStringLiteral("NightReserves") << QStringLiteral("UPDATE")
            << QStringLiteral("NEW.Seance > 0");
    }

    void eachComputerIsAllOrNothing()
    {
        QFETCH(QString, dialog);
        QFETCH(QString, table);
        QFETCH(QString, event);
        QFETCH(QString, condition);
        Clock::SetNow(At(5, 23, 20));
        const qint32 reserve = dialog == QStringLiteral("activation") ? AddPaidReserve(2, false, 100) : 0;
        if (condition.contains(QStringLiteral("%1"))) {
            condition = condition.arg(DialogFixture::Code(2));
        }
        QVERIFY(m_fixture.Db().AddRefusal(table, event, condition));
        const auto entries = DialogFixture::Entries(AllComputers(), {1, 2, 3});
        const Steps apply = [](QDialog *Dialog) {
            DialogFixture::AnswerBoxes();
            DialogFixture::Click(Dialog, QStringLiteral("Apply"));
            QCOMPARE(DialogFixture::Boxes().size(), 1);
            QVERIFY(Dialog->isVisible());
        };
        if (dialog == QStringLiteral("seance")) {
            frmStartNightSeance nights;
            DialogFixture::WhenShown<QDialog>(&nights, apply);
            QVERIFY(!nights.Start(entries));
            // The first computer is written whole; the second and third get nothing.
            QCOMPARE(m_fixture.Pays(m_fixture.SeancesOf(1).first()->Code()), (PayRows{{0, 300}}));
            QCOMPARE(m_fixture.History(1).size(), 1);
        } else if (dialog == QStringLiteral("reserve")) {
            frmReserveNight reserves;
            DialogFixture::WhenShown<QDialog>(&reserves, [&](QDialog *Dialog) {
                ChooseDesktop(Dialog, m_fixture.Standard);
                TypeNickname(Dialog, QStringLiteral("Гость"));
                Choose(Dialog, {2});
                apply(Dialog);
            });
            QVERIFY(!reserves.Start(DialogFixture::Entries(AllComputers(), {})));
        } else {
            frmStartNightReserve activation;
            DialogFixture::WhenShown<QDialog>(&activation, apply);
            QVERIFY(!activation.Start(DialogFixture::Entries(AllComputers(), {2}), QDateTime()));
            QCOMPARE(
                IntValue(*m_fixture.Db().Record(QStringLiteral("NightReserves"), reserve), QStringLiteral("Seance")),
                0);
            QCOMPARE(m_fixture.ReservePays(reserve), (PayRows{{0, 100}}));
        }
        QVERIFY(m_fixture.SeancesOf(2).isEmpty());
        QVERIFY(m_fixture.SeancesOf(3).isEmpty());
        QVERIFY(m_fixture.History(2).isEmpty());
        QCOMPARE(m_fixture.ReservesOf(2).size(), reserve != 0 ? 1 : 0);
    }

private:
    // The moment and the night rate; with CardPayEnabled a payment dialog shows when asked for, which
    // ApplyShowsPayment sees.
    void SetUp(const QDateTime &Moment, double PriceForHour, qint32 PrepaySum, bool CardPayEnabled)
    {
        SetNightRate(PriceForHour, PrepaySum);
        Clock::SetNow(Moment);
        SetConfigValue(QStringLiteral("CardPayEnabled"), CardPayEnabled ? QStringLiteral("1") : QStringLiteral("0"));
    }

    void SetNightRate(double PriceForHour, qint32 PrepaySum)
    {
        const auto rate = m_fixture.Db().Record(QStringLiteral("Rates"), m_nightRate);
        SetFieldValue(*rate, QStringLiteral("PriceForHour"), QVariant::fromValue(Currency::FromDouble(PriceForHour)));
        SetFieldValue(*rate, QStringLiteral("PrepaySum"), PrepaySum);
        QString err;
        QVERIFY2(rate->Update(err), qPrintable(err));
    }

    // Tonight's reserve of the computer on "Стандарт" at the night rate, Paid in cash the day before.
    qint32 AddPaidReserve(qint32 Num, bool FullPay, qint32 Paid)
    {
        const qint32 reserve =
            m_fixture.Db().AddReserve(DialogFixture::Code(Num), m_fixture.Standard, m_nightRate, TonightDate, FullPay);
        QString err;
        [&] {
            QVERIFY2(PaySeance(0, reserve, At(4, 12, 0), 0, Paid, err), qPrintable(err));
        }();
        return reserve;
    }

    DialogFixture m_fixture;
    qint32 m_nightRate = 0;
};

QTEST_MAIN(TestNightDialogs)
#include "tst_nightdialogs.moc"
