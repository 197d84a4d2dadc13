#include "core/historytexts.h"
#include "core/widgets/guihelpers.h"
#include "dialogfixture.h"
#include "rendercheck.h"
#include "seances/frmeditseanceprefs.h"
#include "settings/lists/rateslist.h"

#include <QComboBox>

namespace
{
using PayRows = DialogFixture::PayRows;

constexpr qint64 Minute = DialogFixture::Minute;

// Ticks the boxes of what changes and picks the new desktop and rate (codes, 0 for no change).
void Choose(QWidget *Dialog, qint32 Desktop, qint32 Rate)
{
    if (Desktop != 0) {
        DialogFixture::Click(Dialog, QStringLiteral("chDesktop"));
        DialogFixture::ChooseDesktop(Dialog, Desktop);
    }
    if (Rate != 0) {
        DialogFixture::Click(Dialog, QStringLiteral("chRate"));
        QComboBox *rates = DialogFixture::Child<RatesList>(Dialog, QStringLiteral("RatesList"))->ComboBox();
        rates->setCurrentIndex(FindListIndexByData(rates, Rate));
    }
}

QString Difference(QWidget *Dialog)
{
    return DialogFixture::Label(Dialog, QStringLiteral("PriceDifference"));
}
} // namespace

class TestFrmEditSeancePrefs : public DialogFixture
{
    Q_OBJECT

private slots:

    void init()
    {
        DialogFixture::init();
        m_evening = Db().AddRate(QStringLiteral("Вечерний"), 0, 60);
        m_seance = AddSeance(1, DayRate, Now.addSecs(-30 * Minute), 60, 30);
    }

    void changesDesktopAndRate_data()
    {
        QTest::addColumn<bool>("newDesktop");
        QTest::addColumn<bool>("rateBox");
        QTest::addColumn<bool>("newRate");
        QTest::addColumn<qint32>("difference");
        QTest::newRow("desktop only") << true << false << false << 0;
        QTest::newRow("the rate of twice the price") << false << true << true << 30;
        QTest::newRow("both") << true << true << true << 30;
        QTest::newRow("the rate box on the same rate") << false << true << false << 0;
    }

    void changesDesktopAndRate()
    {
        QFETCH(bool, newDesktop);
        QFETCH(bool, rateBox);
        QFETCH(bool, newRate);
        QFETCH(qint32, difference);
        frmEditSeancePrefs dialog;
        WhenShown(&dialog, [&](frmEditSeancePrefs *Dialog) {
            // The seance's own desktop and rate, locked until their boxes are ticked.
            auto *desktops = Child<QComboBox>(Dialog, QStringLiteral("DesktopsList"));
            auto *rates = Child<RatesList>(Dialog, QStringLiteral("RatesList"));
            QCOMPARE(desktops->currentText(), QStringLiteral("Стандарт"));
            QCOMPARE(rates->Value(), DayRate);
            QVERIFY(!desktops->isEnabled() && !rates->Enabled());
            Choose(Dialog, newDesktop ? Games : 0, rateBox ? (newRate ? m_evening : DayRate) : 0);
            QCOMPARE(Difference(Dialog), QString::number(difference));
            if (newDesktop && newRate) {
                QVERIFY(RenderControl(Dialog, QStringLiteral("frmeditseanceprefs")));
            }
            Click(Dialog, QStringLiteral("Apply"));
        });
        // True only when the desktop changed: only then are the seances sent again.
        QCOMPARE(dialog.Start(Entries({1, 2}, {1}), false, WrittenBack), newDesktop);
        QCOMPARE(Boxes(), QStringList());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(SeanceValue(m_seance, QStringLiteral("Desktop")), newDesktop ? Games : Standard);
        QCOMPARE(SeanceValue(m_seance, QStringLiteral("Rate")), newRate ? m_evening : DayRate);
        // A rate box ticked pays the difference, even of 0.
        QCOMPARE(Pays(m_seance), rateBox ? (PayRows{{0, 30}, {0, difference}}) : (PayRows{{0, 30}}));
        const NameChange desktop{newDesktop, QStringLiteral("Стандарт"), QStringLiteral("Игровой")};
        const NameChange rate{newRate, QStringLiteral("Дневной"), QStringLiteral("Вечерний")};
        QCOMPARE(History(1),
                 newDesktop || newRate ? QStringList{SeancePrefsChangedHistoryText(desktop, rate, difference, 0)}
                                       : QStringList());
    }

