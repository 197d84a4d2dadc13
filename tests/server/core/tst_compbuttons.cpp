#include "core/compbuttons.h"

#include <QTest>

class TestCompButtons : public QObject
{
    Q_OBJECT

private slots:
    void keepsOrderOfAdding();
    void refusesADuplicateNumber();
    void itemsByPositionAndKey();
    void removeIgnoresWhatIsAbsent();
};

void TestCompButtons::keepsOrderOfAdding()
{
    CompButtons buttons;
    buttons.Add(4, true, false);
    buttons.Add(1, false, true);
    buttons.Add(12, true, true);
    QList<qint32> numbers;
    for (const auto &button : buttons) {
        numbers.append(button->ComputerNum());
    }
    QCOMPARE(numbers, (QList<qint32>{4, 1, 12}));
    QCOMPARE(buttons.Count(), 3);
    QVERIFY(!buttons.Item(2)->Enabled());
    QVERIFY(buttons.Item(2)->Selected());
}

void TestCompButtons::refusesADuplicateNumber()
{
    CompButtons buttons;
    QVERIFY(buttons.Add(3, true, false));
    QVERIFY(!buttons.Add(3, false, true));
    QCOMPARE(buttons.Count(), 1);
    QVERIFY(buttons.Item(1)->Enabled());
}

void TestCompButtons::itemsByPositionAndKey()
{
    CompButtons buttons;
    const auto added = buttons.Add(7, true, false);
    QCOMPARE(buttons.Item(QStringLiteral("C7")), added);
    QCOMPARE(buttons.Item(QStringLiteral("c7")), added);
    QCOMPARE(buttons.Item(1), added);
    QVERIFY(!buttons.Item(0));
    QVERIFY(!buttons.Item(2));
    QVERIFY(!buttons.Item(QStringLiteral("C8")));
    // The key stays the one the entry was added under.
    added->SetComputerNum(9);
    QCOMPARE(buttons.Item(QStringLiteral("C7")), added);
    QVERIFY(!buttons.Item(QStringLiteral("C9")));
}

void TestCompButtons::removeIgnoresWhatIsAbsent()
{
    CompButtons buttons;
    buttons.Add(1, true, false);
    buttons.Add(2, true, false);
    buttons.Remove(QStringLiteral("C5"));
    buttons.Remove(0);
    buttons.Remove(3);
    QCOMPARE(buttons.Count(), 2);
    buttons.Remove(QStringLiteral("C1"));
    QCOMPARE(buttons.Count(), 1);
    QCOMPARE(buttons.Item(1)->ComputerNum(), 2);
    QVERIFY(buttons.Add(1, true, false));
    buttons.Remove(1);
    QCOMPARE(buttons.Item(1)->ComputerNum(), 1);
}

QTEST_GUILESS_MAIN(TestCompButtons)
#include "tst_compbuttons.moc"
