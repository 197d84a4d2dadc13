#include "core/computerlookups.h"
#include "core/mainlog.h"
#include "core/widgets/messagebox.h"
#include "coredatabase.h"
#include "datevalue.h"
#include "mainlogtext.h"

#include <QFile>
#include <QTest>

namespace
{
QDateTime March(int Day, int Hours, int Minutes = 0, int Seconds = 0)
{
    return DateValue::Make(2026, 3, Day, Hours, Minutes, Seconds);
}
} // namespace

class TestComputerLookups : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void freeNumber();
    void cacheSeesNewComputersOnlyAfterRebuild();
    void seanceBoundsAreInclusive();
    void unknownNumberFindsNoSeance();
    void computerNames();
    void unknownComputerNameShowsAText();
    void numberByIPAndIPByNumber();
    void unknownIPWritesNothingToTheLog();
    void computersAsSelectionEntries();
    void warnings();

private:
    std::unique_ptr<CoreDatabase> m_db;
};

void TestComputerLookups::init()
{
    m_db = std::make_unique<CoreDatabase>();
    QString err;
    QVERIFY2(m_db->Start(err), qPrintable(err));
    QVERIFY(InitMainLog());
    MessageBox::TakeRecords();
}

void TestComputerLookups::cleanup()
{
    ReleaseMainLog();
    m_db.reset();
}

void TestComputerLookups::freeNumber()
{
    QCOMPARE(GetFreeComputerNum(), 1);
    m_db->AddComputer(1);
    m_db->AddComputer(2);
    m_db->AddComputer(4);
    GetComputerCode(0, true);
    QCOMPARE(GetFreeComputerNum(), 3);
}

void TestComputerLookups::cacheSeesNewComputersOnlyAfterRebuild()
{
    const qint32 first = m_db->AddComputer(1);
    QCOMPARE(GetComputerCode(1, true), first);
    const qint32 second = m_db->AddComputer(2);
    QString err;
    QCOMPARE(GetComputerCode(2, false), 0);
    QVERIFY(!GetComputerRecord(2, err));
    QCOMPARE(GetComputerCode(2, true), second);
    QCOMPARE(GetComputerRecord(2, err)->Code(), second);
}

void TestComputerLookups::seanceBoundsAreInclusive()
{
    const qint32 computer = m_db->AddComputer(5);
    const qint32 desktop = m_db->AddDesktop(QStringLiteral("Игры"));
    const qint32 rate = m_db->AddRate(QStringLiteral("Дневной"), 0, 30);
    const qint32 seance = m_db->AddSeance(computer, desktop, rate, March(5, 10), March(5, 11));
    GetComputerCode(0, true);
    QCOMPARE(GetSeanceCodeAt(5, March(5, 10)), seance);
    QCOMPARE(GetSeanceCodeAt(5, March(5, 11)), seance);
    QCOMPARE(GetSeanceCodeAt(5, March(5, 11, 0, 1)), 0);
    QCOMPARE(GetSeanceCodeAt(5, March(5, 9, 59, 59)), 0);
    QVERIFY(!GetSeanceAt(6, March(5, 10, 30)));
}

void TestComputerLookups::unknownNumberFindsNoSeance()
{
    const qint32 computer = m_db->AddComputer(1);
    const qint32 desktop = m_db->AddDesktop(QStringLiteral("Игры"));
    const qint32 rate = m_db->AddRate(QStringLiteral("Дневной"), 0, 30);
    m_db->AddSeance(computer, desktop, rate, March(5, 10), March(5, 11));
    GetComputerCode(0, true);
    QVERIFY(GetSeanceAt(1, March(5, 10, 30)));
    QVERIFY(!GetSeanceAt(99, March(5, 10, 30)));
    QCOMPARE(GetSeanceCodeAt(99, March(5, 10, 30)), 0);
}

void TestComputerLookups::computerNames()
{
    m_db->AddComputer(3, QStringLiteral("Касса"));
    m_db->AddComputer(4);
    GetComputerCode(0, true);
    QCOMPARE(GetComputerName(3), QStringLiteral("3: Касса"));
    QCOMPARE(GetComputerName(4), QStringLiteral("4"));
    QVERIFY(MessageBox::TakeRecords().isEmpty());
}

void TestComputerLookups::unknownComputerNameShowsAText()
{
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    QCOMPARE(GetComputerName(9), QString());
    const auto boxes = MessageBox::TakeRecords();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().Text, QStringLiteral("Компьютер №9 не найден!"));
    QCOMPARE(boxes.first().Icon, QMessageBox::Critical);
}

void TestComputerLookups::numberByIPAndIPByNumber()
{
    m_db->AddComputer(7);
    GetComputerCode(0, true);
    QCOMPARE(GetComputerNumByIP(QStringLiteral("127.0.0.7")), 7);
    QCOMPARE(GetComputerIPByNum(7), QStringLiteral("127.0.0.7"));
    QCOMPARE(GetComputerIPByNum(8), QString());
}

void TestComputerLookups::unknownIPWritesNothingToTheLog()
{
    const QString before = MainLogText();
    QCOMPARE(GetComputerNumByIP(QStringLiteral("10.1.1.1")), 0);
    QCOMPARE(MainLogText(), before);
}

void TestComputerLookups::computersAsSelectionEntries()
{
    QCOMPARE(GetComputers()->Count(), 0);
    m_db->AddComputer(4);
    m_db->AddComputer(1);
    m_db->AddComputer(2);
    const auto buttons = GetComputers();
    QList<qint32> numbers;
    for (const auto &button : *buttons) {
        numbers.append(button->ComputerNum());
        QVERIFY(button->Enabled());
        QVERIFY(!button->Selected());
    }
    QCOMPARE(numbers, (QList<qint32>{1, 2, 4}));
}

void TestComputerLookups::warnings()
{
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    ShowWarning(QStringLiteral("Первое"), 0, true);
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    ShowWarning(QStringLiteral("Второе"), 1, true);
    ShowWarning(QStringLiteral("Третье"), 1, false);
    const auto boxes = MessageBox::TakeRecords();
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes.at(0).Icon, QMessageBox::Critical);
    QCOMPARE(boxes.at(0).Title, QStringLiteral("Внимание!"));
    QCOMPARE(boxes.at(1).Icon, QMessageBox::Information);
    const QString log = MainLogText();
    QVERIFY(log.contains(QStringLiteral(" ! Первое\r\n")));
    QVERIFY(log.contains(QStringLiteral(" ! Второе\r\n")));
    QVERIFY(log.contains(QStringLiteral(" ! Третье\r\n")));
}

QTEST_MAIN(TestComputerLookups)
#include "tst_computerlookups.moc"
