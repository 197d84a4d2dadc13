#include "clock.h"
#include "controls/date.h"
#include "core/widgets/messagebox.h"
#include "coredatabase.h"
#include "settings/lists/rateslist.h"
#include "statistics/statisticfilter.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace
{
const QDateTime Now = DateValue::Make(2026, 12, 5, 14, 3, 27);

QDateTime Day(int Value)
{
    return DateValue::Make(2026, 12, Value);
}
} // namespace

// The filter bar over a real database: what OK applies, the pickers kept over a refill, the
// period kept in order and the pickers each report enables.
class TestStatisticFilter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void laterInitKeepsTheChoices();
    void deletedComputerIsNotChosen();
    void datesDragEachOther();
    void enabledPerReport_data();
    void enabledPerReport();

private:
    template <class Control>
    Control *Find(const char *Name) const
    {
        return m_filter->findChild<Control *>(QString::fromLatin1(Name));
    }

    ReportFilter Apply();
    void Choose(QComboBox *Combo, qint32 Data);

    std::unique_ptr<CoreDatabase> m_db;
    std::unique_ptr<StatisticFilter> m_filter;
};

void TestStatisticFilter::initTestCase()
{
    MessageBox::ServeCoreBoxes();
}

void TestStatisticFilter::init()
{
    Clock::SetNow(Now);
    m_db = std::make_unique<CoreDatabase>();
    QString err;
    QVERIFY2(m_db->StartAsProgram(err), qPrintable(err));
    for (int num : {1, 2, 3}) {
        m_db->AddComputer(num);
    }
    m_db->AddDesktop(QStringLiteral("Игры"));
    m_db->AddRate(QStringLiteral("День"), 0, 60);
    m_db->AddRate(QStringLiteral("Ночь"), 1, 30);
    m_filter = std::make_unique<StatisticFilter>();
    m_filter->show();
}

void TestStatisticFilter::cleanup()
{
    m_filter.reset();
    MessageBox::TakeRecords();
    m_db.reset();
    Clock::SetNow(QDateTime());
}

ReportFilter TestStatisticFilter::Apply()
{
    QSignalSpy applied(m_filter.get(), &StatisticFilter::FilterApplied);
    QTest::mouseClick(Find<QPushButton>("OKEY"), Qt::LeftButton);
    return applied.isEmpty() ? ReportFilter() : applied.first().first().value<ReportFilter>();
}

void TestStatisticFilter::Choose(QComboBox *Combo, qint32 Data)
{
    Combo->setCurrentIndex(Combo->findData(Data));
}

// The first init applies today over everything; a later one keeps what the operator chose.
void TestStatisticFilter::laterInitKeepsTheChoices()
{
    m_filter->Init(false);
    ReportFilter today;
    today.DateFrom = Day(5);
    today.DateTo = DateValue::Make(2026, 12, 5, 23, 59, 59);
    QCOMPARE(Apply(), today);
    QCOMPARE(Find<QComboBox>("Computer")->currentText(), QStringLiteral("Все"));
    QCOMPARE(Find<QComboBox>("Computer")->count(), 4);
    // Day and night rates after "Все".
    QCOMPARE(Find<RatesList>("Rate")->ComboBox()->count(), 3);

    Find<Date>("DateFrom")->SetValue(Day(1));
    Choose(Find<QComboBox>("Computer"), 3);
    Find<QComboBox>("PayTypesList")->setCurrentIndex(ReportFilter::CardPays);
    Choose(Find<QComboBox>("Desktop"), 1);
    const qint32 night = Find<RatesList>("Rate")->ComboBox()->itemData(2).toInt();
    Find<RatesList>("Rate")->SetValue(night);
    m_db->AddComputer(4);
    m_filter->Init(true);
    ReportFilter chosen = today;
    chosen.DateFrom = Day(1);
    chosen.Computer = 3;
    chosen.PayType = ReportFilter::CardPays;
    chosen.Desktop = 1;
    chosen.Rate = night;
    QCOMPARE(Apply(), chosen);
    QCOMPARE(Find<QComboBox>("Computer")->count(), 5);
}

