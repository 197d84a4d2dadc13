#include "statistics/statisticframe.h"

#include "clock.h"
#include "core/dbvalues.h"
#include "core/errorbox.h"
#include "core/widgets/messagebox.h"
#include "core/widgets/twips.h"
#include "generalhelpers.h"
#include "statistics/exportfile.h"
#include "statistics/nightreservesdeletion.h"
#include "statistics/occupancychart.h"
#include "statistics/occupancyloader.h"
#include "statistics/odtwriter.h"
#include "statistics/reportcontainer.h"
#include "statistics/reportexport.h"
#include "statistics/reportindexes.h"
#include "statistics/reportloaders.h"
#include "statistics/statisticfilter.h"
#include "statistics/totalsbar.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QStyle>
#include <QTabBar>
#include <QUrl>
#include <QVBoxLayout>

namespace
{
constexpr qint32 RightColumnTwips = 1000;
constexpr qint32 CommentTwips = 3000;
constexpr qint32 InformationTwips = 5000;
// Around the report containers, as the tab strip's inside.
constexpr qint32 PageMarginTwips = 120;
constexpr int ProgressSteps = 1000;
// How often a load shows its progress and the rows it read.
constexpr qint64 ShowEveryMs = 50;
constexpr int ProgressWidthPixels = 160;
const QString AttentionTitle = QStringLiteral("Внимание!");

// A report list of the page and what it is made of.
struct ContainerPage
{
    ReportKind Kind;
    QString Caption;
    QString ToolTip;
    QString Image;
    QString FrameName;
    QString ListName;
    QString FooterName;
    QList<ReportContainer::Column> Columns;
};

QList<ContainerPage> ContainerPages()
{
    using Column = ReportContainer::Column;
    const Column computer{QStringLiteral("Компьютер"), RightColumnTwips, true};
    const Column sum{QStringLiteral("Сумма"), RightColumnTwips, true};
    const Column dateTime{QStringLiteral("Дата/время")};
    return {
        {ReportKind::Seances,
         QStringLiteral("Сеансы"),
         QStringLiteral("Опись сеансов за период"),
         QStringLiteral("Seances"),
         QStringLiteral("SeancesFrame"),
         QStringLiteral("SeancesListView"),
         QStringLiteral("StatisticBottom"),
         {Column{QStringLiteral("Время начала")},
          Column{QStringLiteral("Время окончания")},
          Column{QStringLiteral("Длительность"), RightColumnTwips, true},
          computer,
          Column{QStringLiteral("Рабочий стол")},
          Column{QStringLiteral("Тариф")},
          sum,
          Column{QStringLiteral("Входящий трафик (Мб)"), RightColumnTwips, true},
          Column{QStringLiteral("Исходящий трафик (Мб)"), RightColumnTwips, true}}},
        {ReportKind::NightReserves,
         QStringLiteral("Резервы ночей"),
         QStringLiteral("Опись резервирований ночей"),
         QStringLiteral("NightReserves"),
         QStringLiteral("NightReservesFrame"),
         QStringLiteral("NightReservesList"),
         QStringLiteral("NightReservesBottom"),
         {Column{QStringLiteral("Дата/время резерва")},
          Column{QStringLiteral("Дата ночи")},
          computer,
          Column{QStringLiteral("Псевдоним")},
          Column{QStringLiteral("Рабочий стол")},
          Column{QStringLiteral("Тариф")},
          Column{QStringLiteral("Оплата/Резерв")},
          sum}},
        {ReportKind::CardPays,
         QStringLiteral("Пополнения карточек"),
         QStringLiteral("Опись пополнений баланса карточек за период"),
         QStringLiteral("Cards"),
         QStringLiteral("CardPaysFrame"),
         QStringLiteral("CardPaysList"),
         QStringLiteral("CardPaysBottom"),
         {dateTime,
          Column{QStringLiteral("Штрихкод")},
          Column{QStringLiteral("Псевдоним владельца")},
          Column{QStringLiteral("Фамилия владельца")},
          sum}},
        {ReportKind::Services,
         QStringLiteral("Оказанные услуги"),
         QStringLiteral("Опись оказанных дополнительных услуг"),
         QStringLiteral("Services"),
         QStringLiteral("ServicesFrame"),
         QStringLiteral("ServicesListView"),
         QStringLiteral("ServicesBottom"),
         {dateTime,
          Column{QStringLiteral("Наименование")},
          Column{QStringLiteral("К-во единиц"), RightColumnTwips, true},
          sum,
          Column{QStringLiteral("Комментарий"), CommentTwips, false}}},
        {ReportKind::Internet,
         QStringLiteral("Интернет"),
         QStringLiteral("Детализация доступа в интернет"),
         QStringLiteral("Internet"),
         QStringLiteral("InternetFrame"),
         QStringLiteral("InternetListView"),
         QStringLiteral("InternetBottom"),
         {dateTime, computer, Column{QStringLiteral("Ссылка")}}},
        {ReportKind::History,
         QStringLiteral("История"),
         QStringLiteral("История сеансов"),
         QStringLiteral("History"),
         QStringLiteral("HistoryFrame"),
         QStringLiteral("HistoryListView"),
         QStringLiteral("HistoryBottom"),
         {dateTime, computer, Column{QStringLiteral("Информация"), InformationTwips, false}}},
    };
}

QIcon TabImage(const QString &Key)
{
    static const QHash<QString, QStyle::StandardPixmap> images = {
        {QStringLiteral("Seances"), QStyle::SP_FileDialogDetailedView},
        {QStringLiteral("Chart"), QStyle::SP_FileDialogInfoView},
        {QStringLiteral("NightReserves"), QStyle::SP_DialogNoButton},
        {QStringLiteral("Cards"), QStyle::SP_DriveFDIcon},
        {QStringLiteral("Services"), QStyle::SP_DialogApplyButton},
        {QStringLiteral("Internet"), QStyle::SP_DriveNetIcon},
        {QStringLiteral("History"), QStyle::SP_FileDialogContentsView},
    };
    return QApplication::style()->standardIcon(images.value(Key, QStyle::SP_FileIcon));
}
} // namespace

