#include "controls/focusvalidator.h"
#include "controls/numeric.h"
#include "operatorkeys.h"
#include "rendercheck.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QShortcut>
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
        // A separator key removes no digits; only erasing and typing over a selection do.
        QTest::newRow("separator inside whole digits")
            << 0 << false << 6 << QStringLiteral("1234LL,") << QStringLiteral("1234");
        QTest::newRow("separator inside kopeck digits")
            << 2 << false << 6 << QStringLiteral("1234LL,") << QStringLiteral("1234,00");
        QTest::newRow("separator over selected whole digits")
            << 0 << false << 6 << QStringLiteral("1234HR>>.") << QStringLiteral("14");
        QTest::newRow("separator over selected kopeck digits")
            << 2 << false << 6 << QStringLiteral("1234HR>>.") << QStringLiteral("14,00");
        QTest::newRow("separator after the kopecks")
            << 2 << false << 6 << QStringLiteral("12,50,") << QStringLiteral("12,50");
        QTest::newRow("separator among the kopecks")
            << 2 << false << 6 << QStringLiteral("1.2.3") << QStringLiteral("1,23");
        // Keys that edit nothing, between the separator and the kopecks.
        QTest::newRow("NumLock before whole kopecks")
            << 0 << false << 6 << QStringLiteral("12,N50") << QStringLiteral("12");
        QTest::newRow("NumLock before kopecks")
            << 2 << false << 6 << QStringLiteral("12,N50") << QStringLiteral("12,50");
        QTest::newRow("moves before whole kopecks")
            << 0 << false << 6 << QStringLiteral("12,CSELRH50") << QStringLiteral("12");
        QTest::newRow("moves before kopecks")
            << 2 << false << 6 << QStringLiteral("12,CSELRH50") << QStringLiteral("12,50");
        QTest::newRow("step before whole kopecks")
            << 0 << false << 6 << QStringLiteral("12,U50") << QStringLiteral("13");
        QTest::newRow("step before kopecks") << 2 << false << 6 << QStringLiteral("12,U50") << QStringLiteral("13,50");
        // Erasing everything erases the kopecks too.
        QTest::newRow("erased after select-all") << 0 << false << 6 << QStringLiteral("12AX50") << QStringLiteral("50");
        QTest::newRow("decimals erased by Delete from the start")
            << 2 << false << 6 << QStringLiteral("12,50HXXXXXXXXXXXX50") << QStringLiteral("50,00");
        QTest::newRow("decimals erased after select-all")
            << 2 << false << 6 << QStringLiteral("12,50AX50") << QStringLiteral("50,00");
        QTest::newRow("minus typed first") << 0 << true << 6 << QStringLiteral("-50") << QStringLiteral("-50");
        QTest::newRow("minus typed first after erasing")
            << 0 << true << 6 << QStringLiteral("12BB-50") << QStringLiteral("-50");
        QTest::newRow("minus typed first before kopecks")
            << 2 << true << 6 << QStringLiteral("-50,5") << QStringLiteral("-50,50");
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

    // Pasted as a person reads it: blanks and a separator that repeats group the digits; a single
    // separator, or the last of two kinds, is the decimal one.
    void pastedText_data()
    {
        QTest::addColumn<int>("precOrder");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("shown");
        QTest::newRow("blanks group whole digits") << 0 << QStringLiteral("1 234 567") << QStringLiteral("1234567");
        QTest::newRow("commas group whole digits") << 0 << QStringLiteral("1,234,567") << QStringLiteral("1234567");
        QTest::newRow("points group whole digits") << 0 << QStringLiteral("1.234.567") << QStringLiteral("1234567");
        QTest::newRow("groups before the kopecks of whole roubles")
            << 0 << QStringLiteral("1,234.50") << QStringLiteral("1234");
        QTest::newRow("single point in whole roubles") << 0 << QStringLiteral("1.500") << QStringLiteral("1");
        QTest::newRow("single point before kopecks") << 2 << QStringLiteral("1.500") << QStringLiteral("1,50");
        QTest::newRow("blanks group before kopecks") << 2 << QStringLiteral("1 234,50") << QStringLiteral("1234,50");
    }

    void pastedText()
    {
        QFETCH(int, precOrder);
        QFETCH(QString, pasted);
        QFETCH(QString, shown);
        Numeric input;
        input.SetPrecOrder(precOrder);
        input.SetCapacity(9);
        input.SetMaxValue(999999999);
        input.show();
        QGuiApplication::clipboard()->setText(pasted);
        Type(input, QStringLiteral("A"));
        QTest::keyClick(input.TextBox(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(Shown(input), shown);
    }

    // What is typed below the lower limit shows the limit at once, so that a save read at any key
    // (F10 here, with the caret still in the box) takes what is shown; digits typed on continue it.
    void lowerLimit_data()
    {
        QTest::addColumn<int>("precOrder");
        QTest::addColumn<int>("minValue");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("value");
        QTest::newRow("below the least interval") << 0 << 3 << QStringLiteral("1") << QStringLiteral("3") << 3;
        QTest::newRow("typed on from below") << 0 << 3 << QStringLiteral("10") << QStringLiteral("10") << 10;
        QTest::newRow("below ten") << 0 << 10 << QStringLiteral("5") << QStringLiteral("10") << 10;
        QTest::newRow("erased from below") << 0 << 10 << QStringLiteral("5B7") << QStringLiteral("10") << 10;
        QTest::newRow("kopecks below ten") << 2 << 10 << QStringLiteral("5") << QStringLiteral("10,00") << 10;
        QTest::newRow("kopecks typed on from below")
            << 2 << 10 << QStringLiteral("50") << QStringLiteral("50,00") << 50;
    }

    void lowerLimit()
    {
        QFETCH(int, precOrder);
        QFETCH(int, minValue);
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        QFETCH(int, value);
        QWidget form;
        auto *layout = new QVBoxLayout(&form);
        auto *input = new Numeric(&form);
        layout->addWidget(input);
        input->SetPrecOrder(precOrder);
        input->SetMaxValue(60);
        input->SetMinValue(minValue);
        QString shownAtSave;
        Currency valueAtSave;
        QShortcut save(QKeySequence(Qt::Key_F10), &form);
        connect(&save, &QShortcut::activated, this, [&] {
            shownAtSave = Shown(*input);
            valueAtSave = input->Value();
        });
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        Type(*input, keys);
        QTest::keyClick(input->TextBox(), Qt::Key_F10);
        QCOMPARE(shownAtSave, shown);
        QCOMPARE(valueAtSave, Currency(value));
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
        // Digits below the lower limit show the limit at once, and the digits typed next go on from them.
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