void TestStatisticFilter::deletedComputerIsNotChosen()
{
    m_filter->Init(false);
    Choose(Find<QComboBox>("Computer"), 2);
    QString err;
    const auto computer =
        m_db->Table(QStringLiteral("Computers"))->GetRecordByFieldValue(QStringLiteral("Num"), 2, err);
    QVERIFY(m_db->Table(QStringLiteral("Computers"))->Remove(computer->Code(), false, err));

    m_filter->Init(true);
    QSignalSpy applied(m_filter.get(), &StatisticFilter::FilterApplied);
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    QTest::mouseClick(Find<QPushButton>("OKEY"), Qt::LeftButton);
    QCOMPARE(applied.count(), 0);
    const QList<MessageBox::Record> boxes = MessageBox::TakeRecords();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().Text, QStringLiteral("Не выбран компьютер(ы)!"));
    QCOMPARE(boxes.first().Title, QStringLiteral("Внимание!"));
}

void TestStatisticFilter::datesDragEachOther()
{
    m_filter->Init(false);
    QDateEdit *from = Find<Date>("DateFrom")->findChild<QDateEdit *>(QStringLiteral("Picker"));
    QDateEdit *to = Find<Date>("DateTo")->findChild<QDateEdit *>(QStringLiteral("Picker"));
    // The operator moves the start past the end: the end follows.
    from->setDate(QDate(2026, 12, 9));
    QCOMPARE(Find<Date>("DateTo")->Value().toDateTime(), Day(9));
    // And the end before the start: the start follows.
    to->setDate(QDate(2026, 12, 2));
    QCOMPARE(Find<Date>("DateFrom")->Value().toDateTime(), Day(2));
    const ReportFilter applied = Apply();
    QCOMPARE(applied.DateFrom, Day(2));
    QCOMPARE(applied.DateTo, DateValue::Make(2026, 12, 2, 23, 59, 59));
}

void TestStatisticFilter::enabledPerReport_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("computer");
    QTest::addColumn<bool>("payments");
    QTest::newRow("Seances") << QStringLiteral("Seances") << true << true;
    QTest::newRow("NightReserves") << QStringLiteral("NightReserves") << true << true;
    QTest::newRow("Chart") << QStringLiteral("Chart") << true << false;
    QTest::newRow("Internet") << QStringLiteral("Internet") << true << false;
    QTest::newRow("History") << QStringLiteral("History") << true << false;
    QTest::newRow("CardPays") << QStringLiteral("CardPays") << false << false;
    QTest::newRow("Services") << QStringLiteral("Services") << false << false;
    QTest::newRow("letter case") << QStringLiteral("seances") << false << false;
}

void TestStatisticFilter::enabledPerReport()
{
    QFETCH(QString, mode);
    QFETCH(bool, computer);
    QFETCH(bool, payments);
    m_filter->Init(false);
    m_filter->SetModeEnable(mode);
    QCOMPARE(Find<QLabel>("ComputerLabel")->isEnabled(), computer);
    QCOMPARE(Find<QComboBox>("Computer")->isEnabled(), computer);
    QCOMPARE(Find<QLabel>("PayTypesLabel")->isEnabled(), payments);
    QCOMPARE(Find<QComboBox>("PayTypesList")->isEnabled(), payments);
    QCOMPARE(Find<QComboBox>("Desktop")->isEnabled(), payments);
    QCOMPARE(Find<RatesList>("Rate")->Enabled(), payments);
    QVERIFY(Find<Date>("DateFrom")->isEnabled());
    QVERIFY(Find<Date>("DateTo")->isEnabled());
    QVERIFY(Find<QPushButton>("OKEY")->isEnabled());
}

QTEST_MAIN(TestStatisticFilter)
#include "tst_statisticfilter.moc"
