#include "coredatabase.h"
#include "reportdata.h"
#include "statistics/nightreservesdeletion.h"
#include "statistics/occupancyloader.h"
#include "statistics/reportloaders.h"
#include "textdates.h"

#include <QTest>

namespace
{
struct Loaded
{
    bool Ok = false;
    QString Error;
    std::vector<ReportRow> Rows;
    ReportTotals Totals;
};

Loaded Load(ReportKind Kind, const ReportFilter &Filter)
{
    Loaded loaded;
    const auto loader = MakeReportLoader(Kind, Filter);
    loaded.Ok = LoadToEnd(*loader, loaded.Rows, loaded.Error);
    loaded.Totals = loader->Totals();
    return loaded;
}

QStringList Column(const std::vector<ReportRow> &Rows, int Index)
{
    QStringList cells;
    for (const ReportRow &row : Rows) {
        cells << row.Cells.value(Index);
    }
    return cells;
}

Currency Money(const char *Text)
{
    Currency value;
    Currency::FromText(QString::fromLatin1(Text), value);
    return value;
}
} // namespace

// The report loaders over a real database: which records each report lists under the filter, the
// cells of its rows and its totals, read window by window.
class TestReportLoaders : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void seancesByPayType_data();
    void seancesByPayType();
    void megabytesRoundedOnce_data();
    void megabytesRoundedOnce();
    void seancesOfThePeriod_data();
    void seancesOfThePeriod();
    void missingComputer_data();
    void missingComputer();
    void nightReserves();
    void deleteNightReserves_data();
    void deleteNightReserves();
    void cardPays();
    void servicesAtTheCurrentPrice_data();
    void servicesAtTheCurrentPrice();
    void internetAndHistory();
    void longPeriodInOrder();
    void failedReadLeavesNothing();
    void occupancy_data();
    void occupancy();

private:
    std::unique_ptr<CoreDatabase> m_db;
    std::unique_ptr<ReportData> m_data;
};

void TestReportLoaders::init()
{
    m_db = std::make_unique<CoreDatabase>();
    QString err;
    QVERIFY2(m_db->StartAsProgram(err), qPrintable(err));
    m_data = std::make_unique<ReportData>(*m_db);
    m_data->AddClub();
}

void TestReportLoaders::cleanup()
{
    m_data.reset();
    m_db.reset();
}

void TestReportLoaders::seancesByPayType_data()
{
    QTest::addColumn<qint32>("payType");
    QTest::addColumn<QString>("sum");
    QTest::addColumn<Currency>("total");
    QTest::newRow("all") << qint32(ReportFilter::AllPays) << QStringLiteral("180,00") << Currency(180);
    QTest::newRow("cash") << qint32(ReportFilter::CashPays) << QStringLiteral("150,00") << Currency(150);
    QTest::newRow("card") << qint32(ReportFilter::CardPays) << QStringLiteral("30,00") << Currency(30);
}

void TestReportLoaders::seancesByPayType()
{
    QFETCH(qint32, payType);
    QFETCH(QString, sum);
    QFETCH(Currency, total);
    constexpr double OneAndAHalfMegabytes = 1.5 * 1024 * 1024;
    const qint32 card = m_data->AddCard(QStringLiteral("1001"), QStringLiteral("Лис"));
    const qint32 seance = m_data->AddSeance(m_data->Computer(3),
                                            ReportData::At(5, 10),
                                            ReportData::At(5, 11, 35),
                                            OneAndAHalfMegabytes,
                                            1000000);
    m_data->Pay(seance, ReportData::At(5, 10), 100);
    m_data->Pay(seance, ReportData::At(5, 10, 30), 50);
    m_data->Pay(seance, ReportData::At(5, 11), 30, card);
    ReportFilter filter = ReportData::Days(5, 5);
    filter.PayType = payType;
    filter.Computer = 3;
    filter.Desktop = m_data->Desktop();
    filter.Rate = m_data->Rate();

    const Loaded loaded = Load(ReportKind::Seances, filter);
    QVERIFY2(loaded.Ok, qPrintable(loaded.Error));
    QCOMPARE(loaded.Rows.size(), size_t(1));
    QCOMPARE(loaded.Rows.front().Key, QStringLiteral("C%1").arg(seance));
    QCOMPARE(loaded.Rows.front().Cells,
             QStringList({QStringLiteral("05/12/2026 10:00:00"),
                          QStringLiteral("05/12/2026 11:35:00"),
                          QStringLiteral("01:35"),
                          QStringLiteral("3"),
                          QStringLiteral("Игры"),
                          QStringLiteral("День"),
                          sum,
                          QStringLiteral("1,50"),
                          QStringLiteral("0,95")}));
    QCOMPARE(loaded.Totals.Count, qint64(1));
    QCOMPARE(loaded.Totals.Sum, total);
    QCOMPARE(loaded.Totals.Duration, qint64(95));
    QCOMPARE(loaded.Totals.Download, Money("1.5"));
    QCOMPARE(loaded.Totals.Upload, Money("0.9537"));

    // Another desktop lists nothing.
    filter.Desktop = m_db->AddDesktop(QStringLiteral("Офис"));
    QVERIFY(Load(ReportKind::Seances, filter).Rows.empty());
}

