#include "clock.h"
#include "controls/sortedlistview.h"
#include "core/widgets/messagebox.h"
#include "core/window/mainform.h"
#include "coredatabase.h"
#include "rendercheck.h"
#include "reportdata.h"
#include "socketctl.h"
#include "statistics/occupancychart.h"
#include "statistics/reportcontainer.h"
#include "statistics/statisticfilter.h"
#include "statistics/statisticframe.h"
#include "statistics/totalsbar.h"
#include "testnetwork.h"

#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace
{
const QDateTime Now = DateValue::Make(2026, 12, 5, 14, 3, 27);

QStringList FirstColumn(const ReportContainer *Container)
{
    QStringList cells;
    for (const QStringList &row : Container->RowsInOrder()) {
        cells << row.value(0);
    }
    return cells;
}

QString Label(const QWidget *Bar, const char *Name)
{
    return Bar->findChild<QLabel *>(QString::fromLatin1(Name))->text();
}
} // namespace

// The statistics view over a real database: its protocol, the tabs and their loads, the deletion of
// night reserves, the export, and the view under the main window's F5.
class TestStatisticFrame : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void nothingBeforeTheFirstLoad();
    void firstLoadShowsToday();
    void chartTabHidesTheLists();
    void filterCaption();
    void deleteListedNightReserves_data();
    void deleteListedNightReserves();
    void failedLoadClearsTheFooter();
    void missingComputerOnTheInternetTab();
    void newLoadReplacesTheRunningOne();
    void exportWritesADocument();
    void screenshots();
    void windowTab();

private:
    void Show(ReportKind Kind);
    void Apply(const ReportFilter &Filter);
    void AddDay();

    QTemporaryDir m_config;
    QTemporaryDir m_documents;
    std::unique_ptr<CoreDatabase> m_db;
    std::unique_ptr<ReportData> m_data;
    std::unique_ptr<StatisticFrame> m_view;
    qint32 m_reserve = 0;
};

void TestStatisticFrame::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    MessageBox::ServeCoreBoxes();
}

