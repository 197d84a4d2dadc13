#include "core/desktopdescription.h"
#include "coredatabase.h"

#include <QTest>

class TestDesktopDescription : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void childShortcutsBeforeParents();
    void emptyDesktopAndMissingCode();
    void descriptionAlreadyBegun();
    void parentCycleEnds();
    void ownParentEnds();
    void descendants();
    void descendantsWithCycle();
    void byPassword();
    void separatorsFromTheDatabaseRemoved();
    void unreadableShortcutsDescribeNothing();

private:
    qint32 AddDesktop(const QString &Name, qint32 Parent = 0, const QString &Password = QString());
    qint32 AddShortcut(qint32 Desktop, const QString &Caption, qint32 Left = 0, qint32 Top = 0);
    void SetParent(qint32 Desktop, qint32 Parent);

    std::unique_ptr<CoreDatabase> m_db;
    QString m_err;
};

void TestDesktopDescription::init()
{
    m_db = std::make_unique<CoreDatabase>();
    QString err;
    QVERIFY2(m_db->Start(err), qPrintable(err));
}

void TestDesktopDescription::cleanup()
{
    m_db.reset();
}

qint32 TestDesktopDescription::AddDesktop(const QString &Name, qint32 Parent, const QString &Password)
{
    const qint32 code = m_db->Add(QStringLiteral("Desktops"), {qMakePair(QStringLiteral("Name"), QVariant(Name))});
    if (Parent > 0 || !Password.isEmpty()) {
        const auto record = m_db->Record(QStringLiteral("Desktops"), code);
        if (Parent > 0) {
            SetFieldValue(*record, QStringLiteral("Parent"), Parent);
        }
        if (!Password.isEmpty()) {
            SetFieldValue(*record, QStringLiteral("Password"), Password);
        }
        QString err;
        [&] {
            QVERIFY2(record->Update(err), qPrintable(err));
        }();
    }
    return code;
}

qint32 TestDesktopDescription::AddShortcut(qint32 Desktop, const QString &Caption, qint32 Left, qint32 Top)
{
    return m_db->Add(QStringLiteral("Shortcuts"),
                     {{QStringLiteral("Desktop"), Desktop},
                      {QStringLiteral("Caption"), Caption},
                      {QStringLiteral("Path"), QString(QStringLiteral("C:\\") + Caption + QStringLiteral(".exe"))},
                      {QStringLiteral("ShortcutLeft"), Left},
                      {QStringLiteral("ShortcutTop"), Top}});
}

void TestDesktopDescription::SetParent(qint32 Desktop, qint32 Parent)
{
    const auto record = m_db->Record(QStringLiteral("Desktops"), Desktop);
    SetFieldValue(*record, QStringLiteral("Parent"), Parent);
    QString err;
    QVERIFY2(record->Update(err), qPrintable(err));
}

void TestDesktopDescription::childShortcutsBeforeParents()
{
    const qint32 parent = AddDesktop(QStringLiteral("Общий"));
    const qint32 p1 = AddShortcut(parent, QStringLiteral("p1"));
    AddShortcut(parent, QStringLiteral("p2"));
    AddShortcut(parent, QStringLiteral("p3"));
    const qint32 child = AddDesktop(QStringLiteral("Игры"), parent);
    const qint32 c1 = AddShortcut(child, QStringLiteral("c1"), 150, 300);
    AddShortcut(child, QStringLiteral("c2"));

    QString description;
    QVERIFY(GetDesktopDescription(child, description, m_err));
    QVERIFY(description.startsWith(QStringLiteral(" 5|")));
    const QStringList fields = description.split(QLatin1Char('|'));
    QCOMPARE(fields.size(), 1 + 5 * 7 + 1);
    QCOMPARE(fields.at(1), QString::number(c1));
    QCOMPARE(fields.at(2), QStringLiteral("c1"));
    QCOMPARE(fields.at(3), QStringLiteral("C:\\c1.exe"));
    QCOMPARE(fields.at(6), QStringLiteral("150"));
    QCOMPARE(fields.at(7), QStringLiteral("300"));
    QCOMPARE(fields.at(9), QStringLiteral("c2"));
    QCOMPARE(fields.at(15), QString::number(p1));
    QCOMPARE(fields.last(), QString());
}

void TestDesktopDescription::emptyDesktopAndMissingCode()
{
    const qint32 desktop = AddDesktop(QStringLiteral("Пустой"));
    QString description;
    QVERIFY(GetDesktopDescription(desktop, description, m_err));
    QCOMPARE(description, QStringLiteral(" 0|"));
    QString missing;
    QVERIFY(GetDesktopDescription(desktop + 100, missing, m_err));
    QCOMPARE(missing, QString());
}

