#include "caretclick.h"
#include "controls/ipaddress.h"
#include "rendercheck.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

class TestIPAddress : public QObject
{
    Q_OBJECT

private slots:

    void valueLet_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << QStringLiteral("10.0.0.25") << QStringLiteral("10.0.0.25");
        QTest::newRow("leading zeros") << QStringLiteral("010.001.000.005") << QStringLiteral("10.1.0.5");
        QTest::newRow("beyond 255") << QStringLiteral("300.256.1000.255") << QStringLiteral("255.255.255.255");
        QTest::newRow("more than four parts") << QStringLiteral("1.2.3.4.5.6") << QStringLiteral("1.2.3.4");
        QTest::newRow("fewer parts keep the rest") << QStringLiteral("7.8") << QStringLiteral("7.8.3.4");
        QTest::newRow("empty keeps all") << QString() << QStringLiteral("1.2.3.4");
        QTest::newRow("letters") << QStringLiteral("a.12b. 7.") << QStringLiteral("0.12.7.4");
    }

    void valueLet()
    {
        QFETCH(QString, text);
        QFETCH(QString, value);
        IPAddress input;
        input.SetValue(QStringLiteral("1.2.3.4"));
        QSignalSpy changed(&input, &IPAddress::Changed);
        input.SetValue(text);
        QCOMPARE(input.Value(), value);
        QCOMPARE(changed.count(), 0);
    }

    void typingMovesOn()
    {
        IPAddress input;
        input.show();
        QVERIFY(QTest::qWaitForWindowActive(&input));
        input.Box(0)->setFocus();
        input.Box(0)->selectAll();
        QSignalSpy changed(&input, &IPAddress::Changed);
        QTest::keyClicks(input.Box(0), QStringLiteral("192"));
        QVERIFY(input.Box(1)->hasFocus());
        QTest::keyClicks(input.Box(1), QStringLiteral("7 "));
        QVERIFY(input.Box(2)->hasFocus());
        QTest::keyClicks(input.Box(2), QStringLiteral("300"));
        QVERIFY(input.Box(3)->hasFocus());
        QTest::keyClicks(input.Box(3), QStringLiteral("1"));
        QCOMPARE(input.Value(), QStringLiteral("192.7.255.1"));
        QCOMPARE(changed.count(), 8);
    }

    // Keys typed into the first box as the operator types them, after the box got the focus by the
    // keyboard or after clicks at caret places of its text in turn; "," alone is the keypad's decimal key.
    void typingSequences_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("value");
        const QString zeros = QStringLiteral("0.0.0.0");
        const QString wide = QStringLiteral("172.16.254.1");
        const QList<int> keyboard;
        QTest::newRow("blanks") << zeros << keyboard << QStringLiteral("127 0 1 2") << QStringLiteral("127.0.1.2");
        QTest::newRow("points") << zeros << keyboard << QStringLiteral("127.0.1.2") << QStringLiteral("127.0.1.2");
        QTest::newRow("keypad decimal") << zeros << keyboard << QStringLiteral("10,1,20,3")
                                        << QStringLiteral("10.1.20.3");
        QTest::newRow("three digits everywhere")
            << zeros << keyboard << QStringLiteral("192.168.100.254") << QStringLiteral("192.168.100.254");
        QTest::newRow("three digits, no points")
            << zeros << keyboard << QStringLiteral("192168100254") << QStringLiteral("192.168.100.254");
        QTest::newRow("point in an empty moved-to box")
            << zeros << keyboard << QStringLiteral("127..1") << QStringLiteral("127.0.1.0");
        QTest::newRow("two blanks move twice")
            << zeros << keyboard << QStringLiteral("10  5") << QStringLiteral("10.0.5.0");
        QTest::newRow("point in the last box")
            << zeros << keyboard << QStringLiteral("1.2.3.4.5") << QStringLiteral("1.2.3.45");
        const QList<std::pair<QString, QList<int>>> clicked{
            {zeros, {0}},
            {zeros, {1}},
            {zeros, {1, 0}},
            {zeros, {0, 0}},
            {wide, {0}},
            {wide, {1}},
            {wide, {3}},
            {wide, {2, 1}},
        };
        const QStringList addresses{QStringLiteral("255.255.255.255"),
                                    QStringLiteral("10.1.2.3"),
                                    QStringLiteral("192.168.0.15")};
        for (const auto &[from, clicks] : clicked) {
            QStringList places;
            for (const int place : clicks) {
                places << QString::number(place);
            }
            for (const QString &address : addresses) {
                QTest::addRow("%s typed over %s after clicks at %s",
                              qPrintable(address),
                              qPrintable(from),
                              qPrintable(places.join(QLatin1Char(','))))
                    << from << clicks << address << address;
            }
        }
    }

    void typingSequences()
    {
        QFETCH(QString, start);
        QFETCH(QList<int>, clicks);
        QFETCH(QString, typed);
        QFETCH(QString, value);
        IPAddress input;
        input.SetValue(start);
        input.show();
        QVERIFY(QTest::qWaitForWindowActive(&input));
        if (clicks.isEmpty()) {
            input.Box(0)->setFocus();
            input.Box(0)->selectAll();
        }
        ClickAt(input.Box(0), clicks);
        for (const QChar c : typed) {
            auto *box = qobject_cast<QLineEdit *>(QApplication::focusWidget());
            QVERIFY(box);
            if (c == QLatin1Char(',')) {
                QTest::keyClick(box, Qt::Key_Comma, Qt::KeypadModifier);
            } else {
                QTest::keyClicks(box, QString(c));
            }
        }
        QCOMPARE(input.Value(), value);
    }

    void boxKeepsItsNumber()
    {
        IPAddress input;
        input.SetValue(QStringLiteral("10.0.5.1"));
        input.show();
        input.Box(2)->setFocus();
        input.Box(2)->setCursorPosition(1);
        QTest::keyClicks(input.Box(2), QStringLiteral("x"));
        QCOMPARE(input.Box(2)->text(), QStringLiteral("5"));
        input.Box(2)->clear();
        QCOMPARE(input.Value(), QStringLiteral("10.0.0.1"));
    }

    void enabled()
    {
        IPAddress input;
        input.SetEnabled(false);
        QVERIFY(!input.Enabled());
        QVERIFY(!input.Box(3)->isEnabled());
    }

    void render()
    {
        IPAddress input;
        input.SetValue(QStringLiteral("192.168.100.254"));
        input.show();
        QVERIFY(RenderControl(&input, QStringLiteral("ipaddress")));
    }
};

QTEST_MAIN(TestIPAddress)
#include "tst_ipaddress.moc"