void TestStatisticFrame::init()
{
    Clock::SetNow(Now);
    m_db = std::make_unique<CoreDatabase>();
    QString err;
    QVERIFY2(m_db->StartAsProgram(err), qPrintable(err));
    m_data = std::make_unique<ReportData>(*m_db);
    m_data->AddClub();
    m_view = std::make_unique<StatisticFrame>();
    m_view->SetExportFolder(m_documents.path());
    m_view->resize(1100, 600);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

void TestStatisticFrame::cleanup()
{
    m_view.reset();
    MessageBox::TakeRecords();
    m_data.reset();
    m_db.reset();
    Clock::SetNow(QDateTime());
}

// A seance of 180 roubles, a night reserve paid today, a card top-up, a service, an access and a
// history line, all on 05/12/2026.
void TestStatisticFrame::AddDay()
{
    const qint32 card = m_data->AddCard(QStringLiteral("1001"), QStringLiteral("Лис"), QStringLiteral("Иванов"));
    const qint32 seance = m_data->AddSeance(m_data->Computer(1), ReportData::At(5, 10), ReportData::At(5, 10, 30));
    m_data->Pay(seance, ReportData::At(5, 10), 100);
    m_data->Pay(seance, ReportData::At(5, 10, 10), 50);
    m_data->Pay(seance, ReportData::At(5, 10, 20), 30, card);
    m_data->Pay(m_data->AddSeance(m_data->Computer(2), ReportData::At(5, 10, 15), ReportData::At(5, 12)),
                ReportData::At(5, 10, 15),
                105);
    m_reserve = m_db->AddReserve(m_data->Computer(3), m_data->Desktop(), m_data->Rate(), ReportData::At(6, 0), true);
    m_data->Pay(0, ReportData::At(5, 9), 400, 0, m_reserve);
    m_db->Add(QStringLiteral("CardPays"),
              {{QStringLiteral("Card"), card},
               {QStringLiteral("PayDate"), ReportData::At(5, 9, 30)},
               {QStringLiteral("Sum"), 1000}});
    const qint32 tea = m_db->Add(QStringLiteral("ServiceTypes"),
                                 {{QStringLiteral("Name"), QStringLiteral("Чай")},
                                  {QStringLiteral("Price"), QVariant::fromValue(Currency(25))}});
    m_db->Add(QStringLiteral("Services"),
              {{QStringLiteral("ServiceType"), tea},
               {QStringLiteral("Amount"), 2},
               {QStringLiteral("ServiceTime"), ReportData::At(5, 11)},
               {QStringLiteral("Comment"), QStringLiteral("с лимоном")}});
    m_db->Add(QStringLiteral("Traffic"),
              {{QStringLiteral("Computer"), m_data->Computer(1)},
               {QStringLiteral("AccessTime"), ReportData::At(5, 10, 5)},
               {QStringLiteral("URL"), QStringLiteral("http://example.org/news")}});
    m_db->Add(QStringLiteral("History"),
              {{QStringLiteral("HistoryDate"), ReportData::At(5, 10)},
               {QStringLiteral("ComputerNum"), 1},
               {QStringLiteral("Description"), QStringLiteral("Начат сеанс на 30 минут, сумма 180 руб.")}});
}

void TestStatisticFrame::Show(ReportKind Kind)
{
    m_view->Tabs()->setCurrentIndex(static_cast<int>(Kind));
    QTRY_VERIFY(!m_view->IsLoading());
}

void TestStatisticFrame::Apply(const ReportFilter &Filter)
{
    emit m_view->FilterBar()->FilterApplied(Filter);
    QTRY_VERIFY(!m_view->IsLoading());
}

void TestStatisticFrame::nothingBeforeTheFirstLoad()
{
    AddDay();
    Show(ReportKind::Seances);
    QVERIFY(!m_view->IsLoading());
    QCOMPARE(m_view->Container(ReportKind::Seances)->RowCount(), 0);
    QVERIFY(!m_view->Filter().IsSet());
}

void TestStatisticFrame::firstLoadShowsToday()
{
    AddDay();
    m_view->LoadSettings();
    QVERIFY(m_view->IsLoading());
    QTRY_VERIFY(!m_view->IsLoading());
    QCOMPARE(m_view->Filter().DateFrom, DateValue::Make(2026, 12, 5));
    QCOMPARE(m_view->Filter().DateTo, DateValue::Make(2026, 12, 5, 23, 59, 59));
    const ReportContainer *seances = m_view->Container(ReportKind::Seances);
    QCOMPARE(FirstColumn(seances),
             QStringList({QStringLiteral("05/12/2026 10:00:00"), QStringLiteral("05/12/2026 10:15:00")}));
    QCOMPARE(Label(seances->Footer(), "SeancesNum"), QStringLiteral("2"));
    QCOMPARE(Label(seances->Footer(), "Sum"), QStringLiteral("285,00"));
    QCOMPARE(Label(seances->Footer(), "Duration"), QStringLiteral("02:15"));

    // The operator applies the first days of the month; a later load keeps them.
    ReportFilter days = ReportData::Days(1, 5);
    days.PayType = ReportFilter::CashPays;
    Apply(days);
    QCOMPARE(Label(seances->Footer(), "Sum"), QStringLiteral("255,00"));
    m_view->LoadSettings();
    QTRY_VERIFY(!m_view->IsLoading());
    QCOMPARE(m_view->Filter(), days);
    QCOMPARE(Label(seances->Footer(), "Sum"), QStringLiteral("255,00"));
}

void TestStatisticFrame::chartTabHidesTheLists()
{
    AddDay();
    m_view->LoadSettings();
    QTRY_VERIFY(!m_view->IsLoading());
    Show(ReportKind::Chart);
    QVERIFY(m_view->Chart()->isVisible());
    for (const ReportKind kind : {ReportKind::Seances,
                                  ReportKind::NightReserves,
                                  ReportKind::CardPays,
                                  ReportKind::Services,
                                  ReportKind::Internet,
                                  ReportKind::History}) {
        QVERIFY(!m_view->Container(kind)->isVisible());
    }
    // 10:00 to 10:30 on computer 1 and 10:15 to 12:00 on computer 2.
    const QList<qint32> counts = m_view->Chart()->Counts();
    QCOMPARE(counts.mid(32, 4), QList<qint32>({0, 1, 2, 2}));
    QCOMPARE(counts.at(35), 2);
    QCOMPARE(counts.at(36), 1);
    QCOMPARE(m_view->Chart()->Labels().first(), QStringLiteral(" 00:00"));
}

void TestStatisticFrame::filterCaption()
{
    m_view->LoadSettings();
    QTRY_VERIFY(!m_view->IsLoading());
    ReportFilter filter = ReportData::Days(1, 5);
    filter.Computer = 3;
    filter.PayType = ReportFilter::CardPays;
    filter.Desktop = m_data->Desktop();
    Apply(filter);
    QCOMPARE(m_view->GetFilterCaption(true, true, true),
             QStringLiteral("за период с 01/12/2026 по 05/12/2026 по компьютеру №3, оплаченные по карточкам, "
                            "по рабочему столу 'Игры'"));
    QCOMPARE(m_view->GetFilterCaption(false, false, false), QStringLiteral("за период с 01/12/2026 по 05/12/2026"));
}

void TestStatisticFrame::deleteListedNightReserves_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void TestStatisticFrame::deleteListedNightReserves()
{
    QFETCH(bool, yes);
    QSignalSpy modified(m_view.get(), &StatisticFrame::Modified);
    QSignalSpy seancesChanged(m_view.get(), &StatisticFrame::SeancesChanged);
    m_view->LoadSettings();
    QTRY_VERIFY(!m_view->IsLoading());
    Show(ReportKind::NightReserves);
    QPushButton *button =
        m_view->Container(ReportKind::NightReserves)->Footer()->findChild<QPushButton *>(QStringLiteral("DeleteBtn"));
    // An empty list asks nothing.
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(MessageBox::TakeRecords().isEmpty());

    AddDay();
    Apply(ReportData::Days(5, 5));
    QCOMPARE(m_view->Container(ReportKind::NightReserves)->RowCount(), 1);
    MessageBox::PrepareAnswer(yes ? QMessageBox::Yes : QMessageBox::No);
    QTest::mouseClick(button, Qt::LeftButton);
    const QList<MessageBox::Record> boxes = MessageBox::TakeRecords();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().Title, QStringLiteral("Внимание!"));
    QCOMPARE(boxes.first().Icon, QMessageBox::Question);
    QCOMPARE(boxes.first().Text,
             QStringLiteral("Удалить все резервы ночей, добавленные 05/12/2026 по всем компьютерам, по всем видам "
                            "оплат, по всем рабочим столам?"));
    QTRY_VERIFY(!m_view->IsLoading());
    QCOMPARE(m_db->Record(QStringLiteral("NightReserves"), m_reserve) == nullptr, yes);
    QCOMPARE(m_db->All(QStringLiteral("SeancePays"))->Count(), yes ? 4 : 5);
    QCOMPARE(m_view->Changed(), yes);
    QCOMPARE(modified.count(), yes ? 1 : 0);
    QCOMPARE(m_view->Container(ReportKind::NightReserves)->RowCount(), yes ? 0 : 1);
    QVERIFY(m_view->ValidateAndSave());
    QVERIFY(m_view->ValidateAndSave());
    QCOMPARE(seancesChanged.count(), yes ? 1 : 0);
    QVERIFY(!m_view->Changed());
}

