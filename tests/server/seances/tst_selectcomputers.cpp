#include "clock.h"
#include "core/compbuttons.h"
#include "datevalue.h"
#include "memoryseancedata.h"
#include "seances/selectcomputers.h"

#include <QTest>

namespace
{
const QDateTime Now = DateValue::Make(2026, 3, 2, 15, 0, 0);
} // namespace

class TestSelectComputers : public QObject
{
    Q_OBJECT

private:
    // Computers 1 to 6: 1 idle and free, 2 a day seance, 3 a night seance (night state 3),
    // 4 reserved fully paid, 5 reserved with a prepayment, 6 reserve used.
    MemorySeanceData data;

    QString Enabled(CompButtons &buttons)
    {
        QString enabled;
        for (const auto &button : buttons) {
            if (button->Enabled()) {
                enabled += QString::number(button->ComputerNum());
            }
        }
        return enabled;
    }

    CompButtons AllComputers()
    {
        CompButtons buttons;
        for (qint32 num = 1; num <= 6; ++num) {
            buttons.Add(num, num % 2 == 0, num == 2);
        }
        return buttons;
    }

private slots:

    void init()
    {
        Clock::SetNow(Now);
        data = MemorySeanceData();
        for (qint32 num = 1; num <= 6; ++num) {
            data.AddComputer(num);
        }
        data.AddSeance(20, 2, Now.addSecs(-60), Now.addSecs(600));
        data.AddSeance(30, 3, Now.addSecs(-60), Now.addSecs(600));
        data.Seances[30].IsNight = true;
        data.Nights.insert(3, {3, false, QString()});
        data.Nights.insert(4, {1, true, QStringLiteral("a")});
        data.Nights.insert(5, {2, true, QStringLiteral("b")});
        data.Nights.insert(6, {4, false, QString()});
    }

    void rules_data()
    {
        QTest::addColumn<QList<bool>>("flags");
        QTest::addColumn<bool>("nightTime");
        QTest::addColumn<QString>("enabled");
        // checkNight, wantReserve, allowUsedReserve, checkSeance, wantSeance, checkNightSeance,
        // wantNightSeance, onlyAtNight
        using F = QList<bool>;
        QTest::newRow("add a day seance") << F{0, 0, 0, 1, 0, 0, 0, 0} << false << QStringLiteral("1456");
        QTest::newRow("alter day seances") << F{0, 0, 0, 1, 1, 1, 0, 0} << false << QStringLiteral("2");
        QTest::newRow("edit night seances") << F{0, 0, 0, 1, 1, 1, 1, 0} << false << QStringLiteral("3");
        QTest::newRow("any running seance") << F{0, 0, 0, 1, 1, 0, 0, 0} << false << QStringLiteral("23");
        QTest::newRow("reserve a night") << F{1, 0, 0, 0, 0, 0, 0, 0} << false << QStringLiteral("12");
        QTest::newRow("reserve, used counts free") << F{1, 0, 1, 0, 0, 0, 0, 0} << false << QStringLiteral("126");
        QTest::newRow("activate a reserve") << F{1, 1, 0, 0, 0, 0, 0, 0} << false << QStringLiteral("45");
        QTest::newRow("activate by day") << F{1, 1, 0, 1, 0, 0, 0, 1} << false << QString();
        QTest::newRow("activate at night") << F{1, 1, 0, 1, 0, 0, 0, 1} << true << QStringLiteral("45");
        QTest::newRow("night seance, free and idle") << F{1, 0, 1, 1, 0, 0, 0, 1} << true << QStringLiteral("16");
        QTest::newRow("no rule") << F{0, 0, 0, 0, 0, 0, 0, 0} << false << QStringLiteral("123456");
    }

    void rules()
    {
        QFETCH(QList<bool>, flags);
        QFETCH(bool, nightTime);
        QFETCH(QString, enabled);
        data.NightTime = nightTime;
        CompButtons buttons = AllComputers();
        SelectComputers(buttons,
                        data,
                        QDateTime(),
                        flags[0],
                        flags[1],
                        flags[2],
                        flags[3],
                        flags[4],
                        flags[5],
                        flags[6],
                        flags[7]);
        QCOMPARE(Enabled(buttons), enabled);
        QVERIFY(buttons.Item(2)->Selected()); // the selection is not touched
    }

    void laterTestsReadNothingOnceDisabled()
    {
        CompButtons buttons = AllComputers();
        SelectComputers(buttons, data, QDateTime(), true, true, false, true, false, false, false, true);
        QCOMPARE(data.NightReads, 0);
        QCOMPARE(data.SeanceReads, 0);
        data.NightTime = true;
        SelectComputers(buttons, data, QDateTime(), true, true, false, true, false, false, false, true);
        QCOMPARE(data.NightReads, 6);
        QCOMPARE(data.SeanceReads, 2);
    }

    void emptyCollectionStaysEmpty()
    {
        CompButtons buttons;
        SelectComputers(buttons, data, Now, true, false, false, true, false, false, false, false);
        QCOMPARE(buttons.Count(), 0);
    }

    void momentIsUsed()
    {
        CompButtons buttons = AllComputers();
        SelectComputers(buttons, data, Now.addSecs(3600), false, false, false, true, false, false, false, false);
        QCOMPARE(Enabled(buttons), QStringLiteral("123456"));
    }
};

QTEST_GUILESS_MAIN(TestSelectComputers)
#include "tst_selectcomputers.moc"