    void shownAtOkIsBooked_data()
    {
        QTest::addColumn<double>("fromPerHour");
        QTest::addColumn<double>("toPerHour");
        QTest::addColumn<qint32>("paid");
        QTest::addColumn<qint32>("each");
        // 50 minutes: 59 at 70, 84 at 100.
        QTest::newRow("70 to 100") << 70.0 << 100.0 << 59 << 25;
        QTest::newRow("100 to 70") << 100.0 << 70.0 << 84 << -25;
    }

    void shownAtOkIsBooked()
    {
        QFETCH(double, fromPerHour);
        QFETCH(double, toPerHour);
        QFETCH(qint32, paid);
        QFETCH(qint32, each);
        SetRatePrice(DayRate, fromPerHour);
        SetRatePrice(m_evening, toPerHour);
        const QDateTime begin = Now.addSecs(-20 * Minute);
        const QList<qint32> seances{AddSeance(3, DayRate, begin, 50, paid), AddSeance(4, DayRate, begin, 50, paid)};
        frmEditSeancePrefs dialog;
        QString shown;
        WhenShown(&dialog, [&](frmEditSeancePrefs *Dialog) {
            Click(Dialog, QStringLiteral("chRate"));
            // The operator steps the list with the arrows to the other rate.
            QComboBox *rates = Child<RatesList>(Dialog, QStringLiteral("RatesList"))->ComboBox();
            rates->setFocus();
            for (int i = 0; i < rates->count() && rates->currentData().toInt() != m_evening; ++i) {
                QTest::keyClick(rates, rates->currentIndex() == 0 ? Qt::Key_Down : Qt::Key_Up);
            }
            shown = Difference(Dialog);
            Click(Dialog, QStringLiteral("Apply"));
        });
        dialog.Start(Entries({1, 2, 3, 4}, {3, 4}), false, WrittenBack);
        QCOMPARE(Boxes(), QStringList());
        QCOMPARE(Difference(&dialog), shown);
        QCOMPARE(shown, QString::number(2 * each));
        const NameChange desktop{false, QStringLiteral("Стандарт"), QStringLiteral("Стандарт")};
        const NameChange rate{true, QStringLiteral("Дневной"), QStringLiteral("Вечерний")};
        for (qint32 i = 0; i < seances.size(); ++i) {
            QCOMPARE(SeanceValue(seances[i], QStringLiteral("Rate")), m_evening);
            QCOMPARE(Pays(seances[i]), (PayRows{{0, paid}, {0, each}}));
            QCOMPARE(History(3 + i), QStringList{SeancePrefsChangedHistoryText(desktop, rate, each, 0)});
        }
    }

    void nightFromAReserveIsNotChargedTwice_data()
    {
        QTest::addColumn<qint32>("prepaid");
        QTest::addColumn<qint32>("atActivation");
        QTest::addColumn<bool>("dearer");
        QTest::addColumn<qint32>("difference");
        QTest::newRow("100 prepaid, 200 at activation") << 100 << 200 << false << 0;
        QTest::newRow("paid in full") << 300 << 0 << false << 0;
        QTest::newRow("a dearer night") << 300 << 0 << true << 50;
    }

