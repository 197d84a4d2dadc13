#include "core/window/modetabbar.h"

#include <QSignalSpy>
#include <QTest>

class TestModeTabBar : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void clickChangesTab();
    void refusedClickKeepsTheTab();
    void selectTabAsksFirst();
    void keysAndWheelDoNothing();

private:
    void Refuse(bool Refuse);

    ModeTabBar *m_bar = nullptr;
    bool m_refuse = false;
    QList<int> m_asked;
};

void TestModeTabBar::init()
{
    m_bar = new ModeTabBar;
    m_bar->addTab(QStringLiteral("F2: Главный "));
    m_bar->addTab(QStringLiteral("F3: Рабочие столы"));
    m_bar->addTab(QStringLiteral("F5: Статистика"));
    m_refuse = false;
    m_asked.clear();
    connect(m_bar, &ModeTabBar::AboutToChange, this, [this](int Index, bool &Cancel) {
        m_asked.append(Index);
        Cancel = m_refuse;
    });
    m_bar->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_bar));
}

void TestModeTabBar::cleanup()
{
    delete m_bar;
}

void TestModeTabBar::clickChangesTab()
{
    QSignalSpy clicked(m_bar, &ModeTabBar::TabClicked);
    QTest::mouseClick(m_bar, Qt::LeftButton, {}, m_bar->tabRect(2).center());
    QCOMPARE(m_bar->currentIndex(), 2);
    QCOMPARE(m_asked, QList<int>{2});
    QCOMPARE(clicked.size(), 1);
    QCOMPARE(clicked.first().first().toInt(), 2);
}

void TestModeTabBar::refusedClickKeepsTheTab()
{
    QSignalSpy changed(m_bar, &QTabBar::currentChanged);
    QSignalSpy clicked(m_bar, &ModeTabBar::TabClicked);
    m_refuse = true;
    QTest::mouseClick(m_bar, Qt::LeftButton, {}, m_bar->tabRect(1).center());
    QCOMPARE(m_bar->currentIndex(), 0);
    QCOMPARE(changed.size(), 0);
    QCOMPARE(clicked.size(), 0);
    QCOMPARE(m_asked, QList<int>{1});
}

void TestModeTabBar::selectTabAsksFirst()
{
    m_refuse = true;
    QVERIFY(!m_bar->SelectTab(1));
    QCOMPARE(m_bar->currentIndex(), 0);
    m_refuse = false;
    QVERIFY(m_bar->SelectTab(1));
    QCOMPARE(m_bar->currentIndex(), 1);
    QVERIFY(!m_bar->SelectTab(7));
    QCOMPARE(m_asked, (QList<int>{1, 1}));
}

void TestModeTabBar::keysAndWheelDoNothing()
{
    QTest::keyClick(m_bar, Qt::Key_Right);
    QWheelEvent wheel(QPointF(5, 5),
                      m_bar->mapToGlobal(QPointF(5, 5)),
                      QPoint(),
                      QPoint(0, -120),
                      Qt::NoButton,
                      Qt::NoModifier,
                      Qt::NoScrollPhase,
                      false);
    QCoreApplication::sendEvent(m_bar, &wheel);
    QCOMPARE(m_bar->currentIndex(), 0);
    QVERIFY(m_asked.isEmpty());
}

QTEST_MAIN(TestModeTabBar)
#include "tst_modetabbar.moc"
