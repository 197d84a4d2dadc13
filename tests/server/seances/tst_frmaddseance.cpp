#include "controls/barcode.h"
#include "controls/duration.h"
#include "controls/numeric.h"
#include "core/widgets/guihelpers.h"
#include "dialogfixture.h"
#include "rendercheck.h"
#include "seances/frmaddseance.h"
#include "seances/frmpayment.h"
#include "settings/lists/rateslist.h"

#include <QComboBox>
#include <QLineEdit>

namespace
{
using PayRows = DialogFixture::PayRows;

QString AddedLine(const QString &End, const QString &Duration, const QString &Sum, const QString &Tail)
{
    return QStringLiteral("Добавлен сеанс с '05/03/2026 14:20:17' по '") + End + QStringLiteral("' (") + Duration
           + QStringLiteral(") с рабочим столом 'Стандарт' по тарифу 'Дневной' на сумму ") + Sum
           + QStringLiteral(" руб.") + Tail;
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
        auto *desktops = DialogFixture::Child<QComboBox>(Dialog, QStringLiteral("DesktopsList"));
        QCOMPARE(desktops->currentIndex(), -1);
        desktops->setCurrentIndex(FindListIndexByData(desktops, Desktop));
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

class TestFrmAddSeance : public QObject
{
    Q_OBJECT

private slots:

    void init()
    {
        QString err;
        QVERIFY2(m_fixture.Start(err), qPrintable(err));
    }

    void cleanup()
    {
        m_fixture.Stop();
    }

    void startsASeancePerComputer_data()
    {
        QTest::addColumn<QList<qint32>>("chosen");
        QTest::addColumn<double>("pricePerHour");
        QTest::addColumn<qint32>("typedMinutes");
        QTest::addColumn<QString>("typedTotal");
        QTest::addColumn<qint32>("total");
        QTest::addColumn<qint32>("minutes");
        QTest::addColumn<qint32>("sum");
        QTest::addColumn<QString>("line");
        const QString cash = QStringLiteral(", оплачено наличными.");
        QTest::newRow("a total typed for three")
            << QList<qint32>{1, 2, 3} << 30.0 << 0 << QStringLiteral("100") << 102 << 68 << 34
            << AddedLine(QStringLiteral("05/03/2026 15:28:17"), QStringLiteral("01:08"), QStringLiteral("34,00"), cash);
        QTest::newRow("seven minutes stretch to what they cost")
            << QList<qint32>{1} << 30.0 << 7 << QString() << 4 << 8 << 4
            << AddedLine(QStringLiteral("05/03/2026 14:28:17"), QStringLiteral("00:08"), QStringLiteral("4,00"), cash);
        QTest::newRow("free rate in force") << QList<qint32>{1, 2} << 0.0 << 0 << QString() << 0 << 60 << 0
                                            << AddedLine(QStringLiteral("05/03/2026 15:20:17"),
                                                         QStringLiteral("01:00"),
                                                         QStringLiteral("0,00"),
                                                         QString());
        QTest::newRow("ten computers for forty hours")
            << QList<qint32>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10} << 30.0 << 2400 << QString() << 12000 << 2400 << 1200
            << AddedLine(QStringLiteral("07/03/2026 06:20:17"),
                         QStringLiteral("40:00"),
                         QStringLiteral("1\u00A0200,00"),
                         cash);
    }

    void startsASeancePerComputer()
    {
        QFETCH(QList<qint32>, chosen);
        QFETCH(double, pricePerHour);
        QFETCH(qint32, typedMinutes);
        QFETCH(QString, typedTotal);
        QFETCH(qint32, total);
        QFETCH(qint32, minutes);
        QFETCH(qint32, sum);
        QFETCH(QString, line);
        SetRatePrice(pricePerHour);
        frmAddSeance dialog;
        DialogFixture::WhenShown(&dialog, [&](frmAddSeance *Dialog) {
            QCOMPARE(DialogFixture::Child<RatesList>(Dialog, QStringLiteral("RatesList"))->Value(), m_fixture.DayRate);
            // A free rate in force locks the price.
            QCOMPARE(DialogFixture::Child<Numeric>(Dialog, QStringLiteral("Price"))->Enabled(), pricePerHour > 0);
            if (chosen.size() == 3) {
                QVERIFY(RenderControl(Dialog, QStringLiteral("frmaddseance")));
            }
            EnterAndApply(Dialog, {true, typedMinutes, typedTotal}, m_fixture.Standard);
        });
        QVERIFY(dialog.Start(DialogFixture::Entries({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, chosen)));
        QCOMPARE(DialogFixture::Boxes(), QStringList());
        QCOMPARE(DialogFixture::Sum(&dialog, QStringLiteral("Price")), total);
        QCOMPARE(DurationTime(&dialog)->Value(), minutes);
        for (qint32 num = 1; num <= DialogFixture::Computers; ++num) {
            const auto seances = m_fixture.SeancesOf(num);
            QCOMPARE(seances.size(), chosen.contains(num) ? 1 : 0);
            if (seances.isEmpty()) {
                continue;
            }
            const auto &seance = *seances.first();
            QCOMPARE(IntValue(seance, QStringLiteral("Desktop")), m_fixture.Standard);
            QCOMPARE(IntValue(seance, QStringLiteral("Rate")), m_fixture.DayRate);
            QCOMPARE(DateValueOf(seance, QStringLiteral("BeginDate")), DialogFixture::Now);
            QCOMPARE(IntValue(seance, QStringLiteral("Duration")), minutes);
            QCOMPARE(DateValueOf(seance, QStringLiteral("EndDate")), DialogFixture::Now.addSecs(minutes * 60));
            QCOMPARE(m_fixture.Pays(seance.Code()), (PayRows{{0, sum}}));
            QCOMPARE(m_fixture.History(num), QStringList{line});
        }
    }

    void cardIsDrainedInCollectionOrder()
    {
        SetConfigValue(QStringLiteral("CardPayEnabled"), QStringLiteral("1"));
        const qint32 card = m_fixture.AddCard(50);
        frmAddSeance dialog;
        DialogFixture::WhenShown(&dialog, [&](frmAddSeance *Dialog) {
            // A cancelled payment writes nothing and keeps the dialog.
            DialogFixture::WhenShown<frmPayment>(nullptr, [](frmPayment *Payment) {
                DialogFixture::Click(Payment, QStringLiteral("Cancel"));
            });
            EnterAndApply(Dialog, {true, 0, QStringLiteral("100")}, m_fixture.Standard);
            QVERIFY(Dialog->isVisible());
            QCOMPARE(m_fixture.Count(QStringLiteral("Seances")), 0);
            DialogFixture::WhenShown<frmPayment>(nullptr, [](frmPayment *Payment) {
                QCOMPARE(DialogFixture::Sum(Payment, QStringLiteral("tPriceDifference")), 102);
                QLineEdit *barcode = DialogFixture::Child<Barcode>(Payment, QStringLiteral("tBarcode"))->TextBox();
                barcode->setFocus();
                QTest::keyClicks(barcode, QStringLiteral("4600017"));
                QTest::keyClick(barcode, Qt::Key_Return);
                QCOMPARE(DialogFixture::Sum(Payment, QStringLiteral("tSumByCard")), 50);
                QCOMPARE(DialogFixture::Sum(Payment, QStringLiteral("tSumByNal")), 52);
                DialogFixture::Click(Payment, QStringLiteral("Apply"));
            });
            DialogFixture::Click(Dialog, QStringLiteral("Apply"));
        });
        QVERIFY(dialog.Start(DialogFixture::Entries({1, 2, 3}, {1, 2, 3})));
        const QList<PayRows> expected{{{card, 34}}, {{card, 16}, {0, 18}}, {{0, 34}}};
        for (qint32 num = 1; num <= 3; ++num) {
            QCOMPARE(m_fixture.Pays(m_fixture.SeancesOf(num).first()->Code()), expected[num - 1]);
            QVERIFY(m_fixture.History(num).first().endsWith(QStringLiteral("34,00 руб., оплачено по карточке.")));
        }
    }

    void refusalsKeepTheDialogAndWriteNothing_data()
    {
        QTest::addColumn<bool>("desktop");
        QTest::addColumn<qint32>("rate");
        QTest::addColumn<double>("pricePerHour");
        QTest::addColumn<qint32>("minutes");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QList<qint32>>("chosen");
        QTest::addColumn<QString>("box");
        const QList<qint32> two{1, 2};
        QTest::newRow("nothing chosen") << false << 1 << 30.0 << 0 << QString() << QList<qint32>()
                                        << QStringLiteral("Не выбран рабочий стол!");
        QTest::newRow("the automatic rate is computed first")
            << true << 0 << 30.0 << 60 << QString() << two
            << QStringLiteral("РЕЖИМ АВТОМАТИЧЕСКОГО ТАРИФА ЕЩЁ НЕ РЕАЛИЗОВАН!");
        QTest::newRow("no duration") << true << 1 << 30.0 << -1 << QString() << QList<qint32>()
                                     << QStringLiteral("Не задана продолжительность сеанса!");
        QTest::newRow("no computer") << true << 1 << 30.0 << 60 << QString() << QList<qint32>()
                                     << QStringLiteral("Не выбран ни один компьютер!");
        QTest::newRow("two for a hundred hours at 9999") << true << 1 << 9999.0 << 6000 << QString() << two
                                                         << QStringLiteral("Сумма сеансов превышает 999 999 руб.!");
        QTest::newRow("more minutes than a duration holds") << true << 1 << 1.0 << 0 << QStringLiteral("999999") << two
                                                            << QStringLiteral("Длительность сеанса слишком велика!");
    }

    void refusalsKeepTheDialogAndWriteNothing()
    {
        QFETCH(bool, desktop);
        QFETCH(qint32, rate);
        QFETCH(double, pricePerHour);
        QFETCH(qint32, minutes);
        QFETCH(QString, total);
        QFETCH(QList<qint32>, chosen);
        QFETCH(QString, box);
        SetRatePrice(pricePerHour);
        frmAddSeance dialog;
        DialogFixture::WhenShown(&dialog, [&](frmAddSeance *Dialog) {
            if (rate == 0) {
                DialogFixture::Child<RatesList>(Dialog, QStringLiteral("RatesList"))->SetValue(0);
            }
            if (minutes < 0) {
                DurationTime(Dialog)->SetValue(0);
            }
            // The refusal of an edit, then the same refusal of Apply.
            DialogFixture::AnswerBoxes(3);
            EnterAndApply(Dialog, {desktop, qMax(minutes, 0), total}, m_fixture.Standard);
            QVERIFY(Dialog->isVisible());
            const QStringList boxes = DialogFixture::Boxes();
            QVERIFY(!boxes.isEmpty());
            QCOMPARE(boxes, QStringList(boxes.size(), box));
        });
        QVERIFY(!dialog.Start(DialogFixture::Entries({1, 2}, chosen)));
        QCOMPARE(m_fixture.Count(QStringLiteral("Seances")) + m_fixture.Count(QStringLiteral("SeancePays"))
                     + m_fixture.Count(QStringLiteral("History")),
                 0);
    }

    void refusedWithoutDesktopsOrDayRates()
    {
        // A night rate is no rate for a day seance.
        m_fixture.Db().AddRate(QStringLiteral("Ночной"), 1, 300);
        const QList<std::pair<QString, QString>> removals{
            {QStringLiteral("Rates WHERE IsNight = 0"), QStringLiteral("Тарифы отсутствуют!")},
            {QStringLiteral("Desktops"), QStringLiteral("Рабочие столы отсутствуют!")}};
        for (const auto &[removed, box] : removals) {
            QVERIFY(m_fixture.Db().Execute(QStringLiteral("DELETE FROM ") + removed));
            Rollstrake::Root::ForgetCaches();
            frmAddSeance dialog;
            DialogFixture::AnswerBoxes();
            // Left waiting with the dialog, unless the dialog was shown.
            QTimer::singleShot(0, &dialog, [&dialog] {
                dialog.reject();
                QFAIL("the dialog was shown");
            });
            QVERIFY(!dialog.Start(DialogFixture::Entries({1}, {1})));
            QCOMPARE(DialogFixture::Boxes(), QStringList{box});
        }
    }

    void computerTakenMeanwhileIsLeftOut()
    {
        frmAddSeance dialog;
        qint32 taken = 0;
        DialogFixture::WhenShown(&dialog, [&](frmAddSeance *Dialog) {
            taken = m_fixture.AddSeance(2, m_fixture.DayRate, DialogFixture::Now.addSecs(-60), 120, 60);
            EnterAndApply(Dialog, {}, m_fixture.Standard);
        });
        const auto entries = DialogFixture::Entries({1, 2, 3}, {1, 2, 3});
        QVERIFY(dialog.Start(entries));
        QVERIFY(!entries->Item(2)->Enabled());
        QCOMPARE(DialogFixture::Sum(&dialog, QStringLiteral("Price")), 60);
        QCOMPARE(m_fixture.SeancesOf(1).size() + m_fixture.SeancesOf(3).size(), 2);
        QCOMPARE(m_fixture.SeancesOf(2).size(), 1);
        QCOMPARE(m_fixture.SeancesOf(2).first()->Code(), taken);
        QVERIFY(m_fixture.History(2).isEmpty());
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
            condition = condition.arg(DialogFixture::Code(2));
        }
        QVERIFY(m_fixture.Db().AddRefusal(table, QStringLiteral("INSERT"), condition));
        frmAddSeance dialog;
        DialogFixture::WhenShown(&dialog, [&](frmAddSeance *Dialog) {
            DialogFixture::AnswerBoxes();
            EnterAndApply(Dialog, {}, m_fixture.Standard);
            QCOMPARE(DialogFixture::Boxes().size(), 1);
            QVERIFY(Dialog->isVisible());
        });
        QVERIFY(!dialog.Start(DialogFixture::Entries({1, 2, 3}, {1, 2, 3})));
        QCOMPARE(m_fixture.Pays(m_fixture.SeancesOf(1).first()->Code()), (PayRows{{0, 30}}));
        QCOMPARE(m_fixture.History(1).size(), 1);
        QCOMPARE(m_fixture.Count(QStringLiteral("Seances")), 1);
        QCOMPARE(m_fixture.Count(QStringLiteral("SeancePays")), 1);
        QCOMPARE(m_fixture.Count(QStringLiteral("History")), 1);
    }

private:
    void SetRatePrice(double PriceForHour)
    {
        const auto rate = m_fixture.Db().Record(QStringLiteral("Rates"), m_fixture.DayRate);
        SetFieldValue(*rate, QStringLiteral("PriceForHour"), QVariant::fromValue(Currency::FromDouble(PriceForHour)));
        QString err;
        QVERIFY2(rate->Update(err), qPrintable(err));
    }

    DialogFixture m_fixture;
};

QTEST_MAIN(TestFrmAddSeance)
#include "tst_frmaddseance.moc"
