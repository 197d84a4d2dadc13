#include "controls/sortedlistview.h"
#include "core/widgets/registryserilize.h"
#include "rendercheck.h"

#include <QHeaderView>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace
{
void AddRow(SortedListView &List, const QStringList &Texts)
{
    new QTreeWidgetItem(List.ListView(), Texts);
}

QStringList Column(const SortedListView &List, int Index)
{
    QStringList texts;
    for (const QTreeWidgetItem *row : List.ListItems()) {
        texts << row->text(Index);
    }
    return texts;
}

void ClickHeader(SortedListView &List, int Column)
{
    QHeaderView *header = List.ListView()->header();
    const QPoint at(header->sectionViewportPosition(Column) + header->sectionSize(Column) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

// Which mark each header shows, as 1 ascending, 2 descending, 3 none.
QList<int> Marks(const SortedListView &List)
{
    QList<int> marks;
    for (int i = 0; i < List.ListView()->columnCount(); ++i) {
        const qint64 key = List.ColumnHeaders()->icon(i).cacheKey();
        int mark = 0;
        for (auto image :
             {SortedListView::SortedAscending, SortedListView::SortedDescending, SortedListView::NotSorted}) {
            if (List.ColumnsImages(image).cacheKey() == key) {
                mark = image;
            }
        }
        marks << mark;
    }
    return marks;
}

void Fill(SortedListView &List)
{
    List.SetColumnHeaders({QStringLiteral("Компьютер"), QStringLiteral("Сумма"), QStringLiteral("Оператор")});
    AddRow(List, {QStringLiteral("1"), QStringLiteral("10"), QStringLiteral("борис")});
    AddRow(List, {QStringLiteral("2"), QStringLiteral("9"), QStringLiteral("Анна")});
    AddRow(List, {QStringLiteral("3"), QStringLiteral("100"), QStringLiteral("Вера")});
}
} // namespace

class TestSortedListView : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;

private slots:

    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_folder.path());
        QCoreApplication::setOrganizationName(QStringLiteral("QuillmarshTest"));
        QCoreApplication::setApplicationName(QStringLiteral("Lists"));
    }

    void clicksAlternateTheDirection()
    {
        SortedListView list;
        Fill(list);
        list.show();
        QCOMPARE(Marks(list), QList<int>({3, 3, 3}));

        ClickHeader(list, 1);
        QCOMPARE(list.SortDirection(), 1);
        QCOMPARE(Column(list, 1), QStringList({QStringLiteral("9"), QStringLiteral("100"), QStringLiteral("10")}));
        QCOMPARE(Marks(list), QList<int>({3, 2, 3}));

        ClickHeader(list, 1);
        QCOMPARE(Column(list, 1), QStringList({QStringLiteral("10"), QStringLiteral("100"), QStringLiteral("9")}));
        QCOMPARE(Marks(list), QList<int>({3, 1, 3}));

        ClickHeader(list, 1);
        QCOMPARE(Column(list, 1), QStringList({QStringLiteral("9"), QStringLiteral("100"), QStringLiteral("10")}));
        QCOMPARE(Marks(list), QList<int>({3, 2, 3}));
    }

    void nextColumnContinuesTheAlternation()
    {
        SortedListView list;
        Fill(list);
        list.show();
        ClickHeader(list, 1);
        ClickHeader(list, 2);
        QCOMPARE(list.SortDirection(), 0);
        QCOMPARE(Column(list, 2),
                 QStringList({QStringLiteral("Анна"), QStringLiteral("борис"), QStringLiteral("Вера")}));
        QCOMPARE(Marks(list), QList<int>({3, 3, 1}));
    }

    void rowsAddedLaterStayAtTheEnd()
    {
        SortedListView list;
        Fill(list);
        list.show();
        ClickHeader(list, 0);
        AddRow(list, {QStringLiteral("4"), QStringLiteral("1"), QStringLiteral("Глеб")});
        QCOMPARE(Column(list, 0),
                 QStringList({QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("4")}));
    }

    void selectionSurvivesSorting()
    {
        SortedListView list;
        Fill(list);
        list.SetMultiSelect(true);
        QVERIFY(list.MultiSelect());
        list.show();
        QTreeWidgetItem *anna = list.ListItems().at(1);
        list.SetSelectedItem(anna);
        ClickHeader(list, 2);
        QCOMPARE(list.SelectedItem(), anna);
        QCOMPARE(list.ListItems().indexOf(anna), 2);
    }

    void clearKeepsTheColumns()
    {
        SortedListView list;
        Fill(list);
        list.show();
        ClickHeader(list, 1);
        list.Clear();
        QCOMPARE(list.ListItems().size(), 0);
        QCOMPARE(list.ListView()->columnCount(), 3);
        QCOMPARE(list.ColumnHeaders()->text(2), QStringLiteral("Оператор"));
        QCOMPARE(Marks(list), QList<int>({3, 3, 3}));
        QCOMPARE(list.SortDirection(), 1);
    }

    void enabledFlagDoesNotStopSorting()
    {
        SortedListView list;
        QVERIFY(!list.Enabled());
        Fill(list);
        list.SetEnabled(true);
        list.SetEnabled(false);
        list.show();
        ClickHeader(list, 0);
        QCOMPARE(Column(list, 0), QStringList({QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("1")}));
    }

    void mouseAndKeyEvents()
    {
        SortedListView list;
        Fill(list);
        list.show();
        QSignalSpy clicked(&list, &SortedListView::Click);
        QList<float> where;
        qint16 button = 0;
        connect(&list, &SortedListView::MouseUp, this, [&](qint16 &Button, qint16 &, float &X, float &Y) {
            button = Button;
            where = {X, Y};
        });
        QTest::mouseClick(list.ListView()->viewport(), Qt::RightButton, {}, QPoint(10, 4));
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(button, qint16(2));
        QCOMPARE(where, QList<float>({150.0F, 60.0F}));

        qint16 key = 0;
        connect(&list, &SortedListView::KeyDown, this, [&key](qint16 &KeyCode, qint16 &) { key = KeyCode; });
        list.ListView()->setFocus();
        QTest::keyClick(list.ListView(), Qt::Key_Delete);
        QCOMPARE(key, qint16(46));
    }

    void layoutIsStoredUnderTheControlsName()
    {
        SortedListView list;
        list.setObjectName(QStringLiteral("SeancesListView"));
        Fill(list);
        list.ListView()->header()->resizeSection(1, 80);
        RegistrySerilize::SaveListViewLayout(list.ListView(), QString());
        QCOMPARE(QSettings().value(QStringLiteral("Controls/SeancesListView/ListView/ColumnHeaderWidth2")).toString(),
                 QStringLiteral("1200"));
    }

    void render()
    {
        SortedListView list;
        Fill(list);
        list.resize(300, 120);
        list.show();
        ClickHeader(list, 2);
        QVERIFY(RenderControl(&list, QStringLiteral("sortedlistview")));
    }
};

QTEST_MAIN(TestSortedListView)
#include "tst_sortedlistview.moc"