void TestReportLoaders::megabytesRoundedOnce_data()
{
    QTest::addColumn<double>("bytes");
    QTest::addColumn<QString>("megabytes");
    // 1835 bytes are 0.00174999 MB; kilobytes rounded first (1.792) would give 0.0018.
    QTest::newRow("below a rounding edge") << 1835.0 << QStringLiteral("0.0017");
    QTest::newRow("above one megabyte") << 2990696.0 << QStringLiteral("2.8521");
    QTest::newRow("a million") << 1000000.0 << QStringLiteral("0.9537");
    QTest::newRow("one and a half") << 1572864.0 << QStringLiteral("1.5");
}

void TestReportLoaders::megabytesRoundedOnce()
{
    QFETCH(double, bytes);
    QFETCH(QString, megabytes);
    const qint32 seance =
        m_data->AddSeance(m_data->Computer(3), ReportData::At(5, 10), ReportData::At(5, 11), bytes, bytes);
    m_data->Pay(seance, ReportData::At(5, 10), 70);

    const Loaded loaded = Load(ReportKind::Seances, ReportData::Days(5, 5));
    QVERIFY2(loaded.Ok, qPrintable(loaded.Error));
    QCOMPARE(loaded.Totals.Download, Money(qPrintable(megabytes)));
    QCOMPARE(loaded.Totals.Upload, Money(qPrintable(megabytes)));
}

void TestReportLoaders::seancesOfThePeriod_data()
{
    QTest::addColumn<QDateTime>("begin");
    QTest::addColumn<QDateTime>("end");
    QTest::addColumn<QDateTime>("paid");
    QTest::addColumn<ReportFilter>("filter");
    QTest::addColumn<bool>("listed");
    const ReportFilter day = ReportData::Days(5, 5);
    QTest::newRow("paid the day before") << ReportData::At(5, 10) << ReportData::At(5, 11) << ReportData::At(4, 20)
                                         << day << false;
    QTest::newRow("23:00 to 01:00 paid at its start")
        << ReportData::At(5, 23) << ReportData::At(6, 1) << ReportData::At(5, 23) << day << true;
    QTest::newRow("begun the day before, paid in the period")
        << ReportData::At(4, 23) << ReportData::At(5, 1) << ReportData::At(5, 0, 30) << day << false;
    QTest::newRow("ending more than a day after the period")
        << ReportData::At(5, 22) << ReportData::At(7, 1) << ReportData::At(5, 22) << day << false;
    // Read in later windows than its payment.
    QTest::newRow("paid before it begins")
        << ReportData::At(25, 10) << ReportData::At(25, 11) << ReportData::At(2, 9) << ReportData::Days(1, 31) << true;
}

void TestReportLoaders::seancesOfThePeriod()
{
    QFETCH(QDateTime, begin);
    QFETCH(QDateTime, end);
    QFETCH(QDateTime, paid);
    QFETCH(ReportFilter, filter);
    QFETCH(bool, listed);
    m_data->Pay(m_data->AddSeance(m_data->Computer(1), begin, end), paid, 70);

    const Loaded loaded = Load(ReportKind::Seances, filter);
    QVERIFY2(loaded.Ok, qPrintable(loaded.Error));
    QCOMPARE(loaded.Rows.size(), size_t(listed ? 1 : 0));
    QCOMPARE(loaded.Totals.Sum, Currency(listed ? 70 : 0));
    QCOMPARE(loaded.Totals.Count, qint64(listed ? 1 : 0));
}

