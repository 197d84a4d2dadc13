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
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

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
    void firstLoadShowsToday();
    void deleteListedNightReserves_data();
    void deleteListedNightReserves();
    void failedLoadClearsTheList_data();
    void failedLoadClearsTheList();
    void newLoadReplacesTheRunningOne();
    void exportWritesADocument();
    void screenshots();
    void windowTab();

private:
    void Show(ReportKind Kind);
    void Apply(const ReportFilter &Filter);
    // The first load, of today.
    void Load();
    QPushButton *Button(ReportKind Kind, const char *Name) const;
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

// A seance of 180 roubles, one of 105, a night reserve of computer 3 paid today by card, a card
// top-up, a service, an access and a history line, all on 05/12/2026.
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
    m_data->Pay(0, ReportData::At(5, 9), 400, card, m_reserve);
    m_data->TopUp(card, ReportData::At(5, 9, 30), 1000);
    m_data->Sell(m_data->AddServiceType(QStringLiteral("Чай"), Currency(25)),
                 2,
                 ReportData::At(5, 11),
                 QStringLiteral("с лимоном"));
    m_data->Access(m_data->Computer(1), ReportData::At(5, 10, 5), QStringLiteral("http://example.org/news"));
    m_data->AddHistory(ReportData::At(5, 10), 1, QStringLiteral("Начат сеанс на 30 минут, сумма 180 руб."));
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

void TestStatisticFrame::Load()
{
    m_view->LoadSettings();
    QTRY_VERIFY(!m_view->IsLoading());
}

QPushButton *TestStatisticFrame::Button(ReportKind Kind, const char *Name) const
{
    return m_view->Container(Kind)->Footer()->findChild<QPushButton *>(QString::fromLatin1(Name));
}

void TestStatisticFrame::firstLoadShowsToday()
{
    AddDay();
    // Nothing is read before the view is first shown.
    Show(ReportKind::Seances);
    QCOMPARE(m_view->Container(ReportKind::Seances)->RowCount(), 0);
    QVERIFY(!m_view->Filter().IsSet());
    m_view->LoadSettings();
    QVERIFY(m_view->IsLoading());
    QTRY_VERIFY(!m_view->IsLoading());
    QCOMPARE(m_view->Filter(), ReportData::Days(5, 5));
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
    Load();
    QCOMPARE(m_view->Filter(), days);
    QCOMPARE(Label(seances->Footer(), "Sum"), QStringLiteral("255,00"));
}

void TestStatisticFrame::deleteListedNightReserves_data()
{
    QTest::addColumn<bool>("yes");
    // The question's own default answers: a real box and the Return key.
    QTest::addColumn<bool>("byReturn");
    QTest::newRow("yes") << true << false;
    QTest::newRow("no") << false << false;
    QTest::newRow("Return is no") << false << true;
}

void TestStatisticFrame::deleteListedNightReserves()
{
    QFETCH(bool, yes);
    QFETCH(bool, byReturn);
    QSignalSpy modified(m_view.get(), &StatisticFrame::Modified);
    QSignalSpy seancesChanged(m_view.get(), &StatisticFrame::SeancesChanged);
    Load();
    Show(ReportKind::NightReserves);
    QPushButton *button = Button(ReportKind::NightReserves, "DeleteBtn");
    // An empty list asks nothing.
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(MessageBox::TakeRecords().isEmpty());

    AddDay();
    // The question names the filter that lists the reserve.
    ReportFilter filter = ReportData::Days(5, 5);
    filter.Computer = 3;
    filter.PayType = ReportFilter::CardPays;
    filter.Desktop = m_data->Desktop();
    Apply(filter);
    QCOMPARE(m_view->Container(ReportKind::NightReserves)->RowCount(), 1);
    QMessageBox::StandardButton chosen = QMessageBox::No;
    if (byReturn) {
        QTimer::singleShot(0, this, [&chosen] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            chosen = box->standardButton(box->defaultButton());
            QTest::keyClick(box, Qt::Key_Return);
        });
    } else {
        MessageBox::PrepareAnswer(yes ? QMessageBox::Yes : QMessageBox::No);
    }
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(chosen, QMessageBox::No);
    const QList<MessageBox::Record> boxes = MessageBox::TakeRecords();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().Icon, QMessageBox::Question);
    QCOMPARE(boxes.first().Text,
             QStringLiteral("Удалить все резервы ночей, добавленные 05/12/2026 по компьютеру №3, оплаченные по "
                            "карточкам, по рабочему столу 'Игры'?"));
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

