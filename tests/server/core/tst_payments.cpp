#include "clock.h"
#include "core/payments.h"
#include "coredatabase.h"
#include "datevalue.h"

#include <QTest>

namespace
{
const QDateTime Today = DateValue::Make(2026, 3, 5, 12, 0);

// One "SeancePays" row: its card code and its sum.
using PayRow = QPair<qint32, qint32>;
} // namespace

class TestPayments : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void balanceCountsUpToTheMoment();
    void split_data();
    void split();
    void balanceOfNowLimitsAPastPayment();
    void unknownCardIsRefused();
    void cardAndCashPartsAreAllOrNothing();
    void reservePayments();
    void fullPaidSumCountsTheActivatedReserve();
    void findCardByBarcode();

private:
    // The rows of the seance's payments, in the order written.
    QList<PayRow> SeanceRows(qint32 Seance) const;
    // A card whose balance is Balance: a top-up or a payment dated yesterday.
    qint32 AddCardWithBalance(qint32 Balance, const QString &Barcode = QStringLiteral("0001"));

    std::unique_ptr<CoreDatabase> m_db;
    qint32 m_seance = 0;
    qint32 m_otherSeance = 0;
    // The date of the payments under test.
    QDateTime m_payDate = Today;
};

void TestPayments::init()
{
    m_db = std::make_unique<CoreDatabase>();
    QString err;
    QVERIFY2(m_db->Start(err), qPrintable(err));
    Clock::SetNow(Today);
    m_payDate = Today;
    const qint32 computer = m_db->AddComputer(1);
    const qint32 desktop = m_db->AddDesktop(QStringLiteral("Игры"));
    const qint32 rate = m_db->AddRate(QStringLiteral("Дневной"), 0, 30);
    m_seance = m_db->AddSeance(computer, desktop, rate, Today, Today.addSecs(3600));
    m_otherSeance = m_db->AddSeance(computer, desktop, rate, Today.addDays(-1), Today.addDays(-1).addSecs(3600));
}

void TestPayments::cleanup()
{
    Clock::SetNow(QDateTime());
    m_db.reset();
}

QList<PayRow> TestPayments::SeanceRows(qint32 Seance) const
{
    QString err;
    const auto records =
        m_db->Table(QStringLiteral("SeancePays"))->GetRecordsByFieldValue(QStringLiteral("Seance"), Seance, err);
    QList<PayRow> rows;
    for (const auto &record : *records) {
        rows.append({IntValue(*record, QStringLiteral("Card")), IntValue(*record, QStringLiteral("Sum"))});
        [&] {
            QCOMPARE(IntValue(*record, QStringLiteral("NightReserve")), 0);
            QCOMPARE(DateValueOf(*record, QStringLiteral("PayDate")), m_payDate);
        }();
    }
    return rows;
}

qint32 TestPayments::AddCardWithBalance(qint32 Balance, const QString &Barcode)
{
    const qint32 card =
        m_db->Add(QStringLiteral("Cards"),
                  {{QStringLiteral("Barcode"), Barcode}, {QStringLiteral("OwnerNickname"), QStringLiteral("Гость")}});
    QString err;
    if (Balance > 0) {
        [&] {
            QVERIFY2(AddCardPay(card, Today.addDays(-1), Balance, err), qPrintable(err));
        }();
    } else if (Balance < 0) {
        [&] {
            QVERIFY2(AddSeancePay(m_otherSeance, 0, Today.addDays(-1), card, -Balance, err), qPrintable(err));
        }();
    }
    return card;
}

void TestPayments::balanceCountsUpToTheMoment()
{
    const qint32 code = AddCardWithBalance(0);
    QString err;
    QVERIFY(AddCardPay(code, Today.addDays(-1), 100, err));
    QVERIFY(AddCardPay(code, Today.addDays(1), 50, err));
    QVERIFY(AddSeancePay(m_otherSeance, 0, Today.addSecs(-3600), code, 30, err));
    const auto card = m_db->Record(QStringLiteral("Cards"), code);
    QCOMPARE(GetCardBalance(card, QDateTime()), 70);
    QCOMPARE(GetCardBalance(card, Today.addDays(2)), 120);
    QCOMPARE(GetCardBalance(card, Today.addDays(-2)), 0);
    QCOMPARE(GetCardPaysSum(card, true, Today.addDays(1)), 150);
    QCOMPARE(GetCardPaysSum(card, false, Today), 30);
    QCOMPARE(GetCardBalance(nullptr, QDateTime()), 0);
}

void TestPayments::split_data()
{
    QTest::addColumn<bool>("withCard");
    QTest::addColumn<qint32>("balance");
    QTest::addColumn<qint32>("sum");
    QTest::addColumn<QList<PayRow>>("rows");
    const qint32 card = 1;
    QTest::newRow("balance covers part") << true << 60 << 100 << QList<PayRow>{{card, 60}, {0, 40}};
    QTest::newRow("balance covers all") << true << 150 << 100 << QList<PayRow>{{card, 100}};
    QTest::newRow("balance exactly") << true << 100 << 100 << QList<PayRow>{{card, 100}};
    QTest::newRow("empty card") << true << 0 << 100 << QList<PayRow>{{0, 100}};
    QTest::newRow("no card") << false << 0 << 100 << QList<PayRow>{{0, 100}};
    QTest::newRow("nothing, card with money") << true << 10 << 0 << QList<PayRow>{{card, 0}, {0, 0}};
    QTest::newRow("nothing, empty card") << true << 0 << 0 << QList<PayRow>{{0, 0}};
    QTest::newRow("nothing, no card") << false << 0 << 0 << QList<PayRow>{{0, 0}};
    QTest::newRow("money back") << true << 10 << -30 << QList<PayRow>{{card, -30}};
    QTest::newRow("money back, card in debt") << true << -50 << -30 << QList<PayRow>{{card, -50}, {0, 20}};
    QTest::newRow("card in debt is not charged") << true << -20 << 100 << QList<PayRow>{{0, 100}};
}

