#include "sizehooks.h"

#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <QWindow>

using namespace Gantrelby;

namespace
{
QScreen *Screen(const QString &Name)
{
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen->name() == Name) {
            return screen;
        }
    }
    return QGuiApplication::primaryScreen();
}
} // namespace

class TestSizeHooks : public QObject
{
    Q_OBJECT

private slots:

    void minimumInPixels_data()
    {
        QTest::addColumn<int>("minWidth");
        QTest::addColumn<int>("minHeight");
        QTest::addColumn<QSize>("pixels");
        QTest::newRow("main window") << 9000 << 4830 << QSize(600, 322);
        QTest::newRow("remainder dropped") << 9007 << 4844 << QSize(600, 322);
        QTest::newRow("no minimum") << 0 << 0 << QSize(0, 0);
    }

    void minimumInPixels()
    {
        QFETCH(int, minWidth);
        QFETCH(int, minHeight);
        QFETCH(QSize, pixels);
        Root root;
        QWidget window;
        QVERIFY(root.HookedWindows()->Add(&window, minWidth, minHeight, 0, 0));
        QCOMPARE(window.minimumSize(), pixels);
        root.HookedWindows()->Remove(&window);
    }

    void windowCannotShrinkBelowMinimum()
    {
        Root root;
        QWidget window;
        window.resize(800, 500);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        root.HookedWindows()->Add(&window, 9000, 4830, 0, 0);

        window.resize(100, 100);
        QCOMPARE(window.size(), QSize(600, 322));

        // A size that comes from the window system rather than from the program.
        window.windowHandle()->resize(120, 90);
        QTRY_COMPARE(window.size(), QSize(600, 322));
        root.HookedWindows()->Remove(&window);
    }

    void maximumZeroLeavesSystemMaximum()
    {
        Root root;
        QWidget window;
        const QSize before = window.maximumSize();
        root.HookedWindows()->Add(&window, 1500, 1500, 0, 0);
        QCOMPARE(window.maximumSize(), before);
        root.HookedWindows()->Item(1)->SetMaxWidth(15000);
        QCOMPARE(window.maximumSize(), QSize(1000, before.height()));
        window.resize(2000, 300);
        QCOMPARE(window.width(), 1000);
        root.HookedWindows()->Remove(&window);
    }

    void secondAddKeepsFirstSizes()
    {
        Root root;
        QWidget window;
        const auto first = root.HookedWindows()->Add(&window, 3000, 3000, 0, 0);
        QVERIFY(first);
        QVERIFY(!root.HookedWindows()->Add(&window, 6000, 6000, 0, 0));
        QCOMPARE(root.HookedWindows()->Count(), 1);
        QCOMPARE(first->MinWidth(), 3000);
        QCOMPARE(window.minimumSize(), QSize(200, 200));
        root.HookedWindows()->Remove(&window);
    }

    void itemByKeyAndPosition()
    {
        Root root;
        QWidget a;
        QWidget b;
        root.HookedWindows()->Add(&a, 150, 150, 0, 0);
        root.HookedWindows()->Add(&b, 300, 300, 0, 0);
        const QString key = QStringLiteral("C") + QString::number(b.winId());
        QCOMPARE(HookedWindows::KeyOf(&b), key);
        QCOMPARE(root.HookedWindows()->Item(key)->Window(), &b);
        QCOMPARE(root.HookedWindows()->Item(1)->Window(), &a);
        QCOMPARE(root.HookedWindows()->Item(2)->hWND(), b.winId());
        QVERIFY(!root.HookedWindows()->Item(3));
        QVERIFY(!root.HookedWindows()->Item(0));
        QVERIFY(!root.HookedWindows()->Item(QStringLiteral("C0")));

        QStringList order;
        for (const auto &window : *root.HookedWindows()) {
            order << HookedWindows::KeyOf(window->Window());
        }
        QCOMPARE(order, QStringList({HookedWindows::KeyOf(&a), key}));
        root.HookedWindows()->Remove(&a);
        root.HookedWindows()->Remove(&b);
        QCOMPARE(root.HookedWindows()->Count(), 0);
    }

    void removeGivesBackOwnLimits()
    {
        Root root;
        QWidget window;
        window.setMinimumSize(50, 40);
        root.HookedWindows()->Add(&window, 9000, 4830, 0, 0);
        root.HookedWindows()->Remove(&window);
        QCOMPARE(window.minimumSize(), QSize(50, 40));
        window.resize(60, 60);
        QCOMPARE(window.size(), QSize(60, 60));

        QWidget stranger;
        root.HookedWindows()->Remove(&stranger);
        QCOMPARE(root.HookedWindows()->Count(), 0);
    }

    void limitsFollowTheScreensDensity()
    {
        QCOMPARE(QGuiApplication::screens().size(), 2);
        QScreen *dense = Screen(QStringLiteral("dense"));
        QCOMPARE(dense->logicalDotsPerInchX(), 144.0);
        Root root;
        QWidget window;
        window.setScreen(Screen(QStringLiteral("usual")));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        root.HookedWindows()->Add(&window, 9000, 4830, 15000, 0);
        QCOMPARE(window.minimumSize(), QSize(600, 322));

        window.windowHandle()->setScreen(dense);
        QTRY_COMPARE(window.minimumSize(), QSize(900, 483));
        QCOMPARE(window.maximumWidth(), 1500);
        root.HookedWindows()->Remove(&window);
    }

    void windowInNoCollectionIsLeftAlone()
    {
        Root root;
        QWidget window;
        window.setScreen(Screen(QStringLiteral("usual")));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        root.HookedWindows()->Add(&window, 9000, 4830, 0, 0);
        root.SetHookedWindows(std::make_shared<HookedWindows>());
        window.windowHandle()->setScreen(Screen(QStringLiteral("dense")));
        QTest::qWait(0);
        QCOMPARE(window.minimumSize(), QSize(600, 322));
    }

    void currentRootIsTheNewest()
    {
        QVERIFY(!Root::Current());
        auto first = std::make_unique<Root>();
        QCOMPARE(Root::Current(), first.get());
        {
            Root second;
            QCOMPARE(Root::Current(), &second);
        }
        QVERIFY(!Root::Current());
        first.reset();
        QVERIFY(!Root::Current());
    }

    void destroyedWindowIsNotTouched()
    {
        Root root;
        auto window = std::make_unique<QWidget>();
        const auto hooked = root.HookedWindows()->Add(window.get(), 1500, 1500, 0, 0);
        window.reset();
        QVERIFY(!hooked->Window());
        hooked->SetMinWidth(3000);
        QCOMPARE(root.HookedWindows()->Count(), 1);
    }
};

// Two screens: the usual 96 dots per inch (15 twips a pixel) and a dense one at 144 (10 twips).
int main(int argc, char *argv[])
{
    QTemporaryDir folder;
    QFile config(folder.filePath(QStringLiteral("screens.json")));
    if (!config.open(QIODevice::WriteOnly) || config.write(R"({"screens": [
            {"name": "usual", "x": 0, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
            {"name": "dense", "x": 1920, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 144, "logicalBaseDpi": 144, "dpr": 1}
        ]})") < 0) {
        return 1;
    }
    config.close();
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen:configfile=") + config.fileName().toLocal8Bit());
    QApplication app(argc, argv);
    TestSizeHooks test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sizehooks.moc"
