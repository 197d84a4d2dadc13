#include "controls/inputhelpers.h"
#include "controls/sortedlistview.h"
#include "core/widgets/guihelpers.h"
#include "statistics/reportlistview.h"
#include "statistics/reportmodel.h"

#include <QAbstractItemModelTester>
#include <QCollator>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include <random>

namespace
{
ReportModel::Marks TestMarks()
{
    return {SortedListView::MarkImage(SortedListView::SortedAscending),
            SortedListView::MarkImage(SortedListView::SortedDescending),
            SortedListView::MarkImage(SortedListView::NotSorted)};
}

QStringList ColumnTexts(const ReportModel &Model, int Column)
{
    QStringList texts;
    for (int row = 0; row < Model.rowCount(); ++row) {
        texts << Model.Text(row, Column);
    }
    return texts;
}
} // namespace

// The report lists' model and view: compact rows shown as they were given, the sort by a column's
// text off the window's thread, and the behaviour of the input kit's sortable list.
class TestReportModel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void rowsAsGiven();
    void sumsAsGiven();
    void sortRule_data();
    void sortRule();
    void seededSortsKeepSelection();

private:
    std::unique_ptr<ReportModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

void TestReportModel::init()
{
    m_model = std::make_unique<ReportModel>(
        QList<ReportModel::Column>{{QStringLiteral("Дата"), false}, {QStringLiteral("Компьютер"), true}},
        TestMarks());
    m_tester = std::make_unique<QAbstractItemModelTester>(m_model.get(),
                                                          QAbstractItemModelTester::FailureReportingMode::QtTest);
}

void TestReportModel::cleanup()
{
    m_tester.reset();
    m_model.reset();
}

