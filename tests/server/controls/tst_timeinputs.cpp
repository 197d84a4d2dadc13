#include "caretclick.h"
#include "clock.h"
#include "controls/date.h"
#include "controls/duration.h"
#include "controls/durationspinbox.h"
#include "controls/focusvalidator.h"
#include "controls/time.h"
#include "datevalue.h"
#include "rendercheck.h"
#include "textdates.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{
// How a keyboard sends digits and ":" (":" always comes with Shift but on a French layout).
enum Keyboard
{
    English, // ":" is Shift+;
    Russian, // ":" is Shift+6: the key code of a digit with the text ":"
    French,  // digits with Shift, ":" without
    Keypad,  // digits from the numeric keypad, ":" Shift+;
};

void TypeCharacter(QWidget *Input, QChar Char, Keyboard Layout)
{
    if (Char == QLatin1Char(':')) {
        const Qt::Key key = Layout == Russian ? Qt::Key_6 : Qt::Key_Colon;
        QTest::sendKeyEvent(QTest::Click,
                            Input,
                            key,
                            QString(Char),
                            Layout == French ? Qt::NoModifier : Qt::ShiftModifier);
    } else if (Char.isDigit()) {
        const Qt::KeyboardModifiers modifiers = Layout == French   ? Qt::ShiftModifier
                                                : Layout == Keypad ? Qt::KeypadModifier
                                                                   : Qt::NoModifier;
        QTest::keyClick(Input, static_cast<Qt::Key>(Qt::Key_0 + Char.digitValue()), modifiers);
    } else {
        QTest::keyClicks(Input, QString(Char));
    }
}

// Types Keys: digits and ':' as Layout sends them, U and D the arrows up and down, < and > left and
// right, B backspace, other characters as themselves.
void TypeKeys(QWidget *Input, const QString &Keys, Keyboard Layout = English)
{
    for (const QChar key : Keys) {
        switch (key.unicode()) {
        case 'U':
            QTest::keyClick(Input, Qt::Key_Up);
            break;
        case 'D':
            QTest::keyClick(Input, Qt::Key_Down);
            break;
        case '<':
            QTest::keyClick(Input, Qt::Key_Left);
            break;
        case '>':
            QTest::keyClick(Input, Qt::Key_Right);
            break;
        case 'B':
            QTest::keyClick(Input, Qt::Key_Backspace);
            break;
        default:
            TypeCharacter(Input, key, Layout);
        }
    }
}
} // namespace

class TestTimeInputs : public QObject
{
    Q_OBJECT

private slots:

    void init()
    {
        Clock::SetNow(DateValue::Make(2026, 1, 31, 14, 5, 0));
    }

    void cleanup()
    {
        Clock::SetNow(QDateTime());
    }

