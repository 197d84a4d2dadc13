#include "codepage.h"

#include <QTest>

class TestCodePage : public QObject
{
    Q_OBJECT

private slots:

    void windows1251RoundTrip()
    {
        const QString text = QStringLiteral("Привет, Ёж ё №1");
        const QByteArray bytes = CodePage::ToWindows1251(text);
        QCOMPARE(bytes.size(), text.size());
        QCOMPARE(static_cast<unsigned char>(bytes.at(0)), 0xCFu); // П
        QCOMPARE(static_cast<unsigned char>(bytes.at(8)), 0xA8u); // Ё
        QCOMPARE(CodePage::FromWindows1251(bytes), text);
    }

    void unmappableBecomesQuestionMark()
    {
        QCOMPARE(CodePage::ToWindows1251(QStringLiteral("a€b")),
                 QByteArray("a\x88"
                            "b"));
        QCOMPARE(CodePage::ToWindows1251(QStringLiteral("a\u4e2db")), QByteArray("a?b"));
        QCOMPARE(CodePage::ToCp866(QStringLiteral("a\u4e2db")), QByteArray("a?b"));
    }

    void cp866()
    {
        const QString text = QStringLiteral("Наименование Ёё");
        const QByteArray bytes = CodePage::ToCp866(text);
        QCOMPARE(static_cast<unsigned char>(bytes.at(0)), 0x8Du);  // Н
        QCOMPARE(static_cast<unsigned char>(bytes.at(1)), 0xA0u);  // а
        QCOMPARE(static_cast<unsigned char>(bytes.at(13)), 0xF0u); // Ё
        QCOMPARE(CodePage::FromCp866(bytes), text);
    }

    void utf8Validity()
    {
        QVERIFY(CodePage::IsValidUtf8(QByteArray("plain ascii")));
        QVERIFY(CodePage::IsValidUtf8(QStringLiteral("Поле").toUtf8()));
        QVERIFY(!CodePage::IsValidUtf8(CodePage::ToWindows1251(QStringLiteral("Поле"))));
    }
};

QTEST_GUILESS_MAIN(TestCodePage)
#include "tst_codepage.moc"