void TestReportLoaders::missingComputer_data()
{
    QTest::addColumn<ReportKind>("kind");
    QTest::addColumn<QString>("error");
    QTest::newRow("seances") << ReportKind::Seances << QString();
    QTest::newRow("night reserves") << ReportKind::NightReserves << QString();
    QTest::newRow("internet") << ReportKind::Internet << QStringLiteral("Компьютер №7 не найден!");
}

void TestReportLoaders::missingComputer()
{
    QFETCH(ReportKind, kind);
    QFETCH(QString, error);
    const qint32 seance = m_data->AddSeance(m_data->Computer(1), ReportData::At(5, 10), ReportData::At(5, 11));
    m_data->Pay(seance, ReportData::At(5, 10), 60);
    const qint32 reserve =
        m_db->AddReserve(m_data->Computer(1), m_data->Desktop(), m_data->Rate(), ReportData::At(5, 0), true);
    m_data->Pay(0, ReportData::At(5, 9), 200, 0, reserve);
    m_data->Access(m_data->Computer(1), ReportData::At(5, 10, 5), QStringLiteral("http://example.org/"));
    ReportFilter filter = ReportData::Days(5, 5);
    filter.Computer = 7;

    const Loaded loaded = Load(kind, filter);
    QCOMPARE(loaded.Ok, error.isEmpty());
    QCOMPARE(loaded.Error, error);
    QVERIFY(loaded.Rows.empty());
    QCOMPARE(loaded.Totals, ReportTotals());
    // The same filter on computer 1 lists its record.
    filter.Computer = 1;
    QCOMPARE(Load(kind, filter).Rows.size(), size_t(1));
}

void TestReportLoaders::nightReserves()
{
    const qint32 card = m_data->AddCard(QStringLiteral("1001"), QStringLiteral("Лис"));
    const qint32 farNight =
        m_db->AddReserve(m_data->Computer(2), m_data->Desktop(), m_data->Rate(), DateValue::Make(2027, 2, 14), false);
    m_data->Pay(0, ReportData::At(5, 9), 100, 0, farNight);
    m_data->Pay(0, ReportData::At(5, 18), 50, card, farNight);
    const qint32 pastNight =
        m_db->AddReserve(m_data->Computer(1), m_data->Desktop(), m_data->Rate(), ReportData::At(4, 0), true);
    m_data->Pay(0, ReportData::At(5, 10), 300, 0, pastNight);

    Loaded loaded = Load(ReportKind::NightReserves, ReportData::Days(5, 5));
    QVERIFY2(loaded.Ok, qPrintable(loaded.Error));
    QCOMPARE(loaded.Rows.size(), size_t(1));
    QCOMPARE(loaded.Rows.front().Key, QStringLiteral("C%1").arg(farNight));
    QCOMPARE(loaded.Rows.front().Cells,
             QStringList({QStringLiteral("05/12/2026 09:00:00"),
                          QStringLiteral("14/02/2027 00:00:00"),
                          QStringLiteral("2"),
                          QStringLiteral("Гость"),
                          QStringLiteral("Игры"),
                          QStringLiteral("День"),
                          QStringLiteral("Р"),
                          QStringLiteral("150,00")}));
    QCOMPARE(loaded.Totals.Sum, Currency(150));

    ReportFilter cards = ReportData::Days(5, 5);
    cards.PayType = ReportFilter::CardPays;
    loaded = Load(ReportKind::NightReserves, cards);
    QCOMPARE(Column(loaded.Rows, 0), QStringList({QStringLiteral("05/12/2026 18:00:00")}));
    QCOMPARE(loaded.Totals.Sum, Currency(50));
}

void TestReportLoaders::deleteNightReserves_data()
{
    QTest::addColumn<bool>("withUnknown");
    QTest::newRow("all listed") << false;
    // A code that cannot be deleted keeps every reserve and payment.
    QTest::newRow("one refused") << true;
}