void TestPayments::split()
{
    QFETCH(bool, withCard);
    QFETCH(qint32, balance);
    QFETCH(qint32, sum);
    QFETCH(QList<PayRow>, rows);
    const qint32 card = withCard ? AddCardWithBalance(balance) : 0;
    for (PayRow &row : rows) {
        row.first = row.first == 0 ? 0 : card;
    }
    QString err;
    QVERIFY2(PaySeance(m_seance, 0, Today, card, sum, err), qPrintable(err));
    QCOMPARE(SeanceRows(m_seance), rows);
    QCOMPARE(GetSeancePaidSum(m_db->Record(QStringLiteral("Seances"), m_seance)), sum);
    // The split that the payment dialog shows is the one recorded.
    if (withCard) {
        const CardCashSplit split = SplitPayment(sum, balance);
        QList<PayRow> shown;
        if (split.CardTakesPart) {
            shown.append({card, split.Card});
        }
        if (split.Cash != 0 || split.Card == 0) {
            shown.append({0, split.Cash});
        }
        QCOMPARE(shown, rows);
    }
}

void TestPayments::balanceOfNowLimitsAPastPayment()
{
    const qint32 card = AddCardWithBalance(100);
    QString err;
    QVERIFY(AddSeancePay(m_otherSeance, 0, Today.addSecs(-60), card, 80, err));
    m_payDate = Today.addDays(-3);
    QVERIFY(PaySeance(m_seance, 0, m_payDate, card, 50, err));
    QCOMPARE(SeanceRows(m_seance), (QList<PayRow>{{card, 20}, {0, 30}}));
}

void TestPayments::unknownCardIsRefused()
{
    QString err;
    QVERIFY(!PaySeance(m_seance, 0, Today, 4242, 100, err));
    QCOMPARE(err, QStringLiteral("Карточка не найдена!"));
    QVERIFY(SeanceRows(m_seance).isEmpty());
}

void TestPayments::cardAndCashPartsAreAllOrNothing()
{
    const qint32 card = AddCardWithBalance(60);
    QVERIFY(m_db->AddRefusal(QStringLiteral("SeancePays"), QStringLiteral("INSERT"), QStringLiteral("NEW.Card = 0")));
    QString err;
    QVERIFY(!PaySeance(m_seance, 0, Today, card, 100, err));
    QVERIFY(!err.isEmpty());
    QVERIFY(SeanceRows(m_seance).isEmpty());
    QCOMPARE(GetCardBalance(m_db->Record(QStringLiteral("Cards"), card), QDateTime()), 60);
}

void TestPayments::reservePayments()
{
    const qint32 reserve = m_db->AddReserve(m_db->All(QStringLiteral("Computers"))->GetByIndex(1)->Code(),
                                            m_db->All(QStringLiteral("Desktops"))->GetByIndex(1)->Code(),
                                            m_db->All(QStringLiteral("Rates"))->GetByIndex(1)->Code(),
                                            Today,
                                            false);
    QString err;
    QVERIFY(PaySeance(0, reserve, Today, 0, 150, err));
    QVERIFY(PaySeance(0, reserve, Today, 0, -20, err));
    QCOMPARE(GetNightReservePaidSum(m_db->Record(QStringLiteral("NightReserves"), reserve)), 130);
    QCOMPARE(GetSeancePaidSum(m_db->Record(QStringLiteral("Seances"), m_seance)), 0);
    QCOMPARE(GetNightReservePaidSum(nullptr), 0);
}

void TestPayments::fullPaidSumCountsTheActivatedReserve()
{
    const auto first = [this](const QString &Table) {
        return m_db->All(Table)->GetByIndex(1)->Code();
    };
    const qint32 reserve = m_db->AddReserve(first(QStringLiteral("Computers")),
                                            first(QStringLiteral("Desktops")),
                                            first(QStringLiteral("Rates")),
                                            Today,
                                            false,
                                            m_seance);
    QString err;
    QVERIFY(PaySeance(0, reserve, Today.addSecs(-3600), 0, 100, err));
    QVERIFY(PaySeance(m_seance, 0, Today, 0, 200, err));
    QVERIFY(PaySeance(m_otherSeance, 0, Today, 0, 50, err));
    const auto seance = m_db->Record(QStringLiteral("Seances"), m_seance);
    QCOMPARE(GetSeancePaidSum(seance), 200);
    QCOMPARE(GetSeanceFullPaidSum(seance, err), 300);
    QVERIFY2(err.isEmpty(), qPrintable(err));
    QCOMPARE(GetSeanceFullPaidSum(m_db->Record(QStringLiteral("Seances"), m_otherSeance), err), 50);
    QCOMPARE(GetSeanceFullPaidSum(nullptr, err), 0);
    QVERIFY(err.isEmpty());
}

void TestPayments::findCardByBarcode()
{
    const qint32 card = AddCardWithBalance(0, QStringLiteral("4600000000017"));
    QCOMPARE(FindCardByBarcode(QStringLiteral("4600000000017")), card);
    QCOMPARE(FindCardByBarcode(QStringLiteral("4600000000018")), 0);
    QCOMPARE(FindCardByBarcode(QString()), 0);
}

QTEST_MAIN(TestPayments)
#include "tst_payments.moc"
