#include "core/clientmessages.h"

#include <QTest>

class TestClientMessages : public QObject
{
    Q_OBJECT

private slots:
    void numberForm_data();
    void numberForm();
    void seanceBody_data();
    void seanceBody();
    void answerValue_data();
    void answerValue();
    void settingsBodyLosesSeparators();
    void autorunList_data();
    void autorunList();
    void shortcutFields();
};

void TestClientMessages::numberForm_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << " 0";
    QTest::newRow("positive") << qint64(57) << " 57";
    QTest::newRow("negative") << qint64(-90) << "-90";
    QTest::newRow("large") << qint64(3600) << " 3600";
}

void TestClientMessages::numberForm()
{
    QFETCH(qint64, value);
    QFETCH(QString, text);
    QCOMPARE(NumberForm(value), text);
}

void TestClientMessages::seanceBody_data()
{
    QTest::addColumn<qint32>("code");
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("body");
    QTest::newRow("an hour left") << 57 << qint64(3600) << " 57| 3600|";
    QTest::newRow("past its end") << 57 << qint64(-90) << " 57|-90|";
    QTest::newRow("ends now") << 3 << qint64(0) << " 3| 0|";
}

void TestClientMessages::seanceBody()
{
    QFETCH(qint32, code);
    QFETCH(qint64, seconds);
    QFETCH(QString, body);
    QCOMPARE(SeanceBody(code, seconds), body);
}

void TestClientMessages::answerValue_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<qint32>("value");
    QTest::newRow("done") << "-2" << -2;
    QTest::newRow("settings first") << " -1" << -1;
    QTest::newRow("seance code") << " 57abc" << 57;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("text") << "ok" << 0;
}

void TestClientMessages::answerValue()
{
    QFETCH(QString, message);
    QFETCH(qint32, value);
    QCOMPARE(AnswerValue(message), value);
}

void TestClientMessages::settingsBodyLosesSeparators()
{
    const QString body = ClientSettingsBody(QStringLiteral("0123|abc"),
                                            QStringLiteral("C:\\admin|.exe"),
                                            QStringLiteral("Добро|пожаловать"),
                                            AutorunListText({QStringLiteral("a|.exe")}));
    QCOMPARE(body, QStringLiteral("0123abc|C:\\admin.exe|Добропожаловать| 1|a.exe|"));
    QCOMPARE(ShutdownBody(true), QStringLiteral("1"));
    QCOMPARE(ShutdownBody(false), QStringLiteral("0"));
}

void TestClientMessages::autorunList_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QStringList() << QStringLiteral(" 0|");
    QTest::newRow("three") << QStringList{QStringLiteral("a.exe"), QStringLiteral("b.exe"), QStringLiteral("c.exe")}
                           << QStringLiteral(" 3|a.exe|b.exe|c.exe|");
}

void TestClientMessages::autorunList()
{
    QFETCH(QStringList, names);
    QFETCH(QString, text);
    QCOMPARE(AutorunListText(names), text);
}

void TestClientMessages::shortcutFields()
{
    ShortcutFields shortcut;
    shortcut.Code = 12;
    shortcut.Caption = QStringLiteral("Игра|1");
    shortcut.Path = QStringLiteral("C:\\game.exe");
    shortcut.Left = 150;
    shortcut.Top = -30;
    QCOMPARE(ShortcutText(shortcut), QStringLiteral("12|Игра1|C:\\game.exe|||150|-30|"));
}

QTEST_GUILESS_MAIN(TestClientMessages)
#include "tst_clientmessages.moc"