void TestReportLoaders::deleteNightReserves()
{
    QFETCH(bool, withUnknown);
    QList<qint32> codes;
    for (int night = 10; night <= 12; ++night) {
        const qint32 reserve = m_db->AddReserve(m_data->Computer(night - 9),
                                                m_data->Desktop(),
                                                m_data->Rate(),
                                                ReportData::At(night, 0),
                                                true);
        m_data->Pay(0, ReportData::At(5, night), 70, 0, reserve);
        m_data->Pay(0, ReportData::At(6, night), 100, 0, reserve);
        codes << reserve;
    }
    const qint32 kept = codes.takeLast();
    if (withUnknown) {
        codes << 0;
    }

    QString err;
    QCOMPARE(DeleteNightReserves(codes, err), !withUnknown);
    QCOMPARE(err.isEmpty(), !withUnknown);
    QCOMPARE(m_db->All(QStringLiteral("NightReserves"))->Count(), withUnknown ? 3 : 1);
    QCOMPARE(m_db->All(QStringLiteral("SeancePays"))->Count(), withUnknown ? 6 : 2);
    QVERIFY(m_db->Record(QStringLiteral("NightReserves"), kept));
}

void TestReportLoaders::cardPays()
{
    const qint32 fox = m_data->AddCard(QStringLiteral("1001"), QStringLiteral("Лис"), QStringLiteral("Иванов"));
    const qint32 owl = m_data->AddCard(QStringLiteral("2002"), QStringLiteral("Сова"));
    m_data->TopUp(owl, ReportData::At(5, 12), 1234);
    m_data->TopUp(fox, ReportData::At(5, 9), 500);
    m_data->TopUp(fox, ReportData::At(6, 9), 700);

    const Loaded loaded = Load(ReportKind::CardPays, ReportData::Days(5, 5));
    QVERIFY2(loaded.Ok, qPrintable(loaded.Error));
    QCOMPARE(loaded.Rows.size(), size_t(2));
    QCOMPARE(loaded.Rows.at(0).Cells,
             QStringList({QStringLiteral("05/12/2026 09:00:00"),
                          QStringLiteral("1001"),
                          QStringLiteral("Лис"),
                          QStringLiteral("Иванов"),
                          QStringLiteral("500,00")}));
    QCOMPARE(loaded.Rows.at(1).Cells.last(), QStringLiteral("1\u00A0234,00"));
    QCOMPARE(loaded.Totals.Count, qint64(2));
    QCOMPARE(loaded.Totals.Sum, Currency(1734));
}

void TestReportLoaders::servicesAtTheCurrentPrice_data()
{
    QTest::addColumn<QString>("price");
    QTest::addColumn<QList<qint32>>("amounts");
    QTest::addColumn<QStringList>("sums");
    QTest::addColumn<QString>("total");
    QTest::newRow("3 at 12.50") << QStringLiteral("12.5") << QList<qint32>{3} << QStringList{QStringLiteral("37,50")}
                                << QStringLiteral("37.5");
    QTest::newRow("4,691 at 0.50") << QStringLiteral("0.5") << QList<qint32>{4691}
                                   << QStringList{QStringLiteral("2\u00A0345,50")} << QStringLiteral("2345.5");
    QTest::newRow("three of 1.50") << QStringLiteral("1.5") << QList<qint32>{1, 1, 1}
                                   << QStringList(3, QStringLiteral("1,50")) << QStringLiteral("4.5");
    QTest::newRow("three of 0.50") << QStringLiteral("0.5") << QList<qint32>{1, 1, 1}
                                   << QStringList(3, QStringLiteral("0,50")) << QStringLiteral("1.5");
    // The total is that of the kopecks listed.
    QTest::newRow("a price of tenths of a kopeck") << QStringLiteral("0.125") << QList<qint32>{1, 1}
                                                   << QStringList(2, QStringLiteral("0,13")) << QStringLiteral("0.26");
}

void TestReportLoaders::servicesAtTheCurrentPrice()
{
    QFETCH(QString, price);
    QFETCH(QList<qint32>, amounts);
    QFETCH(QStringList, sums);
    QFETCH(QString, total);
    const QString comment = QStringLiteral("у окна");
    const qint32 type = m_data->AddServiceType(QStringLiteral("Печать"), Money(qPrintable(price)));
    for (int i = 0; i < amounts.size(); ++i) {
        m_data->Sell(type, amounts.at(i), ReportData::At(5, 10, i), comment);
    }

    const Loaded loaded = Load(ReportKind::Services, ReportData::Days(5, 5));
    QVERIFY2(loaded.Ok, qPrintable(loaded.Error));
    QCOMPARE(Column(loaded.Rows, 3), sums);
    QCOMPARE(loaded.Rows.at(0).Cells,
             QStringList({QStringLiteral("05/12/2026 10:00:00"),
                          QStringLiteral("Печать"),
                          QString::number(amounts.at(0)),
                          sums.at(0),
                          comment}));
    QCOMPARE(loaded.Totals.Count, qint64(amounts.size()));
    QCOMPARE(loaded.Totals.Sum, Money(qPrintable(total)));
}