void TestStatisticFrame::failedLoadClearsTheFooter()
{
    AddDay();
    m_view->LoadSettings();
    QTRY_VERIFY(!m_view->IsLoading());
    const TotalsBar *footer = m_view->Container(ReportKind::Seances)->Footer();
    QCOMPARE(Label(footer, "Sum"), QStringLiteral("285,00"));
    QVERIFY(m_db->Execute(QStringLiteral("DROP TABLE SeancePays")));

    MessageBox::PrepareAnswer(QMessageBox::Ok);
    Apply(ReportData::Days(5, 5));
    const QList<MessageBox::Record> boxes = MessageBox::TakeRecords();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().Icon, QMessageBox::Critical);
    QCOMPARE(m_view->Container(ReportKind::Seances)->RowCount(), 0);
    QCOMPARE(Label(footer, "SeancesNum"), QStringLiteral("0"));
    QCOMPARE(Label(footer, "Sum"), QStringLiteral("0,00"));
    QCOMPARE(footer->Sum(), qint64(0));
}

void TestStatisticFrame::missingComputerOnTheInternetTab()
{
    AddDay();
    m_view->LoadSettings();
    QTRY_VERIFY(!m_view->IsLoading());
    Show(ReportKind::Internet);
    QCOMPARE(m_view->Container(ReportKind::Internet)->RowCount(), 1);
    ReportFilter filter = ReportData::Days(5, 5);
    filter.Computer = 7;
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    Apply(filter);
    const QList<MessageBox::Record> boxes = MessageBox::TakeRecords();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().Text, QStringLiteral("Компьютер №7 не найден!"));
    QCOMPARE(m_view->Container(ReportKind::Internet)->RowCount(), 0);
}