// The hourglass over the program while a report loads or an export is written.
struct StatisticFrame::BusyCursor
{
    BusyCursor()
    {
        QApplication::setOverrideCursor(Qt::BusyCursor);
    }

    ~BusyCursor()
    {
        QApplication::restoreOverrideCursor();
    }

    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

StatisticFrame::StatisticFrame(QWidget *Parent)
    : QWidget(Parent)
    , m_filterBar(new StatisticFilter(this))
    , m_tabs(new QTabBar(this))
    , m_progress(new QProgressBar(this))
    , m_pages(new QStackedWidget(this))
    , m_chart(new OccupancyChart(m_pages))
    , m_exportFolder(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
    , m_openDocument([](const QString &Path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(Path)); })
{
    m_filterBar->setObjectName(QStringLiteral("StatisticFilter"));
    m_tabs->setObjectName(QStringLiteral("StatisticTab"));
    m_progress->setObjectName(QStringLiteral("LoadProgress"));
    m_progress->setRange(0, ProgressSteps);
    m_progress->setFixedWidth(ProgressWidthPixels);
    m_progress->setTextVisible(false);
    m_progress->hide();
    m_chart->setObjectName(QStringLiteral("Chart"));
    // The date fields are read period by period.
    EnsureReportIndexes();

    const QList<ContainerPage> pages = ContainerPages();
    for (const ContainerPage &page : pages) {
        auto *container = new ReportContainer(page.Kind, page.ListName, page.Columns, m_pages);
        container->setObjectName(page.FrameName);
        container->Footer()->setObjectName(page.FooterName);
        m_containers.insert(page.Kind, container);
        const ReportKind kind = page.Kind;
        connect(container->Footer(), &TotalsBar::ExportClick, this, [this, kind] { ExportReport(kind); });
        if (kind == ReportKind::Seances) {
            AddTab(kind, page.Caption, page.ToolTip, page.Image, container);
            AddTab(ReportKind::Chart,
                   QStringLiteral("График"),
                   QStringLiteral("График занятости компьютеров за период"),
                   QStringLiteral("Chart"),
                   m_chart);
        } else {
            AddTab(kind, page.Caption, page.ToolTip, page.Image, container);
        }
    }
    connect(Container(ReportKind::NightReserves)->Footer(),
            &TotalsBar::DeleteClick,
            this,
            &StatisticFrame::DeleteListedNightReserves);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_filterBar);
    auto *tabRow = new QHBoxLayout;
    tabRow->addWidget(m_tabs);
    tabRow->addStretch(1);
    tabRow->addWidget(m_progress);
    layout->addLayout(tabRow);
    auto *pageFrame = new QVBoxLayout;
    const int margin = Twips::ToPixels(PageMarginTwips);
    pageFrame->setContentsMargins(margin, margin, margin, margin);
    pageFrame->addWidget(m_pages);
    layout->addLayout(pageFrame, 1);