void TestReportModel::rowsAsGiven()
{
    // Dates, texts that look almost like dates, empty cells and repeated texts come back as given.
    const QList<QStringList> cells = {
        {QStringLiteral("05/12/2026 14:03:27"), QStringLiteral("3")},
        {QStringLiteral("5/12/2026 14:03:27"), QStringLiteral("3")},
        {QStringLiteral("31/01/0001 00:00:09"), QString()},
        {QStringLiteral("05-12-2026 14:03:27"), QStringLiteral("Игры")},
    };
    std::vector<ReportRow> rows;
    for (const QStringList &row : cells) {
        rows.push_back({rows.size() % 2 == 0 ? QStringLiteral("C%1").arg(rows.size() + 7) : QString(), row});
    }
    m_model->AddRows(rows);
    // A row kept and not yet shown takes its new cell too.
    m_model->UpdateCell(1, 1, QStringLiteral("150,00"));
    QCOMPARE(m_model->rowCount(), 0);
    m_model->ShowWaiting();
    QCOMPARE(m_model->rowCount(), 4);
    QCOMPARE(ColumnTexts(*m_model, 0), QStringList({cells[0][0], cells[1][0], cells[2][0], cells[3][0]}));
    QCOMPARE(ColumnTexts(*m_model, 1),
             QStringList({QStringLiteral("3"), QStringLiteral("150,00"), QString(), QStringLiteral("Игры")}));
    QCOMPARE(m_model->Code(0), 7);
    QCOMPARE(m_model->Code(1), 0);
    QCOMPARE(m_model->index(2, 0).data(ItemKeyRole).toString(), QStringLiteral("C9"));
    QCOMPARE(m_model->index(0, 1).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
    m_model->Clear();
    QCOMPARE(m_model->rowCount(), 0);
}

void TestReportModel::sumsAsGiven()
{
    // Sums are kept as numbers: those in the form sums are written in and the near misses come
    // back as given, and sort by their texts.
    const QString space(QChar(0x00A0));
    const QStringList sums = {QStringLiteral("0,00"),
                              QStringLiteral("-0,50"),
                              QStringLiteral("1") + space + QStringLiteral("234,56"),
                              QStringLiteral("999,99"),
                              QStringLiteral("-12") + space + QStringLiteral("345") + space + QStringLiteral("678,90"),
                              QStringLiteral("1234,00"),
                              QStringLiteral("01,00"),
                              QStringLiteral("-0,00"),
                              QStringLiteral("1 234,56"),
                              QStringLiteral("12") + space + QStringLiteral("34,00"),
                              QStringLiteral("1,5"),
                              QStringLiteral(",50"),
                              QStringLiteral("9007199254740993,00"),
                              QStringLiteral("90") + space + QStringLiteral("071") + space + QStringLiteral("992")
                                  + space + QStringLiteral("547") + space + QStringLiteral("409,93")};
    std::vector<ReportRow> rows;
    for (const QString &sum : sums) {
        rows.push_back({QString(), {QString(), sum}});
    }
    m_model->AddRows(rows);
    m_model->ShowWaiting();
    QCOMPARE(ColumnTexts(*m_model, 1), sums);
    QSignalSpy sorted(m_model.get(), &ReportModel::Sorted);
    m_model->Sort(1, false);
    QTRY_COMPARE(sorted.count(), 1);
    QStringList expected = sums;
    QCollator collator(InputHelpers::DisplayLocale());
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(expected.begin(), expected.end(), [&](const QString &a, const QString &b) {
        return collator.compare(a, b) < 0;
    });
    QCOMPARE(ColumnTexts(*m_model, 1), expected);
}

void TestReportModel::sortRule_data()
{
    QTest::addColumn<int>("clicks");
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("order");
    // The first click sorts descending; numbers sort as text; case does not count, ties keep order.
    QTest::newRow("first click, descending") << 1 << 1
                                             << QStringList{QStringLiteral("b"),
                                                            QStringLiteral("B"),
                                                            QStringLiteral("9"),
                                                            QStringLiteral("10"),
                                                            QStringLiteral("1")};
    QTest::newRow("second click, ascending") << 2 << 1
                                             << QStringList{QStringLiteral("1"),
                                                            QStringLiteral("10"),
                                                            QStringLiteral("9"),
                                                            QStringLiteral("b"),
                                                            QStringLiteral("B")};
    QTest::newRow("dates as text, descending") << 1 << 0
                                               << QStringList{QStringLiteral("9"),
                                                              QStringLiteral("b"),
                                                              QStringLiteral("B"),
                                                              QStringLiteral("1"),
                                                              QStringLiteral("10")};
}

void TestReportModel::sortRule()
{
    QFETCH(int, clicks);
    QFETCH(int, column);
    QFETCH(QStringList, order);
    // "02/01/2027" comes before "03/12/2026" as text although it is the later day; "" is mixed in.
    const QStringList dates = {QStringLiteral("03/12/2026 10:00:00"),
                               QStringLiteral("02/01/2027 09:00:00"),
                               QString(),
                               QStringLiteral("03/12/2026 10:00:00"),
                               QStringLiteral("31/12/2026 23:59:59")};
    const QStringList texts = {QStringLiteral("b"),
                               QStringLiteral("1"),
                               QStringLiteral("10"),
                               QStringLiteral("B"),
                               QStringLiteral("9")};
    std::vector<ReportRow> rows;
    for (int i = 0; i < dates.size(); ++i) {
        rows.push_back({QString(), {dates.at(i), texts.at(i)}});
    }
    m_model->AddRows(rows);
    m_model->ShowWaiting();
    ReportListView view(m_model.get());
    view.resize(400, 200);
    view.show();
    QSignalSpy sorted(m_model.get(), &ReportModel::Sorted);
    QHeaderView *header = view.header();
    for (int click = 1; click <= clicks; ++click) {
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        QTRY_COMPARE(sorted.count(), click);
    }
    QCOMPARE(ColumnTexts(*m_model, 1), order);
    QCOMPARE(view.SortDirection(), clicks % 2);
    const QIcon mark = clicks % 2 == 1 ? TestMarks().Descending : TestMarks().Ascending;
    QCOMPARE(m_model->headerData(column, Qt::Horizontal, Qt::DecorationRole).value<QIcon>().pixmap(10).toImage(),
             mark.pixmap(10).toImage());
    QCOMPARE(m_model->headerData(1 - column, Qt::Horizontal, Qt::DecorationRole).value<QIcon>().pixmap(10).toImage(),
             TestMarks().None.pixmap(10).toImage());
}

// Seeded random rows sorted one column after the other while rows keep coming: the order is the
// stable text order of what was sorted, later rows follow, and the selected rows stay selected.
void TestReportModel::seededSortsKeepSelection()
{
    std::mt19937 random(25);
    const auto addRows = [&](int Count) {
        std::vector<ReportRow> rows;
        for (int i = 0; i < Count; ++i) {
            const int day = 1 + int(random() % 28);
            rows.push_back({QStringLiteral("C%1").arg(m_model->rowCount() + i + 1),
                            {QStringLiteral("%1/03/2026 12:00:00").arg(day, 2, 10, QLatin1Char('0')),
                             QString::number(random() % 40)}});
        }
        m_model->AddRows(rows);
        m_model->ShowWaiting();
    };
    addRows(3000);
    ReportListView view(m_model.get());
    view.selectionModel()->select(m_model->index(10, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QSignalSpy sorted(m_model.get(), &ReportModel::Sorted);
    for (int round = 1; round <= 4; ++round) {
        const int column = round % 2;
        const QStringList before = ColumnTexts(*m_model, column);
        view.SortByColumn(column);
        addRows(100);
        QTRY_COMPARE(sorted.count(), round);
        QStringList expected = before;
        QCollator collator(QLocale(QLocale::Russian));
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        const bool descending = view.SortDirection() == 1;
        std::stable_sort(expected.begin(), expected.end(), [&](const QString &a, const QString &b) {
            const int order = collator.compare(a, b);
            return descending ? order > 0 : order < 0;
        });
        QCOMPARE(ColumnTexts(*m_model, column).mid(0, expected.size()), expected);
        QCOMPARE(m_model->rowCount(), 3000 + 100 * round);
        const QModelIndexList selected = view.selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(m_model->Code(selected.first().row()), 11);
    }
}

QTEST_MAIN(TestReportModel)
#include "tst_reportmodel.moc"