void TestStatisticFrame::newLoadReplacesTheRunningOne()
{
    // Two months of history lines: the load takes many steps.
    QString err;
    Rollstrake::Transaction transaction;
    QVERIFY2(transaction.Begin(err), qPrintable(err));
    constexpr int Days = 60;
    constexpr int LinesPerDay = 48;
    for (int line = 0; line < Days * LinesPerDay; ++line) {
        m_db->Add(QStringLiteral("History"),
                  {{QStringLiteral("HistoryDate"), DateValue::Make(2026, 10, 1).addSecs(line * 1800LL)},
                   {QStringLiteral("ComputerNum"), 1},
                   {QStringLiteral("Description"), QString::number(line)}});
    }
    QVERIFY2(transaction.Commit(err), qPrintable(err));
    m_view->LoadSettings();
    QTRY_VERIFY(!m_view->IsLoading());
    m_view->Tabs()->setCurrentIndex(static_cast<int>(ReportKind::History));
    QTRY_VERIFY(!m_view->IsLoading());

    ReportFilter months;
    months.DateFrom = DateValue::Make(2026, 10, 1);
    months.DateTo = DateValue::Make(2026, 11, 29, 23, 59, 59);
    emit m_view->FilterBar()->FilterApplied(months);
    QVERIFY(m_view->IsLoading());
    QVERIFY(m_view->Progress()->isVisible());
    // The window answers between the steps; a new filter replaces the load.
    QTRY_VERIFY(m_view->Container(ReportKind::History)->RowCount() > 0);
    QVERIFY(m_view->IsLoading());
    Apply(ReportData::Days(3, 3, 10));
    QCOMPARE(m_view->Container(ReportKind::History)->RowCount(), LinesPerDay);
    QCOMPARE(FirstColumn(m_view->Container(ReportKind::History)).first(), QStringLiteral("03/10/2026 00:00:00"));
    QCOMPARE(Label(m_view->Container(ReportKind::History)->Footer(), "HistoryNum"), QString::number(LinesPerDay));
    QVERIFY(!m_view->Progress()->isVisible());
}

