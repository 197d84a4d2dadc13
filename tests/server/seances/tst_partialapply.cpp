#include "controls/date.h"
#include "controls/duration.h"
#include "controls/numeric.h"
#include "controls/time.h"
#include "dialogfixture.h"
#include "seances/frmaddseance.h"
#include "seances/frmalterseance.h"
#include "seances/frmeditseanceprefs.h"
#include "seances/frmstartnightseance.h"
#include "settings/lists/rateslist.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTimeEdit>

namespace
{
using Fixture = DialogFixture;

void TypePrice(QWidget *Dialog, const QString &Money)
{
    QLineEdit *price = Fixture::Child<Numeric>(Dialog, QStringLiteral("Price"))->TextBox();
    price->setFocus();
    price->selectAll();
    QTest::keyClicks(price, Money);
}

// What the operator does in the dialog before OK, by the row's name.
void Enter(QWidget *Dialog, const QString &Row, qint32 Desktop, qint32 Rate)
{
    if (Row.startsWith(QStringLiteral("add"))) {
        Fixture::ChooseDesktop(Dialog, Desktop);
    }
    if (Row.endsWith(QStringLiteral("by minutes"))) {
        Fixture::Child<Duration>(Dialog, QStringLiteral("DurationTime"))->SetValue(30);
    } else if (Row == QStringLiteral("add by price")) {
        TypePrice(Dialog, QStringLiteral("140"));
    } else if (Row == QStringLiteral("alter by price")) {
        Fixture::Click(Dialog, QStringLiteral("ActiveSum"));
        TypePrice(Dialog, QStringLiteral("100"));
    } else if (Row == QStringLiteral("alter by end")) {
        Fixture::Click(Dialog, QStringLiteral("EndTimeMode"));
        // Through the picker, as the operator sets it: the difference shown follows.
        Fixture::Child<Time>(Dialog, QStringLiteral("TimeTo"))->Picker()->setTime(QTime(16, 0));
    } else if (Row == QStringLiteral("rate of the seances")) {
        Fixture::Click(Dialog, QStringLiteral("chRate"));
        QComboBox *rates = Fixture::Child<RatesList>(Dialog, QStringLiteral("RatesList"))->ComboBox();
        rates->setCurrentIndex(FindListIndexByData(rates, Rate));
    } else if (Row == QStringLiteral("night seances")) {
        Fixture::ChooseDesktop(Dialog, Desktop);
    }
}
} // namespace

// OK pressed again after a failure part-way through a dialog's computers: the computers written are
// off the grid, and each computer is written once.
class TestPartialApply : public DialogFixture
{
    Q_OBJECT

private slots:

    void init()
    {
        DialogFixture::init();
        SetRatePrice(DayRate, 100);
    }

    void secondOkAppliesToTheRest_data()
    {
        QTest::addColumn<bool>("running");
        QTest::newRow("add by minutes") << false;
        QTest::newRow("add by price") << false;
        QTest::newRow("alter by minutes") << true;
        QTest::newRow("alter by price") << true;
        QTest::newRow("alter by end") << true;
        QTest::newRow("rate of the seances") << true;
        QTest::newRow("night seances") << false;
    }

    void secondOkAppliesToTheRest()
    {
        QFETCH(bool, running);
        const QString row = QString::fromLatin1(QTest::currentDataTag());
        const qint32 evening = Db().AddRate(QStringLiteral("Вечерний"), 0, 70);
        if (row == QStringLiteral("night seances")) {
            const qint32 night = Db().AddRate(QStringLiteral("Ночной"), 1, 300);
            SetRatePrice(night, 300);
            Clock::SetNow(At(5, 23, 30));
        }
        for (qint32 num : {1, 2}) {
            if (running) {
                AddSeance(num, DayRate, Now.addSecs(-30 * Minute), 60, 100);
            }
        }
        // The database refuses every payment of computer 2's seances.
        QVERIFY(Db().AddRefusal(
            QStringLiteral("SeancePays"),
            QStringLiteral("INSERT"),
            QStringLiteral("(SELECT Computer FROM Seances WHERE Code = NEW.Seance) = %1").arg(Code(2))));
        const auto entries = Entries(AllComputers(), {1, 2});
        const auto steps = [&](QDialog *Dialog) {
            Enter(Dialog, row, Standard, evening);
            ApplyRefused(Dialog);
            QVERIFY(!entries->Item(1)->Selected());
            QVERIFY(!entries->Item(1)->Enabled());
            QVERIFY(entries->Item(2)->Selected());
            ApplyRefused(Dialog);
            QVERIFY(Db().Execute(TestDatabase::IsOdbc() ? QStringLiteral("DROP TRIGGER qm_refusal_1 ON SeancePays")
                                                        : QStringLiteral("DROP TRIGGER qm_refusal_1")));
            Click(Dialog, QStringLiteral("Apply"));
            QVERIFY(!Dialog->isVisible());
        };
        if (row.startsWith(QStringLiteral("add"))) {
            frmAddSeance dialog;
            WhenShown<QDialog>(&dialog, steps);
            QVERIFY(dialog.Start(entries));
        } else if (row.startsWith(QStringLiteral("alter"))) {
            frmAlterSeance dialog;
            WhenShown<QDialog>(&dialog, steps);
            QVERIFY(dialog.Start(entries));
        } else if (running) {
            frmEditSeancePrefs dialog;
            WhenShown<QDialog>(&dialog, steps);
            dialog.Start(entries, false);
        } else {
            frmStartNightSeance dialog;
            WhenShown<QDialog>(&dialog, steps);
            QVERIFY(dialog.Start(entries));
        }
        // Both computers written once, alike.
        const auto first = SeancesOf(1);
        const auto second = SeancesOf(2);
        QCOMPARE(first.size(), 1);
        QCOMPARE(second.size(), 1);
        QCOMPARE(Pays(first.first()->Code()), Pays(second.first()->Code()));
        QCOMPARE(Pays(first.first()->Code()).size(), running ? 2 : 1);
        QCOMPARE(std::get<4>(Written(*first.first())), std::get<4>(Written(*second.first())));
        QCOMPARE(History(1).size(), 1);
        QCOMPARE(History(2).size(), 1);
    }
};

QTEST_MAIN(TestPartialApply)
#include "tst_partialapply.moc"
