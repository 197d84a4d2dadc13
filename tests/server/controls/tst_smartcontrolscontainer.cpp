#include "controls/smartcontrolscontainer.h"
#include "core/widgets/messagebox.h"
#include "core/widgets/registryserilize.h"
#include "rendercheck.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace
{
QWidget *AddPane(SmartControlsContainer &Container, const QString &Tag)
{
    auto *pane = new QFrame(&Container);
    pane->setProperty("Tag", Tag);
    return pane;
}

// 15 twips a pixel: a container Twips wide.
void SizeInTwips(QWidget &Widget, int Width, int Height)
{
    Widget.resize(Width / 15, Height / 15);
}
} // namespace

class TestSmartControlsContainer : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;

private slots:

    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_folder.path());
        QCoreApplication::setOrganizationName(QStringLiteral("QuillmarshTest"));
        QCoreApplication::setApplicationName(QStringLiteral("Splitter"));
    }

    void init()
    {
        QSettings().clear();
        MessageBox::TakeRecords();
    }

    void positionsWithinTheMinimums_data()
    {
        QTest::addColumn<int>("asked");
        QTest::addColumn<int>("position");
        QTest::newRow("below the first minimum") << 100 << 1500;
        QTest::newRow("first minimum") << 1500 << 1500;
        QTest::newRow("between") << 2010 << 2010;
        QTest::newRow("last allowed") << 2940 << 2940;
        QTest::newRow("beyond the second minimum") << 4000 << 2940;
    }

    void positionsWithinTheMinimums()
    {
        QFETCH(int, asked);
        QFETCH(int, position);
        SmartControlsContainer container;
        // 334 pixels: the bar may stand from 1500 to 5010 - 2000 - 60 twips, on whole pixels.
        SizeInTwips(container, 5010, 3000);
        QWidget *left = AddPane(container, QStringLiteral("Position=Left;MinSize=1500;"));
        QWidget *right = AddPane(container, QStringLiteral("Position=Right;MinSize=2000;;"));
        container.Init();
        QCOMPARE(container.Orientation(), SmartControlsContainer::SideBySide);
        QCOMPARE(container.GetMinWidth(), 3560);
        QCOMPARE(container.GetMinHeight(), 0);
        container.SetSeparatorPosition(asked);
        QCOMPARE(container.SeparatorPosition(), position);
        QCOMPARE(left->geometry(), QRect(0, 0, position / 15, 200));
        QCOMPARE(right->geometry(), QRect(position / 15 + 4, 0, 334 - position / 15 - 4, 200));
    }

    void firstChildMayStandRight()
    {
        SmartControlsContainer container;
        SizeInTwips(container, 6000, 3000);
        QWidget *right = AddPane(container, QStringLiteral("Position=Right;MinSize=2000;"));
        QWidget *left = AddPane(container, QStringLiteral("Position=Left;MinSize=1455;"));
        container.Init();
        QCOMPARE(container.GetMinWidth(), 1455 + 60 + 2000);
        container.SetSeparatorPosition(1200);
        QCOMPARE(container.SeparatorPosition(), 1455);
        QCOMPARE(left->x(), 0);
        QVERIFY(right->x() > left->width());
    }

    void setSplitPosFollowsTheArrangement()
    {
        SmartControlsContainer container;
        SizeInTwips(container, 3000, 6000);
        QWidget *upper = AddPane(container, QStringLiteral("Position=Top;MinSize=900;"));
        QWidget *lower = AddPane(container, QStringLiteral("Position=Bottom;MinSize=900;"));
        container.Init();
        QCOMPARE(container.SeparatorPosition(), 3000);
        container.SetSplitPos(1500);
        QCOMPARE(container.SeparatorPosition(), 1500);
        QCOMPARE(upper->geometry(), QRect(0, 0, 200, 100));
        QCOMPARE(lower->geometry(), QRect(0, 104, 200, 296));
        container.SetSplitPos(6000);
        QCOMPARE(container.SeparatorPosition(), 6000 - 900 - 60);
    }

    void tooNarrowContainerWidens()
    {
        SmartControlsContainer container;
        SizeInTwips(container, 5000, 3000);
        AddPane(container, QStringLiteral("Position=Left;MinSize=3000;"));
        AddPane(container, QStringLiteral("Position=Right;MinSize=3000;"));
        container.Init();
        QCOMPARE(container.width(), 6060 / 15);
        container.resize(100, 100);
        QCOMPARE(container.width(), 6060 / 15);
    }

    void missingMinSizeIsThirtyTwips()
    {
        SmartControlsContainer container;
        SizeInTwips(container, 3000, 3000);
        AddPane(container, QStringLiteral("Position=Top;"));
        AddPane(container, QStringLiteral("Position=Bottom;MinSize=abc;"));
        container.Init();
        QCOMPARE(container.Orientation(), SmartControlsContainer::OneAboveTheOther);
        QCOMPARE(container.GetMinHeight(), 30 + 60 + 30);
        QCOMPARE(container.GetMinWidth(), 0);
    }

    void wrongChildren_data()
    {
        QTest::addColumn<QStringList>("tags");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::newRow("two lefts") << QStringList({QStringLiteral("Position=Left;"), QStringLiteral("Position=Left;")})
                                   << QStringLiteral("Ошибка")
                                   << QStringLiteral("Некорректно (не логично) указанны позиции контролов!");
        QTest::newRow("left and top") << QStringList(
            {QStringLiteral("Position=Left;"), QStringLiteral("Position=Top;")})
                                      << QStringLiteral("Ошибка")
                                      << QStringLiteral("Некорректно (не логично) указанны позиции контролов!");
        QTest::newRow("no position") << QStringList({QStringLiteral("Position=Left;"), QStringLiteral("MinSize=10;")})
                                     << QStringLiteral("Ошибка")
                                     << QStringLiteral("У одного из контролов не указанна позиция!");
        QTest::newRow("lower case") << QStringList(
            {QStringLiteral("Position=left;"), QStringLiteral("Position=Right;")})
                                    << QStringLiteral("Ошибка")
                                    << QStringLiteral("У одного из контролов не указанна позиция!");
        QTest::newRow("three children") << QStringList(
            {QStringLiteral("Position=Left;"), QStringLiteral("Position=Right;"), QString()})
                                        << QStringLiteral("Ошибка!")
                                        << QStringLiteral("Количество контролов не равно ДВУМ!");
        QTest::newRow("one child") << QStringList({QStringLiteral("Position=Left;")}) << QStringLiteral("Ошибка!")
                                   << QStringLiteral("Количество контролов не равно ДВУМ!");
    }

    void wrongChildren()
    {
        QFETCH(QStringList, tags);
        QFETCH(QString, title);
        QFETCH(QString, text);
        SmartControlsContainer container;
        SizeInTwips(container, 3000, 3000);
        QList<QRect> before;
        for (const QString &tag : tags) {
            before << AddPane(container, tag)->geometry();
        }
        MessageBox::PrepareAnswer(QMessageBox::Ok);
        container.Init();
        const QList<MessageBox::Record> boxes = MessageBox::TakeRecords();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().Icon, QMessageBox::Critical);
        QCOMPARE(boxes.first().Title, title);
        QCOMPARE(boxes.first().Text, text);
        QCOMPARE(container.Orientation(), SmartControlsContainer::NotArranged);
        QCOMPARE(container.SeparatorPosition(), 0);
        QCOMPARE(container.GetMinWidth(), 0);
        container.SetSeparatorPosition(900);
        QCOMPARE(container.SeparatorPosition(), 0);
        container.resize(300, 300);
        QList<QRect> after;
        for (QWidget *pane : container.findChildren<QFrame *>(QString(), Qt::FindDirectChildrenOnly)) {
            if (pane->objectName() != QLatin1String("Separator")) {
                after << pane->geometry();
            }
        }
        QCOMPARE(after, before);
    }

    void positionIsRemembered()
    {
        SmartControlsContainer first;
        first.SetRegKeyName(QStringLiteral("SettingsSeparator"));
        SizeInTwips(first, 6000, 3000);
        AddPane(first, QStringLiteral("Position=Left;MinSize=1500;"));
        AddPane(first, QStringLiteral("Position=Right;MinSize=2000;"));
        first.Init();
        QCOMPARE(first.SeparatorPosition(), 3000);
        first.SetSeparatorPosition(1800);
        first.StoreWidth();
        QCOMPARE(RegistrySerilize::GetContainerValue(QStringLiteral("SettingsSeparator")), QStringLiteral("1800"));

        SmartControlsContainer second;
        second.SetRegKeyName(QStringLiteral("SettingsSeparator"));
        SizeInTwips(second, 6000, 3000);
        AddPane(second, QStringLiteral("Position=Left;MinSize=1500;"));
        AddPane(second, QStringLiteral("Position=Right;MinSize=2000;"));
        second.Init();
        QCOMPARE(second.SeparatorPosition(), 1800);
    }

    void storeWidthWithoutANameStoresNothing()
    {
        SmartControlsContainer container;
        SizeInTwips(container, 6000, 3000);
        AddPane(container, QStringLiteral("Position=Left;"));
        AddPane(container, QStringLiteral("Position=Right;"));
        container.Init();
        container.StoreWidth();
        QVERIFY(QSettings().allKeys().isEmpty());
    }

    void internalResizeOnEveryLayout()
    {
        SmartControlsContainer container;
        QSignalSpy resized(&container, &SmartControlsContainer::InternalResize);
        container.resize(200, 100);
        container.show();
        QVERIFY(resized.count() >= 1);
        const int before = resized.count();
        AddPane(container, QStringLiteral("Position=Top;MinSize=300;"));
        AddPane(container, QStringLiteral("Position=Bottom;MinSize=300;"));
        container.Init();
        QVERIFY(resized.count() > before);
    }

    void draggingTheBar()
    {
        SmartControlsContainer container;
        SizeInTwips(container, 6000, 3000);
        QWidget *left = AddPane(container, QStringLiteral("Position=Left;MinSize=1500;"));
        AddPane(container, QStringLiteral("Position=Right;MinSize=2000;"));
        container.SetSeparatorColor(QColor(Qt::blue));
        container.Init();
        container.show();
        QVERIFY(QTest::qWaitForWindowExposed(&container));
        auto *bar = container.findChild<QFrame *>(QStringLiteral("Separator"));
        QCOMPARE(bar->palette().color(QPalette::Window), QColor(Qt::blue));

        QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(1, 50));
        QVERIFY(bar->palette().color(QPalette::Window) != QColor(Qt::blue));
        QMouseEvent move(QEvent::MouseMove,
                         QPointF(-40, 50),
                         bar->mapToGlobal(QPointF(-40, 50)),
                         Qt::NoButton,
                         Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(bar, &move);
        QCOMPARE(container.SeparatorPosition(), 3000 - 600);
        QCOMPARE(left->width(), 160);
        QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(1, 50));
        QCOMPARE(bar->palette().color(QPalette::Window), QColor(Qt::blue));
        QCOMPARE(container.SeparatorPosition(), 2400);
    }

    void render()
    {
        SmartControlsContainer container;
        container.resize(360, 160);
        auto *tree = new QTreeWidget(&container);
        tree->setProperty("Tag", QStringLiteral("Position=Left;MinSize=1500;"));
        tree->setHeaderLabel(QStringLiteral("Настройки"));
        new QTreeWidgetItem(tree, {QStringLiteral("Сервер")});
        new QTreeWidgetItem(tree, {QStringLiteral("Компьютеры")});
        auto *page = new QLabel(QStringLiteral("Страница настроек"), &container);
        page->setProperty("Tag", QStringLiteral("Position=Right;MinSize=2000;;"));
        page->setAlignment(Qt::AlignCenter);
        container.Init();
        container.show();
        QVERIFY(RenderControl(&container, QStringLiteral("smartcontrolscontainer")));
    }
};

QTEST_MAIN(TestSmartControlsContainer)
#include "tst_smartcontrolscontainer.moc"