void TestReportLoaders::internetAndHistory()
{
    m_data->Access(m_data->Computer(2), ReportData::At(5, 10), QStringLiteral("http://example.org/a"));
    m_data->Access(m_data->Computer(3), ReportData::At(5, 11), QStringLiteral("http://example.org/b"));
    // A line of computer 9, deleted since.
    const qint32 line = m_data->AddHistory(ReportData::At(5, 8), 9, QStringLiteral("Начат сеанс"));
    ReportFilter filter = ReportData::Days(5, 5);

    Loaded loaded = Load(ReportKind::Internet, filter);
    QCOMPARE(loaded.Rows.size(), size_t(2));
    QCOMPARE(
        loaded.Rows.front(),
        ReportRow(
            {QString(),
             {QStringLiteral("05/12/2026 10:00:00"), QStringLiteral("2"), QStringLiteral("http://example.org/a")}}));
    QCOMPARE(loaded.Totals.Count, qint64(2));
    filter.Computer = 3;
    QCOMPARE(Column(Load(ReportKind::Internet, filter).Rows, 2), QStringList({QStringLiteral("http://example.org/b")}));

    filter.Computer = 9;
    loaded = Load(ReportKind::History, filter);
    QVERIFY2(loaded.Ok, qPrintable(loaded.Error));
    QCOMPARE(loaded.Rows.size(), size_t(1));
    QCOMPARE(loaded.Rows.front(),
             ReportRow({QStringLiteral("C%1").arg(line),
                        {QStringLiteral("05/12/2026 08:00:00"), QStringLiteral("9"), QStringLiteral("Начат сеанс")}}));
}

void TestReportLoaders::longPeriodInOrder()
{
    // Two months of seances and history lines, read in many windows.
    constexpr int Days = 61;
    constexpr int LinesPerDay = 24;
    QStringList expectedSeances;
    QStringList expectedLines;
    QString err;
    Rollstrake::Transaction transaction;
    QVERIFY2(transaction.Begin(err), qPrintable(err));
    for (int day = 0; day < Days; ++day) {
        const QDateTime begin = DateValue::Make(2026, 10, 1, 12).addDays(day);
        m_data->Pay(m_data->AddSeance(m_data->Computer(1 + day % 3), begin, begin.addSecs(3600)), begin, 10);
        expectedSeances << DateToString(begin, true, QStringLiteral("/"));
        for (int hour = 0; hour < LinesPerDay; ++hour) {
            const QDateTime moment = begin.addSecs((hour - 12) * 3600);
            m_data->AddHistory(moment, 1, QString::number(hour));
            expectedLines << DateToString(moment, true, QStringLiteral("/"));
        }
    }
    QVERIFY2(transaction.Commit(err), qPrintable(err));
    ReportFilter filter;
    filter.DateFrom = DateValue::Make(2026, 10, 1);
    filter.DateTo = DateValue::Make(2026, 11, 30, 23, 59, 59);

    Loaded loaded = Load(ReportKind::Seances, filter);
    QCOMPARE(Column(loaded.Rows, 0), expectedSeances);
    QCOMPARE(loaded.Totals.Sum, Currency(10 * Days));
    loaded = Load(ReportKind::History, filter);
    QCOMPARE(Column(loaded.Rows, 0), expectedLines);
    QCOMPARE(loaded.Totals.Count, qint64(Days * LinesPerDay));
}

void TestReportLoaders::failedReadLeavesNothing()
{
    m_data->AddHistory(ReportData::At(5, 8), 1, QString());
    QVERIFY(m_db->Execute(QStringLiteral("DROP TABLE History")));

    const Loaded loaded = Load(ReportKind::History, ReportData::Days(5, 5));
    QVERIFY(!loaded.Ok);
    QVERIFY(!loaded.Error.isEmpty());
    QVERIFY(loaded.Rows.empty());
    QCOMPARE(loaded.Totals, ReportTotals());
}