    m_stepTimer.setSingleShot(true);
    m_stepTimer.setInterval(0);
    connect(&m_stepTimer, &QTimer::timeout, this, &StatisticFrame::LoadStep);
    connect(m_tabs, &QTabBar::currentChanged, this, &StatisticFrame::SwitchTab);
    connect(m_filterBar, &StatisticFilter::FilterApplied, this, &StatisticFrame::FilterApplied);
}

StatisticFrame::~StatisticFrame()
{
    StopLoad();
}

void StatisticFrame::AddTab(ReportKind Kind,
                            const QString &Caption,
                            const QString &ToolTip,
                            const QString &Image,
                            QWidget *Page)
{
    const QSignalBlocker blocker(m_tabs);
    const int index = m_tabs->addTab(TabImage(Image), Caption);
    m_tabs->setTabToolTip(index, ToolTip);
    m_tabs->setTabData(index, ReportKey(Kind));
    m_pages->addWidget(Page);
}

bool StatisticFrame::Changed()
{
    return m_changed;
}

void StatisticFrame::LoadSettings()
{
    m_filterBar->Init(m_initialized);
    if (!m_initialized) {
        const QDateTime now = Clock::Now();
        m_filter.DateFrom = GetDayBound(now, false);
        m_filter.DateTo = GetDayBound(now, true);
        m_initialized = true;
    }
    SwitchTab();
}

bool StatisticFrame::ValidateAndSave()
{
    if (m_changed) {
        m_changed = false;
        emit SeancesChanged();
    }
    return true;
}

void StatisticFrame::StoreLayout()
{
    for (const ReportContainer *container : std::as_const(m_containers)) {
        container->StoreLayout();
    }
}

QWidget *StatisticFrame::Widget()
{
    return this;
}

QString StatisticFrame::GetFilterCaption(bool WithComputer, bool WithPayType, bool WithDesktop) const
{
    return ::GetFilterCaption(m_filter, WithComputer, WithPayType, WithDesktop);
}

ReportKind StatisticFrame::CurrentKind() const
{
    return static_cast<ReportKind>(qMax(m_tabs->currentIndex(), 0));
}

ReportContainer *StatisticFrame::Container(ReportKind Kind) const
{
    return m_containers.value(Kind);
}

bool StatisticFrame::IsLoading() const
{
    return m_load != nullptr;
}

void StatisticFrame::SetExportFolder(const QString &Folder)
{
    m_exportFolder = Folder;
}

void StatisticFrame::SetDocumentOpener(std::function<bool(const QString &Path)> Opener)
{
    m_openDocument = std::move(Opener);
}

void StatisticFrame::SwitchTab()
{
    const ReportKind kind = CurrentKind();
    m_pages->setCurrentIndex(m_tabs->currentIndex());
    m_filterBar->SetModeEnable(m_tabs->tabData(m_tabs->currentIndex()).toString());
    StartLoad(kind);
}

void StatisticFrame::FilterApplied(ReportFilter Applied)
{
    m_filter = Applied;
    SwitchTab();
}

