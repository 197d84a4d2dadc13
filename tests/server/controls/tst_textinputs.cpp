#include "controls/barcode.h"
#include "controls/hashmodule.h"
#include "controls/password.h"
#include "controls/string.h"
#include "rendercheck.h"

#include <QApplication>
#include <QClipboard>
#include <QFormLayout>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

namespace
{
const QString EmptyDigest = QStringLiteral("d41d8cd98f00b204e9800998ecf8427e");

// Types any text, Cyrillic letters included, one key event per character.
void TypeText(QWidget *Widget, const QString &Text)
{
    for (const QChar ch : Text) {
        QTest::sendKeyEvent(QTest::Click, Widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}
} // namespace

class TestTextInputs : public QObject
{
    Q_OBJECT

private slots:

    void md5Hex_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("digest");
        QTest::newRow("empty") << QString() << EmptyDigest;
        QTest::newRow("abc") << QStringLiteral("abc") << QStringLiteral("900150983cd24fb0d6963f7d28e17f72");
        QTest::newRow("message digest") << QStringLiteral("message digest")
                                        << QStringLiteral("f96b697d7cb7938d525a2f31aaf161d0");
        // The Windows-1251 bytes of "пароль": EF E0 F0 EE EB FC.
        QTest::newRow("russian")
            << QStringLiteral("пароль")
            << QString::fromLatin1(
                   QCryptographicHash::hash(QByteArray::fromHex("efe0f0eeebfc"), QCryptographicHash::Md5).toHex());
    }

    void md5Hex()
    {
        QFETCH(QString, text);
        QFETCH(QString, digest);
        QCOMPARE(HashModule::Md5Hex(text), digest);
    }

    void untouchedPasswordGivesItsDigestBack()
    {
        Password input;
        const QString stored = QStringLiteral("900150983cd24fb0d6963f7d28e17f72");
        QSignalSpy changed(&input, &Password::Changed);
        input.SetValue(stored);
        QCOMPARE(input.Value(), stored);
        QCOMPARE(input.TextBox()->text().size(), 12);
        QVERIFY(input.TextBox()->text() != stored);
        QCOMPARE(changed.count(), 0);
    }

    void emptiedPasswordIsTheDigestOfNothing()
    {
        Password input;
        input.SetValue(QString());
        QCOMPARE(input.TextBox()->text(), QString());
        QCOMPARE(input.Value(), QString());
        input.show();
        input.TextBox()->setFocus();
        QTest::keyClicks(input.TextBox(), QStringLiteral("x"));
        QTest::keyClick(input.TextBox(), Qt::Key_Backspace);
        QCOMPARE(input.Value(), EmptyDigest);
    }

    void typedPasswordWithoutSurroundingBlanks()
    {
        Password input;
        input.SetValue(QStringLiteral("0123456789abcdef0123456789abcdef"));
        input.show();
        input.TextBox()->setFocus();
        input.TextBox()->selectAll();
        QSignalSpy changed(&input, &Password::Changed);
        TypeText(input.TextBox(), QStringLiteral(" мой пароль "));
        QCOMPARE(input.Value(), HashModule::Md5Hex(QStringLiteral("мой пароль")));
        QVERIFY(changed.count() > 0);
    }

    void barcodeDropsSeparators()
    {
        Barcode input;
        input.show();
        QSignalSpy changed(&input, &Barcode::Changed);
        input.TextBox()->insert(QStringLiteral("12-34,56.78 "));
        QCOMPARE(input.Value(), QStringLiteral("12345678"));
        QCOMPARE(changed.count(), 1);

        input.SetValue(QStringLiteral("12-34,56.78 "));
        QCOMPARE(input.Value(), QStringLiteral("12-34,56.78 "));
        QCOMPARE(changed.count(), 1);
    }

    void barcodeOfBlanksIsEmptied()
    {
        Barcode input;
        input.TextBox()->insert(QStringLiteral("   "));
        QCOMPARE(input.Value(), QString());
    }

    void enterRaisesBarcodeEntered()
    {
        Barcode input;
        input.show();
        input.TextBox()->setFocus();
        QSignalSpy entered(&input, &Barcode::BarcodeEntered);
        QTest::keyClick(input.TextBox(), Qt::Key_Return);
        QCOMPARE(entered.count(), 0);
        QTest::keyClicks(input.TextBox(), QStringLiteral("4600"));
        QTest::keyClick(input.TextBox(), Qt::Key_Return);
        QCOMPARE(entered.count(), 1);
    }

    void barcodeValidatesOnLeaving()
    {
        QWidget form;
        auto *layout = new QFormLayout(&form);
        auto *input = new Barcode(&form);
        auto *other = new QLineEdit(&form);
        layout->addRow(QStringLiteral("Штрихкод: "), input);
        layout->addRow(QStringLiteral("Имя: "), other);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QStringList looked;
        connect(input, &Barcode::Validate, this, [&](bool &) { looked << input->Value(); });
        input->setFocus();
        QTest::keyClicks(input->TextBox(), QStringLiteral("77-1"));
        other->setFocus(Qt::TabFocusReason);
        QCOMPARE(looked, QStringList({QStringLiteral("771")}));
        QVERIFY(other->hasFocus());

        // An input that goes away with the focus has nothing typed to validate.
        input->setFocus();
        delete input;
        QCOMPARE(looked.size(), 1);
    }

    void upperCaseString()
    {
        String input;
        input.SetUpperCase(true);
        input.show();
        input.TextBox()->setFocus();
        TypeText(input.TextBox(), QStringLiteral("абв"));
        QCOMPARE(input.Value(), QStringLiteral("АБВ"));
        QCOMPARE(input.TextBox()->cursorPosition(), 3);

        QSignalSpy changed(&input, &String::Changed);
        input.SetValue(QStringLiteral("club"));
        QCOMPARE(input.Value(), QStringLiteral("CLUB"));
        QCOMPARE(changed.count(), 1);
    }

    void maxLengthStopsTyping()
    {
        String input;
        QCOMPARE(input.MaxLength(), 100);
        input.SetMaxLength(30);
        input.show();
        input.TextBox()->setFocus();
        QTest::keyClicks(input.TextBox(), QString(35, QLatin1Char('x')));
        QCOMPARE(input.Value().size(), 30);
        input.SetMaxLength(0);
        QCOMPARE(input.MaxLength(), 0);
        QVERIFY(!input.MultiLine());
    }

    void stringKeyDown()
    {
        String input;
        input.show();
        input.TextBox()->setFocus();
        QList<qint16> keys;
        connect(&input, &String::KeyDown, this, [&keys](qint16 &KeyCode, qint16 &Shift) { keys << KeyCode << Shift; });
        QTest::keyClick(input.TextBox(), Qt::Key_Return);
        QTest::keyClick(input.TextBox(), Qt::Key_A, Qt::ShiftModifier);
        QCOMPARE(keys, QList<qint16>({13, 0, 16, 1, 65, 1}));
    }

    void render()
    {
        QWidget form;
        auto *layout = new QFormLayout(&form);
        auto *name = new String(&form);
        name->SetValue(QStringLiteral("Иванов Пётр"));
        auto *password = new Password(&form);
        password->SetValue(EmptyDigest);
        auto *barcode = new Barcode(&form);
        barcode->SetValue(QStringLiteral("4600123456789"));
        layout->addRow(QStringLiteral("Имя: "), name);
        layout->addRow(QStringLiteral("Пароль: "), password);
        layout->addRow(QStringLiteral("Штрихкод: "), barcode);
        form.resize(320, form.sizeHint().height());
        form.show();
        QVERIFY(RenderControl(&form, QStringLiteral("textinputs")));
    }
};

QTEST_MAIN(TestTextInputs)
#include "tst_textinputs.moc"