void TestStatisticFrame::failedLoadClearsTheList_data()
{
    QTest::addColumn<ReportKind>("kind");
    QTest::addColumn<QString>("droppedTable");
    QTest::addColumn<qint32>("computer");
    QTest::addColumn<QString>("countLabel");
    QTest::addColumn<QString>("text");
    QTest::newRow("seances, table gone") << ReportKind::Seances << QStringLiteral("SeancePays") << 0
                                         << QStringLiteral("SeancesNum") << QString();
    QTest::newRow("internet, computer missing") << ReportKind::Internet << QString() << 7 << QStringLiteral("URLsNum")
                                                << QStringLiteral("Компьютер №7 не найден!");
}

void TestStatisticFrame::failedLoadClearsTheList()
{
    QFETCH(ReportKind, kind);
    QFETCH(QString, droppedTable);
    QFETCH(qint32, computer);
    QFETCH(QString, countLabel);
    QFETCH(QString, text);
    AddDay();
    Load();
    Show(kind);
    const TotalsBar *footer = m_view->Container(kind)->Footer();
    QVERIFY(m_view->Container(kind)->RowCount() > 0);
    QVERIFY(footer->Totals().Count > 0);
    if (!droppedTable.isEmpty()) {
        QVERIFY(m_db->Execute(QStringLiteral("DROP TABLE ") + droppedTable));
    }
    ReportFilter filter = ReportData::Days(5, 5);
    filter.Computer = computer;
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    Apply(filter);
    const QList<MessageBox::Record> boxes = MessageBox::TakeRecords();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().Icon, QMessageBox::Critical);
    if (!text.isEmpty()) {
        QCOMPARE(boxes.first().Text, text);
    }
    QCOMPARE(m_view->Container(kind)->RowCount(), 0);
    QCOMPARE(footer->findChild<QLabel *>(countLabel)->text(), QStringLiteral("0"));
    QCOMPARE(footer->Totals(), ReportTotals());
    if (kind == ReportKind::Seances) {
        QCOMPARE(Label(footer, "Sum"), QStringLiteral("0,00"));
    }
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
        m_data->AddHistory(DateValue::Make(2026, 10, 1).addSecs(line * 1800LL), 1, QString::number(line));
    }
    QVERIFY2(transaction.Commit(err), qPrintable(err));
    Load();
    Show(ReportKind::History);

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
    Load();
    QPushButton *button = Button(ReportKind::Seances, "ExportWordBtn");
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

    // The kopecks of the services reach their footer, whose totals the export writes.
    m_data->Sell(m_data->AddServiceType(QStringLiteral("Вода"), Currency::FromUnits(5000)), 4691, Now, QString());
    Show(ReportKind::Services);
    const TotalsBar *services = m_view->Container(ReportKind::Services)->Footer();
    QCOMPARE(Label(services, "Sum"), QStringLiteral("2\u00A0395,50"));
    QCOMPARE(services->Totals().Sum, Currency::FromUnits(23955000));
}

void TestStatisticFrame::screenshots()
{
    AddDay();
    Load();
    for (int tab = 0; tab < m_view->Tabs()->count(); ++tab) {
        Show(static_cast<ReportKind>(tab));
        QVERIFY(RenderControl(m_view.get(), QStringLiteral("statistics-") + m_view->Tabs()->tabData(tab).toString()));
    }
    // The chart takes the place of the lists: 10:00 to 10:30 on computer 1 and 10:15 to 12:00 on 2.
    Show(ReportKind::Chart);
    QVERIFY(m_view->Chart()->isVisible());
    QVERIFY(!m_view->Container(ReportKind::Seances)->isVisible());
    QCOMPARE(m_view->Chart()->Counts().mid(32, 5), QList<qint32>({0, 1, 2, 2, 1}));
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