    void nightFromAReserveIsNotChargedTwice()
    {
        QFETCH(qint32, prepaid);
        QFETCH(qint32, atActivation);
        QFETCH(bool, dearer);
        QFETCH(qint32, difference);
        const qint32 night = Db().AddRate(QStringLiteral("Ночной"), 1, 300);
        const qint32 dearNight = Db().AddRate(QStringLiteral("Ночной плюс"), 1, 350);
        const QDateTime begin = Now.addSecs(-60 * Minute);
        const qint32 seance = AddSeance(2, night, begin, 600, atActivation);
        const qint32 reserve =
            Db().AddReserve(Code(2), Standard, night, DateValue::Make(2026, 3, 5), prepaid == 300, seance);
        QString err;
        QVERIFY2(PaySeance(0, reserve, begin.addDays(-1), 0, prepaid, err), qPrintable(err));
        frmEditSeancePrefs dialog;
        WhenShown(&dialog, [&](frmEditSeancePrefs *Dialog) {
            QCOMPARE(Child<RatesList>(Dialog, QStringLiteral("RatesList"))->ComboBox()->count(), 2);
            Choose(Dialog, 0, dearer ? dearNight : night);
            QCOMPARE(Difference(Dialog), QString::number(difference));
            Click(Dialog, QStringLiteral("Apply"));
        });
        // A day seance is no choice among night seances.
        const auto entries = Entries({1, 2}, {1, 2});
        QVERIFY(!dialog.Start(entries, true, WrittenBack));
        QVERIFY(!entries->Item(1)->Enabled());
        PayRows pays;
        if (atActivation != 0) {
            pays.append({0, atActivation});
        }
        pays.append({0, difference});
        QCOMPARE(Pays(seance), pays);
        QCOMPARE(History(2).size(), dearer ? 1 : 0);
    }

    void computerWithoutAPriceIsLeftOut()
    {
        // Thirty years at 9999 per hour cost more than a sum holds.
        const qint32 dear = Db().AddRate(QStringLiteral("Дорогой"), 0, 9999);
        const QDateTime begin = Now.addSecs(-30 * Minute);
        const qint32 endless = Db().AddSeance(Code(2), Standard, DayRate, begin, begin.addYears(30));
        const auto entries = Entries({1, 2}, {1, 2});
        frmEditSeancePrefs dialog;
        WhenShown(&dialog, [&](frmEditSeancePrefs *Dialog) {
            AnswerBoxes();
            Choose(Dialog, 0, dear);
            QCOMPARE(Boxes(), QStringList{QStringLiteral("Сумма слишком велика!")});
            QVERIFY(!entries->Item(2)->Enabled() && !entries->Item(2)->Selected());
            QCOMPARE(Difference(Dialog), QStringLiteral("9969"));
            Click(Dialog, QStringLiteral("Apply"));
        });
        QVERIFY(!dialog.Start(entries, false, WrittenBack));
        QCOMPARE(Boxes(), QStringList());
        QCOMPARE(Pays(m_seance), (PayRows{{0, 30}, {0, 9969}}));
        QVERIFY(Pays(endless).isEmpty());
        QCOMPARE(SeanceValue(endless, QStringLiteral("Rate")), DayRate);
    }

    void eachComputerIsAllOrNothing()
    {
        const qint32 second = AddSeance(2, DayRate, Now.addSecs(-30 * Minute), 60, 30);
        QVERIFY(Db().AddRefusal(QStringLiteral("Seances"),
                                QStringLiteral("UPDATE"),
                                QStringLiteral("NEW.Computer = %1").arg(Code(2))));
        frmEditSeancePrefs dialog;
        WhenShown(&dialog, [&](frmEditSeancePrefs *Dialog) {
            Choose(Dialog, 0, m_evening);
            QCOMPARE(Difference(Dialog), QStringLiteral("60"));
            ApplyRefused(Dialog);
        });
        QVERIFY(!dialog.Start(Entries({1, 2}, {1, 2}), false, WrittenBack));
        QCOMPARE(Pays(m_seance), (PayRows{{0, 30}, {0, 30}}));
        QCOMPARE(History(1).size(), 1);
        QCOMPARE(Pays(second), (PayRows{{0, 30}}));
        QVERIFY(History(2).isEmpty());
        QCOMPARE(SeanceValue(second, QStringLiteral("Rate")), DayRate);
    }

private:
    qint32 m_evening = 0;
    // Computer 1 runs an hour from half an hour ago on "Стандарт" and "Дневной", paid 30.
    qint32 m_seance = 0;
};

QTEST_MAIN(TestFrmEditSeancePrefs)
#include "tst_frmeditseanceprefs.moc"
