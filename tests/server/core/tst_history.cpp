#include "clock.h"
#include "core/history.h"
#include "core/payments.h"
#include "core/widgets/messagebox.h"
#include "coredatabase.h"
#include "datevalue.h"

#include <QTest>

namespace
{
const QDateTime Now = DateValue::Make(2026, 3, 5, 23, 15, 7);
} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void addsALineUnderTheNumber();
    void lineThatCannotBeStoredIsShown();
    void lineOfATransactionReturnsItsFailure();
    void cancellingUnlinksTheReserveAndRemovesPayments();
    void cancellingAMissingSeance();
    void removalIsAllOrNothing();

private:
    qint32 ReserveSeance(qint32 Reserve) const;

    std::unique_ptr<CoreDatabase> m_db;
    qint32 m_seance = 0;
    qint32 m_reserve = 0;
};

void TestHistory::init()
{
    m_db = std::make_unique<CoreDatabase>();
    QString err;
    QVERIFY2(m_db->Start(err), qPrintable(err));
    Clock::SetNow(Now);
    MessageBox::TakeRecords();
    const qint32 computer = m_db->AddComputer(3);
    const qint32 desktop = m_db->AddDesktop(QStringLiteral("Игры"));
    const qint32 rate = m_db->AddRate(QStringLiteral("Ночь"), 1, 300);
    m_seance = m_db->AddSeance(computer, desktop, rate, Now, Now.addSecs(9 * 3600));
    m_reserve = m_db->AddReserve(computer, desktop, rate, DateValue::Make(2026, 3, 5), true, m_seance);
    QVERIFY(PaySeance(m_seance, 0, Now, 0, 300, err));
    QVERIFY(PaySeance(m_seance, 0, Now, 0, -20, err));
    QVERIFY(PaySeance(0, m_reserve, Now, 0, 100, err));
}

void TestHistory::cleanup()
{
    Clock::SetNow(QDateTime());
    m_db.reset();
}

qint32 TestHistory::ReserveSeance(qint32 Reserve) const
{
    const auto record = m_db->Record(QStringLiteral("NightReserves"), Reserve);
    QString err;
    [&] {
        QVERIFY(record && record->Reload(err));
    }();
    return record ? IntValue(*record, QStringLiteral("Seance")) : -1;
}

void TestHistory::addsALineUnderTheNumber()
{
    AddHistory(3, QStringLiteral("Отменён сеанс."));
    const auto lines = m_db->All(QStringLiteral("History"));
    QCOMPARE(lines->Count(), 1);
    const auto line = lines->GetByIndex(1);
    QCOMPARE(DateValueOf(*line, QStringLiteral("HistoryDate")), Now);
    QCOMPARE(IntValue(*line, QStringLiteral("ComputerNum")), 3);
    QCOMPARE(TextValue(*line, QStringLiteral("Description")), QStringLiteral("Отменён сеанс."));
    QVERIFY(MessageBox::TakeRecords().isEmpty());
}

void TestHistory::lineThatCannotBeStoredIsShown()
{
    QVERIFY(m_db->AddRefusal(QStringLiteral("History"), QStringLiteral("INSERT"), QStringLiteral("1 = 1")));
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    AddHistory(3, QStringLiteral("Завершён сеанс."));
    const auto boxes = MessageBox::TakeRecords();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().Title, QStringLiteral("Внимание!"));
    QVERIFY(!boxes.first().Text.isEmpty());
    QCOMPARE(m_db->All(QStringLiteral("History"))->Count(), 0);
}

void TestHistory::lineOfATransactionReturnsItsFailure()
{
    QString err;
    QVERIFY2(AddHistory(3, QStringLiteral("Завершён сеанс."), err), qPrintable(err));
    QVERIFY(m_db->AddRefusal(QStringLiteral("History"), QStringLiteral("INSERT"), QStringLiteral("1 = 1")));
    QVERIFY(!AddHistory(3, QStringLiteral("Отменён сеанс."), err));
    QVERIFY(!err.isEmpty());
    QVERIFY(MessageBox::TakeRecords().isEmpty());
    const auto lines = m_db->All(QStringLiteral("History"));
    QCOMPARE(lines->Count(), 1);
    QCOMPARE(TextValue(*lines->GetByIndex(1), QStringLiteral("Description")), QStringLiteral("Завершён сеанс."));
}

void TestHistory::cancellingUnlinksTheReserveAndRemovesPayments()
{
    QString err;
    QVERIFY2(DeleteSeance(m_seance, err), qPrintable(err));
    QVERIFY(!m_db->Record(QStringLiteral("Seances"), m_seance));
    QCOMPARE(ReserveSeance(m_reserve), 0);
    const auto pays = m_db->All(QStringLiteral("SeancePays"));
    QCOMPARE(pays->Count(), 1);
    QCOMPARE(IntValue(*pays->GetByIndex(1), QStringLiteral("NightReserve")), m_reserve);
}

void TestHistory::cancellingAMissingSeance()
{
    QString err;
    QVERIFY(DeleteSeance(m_seance, err));
    QVERIFY(!DeleteSeance(m_seance, err));
    QCOMPARE(err, QStringLiteral("Сеанс не найден!"));
}

void TestHistory::removalIsAllOrNothing()
{
    QVERIFY(m_db->AddRefusal(QStringLiteral("Seances"), QStringLiteral("DELETE"), QStringLiteral("1 = 1")));
    QString err;
    QVERIFY(!DeleteSeance(m_seance, err));
    QVERIFY(m_db->Record(QStringLiteral("Seances"), m_seance));
    QCOMPARE(ReserveSeance(m_reserve), m_seance);
    QCOMPARE(m_db->All(QStringLiteral("SeancePays"))->Count(), 3);
}

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