void TestStatisticFrame::exportWritesADocument()
{
    QStringList opened;
    m_view->SetDocumentOpener([&opened](const QString &Path) {
        opened << Path;
        return false;
    });
    m_view->LoadSettings();
    QTRY_VERIFY(!m_view->IsLoading());
    QPushButton *button =
        m_view->Container(ReportKind::Seances)->Footer()->findChild<QPushButton *>(QStringLiteral("ExportWordBtn"));
    // An empty list asks nothing and writes nothing.
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(MessageBox::TakeRecords().isEmpty());

    AddDay();
    Apply(ReportData::Days(5, 5));
    MessageBox::PrepareAnswer(QMessageBox::No);
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(QDir(m_documents.path()).isEmpty());
    MessageBox::PrepareAnswer(QMessageBox::Yes);
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    QTest::mouseClick(button, Qt::LeftButton);
    const QList<MessageBox::Record> boxes = MessageBox::TakeRecords();
    QCOMPARE(boxes.size(), 3);
    QCOMPARE(boxes.at(1).Text, QStringLiteral("Экспортировать отобранную опись сеансов в MS Word?"));
    const QString path = QDir(m_documents.path()).filePath(QStringLiteral("Сеансы 2026-12-05 14-03-27.odt"));
    QCOMPARE(opened, QStringList({path}));
    QVERIFY(QFileInfo(path).size() > 0);
    // Nothing could open it: the operator is told where it is.
    QCOMPARE(boxes.at(2).Text, QStringLiteral("Документ сохранён в файле '") + path + QStringLiteral("'."));
}

void TestStatisticFrame::screenshots()
{
    AddDay();
    m_view->LoadSettings();
    QTRY_VERIFY(!m_view->IsLoading());
    for (int tab = 0; tab < m_view->Tabs()->count(); ++tab) {
        Show(static_cast<ReportKind>(tab));
        QVERIFY(RenderControl(m_view.get(), QStringLiteral("statistics-") + m_view->Tabs()->tabData(tab).toString()));
    }
}

void TestStatisticFrame::windowTab()
{
    m_view.reset();
    AddDay();
    // The computers panel reads the computers through the number cache.
    GetComputerCode(0, true);
    MainForm window;
    window.AddViews();
    window.Control()->SetAnswerTimeout(1);
    QVERIFY(window.Load(TestNetwork::FreeServerPort(), QHostAddress(QStringLiteral("127.0.0.1"))));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const auto *tabs = window.findChild<QTabBar *>(QStringLiteral("MainTab"));
    QStringList captions;
    for (int i = 0; i < tabs->count(); ++i) {
        captions << tabs->tabText(i);
    }
    const qsizetype statistics = captions.indexOf(QStringLiteral("F5: Статистика"));
    QVERIFY(statistics > captions.indexOf(QStringLiteral("F3: Рабочие столы")));
    QVERIFY(statistics < captions.indexOf(QStringLiteral("F9: Настройки")));
    QCOMPARE(tabs->tabToolTip(int(statistics)), QStringLiteral("Статистика "));

    QTest::keyClick(&window, Qt::Key_F5);
    QCOMPARE(window.CurrentKey(), QStringLiteral("StatisticFrame"));
    auto *view = window.findChild<StatisticFrame *>();
    QTRY_VERIFY(!view->IsLoading());
    view->Tabs()->setCurrentIndex(static_cast<int>(ReportKind::NightReserves));
    QTRY_COMPARE(view->Container(ReportKind::NightReserves)->RowCount(), 1);
    MessageBox::PrepareAnswer(QMessageBox::Yes);
    view->DeleteListedNightReserves();
    auto *save = window.findChild<QPushButton *>(QStringLiteral("ApplyButton"));
    QVERIFY(save->isEnabled());
    QTest::keyClick(&window, Qt::Key_F10);
    QVERIFY(!save->isEnabled());
    QVERIFY(!view->Changed());
    window.ForceUnload();
}

QTEST_MAIN(TestStatisticFrame)
#include "tst_statisticframe.moc"
