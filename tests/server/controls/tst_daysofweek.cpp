#include "controls/daysofweek.h"
#include "rendercheck.h"

#include <QCheckBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

class TestDaysOfWeek : public QObject
{
    Q_OBJECT

private slots:

    void mask_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("ticked");
        QTest::addColumn<int>("readBack");
        QTest::newRow("all days") << 254 << QStringLiteral("1111111") << 254;
        QTest::newRow("no day bit only") << 1 << QStringLiteral("0000000") << 0;
        QTest::newRow("Monday to Saturday") << 127 << QStringLiteral("1111110") << 126;
        QTest::newRow("Monday, Wednesday, Sunday") << 138 << QStringLiteral("1010001") << 138;
        QTest::newRow("everything") << 255 << QStringLiteral("1111111") << 254;
    }

    void mask()
    {
        QFETCH(int, value);
        QFETCH(QString, ticked);
        QFETCH(int, readBack);
        DaysOfWeek input;
        input.SetValue(static_cast<quint8>(value));
        QString shown;
        for (int i = 1; i <= 7; ++i) {
            shown += input.DayCheck(i)->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
        }
        QCOMPARE(shown, ticked);
        QCOMPARE(int(input.Value()), readBack);
    }

    void clickingBoxes()
    {
        DaysOfWeek input;
        input.show();
        QSignalSpy changed(&input, &DaysOfWeek::Changed);
        for (int day : {1, 3, 7}) {
            input.DayCheck(day)->click();
        }
        QCOMPARE(int(input.Value()), 2 + 8 + 128);
        QCOMPARE(changed.count(), 3);
        input.SetValue(0);
        QCOMPARE(changed.count(), 6);
    }

    void clickingALabel()
    {
        DaysOfWeek input;
        input.show();
        QCOMPARE(input.DayLabel(6)->text(), QStringLiteral("сб"));
        QSignalSpy changed(&input, &DaysOfWeek::Changed);
        QTest::mouseClick(input.DayLabel(6), Qt::LeftButton);
        QCOMPARE(int(input.Value()), 64);
        QCOMPARE(changed.count(), 1);
        QTest::mouseClick(input.DayLabel(6), Qt::LeftButton);
        QCOMPARE(int(input.Value()), 0);
    }

    void greyedBoxCountsAsUnticked()
    {
        DaysOfWeek input;
        input.DayCheck(2)->setTristate(true);
        input.DayCheck(2)->setCheckState(Qt::PartiallyChecked);
        QCOMPARE(int(input.Value()), 0);
    }

    void enabled()
    {
        DaysOfWeek input;
        input.SetEnabled(false);
        QVERIFY(!input.Enabled());
        QVERIFY(!input.DayLabel(7)->isEnabled());
    }

    void render()
    {
        DaysOfWeek input;
        input.SetValue(2 + 8 + 32 + 128);
        input.show();
        QVERIFY(input.width() >= 1640 / 15);
        QVERIFY(RenderControl(&input, QStringLiteral("daysofweek")));
    }
};

QTEST_MAIN(TestDaysOfWeek)
#include "tst_daysofweek.moc"