void TestDesktopDescription::descriptionAlreadyBegun()
{
    const qint32 desktop = AddDesktop(QStringLiteral("Офис"));
    const qint32 shortcut = AddShortcut(desktop, QStringLiteral("w"));
    QString description = QStringLiteral(" 1|9|x||||0|0|");
    QVERIFY(GetDesktopDescription(desktop, description, m_err));
    QCOMPARE(description,
             QStringLiteral(" 2|9|x||||0|0|") + QString::number(shortcut) + QStringLiteral("|w|C:\\w.exe|||0|0|"));
}

void TestDesktopDescription::parentCycleEnds()
{
    const qint32 a = AddDesktop(QStringLiteral("A"));
    AddShortcut(a, QStringLiteral("a"));
    const qint32 b = AddDesktop(QStringLiteral("B"), a);
    AddShortcut(b, QStringLiteral("b"));
    SetParent(a, b);
    QString description;
    QVERIFY(GetDesktopDescription(b, description, m_err));
    QVERIFY(description.startsWith(QStringLiteral(" 2|")));
    QCOMPARE(description.count(QLatin1Char('|')), 1 + 2 * 7);
}

void TestDesktopDescription::ownParentEnds()
{
    const qint32 a = AddDesktop(QStringLiteral("A"));
    AddShortcut(a, QStringLiteral("a"));
    SetParent(a, a);
    QString description;
    QVERIFY(GetDesktopDescription(a, description, m_err));
    QVERIFY(description.startsWith(QStringLiteral(" 1|")));
}

void TestDesktopDescription::descendants()
{
    const qint32 root = AddDesktop(QStringLiteral("root"));
    const qint32 child = AddDesktop(QStringLiteral("child"), root);
    const qint32 grandchild = AddDesktop(QStringLiteral("grandchild"), child);
    const qint32 other = AddDesktop(QStringLiteral("other"));
    QVERIFY(IsDesktopDescendant(root, child));
    QVERIFY(IsDesktopDescendant(root, grandchild));
    QVERIFY(!IsDesktopDescendant(child, root));
    QVERIFY(!IsDesktopDescendant(root, other));
    QVERIFY(!IsDesktopDescendant(root, root));
    QVERIFY(!IsDesktopDescendant(root + 100, child));
}

void TestDesktopDescription::descendantsWithCycle()
{
    const qint32 a = AddDesktop(QStringLiteral("A"));
    const qint32 b = AddDesktop(QStringLiteral("B"), a);
    const qint32 other = AddDesktop(QStringLiteral("other"));
    SetParent(a, b);
    QVERIFY(IsDesktopDescendant(a, b));
    QVERIFY(IsDesktopDescendant(a, a));
    QVERIFY(!IsDesktopDescendant(a, other));
    const qint32 self = AddDesktop(QStringLiteral("self"));
    SetParent(self, self);
    QVERIFY(!IsDesktopDescendant(self, other));
}

void TestDesktopDescription::byPassword()
{
    const QString digest = QStringLiteral("0123456789abcdef0123456789abcdef");
    const qint32 locked = AddDesktop(QStringLiteral("Закрытый"), 0, digest);
    AddShortcut(locked, QStringLiteral("s"));
    AddDesktop(QStringLiteral("Открытый"));
    QVERIFY(GetDesktopByPassword(digest).startsWith(QStringLiteral(" 1|")));
    QCOMPARE(GetDesktopByPassword(QStringLiteral("   ")), QString());
    QCOMPARE(GetDesktopByPassword(QString()), QString());
    QCOMPARE(GetDesktopByPassword(QStringLiteral("ffffffffffffffffffffffffffffffff")), QString());
}

void TestDesktopDescription::separatorsFromTheDatabaseRemoved()
{
    const qint32 desktop = AddDesktop(QStringLiteral("D"));
    AddShortcut(desktop, QStringLiteral("a|b"));
    QString description;
    QVERIFY(GetDesktopDescription(desktop, description, m_err));
    QCOMPARE(description.count(QLatin1Char('|')), 1 + 7);
    QVERIFY(description.contains(QStringLiteral("|ab|C:\\ab.exe|")));
}

// A client must never get a desktop with shortcuts missing: nothing is described.
void TestDesktopDescription::unreadableShortcutsDescribeNothing()
{
    const qint32 desktop = AddDesktop(QStringLiteral("D"));
    AddShortcut(desktop, QStringLiteral("a"));
    QVERIFY(m_db->Execute(QStringLiteral("DROP TABLE Shortcuts")));
    QString description = QStringLiteral(" 1|9|x||||0|0|");
    QVERIFY(!GetDesktopDescription(desktop, description, m_err));
    QVERIFY(!m_err.isEmpty());
    QCOMPARE(description, QStringLiteral(" 1|9|x||||0|0|"));
}

QTEST_GUILESS_MAIN(TestDesktopDescription)
#include "tst_desktopdescription.moc"