void StatisticFrame::StopLoad()
{
    m_stepTimer.stop();
    m_load.reset();
    m_present = nullptr;
    m_busy.reset();
    m_progress->hide();
    for (ReportContainer *container : std::as_const(m_containers)) {
        container->Footer()->SetActionsEnabled(true);
    }
}

void StatisticFrame::StartLoad(ReportKind Kind)
{
    StopLoad();
    if (!m_filter.IsSet()) {
        return;
    }
    if (Kind == ReportKind::Chart) {
        auto load = std::make_unique<OccupancyLoader>(m_filter);
        m_present = [this, chart = load.get()](bool Ok, bool Done) {
            if (Ok && Done) {
                m_chart->SetData(chart->Result().Counts(), chart->Result().Labels());
            }
        };
        m_load = std::move(load);
    } else {
        ReportContainer *container = Container(Kind);
        // The footer goes with the rows: a load that fails shows the totals of what it listed.
        container->Clear();
        container->Footer()->SetActionsEnabled(false);
        auto load = MakeReportLoader(Kind, m_filter);
        m_present = [container, list = load.get()](bool Ok, bool Done) {
            container->AddBatch(list->TakeBatch(), list->Totals(), !Ok || Done);
        };
        m_load = std::move(load);
    }
    m_busy = std::make_unique<BusyCursor>();
    m_progress->setValue(0);
    m_progress->show();
    m_sinceShown.invalidate();
    m_stepTimer.start();
}

void StatisticFrame::LoadStep()
{
    if (!m_load) {
        return;
    }
    QString err;
    const bool ok = m_load->Step(err);
    const bool done = m_load->Done();
    // Showing repaints the list, its totals and the progress, which costs more than a small
    // report's step: the first step shows at once, the others at most every ShowEveryMs.
    if (!ok || done || !m_sinceShown.isValid() || m_sinceShown.elapsed() >= ShowEveryMs) {
        m_present(ok, done);
        m_progress->setValue(static_cast<int>(m_load->Progress() * ProgressSteps));
        m_sinceShown.start();
    }
    if (!ok || done) {
        EndLoad(err);
        return;
    }
    m_stepTimer.start();
}

void StatisticFrame::EndLoad(const QString &ErrString)
{
    StopLoad();
    if (!ErrString.isEmpty()) {
        ShowError(ErrString);
    }
}

void StatisticFrame::DeleteListedNightReserves()
{
    const QList<qint32> codes = Container(ReportKind::NightReserves)->ListedCodes();
    if (codes.isEmpty()) {
        return;
    }
    if (MessageBox::Question(this,
                             AttentionTitle,
                             QStringLiteral("Удалить все резервы ночей, добавленные ")
                                 + GetFilterCaption(true, true, true) + QLatin1Char('?'),
                             QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::No)
        != QMessageBox::Yes) {
        return;
    }
    QString err;
    if (DeleteNightReserves(codes, err)) {
        m_changed = true;
        emit Modified();
    } else if (!err.isEmpty()) {
        ShowError(err);
    }
    StartLoad(ReportKind::NightReserves);
}

void StatisticFrame::ExportReport(ReportKind Kind)
{
    ReportContainer *container = Container(Kind);
    if (!container || container->RowCount() == 0) {
        return;
    }
    if (MessageBox::Question(this, AttentionTitle, ExportQuestion(Kind)) != QMessageBox::Yes) {
        return;
    }
    QString path;
    QString err;
    {
        const BusyCursor busy;
        OdtWriter writer;
        ::ExportReport(writer, {Kind, m_filter, container->RowsInOrder(), container->Footer()->Totals()});
        if (!SaveExport(writer, m_exportFolder, ExportTitle(Kind), Clock::Now(), path, err)) {
            ShowError(ExportErrorText(Kind) + err);
            return;
        }
    }
    if (!m_openDocument(path)) {
        MessageBox::Information(this,
                                AttentionTitle,
                                QStringLiteral("Документ сохранён в файле '") + QDir::toNativeSeparators(path)
                                    + QStringLiteral("'."));
    }
}
