#include "controls/focusvalidator.h"
#include "controls/numeric.h"
#include "operatorkeys.h"
#include "rendercheck.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

namespace
{
const QString Nbsp = QString(QChar(0x00A0));

void Type(Numeric &Input, const QString &Keys)
{
    Input.TextBox()->setFocus();
    Input.TextBox()->selectAll();
    PressKeys(Input.TextBox(), Keys);
}

QString Shown(const Numeric &Input)
{
    return Input.TextBox()->text();
}
} // namespace

class TestNumeric : public QObject
{
    Q_OBJECT

private slots:

    void init()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }

    void typedText_data()
    {
        QTest::addColumn<int>("precOrder");
        QTest::addColumn<bool>("sign");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::newRow("minus after the number") << 0 << true << 6 << QStringLiteral("5-") << QStringLiteral("-5");
        QTest::newRow("plus anywhere") << 0 << true << 6 << QStringLiteral("-5+") << QStringLiteral("5");
        QTest::newRow("plus before") << 0 << true << 6 << QStringLiteral("+-5") << QStringLiteral("5");
        QTest::newRow("comma with whole numbers") << 0 << false << 6 << QStringLiteral("1,5") << QStringLiteral("1");
        QTest::newRow("kopecks of whole roubles") << 0 << false << 6 << QStringLiteral("12.50") << QStringLiteral("12");
        QTest::newRow("erased by BackSpace") << 0 << false << 6 << QStringLiteral("60EBB50") << QStringLiteral("50");
        QTest::newRow("erased by Delete") << 0 << false << 6 << QStringLiteral("60HXX50") << QStringLiteral("50");
        QTest::newRow("decimals erased by BackSpace")
            << 2 << false << 6 << QStringLiteral("60EBBBBB12,50") << QStringLiteral("12,50");
        QTest::newRow("decimals erased by Delete")
            << 2 << false << 6 << QStringLiteral("60HXXX12.5") << QStringLiteral("12,50");
        QTest::newRow("comma with decimals") << 2 << false << 6 << QStringLiteral("1,5") << QStringLiteral("1,50");
        QTest::newRow("point with decimals") << 2 << false << 6 << QStringLiteral("1.5") << QStringLiteral("1,50");
        QTest::newRow("lone minus") << 0 << true << 6 << QStringLiteral("-") << QStringLiteral("0");
        QTest::newRow("beyond capacity") << 0 << false << 2 << QStringLiteral("123") << QStringLiteral("99");
        QTest::newRow("negative beyond capacity") << 0 << true << 2 << QStringLiteral("123-") << QStringLiteral("-99");
        QTest::newRow("minus without sign") << 0 << false << 6 << QStringLiteral("12-") << QStringLiteral("12");
        QTest::newRow("letters dropped") << 0 << false << 6 << QStringLiteral("4a2") << QStringLiteral("42");
        QTest::newRow("more decimals rounded") << 1 << false << 6 << QStringLiteral("2.25") << QStringLiteral("2,2");
    }

    void typedText()
    {
        QFETCH(int, precOrder);
        QFETCH(bool, sign);
        QFETCH(int, capacity);
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        Numeric input;
        input.SetPrecOrder(precOrder);
        input.SetCapacity(capacity);
        input.SetSign(sign);
        input.SetMaxValue(999999999);
        input.SetMinValue(sign ? -999999999 : 0);
        input.show();
        Type(input, keys);
        QCOMPARE(Shown(input), shown);
    }

    void pastedTextKeepsTheLastPoint()
    {
        Numeric input;
        input.SetPrecOrder(1);
        input.SetCapacity(6);
        input.SetMaxValue(999999);
        input.show();
        QSignalSpy changed(&input, &Numeric::Changed);
        input.TextBox()->selectAll();
        input.TextBox()->insert(QStringLiteral("1.2.3"));
        QCOMPARE(Shown(input), QStringLiteral("12,3"));
        QCOMPARE(changed.count(), 1);
    }

    void eachChangeRaisesChangedOnce()
    {
        Numeric input;
        input.show();
        QSignalSpy changed(&input, &Numeric::Changed);
        Type(input, QStringLiteral("42"));
        QCOMPARE(changed.count(), 2);
        QCOMPARE(input.Value(), Currency(42));
    }

    void clearingShowsZeroOrTheLowerLimit()
    {
        Numeric input;
        input.show();
        QVERIFY(QTest::qWaitForWindowActive(&input));
        Type(input, QStringLiteral("25"));
        QTest::keyClick(input.TextBox(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(input.TextBox(), Qt::Key_Backspace);
        QCOMPARE(Shown(input), QStringLiteral("0"));

        input.SetMaxValue(100);
        input.SetMinValue(10);
        QTest::keyClick(input.TextBox(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(input.TextBox(), Qt::Key_Backspace);
        QCOMPARE(Shown(input), QStringLiteral("10"));
        // Digits below the lower limit may begin a number within it; brought up once the input is left.
        PressKeys(input.TextBox(), QStringLiteral("50"));
        QCOMPARE(input.Value(), Currency(50));
        PressKeys(input.TextBox(), QStringLiteral("AB5"));
        QCOMPARE(input.Value(), Currency(10));
        QVERIFY(FocusValidator::ValidateFocusWidget());
        QCOMPARE(Shown(input), QStringLiteral("10"));
    }

    void valueLet_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty") << QString() << QStringLiteral("0,00");
        QTest::newRow("number and letters") << QStringLiteral("7 abc") << QStringLiteral("7,00");
        QTest::newRow("point whatever the locale") << QStringLiteral("12.5") << QStringLiteral("12,50");
        QTest::newRow("blanks inside") << QStringLiteral(" 1 000.25") << QStringLiteral("1000,25");
        QTest::newRow("beyond the currency range") << QStringLiteral("9e300") << QStringLiteral("9999,00");
        QTest::newRow("below") << QStringLiteral("-9e300") << QStringLiteral("-9999,00");
    }

    void valueLet()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        Numeric input;
        input.SetPrecOrder(2);
        input.SetCapacity(4);
        input.SetSign(true);
        input.SetMaxValue(999999999);
        input.SetMinValue(-999999999);
        QSignalSpy changed(&input, &Numeric::Changed);
        input.SetValue(text);
        QCOMPARE(Shown(input), shown);
        QCOMPARE(changed.count(), 0);
    }

    void numbersKeepTheirFraction()
    {
        Numeric input;
        input.SetPrecOrder(2);
        input.SetCapacity(6);
        input.SetMaxValue(999999);
        input.SetValue(12.5);
        QCOMPARE(input.Value(), Currency::FromUnits(125000));
        input.SetValue(std::numeric_limits<double>::infinity());
        QCOMPARE(input.Value(), Currency(999999));
        input.SetValue(std::nan(""));
        QCOMPARE(input.Value(), Currency());
    }

    void limits()
    {
        Numeric input;
        input.SetCapacity(2);
        input.SetSign(true);
        input.SetMaxValue(999999999);
        QCOMPARE(input.MaxValue(), Currency(99));
        input.SetMinValue(-999999999);
        QCOMPARE(input.MinValue(), Currency(-99));

        input.SetSign(false);
        input.SetMaxValue(999999999);
        input.SetMinValue(-999999999);
        QCOMPARE(input.MinValue(), Currency(99));

        input.SetCapacity(6);
        input.SetMaxValue(50);
        input.SetMinValue(80);
        QCOMPARE(input.MinValue(), Currency(50));

        input.SetCapacity(30);
        QCOMPARE(input.Capacity(), 14);
        input.SetMaxValue(Currency::Max());
        QCOMPARE(input.MaxValue(), Currency(99999) * Currency(1000000000) + Currency(999999999));
    }

    void limitChangeBringsTheValueInside()
    {
        Numeric input;
        input.SetCapacity(4);
        input.SetMaxValue(9999);
        input.SetValue(500);
        QSignalSpy changed(&input, &Numeric::Changed);
        input.SetMaxValue(120);
        QCOMPARE(input.Value(), Currency(120));
        QCOMPARE(changed.count(), 1);
        input.SetMinValue(130);
        QCOMPARE(input.Value(), Currency(120));
    }

    void maskGroupsThousands()
    {
        Numeric input;
        input.SetCapacity(9);
        input.SetMaxValue(999999999);
        input.SetMask(QStringLiteral("###,##0"));
        input.SetValue(1234567);
        QCOMPARE(Shown(input), QStringLiteral("1") + Nbsp + QStringLiteral("234") + Nbsp + QStringLiteral("567"));
        QCOMPARE(input.Value(), Currency(1234567));
        input.show();
        Type(input, QStringLiteral("98765"));
        QCOMPARE(Shown(input), QStringLiteral("98") + Nbsp + QStringLiteral("765"));
    }

    void arrowKeysStep()
    {
        Numeric input;
        input.SetCapacity(2);
        input.SetMaxValue(10);
        input.SetValue(9);
        input.show();
        input.TextBox()->setFocus();
        QSignalSpy changed(&input, &Numeric::Changed);
        QTest::keyClick(input.TextBox(), Qt::Key_Up);
        QCOMPARE(input.Value(), Currency(10));
        QTest::keyClick(input.TextBox(), Qt::Key_Up);
        QCOMPARE(input.Value(), Currency(10));
        QTest::keyClick(input.TextBox(), Qt::Key_Down);
        QCOMPARE(input.Value(), Currency(9));
        QCOMPARE(changed.count(), 2);
    }

    void upDownRangeStaysWithin32Bits()
    {
        Numeric input;
        input.SetCapacity(14);
        input.SetMaxValue(Currency(99999) * Currency(1000000000));
        input.SetValue(2147483647.0);
        input.show();
        QTest::keyClick(input.TextBox(), Qt::Key_Up);
        QCOMPARE(input.Value(), Currency(2147483647));
    }

    void upDownButtonsOnlyForWholeNumbers()
    {
        Numeric input;
        input.show();
        auto *upDown = input.findChild<QWidget *>(QStringLiteral("UpDown"));
        QVERIFY(!upDown->isVisible());
        input.SetSlider(true);
        QVERIFY(upDown->isVisible());
        input.SetPrecOrder(1);
        QVERIFY(!upDown->isVisible());
        input.SetPrecOrder(0);
        input.SetValue(3);
        QTest::mouseClick(input.findChild<QWidget *>(QStringLiteral("UpButton")), Qt::LeftButton);
        QCOMPARE(input.Value(), Currency(4));
    }

    void keyDownCanSwallowAKey()
    {
        Numeric input;
        input.show();
        qint16 seen = -1;
        connect(&input, &Numeric::KeyDown, this, [&seen](qint16 &KeyCode, qint16 &) {
            seen = KeyCode;
            if (KeyCode == 13 || KeyCode == '7') {
                KeyCode = 0;
            }
        });
        Type(input, QStringLiteral("17"));
        QCOMPARE(Shown(input), QStringLiteral("1"));
        QTest::keyClick(input.TextBox(), Qt::Key_Return);
        QCOMPARE(seen, qint16(13));
        QSignalSpy doubleClicked(&input, &Numeric::DblClick);
        QTest::mouseDClick(input.TextBox(), Qt::LeftButton);
        QCOMPARE(doubleClicked.count(), 1);
    }

    void focusLeavingRaisesCancellableValidate()
    {
        QWidget form;
        auto *layout = new QVBoxLayout(&form);
        auto *input = new Numeric(&form);
        auto *other = new QLineEdit(&form);
        layout->addWidget(input);
        layout->addWidget(other);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));

        bool cancel = true;
        int raised = 0;
        connect(input, &Numeric::Validate, this, [&](bool &Cancel) {
            ++raised;
            Cancel = cancel;
        });
        input->setFocus();
        other->setFocus(Qt::TabFocusReason);
        QCOMPARE(raised, 1);
        QTRY_VERIFY(input->TextBox()->hasFocus());

        QVERIFY(!FocusValidator::ValidateFocusWidget());
        cancel = false;
        QVERIFY(FocusValidator::ValidateFocusWidget());
        other->setFocus(Qt::TabFocusReason);
        QTest::qWait(0);
        QVERIFY(other->hasFocus());
        QVERIFY(FocusValidator::ValidateFocusWidget());

        // An input that goes away with the focus has nothing typed to validate.
        input->setFocus();
        raised = 0;
        delete input;
        QCOMPARE(raised, 0);
    }

    void disabledInput()
    {
        Numeric input;
        input.SetEnabled(false);
        QVERIFY(!input.Enabled());
        QVERIFY(!input.TextBox()->isEnabled());
    }

    void render()
    {
        Numeric input;
        input.SetCapacity(6);
        input.SetMaxValue(999999);
        input.SetSlider(true);
        input.SetMask(QStringLiteral("###,##0"));
        input.SetValue(125000);
        input.resize(140, input.sizeHint().height());
        input.show();
        QVERIFY(RenderControl(&input, QStringLiteral("numeric")));
    }
};

QTEST_MAIN(TestNumeric)
#include "tst_numeric.moc"