    void timeFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QTime>("shown");
        QTest::newRow("stored setting") << QStringLiteral("30/12/1899 23:00:00") << QTime(23, 0);
        QTest::newRow("time only") << QStringLiteral("23:00:00") << QTime(23, 0);
        QTest::newRow("another day") << QStringLiteral("05/03/2006 08:30:00") << QTime(8, 30);
        QTest::newRow("seconds kept") << QStringLiteral("30/12/1899 07:15:42") << QTime(7, 15, 42);
        QTest::newRow("other length") << QStringLiteral("23:00") << QTime(0, 0);
        QTest::newRow("empty") << QString() << QTime(0, 0);
    }

    void timeFromText()
    {
        QFETCH(QString, text);
        QFETCH(QTime, shown);
        Time input;
        input.SetValue(QStringLiteral("12:00:00"));
        QSignalSpy changed(&input, &Time::Changed);
        input.SetValue(text);
        QCOMPARE(input.Value(), DateValue::Zero().addSecs(shown.msecsSinceStartOfDay() / 1000));
        QCOMPARE(input.Picker()->text(), shown.toString(QStringLiteral("HH:mm")));
        QCOMPARE(changed.count(), 0);
    }

    void timeFromOtherValues()
    {
        Time input;
        input.SetValue(DateValue::Make(2020, 5, 6, 21, 45, 10));
        QCOMPARE(input.Value(), DateValue::Make(1899, 12, 30, 21, 45, 10));
        input.SetValue(QDateTime());
        QCOMPARE(input.Value(), DateValue::Zero());
        input.SetValue(2.75);
        QCOMPARE(input.Value(), DateValue::Make(1899, 12, 30, 18, 0, 0));
    }

    void typedTimeRaisesChanged()
    {
        Time input;
        input.show();
        input.Picker()->setFocus();
        QSignalSpy changed(&input, &Time::Changed);
        QTest::keyClick(input.Picker(), Qt::Key_Up);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(input.Value(), DateValue::Make(1899, 12, 30, 1, 0, 0));
    }

    void dateAsText()
    {
        Date input;
        QSignalSpy changed(&input, &Date::Changed);
        input.SetValue(QStringLiteral("05/03/2006"));
        QCOMPARE(input.Value().toString(), QStringLiteral("05/03/2006"));
        QCOMPARE(input.findChild<QDateEdit *>(QStringLiteral("Picker"))->text(), QStringLiteral("05-03-2006"));
        QCOMPARE(changed.count(), 0);
    }

    void invalidDateText()
    {
        Date input;
        input.SetValue(QStringLiteral("05/03/2006"));
        input.SetRequired(true);
        input.SetValue(QStringLiteral("не дата"));
        QCOMPARE(input.Value().toString(), QStringLiteral("31/01/2026"));

        input.SetRequired(false);
        input.SetValue(QStringLiteral("не дата"));
        QVERIFY(input.Day().isNull());
        QCOMPARE(input.Value().toString(), QString());
    }

    void dateAsDateTime()
    {
        Date input;
        input.SetValueType(1);
        input.SetValue(DateValue::Make(2024, 2, 29, 17, 30, 5));
        QCOMPARE(input.Value().toDateTime(), DateValue::Make(2024, 2, 29));
        input.SetValue(QVariant());
        QVERIFY(input.Value().toDateTime().isNull());
        input.SetValueType(2);
        QVERIFY(!input.Value().isValid());
    }

    void dayStepper()
    {
        Date input;
        input.SetSlider(true);
        input.show();
        input.SetValue(QStringLiteral("31/01/2026"));
        QSignalSpy changed(&input, &Date::Changed);
        auto *up = input.findChild<QToolButton *>(QStringLiteral("DayUp"));
        QTest::mouseClick(up, Qt::LeftButton);
        QCOMPARE(input.Value().toString(), QStringLiteral("01/02/2026"));
        QCOMPARE(changed.count(), 1);
        QTest::mouseClick(input.findChild<QToolButton *>(QStringLiteral("DayDown")), Qt::LeftButton);
        QCOMPARE(input.Value().toString(), QStringLiteral("31/01/2026"));

        input.SetValue(QString());
        QVERIFY(!up->isEnabled());
        input.findChild<QCheckBox *>(QStringLiteral("Check"))->click();
        QVERIFY(up->isEnabled());
        QCOMPARE(input.Value().toString(), QStringLiteral("31/01/2026"));
        input.SetEnabled(false);
        QVERIFY(!up->isEnabled());
    }

    void newDateShowsToday()
    {
        Date input;
        QCOMPARE(input.Value().toString(), QStringLiteral("31/01/2026"));
    }

    void duration_data()
    {
        QTest::addColumn<bool>("signVisible");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("sign");
        QTest::addColumn<int>("readBack");
        QTest::newRow("negative with sign") << true << -90 << QStringLiteral("01:30") << QStringLiteral("-") << -90;
        QTest::newRow("negative without sign") << false << -90 << QStringLiteral("01:30") << QStringLiteral("+") << 90;
        QTest::newRow("past a day") << false << 1500 << QStringLiteral("25:00") << QStringLiteral("+") << 1500;
        QTest::newRow("largest") << true << 59999 << QStringLiteral("999:59") << QStringLiteral("+") << 59999;
        QTest::newRow("beyond largest") << true << -70000 << QStringLiteral("999:59") << QStringLiteral("-") << -59999;
        QTest::newRow("zero") << true << 0 << QStringLiteral("00:00") << QStringLiteral("+") << 0;
    }

    void duration()
    {
        QFETCH(bool, signVisible);
        QFETCH(int, value);
        QFETCH(QString, shown);
        QFETCH(QString, sign);
        QFETCH(int, readBack);
        Duration input;
        input.SetSignVisible(signVisible);
        input.SetValue(value);
        QCOMPARE(input.findChild<DurationSpinBox *>(QStringLiteral("dtTime"))->text(), shown);
        QCOMPARE(input.findChild<QPushButton *>(QStringLiteral("SignBtn"))->text(), sign);
        QCOMPARE(input.Value(), readBack);
    }

    void typedDuration()
    {
        Duration input;
        input.show();
        auto *minutes = input.findChild<DurationSpinBox *>(QStringLiteral("dtTime"));
        minutes->setFocus();
        QSignalSpy changed(&input, &Duration::Changed);
        minutes->findChild<QLineEdit *>()->selectAll();
        QTest::keyClicks(minutes, QStringLiteral("26:15"));
        QCOMPARE(input.Value(), 26 * 60 + 15);
        QVERIFY(changed.count() >= 1);

        minutes->findChild<QLineEdit *>()->setCursorPosition(1);
        QTest::keyClick(minutes, Qt::Key_Up);
        QCOMPARE(input.Value(), 27 * 60 + 15);
        minutes->findChild<QLineEdit *>()->setCursorPosition(4);
        QTest::keyClick(minutes, Qt::Key_Down);
        QCOMPARE(input.Value(), 27 * 60 + 14);
    }

    void typedSections_data()
    {
        QTest::addColumn<int>("start");
        // The caret place clicked, -1 for the focus coming by Tab.
        QTest::addColumn<int>("click");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("keyboard");
        QTest::newRow("hours clicked, Up, then 0 and 8")
            << 60 << 1 << QStringLiteral("U08") << QStringLiteral("08:00") << 480 << int(English);
        QTest::newRow("0800") << 60 << 1 << QStringLiteral("0800") << QStringLiteral("08:00") << 480 << int(English);
        QTest::newRow("three hour digits, then the minutes")
            << 0 << -1 << QStringLiteral("1234") << QStringLiteral("123:04") << 7384 << int(English);
        QTest::newRow("hour digits overflow into the minutes")
            << 0 << -1 << QStringLiteral("99999") << QStringLiteral("999:59") << 59999 << int(English);
        QTest::newRow("minutes clicked") << 90 << 4 << QStringLiteral("45") << QStringLiteral("01:45") << 105
                                         << int(English);
        QTest::newRow("minutes past an hour carry")
            << 90 << 4 << QStringLiteral("73") << QStringLiteral("02:13") << 133 << int(English);
        QTest::newRow("colon moves on") << 0 << -1 << QStringLiteral("2:5") << QStringLiteral("02:05") << 125
                                        << int(English);
        QTest::newRow("Down on the minutes")
            << 60 << 4 << QStringLiteral("D") << QStringLiteral("00:59") << 59 << int(English);
        QTest::newRow("right arrow, Up") << 60 << 1 << QStringLiteral(">U") << QStringLiteral("01:01") << 61
                                         << int(English);
        QTest::newRow("backspace clears the hours")
            << 150 << 0 << QStringLiteral("B") << QStringLiteral("00:30") << 30 << int(English);
        QTest::newRow("letters ignored") << 60 << 1 << QStringLiteral("a2") << QStringLiteral("02:00") << 120
                                         << int(English);
        // Hours and minutes typed after a click into the hours, at its start, middle and end, as each
        // keyboard sends them.
        const QList<std::pair<QString, int>> typed{
            {QStringLiteral("1:00"), 60},
            {QStringLiteral("01:30"), 90},
            {QStringLiteral("2:05"), 125},
            {QStringLiteral("12:5"), 725},
            {QStringLiteral("0:45"), 45},
            // 99 hours and 99 minutes.
            {QStringLiteral("99:99"), 6039},
        };
        const QStringList keyboards{QStringLiteral("English"),
                                    QStringLiteral("Russian"),
                                    QStringLiteral("French"),
                                    QStringLiteral("keypad")};
        for (int layout = English; layout <= Keypad; ++layout) {
            for (int k = 0; k < typed.size(); ++k) {
                const auto &[keys, minutes] = typed.at(k);
                const int click = k % 3;
                QTest::addRow("%s on %s, click at %d", qPrintable(keys), qPrintable(keyboards.at(layout)), click)
                    << 60 << click << keys << FormatDuration(minutes, false) << minutes << layout;
            }
        }
    }

    void typedSections()
    {
        QFETCH(int, start);
        QFETCH(int, click);
        QFETCH(QString, keys);
        QFETCH(int, keyboard);
        QWidget form;
        auto *layout = new QVBoxLayout(&form);
        auto *other = new QLineEdit(&form);
        auto *input = new Duration(&form);
        layout->addWidget(other);
        layout->addWidget(input);
        input->SetValue(start);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto *box = input->findChild<DurationSpinBox *>(QStringLiteral("dtTime"));
        if (click < 0) {
            other->setFocus();
            QTest::keyClick(other, Qt::Key_Tab);
            QVERIFY(box->hasFocus());
        } else {
            ClickAt(box->findChild<QLineEdit *>(), {click});
        }
        TypeKeys(box, keys, static_cast<Keyboard>(keyboard));
        QTEST(box->text(), "shown");
        QTEST(input->Value(), "value");
    }

    void typedTime_data()
    {
        QTest::addColumn<int>("click");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QTime>("value");
        QTest::newRow("hours clicked, 18") << 1 << QStringLiteral("18") << QTime(18, 0);
        QTest::newRow("hours clicked, 1830") << 1 << QStringLiteral("1830") << QTime(18, 30);
        QTest::newRow("minutes clicked, 45") << 4 << QStringLiteral("45") << QTime(23, 45);
        QTest::newRow("hours clicked, Down, 7") << 1 << QStringLiteral("D7") << QTime(7, 0);
    }

    void typedTime()
    {
        QFETCH(int, click);
        QFETCH(QString, keys);
        QFETCH(QTime, value);
        Time input;
        input.SetValue(QStringLiteral("23:00:00"));
        input.show();
        QVERIFY(QTest::qWaitForWindowActive(&input));
        ClickAt(input.Picker()->findChild<QLineEdit *>(), {click});
        TypeKeys(input.Picker(), keys);
        QCOMPARE(input.Picker()->text(), value.toString(QStringLiteral("HH:mm")));
        QCOMPARE(input.Value(), DateValue::Zero().addSecs(value.msecsSinceStartOfDay() / 1000));
    }

    void typedDate_data()
    {
        // Caret places clicked in "31-01-2026" in turn, then the keys typed.
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("value");
        QTest::newRow("day start, 05") << QList<int>{0} << QStringLiteral("05") << QStringLiteral("05/01/2026");
        QTest::newRow("day middle, 05") << QList<int>{1} << QStringLiteral("05") << QStringLiteral("05/01/2026");
        QTest::newRow("day end by the separator, 05")
            << QList<int>{2} << QStringLiteral("05") << QStringLiteral("05/01/2026");
        QTest::newRow("day, the whole date")
            << QList<int>{1} << QStringLiteral("05032025") << QStringLiteral("05/03/2025");
        QTest::newRow("day, with separators")
            << QList<int>{0} << QStringLiteral("05-03-2025") << QStringLiteral("05/03/2025");
        QTest::newRow("day, one digit parts")
            << QList<int>{2} << QStringLiteral("5-3-2025") << QStringLiteral("05/03/2025");
        QTest::newRow("day, a part that waits for its separator")
            << QList<int>{1} << QStringLiteral("1-3-2025") << QStringLiteral("01/03/2025");
        QTest::newRow("year, then a second click into the day")
            << QList<int>{8, 1} << QStringLiteral("15") << QStringLiteral("15/01/2026");
        QTest::newRow("month start, 12") << QList<int>{3} << QStringLiteral("12") << QStringLiteral("31/12/2026");
        QTest::newRow("month middle, then the year")
            << QList<int>{4} << QStringLiteral("032025") << QStringLiteral("31/03/2025");
        QTest::newRow("month end by the separator, 07")
            << QList<int>{5} << QStringLiteral("07") << QStringLiteral("31/07/2026");
        QTest::newRow("year start, 2025") << QList<int>{6} << QStringLiteral("2025") << QStringLiteral("31/01/2025");
        QTest::newRow("year middle, 1999") << QList<int>{8} << QStringLiteral("1999") << QStringLiteral("31/01/1999");
        QTest::newRow("year end, 2030") << QList<int>{10} << QStringLiteral("2030") << QStringLiteral("31/01/2030");
        QTest::newRow("month, then a second click into the year")
            << QList<int>{4, 7} << QStringLiteral("2025") << QStringLiteral("31/01/2025");
    }

    void typedDate()
    {
        QFETCH(QList<int>, clicks);
        QFETCH(QString, keys);
        Date input;
        input.show();
        QVERIFY(QTest::qWaitForWindowActive(&input));
        auto *picker = input.findChild<QDateEdit *>(QStringLiteral("Picker"));
        ClickAt(picker->findChild<QLineEdit *>(), clicks);
        TypeKeys(picker, keys);
        QTEST(input.Value().toString(), "value");
    }

    void dialogTakesWhatIsTyped()
    {
        Duration input;
        input.show();
        QVERIFY(QTest::qWaitForWindowActive(&input));
        auto *minutes = input.findChild<DurationSpinBox *>(QStringLiteral("dtTime"));
        minutes->setFocus();
        minutes->findChild<QLineEdit *>()->selectAll();
        QTest::keyClicks(minutes, QStringLiteral("1:3"));
        int validated = 0;
        connect(&input, &Duration::ValidateMe, this, [&](bool &) {
            ++validated;
            QCOMPARE(input.Value(), 63);
        });
        QVERIFY(FocusValidator::ValidateFocusWidget());
        QCOMPARE(validated, 1);
        QCOMPARE(input.Value(), 63);
    }

    void signButtonTurnsTheSign()
    {
        Duration input;
        input.SetSignVisible(true);
        input.SetValue(45);
        input.show();
        QSignalSpy changed(&input, &Duration::Changed);
        QTest::mouseClick(input.findChild<QPushButton *>(QStringLiteral("SignBtn")), Qt::LeftButton);
        QCOMPARE(input.Value(), -45);
        QCOMPARE(changed.count(), 1);
        input.SetSignVisible(false);
        QCOMPARE(input.Value(), 45);
    }

    void settingTheValueRaisesChangedWithIt()
    {
        Duration input;
        input.SetSignVisible(true);
        input.SetValue(30);
        QList<qint32> seen;
        connect(&input, &Duration::Changed, this, [&] { seen.append(input.Value()); });
        input.SetValue(-30);
        input.SetValue(-30);
        input.SetValue(-45);
        input.SetValue(45);
        QCOMPARE(seen, (QList<qint32>{-30, -45, 45}));
    }

    void durationValidatesOnLeaving()
    {
        QWidget form;
        auto *layout = new QVBoxLayout(&form);
        auto *input = new Duration(&form);
        auto *other = new QLineEdit(&form);
        layout->addWidget(input);
        layout->addWidget(other);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        int raised = 0;
        connect(input, &Duration::ValidateMe, this, [&raised](bool &Cancel) {
            ++raised;
            Cancel = true;
        });
        qint16 lastKey = 0;
        connect(input, &Duration::KeyDown, this, [&lastKey](qint16 &KeyCode, qint16 &) { lastKey = KeyCode; });
        input->setFocus();
        QTest::keyClick(input->findChild<DurationSpinBox *>(), Qt::Key_Return);
        QCOMPARE(lastKey, qint16(13));
        other->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(input->findChild<DurationSpinBox *>()->hasFocus());
        QCOMPARE(raised, 1);

        // An input that goes away with the focus has nothing typed to validate.
        raised = 0;
        delete input;
        QCOMPARE(raised, 0);
    }

    void render()
    {
        Time time;
        time.SetValue(QStringLiteral("23:00:00"));
        time.show();
        QVERIFY(RenderControl(&time, QStringLiteral("time")));

        Date date;
        date.SetSlider(true);
        date.SetValue(QStringLiteral("05/03/2006"));
        date.show();
        QVERIFY(RenderControl(&date, QStringLiteral("date")));

        Duration duration;
        duration.SetSignVisible(true);
        duration.SetValue(-1500);
        duration.show();
        QVERIFY(RenderControl(&duration, QStringLiteral("duration")));
    }
};

QTEST_MAIN(TestTimeInputs)
#include "tst_timeinputs.moc"