void TestReportLoaders::occupancy_data()
{
    QTest::addColumn<QList<QDateTime>>("seances");
    QTest::addColumn<QList<int>>("computers");
    QTest::addColumn<ReportFilter>("filter");
    QTest::addColumn<QList<int>>("busyRows");
    QTest::addColumn<QList<int>>("busyCounts");
    const ReportFilter day = ReportData::Days(5, 5);
    const auto range = [](int First, int Last) {
        QList<int> rows;
        for (int row = First; row <= Last; ++row) {
            rows << row;
        }
        return rows;
    };
    const QList<QDateTime> half{ReportData::At(5, 10), ReportData::At(5, 10, 30)};
    // 10:00 to 10:30 and 10:10 to 10:20.
    const QList<QDateTime> nested = half + QList<QDateTime>{ReportData::At(5, 10, 10), ReportData::At(5, 10, 20)};
    QTest::newRow("10:00 to 10:30") << half << QList<int>{1} << day << range(34, 36) << QList<int>(3, 1);
    QTest::newRow("one computer twice") << nested << QList<int>{1, 1} << day << range(34, 36) << QList<int>(3, 1);
    QTest::newRow("two computers") << nested << QList<int>{1, 2} << day << range(34, 36) << QList<int>{1, 2, 1};
    QTest::newRow("from the day before") << QList<QDateTime>{ReportData::At(4, 22), ReportData::At(5, 0, 30)}
                                         << QList<int>{1} << day << range(1, 3) << QList<int>(3, 1);
    QTest::newRow("beyond the period") << QList<QDateTime>{ReportData::At(5, 23, 30), ReportData::At(6, 2)}
                                       << QList<int>{1} << day << range(79, 80) << QList<int>(2, 1);
    QTest::newRow("spanning the period") << QList<QDateTime>{ReportData::At(4, 20), ReportData::At(6, 2)}
                                         << QList<int>{1} << day << range(1, 80) << QList<int>(80, 1);
    // A computer numbered 0 counts like any other.
    QTest::newRow("computer 0") << half << QList<int>{0} << day << range(34, 36) << QList<int>(3, 1);
    QTest::newRow("nothing") << QList<QDateTime>{} << QList<int>{} << day << QList<int>{} << QList<int>{};
    ReportFilter third = day;
    third.Computer = 3;
    QTest::newRow("filtered computer") << nested << QList<int>{1, 3} << third << range(35, 35) << QList<int>{1};
}

void TestReportLoaders::occupancy()
{
    QFETCH(QList<QDateTime>, seances);
    QFETCH(QList<int>, computers);
    QFETCH(ReportFilter, filter);
    QFETCH(QList<int>, busyRows);
    QFETCH(QList<int>, busyCounts);
    // The program refuses a number 0; an older database may hold one all the same.
    QVERIFY(m_db->Execute(QStringLiteral("INSERT INTO Computers (Num, IP, Name) VALUES (0, '127.0.0.200', '')")));
    QString err;
    const auto zeroRecord =
        m_db->Table(QStringLiteral("Computers"))->GetRecordByFieldValue(QStringLiteral("Num"), 0, err);
    QVERIFY2(zeroRecord, qPrintable(err));
    const qint32 zero = zeroRecord->Code();
    for (int i = 0; i < computers.size(); ++i) {
        const int num = computers.at(i);
        m_data->AddSeance(num == 0 ? zero : m_data->Computer(num), seances.at(2 * i), seances.at(2 * i + 1));
    }

    OccupancyLoader loader(filter);
    QVERIFY2(LoadToEnd(loader, err), qPrintable(err));
    QList<qint32> expected(Occupancy::Intervals, 0);
    for (int i = 0; i < busyRows.size(); ++i) {
        expected[busyRows.at(i) - 1] = busyCounts.at(i);
    }
    QCOMPARE(loader.Result().Counts(), expected);
    const QStringList labels = loader.Result().Labels();
    QCOMPARE(labels.size(), Occupancy::Intervals);
    QCOMPARE(labels.mid(0, 2), QStringList({QStringLiteral(" 00:00"), QStringLiteral(" 00:18")}));
}

QTEST_GUILESS_MAIN(TestReportLoaders)
#include "tst_reportloaders.moc"
