#include "sizehooks.h"

#include <QTest>
#include <QWidget>
#include <QWindow>

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

    void windowInNoCollectionIsLeftAlone()
    {
        Root root;
        QWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        root.HookedWindows()->Add(&window, 9000, 4830, 0, 0);
        root.SetHookedWindows(std::make_shared<HookedWindows>());
        window.setMinimumSize(0, 0);
        window.windowHandle()->resize(120, 90);
        QTRY_COMPARE(window.size(), QSize(120, 90));
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

QTEST_MAIN(TestSizeHooks)
#include "tst_sizehooks.moc"
