#include "clientsim.h"
#include "clock.h"
#include "core/widgets/messagebox.h"
#include "core/widgets/registryserilize.h"
#include "core/window/mainform.h"
#include "core/window/mainframe.h"
#include "coredatabase.h"
#include "datevalue.h"
#include "desktops/desktopedit.h"
#include "desktops/desktopframe.h"
#include "desktops/desktopstree.h"
#include "desktops/frmeditshortcut.h"
#include "desktops/programicons.h"
#include "desktops/shortcutcontrol.h"
#include "desktops/shortcutplacement.h"
#include "desktopsfixture.h"
#include "dialoganswer.h"
#include "rendercheck.h"
#include "seances/computersframe.h"
#include "socketctl.h"
#include "testicons.h"
#include "testnetwork.h"

#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

namespace
{
// A pixel is 15 twips; a grid step of 240 twips is 16 pixels.
constexpr int GridPixels = 16;

// What the operator types into the shortcut dialog.
struct ShortcutInput
{
    QString Caption;
    QString Path;
    QString ToolTip;
};

void Fill(frmEditShortcut *Dialog, const ShortcutInput &Input)
{
    Dialog->findChild<QLineEdit *>(QStringLiteral("ShortcutName"))->setText(Input.Caption);
    Dialog->findChild<QWidget *>(QStringLiteral("ShortcutPath"))
        ->findChild<QLineEdit *>(QStringLiteral("TextBox"))
        ->setText(Input.Path);
    Dialog->findChild<QLineEdit *>(QStringLiteral("ShortcutTooltip"))->setText(Input.ToolTip);
}

void Accept(frmEditShortcut *Dialog)
{
    QTest::mouseClick(Dialog->findChild<QPushButton *>(QStringLiteral("OK")), Qt::LeftButton);
}

} // namespace

Q_DECLARE_METATYPE(ShortcutInput)

// The desktops view over a real database: the shortcut editor's placement, saves and dialog, the
// view's protocol, and a save reaching a client computer that runs a seance on the desktop.
class TestDesktopFrame : public QObject, private DesktopsFixture
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void dragThenSwitch();
    void clampedTileIsNotStored();
    void ancestorsTilesAreGrey();
    void addThroughTheMenu_data();
    void addThroughTheMenu();
    void editAfterDragKeepsThePlace();
    void editWithoutDragKeepsTheStoredCentre_data();
    void editWithoutDragKeepsTheStoredCentre();
    void deleteKeyRemovesTheShortcut();
    void viewProtocol();
    void deletedCurrentDesktopLeavesNothingChanged();
    void savedDesktopReachesTheClient();
    void screenshot();

private:
    QPoint Stored(qint32 Shortcut) const;
    void Open(qint32 Desktop);
    void DragTile(qint32 Shortcut, QPoint Pixels);

    QTemporaryDir m_config;
    std::unique_ptr<DesktopFrame> m_view;
};

void TestDesktopFrame::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
}

void TestDesktopFrame::init()
{
    ProgramIcons::Reset();
    QString err;
    QVERIFY2(Start(err), qPrintable(err));
    m_view = std::make_unique<DesktopFrame>();
    m_view->resize(900, 500);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

void TestDesktopFrame::cleanup()
{
    m_view.reset();
    Stop();
}

QPoint TestDesktopFrame::Stored(qint32 Shortcut) const
{
    const auto record = m_db->Record(QStringLiteral("Shortcuts"), Shortcut);
    return record ? QPoint(IntValue(*record, QStringLiteral("ShortcutLeft")),
                           IntValue(*record, QStringLiteral("ShortcutTop")))
                  : QPoint(-1, -1);
}

void TestDesktopFrame::Open(qint32 Desktop)
{
    m_view->LoadSettings();
    m_view->Tree()->SetCurrentDesktop(Desktop);
    QCOMPARE(m_view->Editor()->CurrentDesktop(), Desktop);
}

void TestDesktopFrame::DragTile(qint32 Shortcut, QPoint Pixels)
{
    ShortcutControl *tile = m_view->Editor()->Tile(Shortcut);
    const QPoint press(tile->width() / 2, 10);
    QTest::mousePress(tile, Qt::LeftButton, {}, press);
    QTest::mouseMove(tile, press + Pixels);
    QTest::mouseRelease(tile, Qt::LeftButton, {}, press + Pixels);
}

void TestDesktopFrame::dragThenSwitch()
{
    const qint32 games = AddDesktop(QStringLiteral("Игры"));
    const qint32 office = AddDesktop(QStringLiteral("Офис"));
    const qint32 game = AddShortcut(games, QStringLiteral("Игра"), QPoint(960, 960));
    Open(games);
    DragTile(game, QPoint(GridPixels, 0));
    QCOMPARE(Stored(game), QPoint(960, 960));
    Clock::SetNow(Clock::Now().addSecs(60));
    m_view->Tree()->SetCurrentDesktop(office);
    QCOMPARE(Stored(game), QPoint(1200, 960));
    QCOMPARE(Stamp(games), Clock::Now());
    const QDateTime stamped = Clock::Now();
    // Switching back and forth without a change stamps nothing.
    Clock::SetNow(Clock::Now().addSecs(60));
    m_view->Tree()->SetCurrentDesktop(games);
    m_view->Tree()->SetCurrentDesktop(office);
    QCOMPARE(Stamp(games), stamped);
    QVERIFY(Stamp(office).isNull());
}

void TestDesktopFrame::clampedTileIsNotStored()
{
    const qint32 games = AddDesktop(QStringLiteral("Игры"));
    const qint32 far = AddShortcut(games, QStringLiteral("Далеко"), QPoint(60000, 960));
    const qint32 near = AddShortcut(games, QStringLiteral("Рядом"), QPoint(960, 960));
    Open(games);
    DesktopEdit *editor = m_view->Editor();
    const qint32 width = editor->width() * 15;
    ShortcutControl *farTile = editor->Tile(far);
    QVERIFY(editor->TilePlace(far).x() + farTile->WidthTwips() <= width);
    QVERIFY(farTile->geometry().right() < editor->width());
    DragTile(near, QPoint(0, GridPixels));
    QVERIFY(m_view->ValidateAndSave());
    QCOMPARE(Stored(near), QPoint(960, 1200));
    QCOMPARE(Stored(far), QPoint(60000, 960));
    // A wider window shows it again where it is stored.
    m_view->resize(5000, 500);
    const QPoint expected = ShortcutPlacement::KeepInside(QPoint(60000, 960),
                                                          QSize(farTile->CenterX(), farTile->CenterY()),
                                                          QSize(editor->width() * 15, editor->height() * 15));
    QCOMPARE(editor->TilePlace(far), expected);
}

void TestDesktopFrame::ancestorsTilesAreGrey()
{
    const qint32 parent = AddDesktop(QStringLiteral("Общий"));
    const qint32 child = AddDesktop(QStringLiteral("Игры"), parent);
    const qint32 other = AddDesktop(QStringLiteral("Офис"));
    const qint32 inherited = AddShortcut(parent, QStringLiteral("Браузер"), QPoint(480, 480));
    const qint32 own = AddShortcut(child, QStringLiteral("Игра"), QPoint(960, 960));
    const qint32 foreign = AddShortcut(other, QStringLiteral("Редактор"), QPoint(1440, 960));
    Open(child);
    DesktopEdit *editor = m_view->Editor();
    QVERIFY(editor->Tile(inherited)->isVisible());
    QVERIFY(!editor->Tile(inherited)->Enabled());
    QVERIFY(editor->Tile(inherited)->Fixed());
    QVERIFY(editor->Tile(own)->isVisible() && editor->Tile(own)->Enabled() && !editor->Tile(own)->Fixed());
    QVERIFY(!editor->Tile(foreign)->isVisible());
    // The root: no tile and no menu.
    m_view->Tree()->SetCurrentDesktop(0);
    for (const qint32 shortcut : {inherited, own, foreign}) {
        QVERIFY(!editor->Tile(shortcut)->isVisible());
    }
    QTest::mouseClick(editor, Qt::RightButton, {}, QPoint(200, 200));
    QVERIFY(!editor->Menu()->isVisible());
}

void TestDesktopFrame::addThroughTheMenu_data()
{
    QTest::addColumn<ShortcutInput>("input");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("separators removed") << ShortcutInput{QStringLiteral(" Иг|ра "),
                                                         QStringLiteral("C:\\a|b.exe"),
                                                         QStringLiteral("За|пуск")}
                                        << QString() << QStringLiteral("Игра") << QStringLiteral("C:\\ab.exe")
                                        << QStringLiteral("Запуск");
    QTest::newRow("no caption") << ShortcutInput{QStringLiteral("  "), QStringLiteral("C:\\a.exe"), QString()}
                                << QStringLiteral("Не указано наименование ярлыка!") << QString() << QString()
                                << QString();
    QTest::newRow("no path") << ShortcutInput{QStringLiteral("Игра"), QStringLiteral("  "), QString()}
                             << QStringLiteral("Не указан путь к файлу приложения!") << QString() << QString()
                             << QString();
}

void TestDesktopFrame::addThroughTheMenu()
{
    QFETCH(ShortcutInput, input);
    QFETCH(QString, refusal);
    const qint32 games = AddDesktop(QStringLiteral("Игры"));
    Open(games);
    QSignalSpy changed(m_view.get(), &DesktopFrame::DesktopsChanged);
    QSignalSpy modified(m_view.get(), &DesktopFrame::Modified);
    // 1000 twips are pixel 67.
    m_view->Editor()->ShowSurfaceMenu(QPoint(67, 67));
    QMenu *menu = m_view->Editor()->Menu();
    QTRY_VERIFY(menu->isVisible());
    QVERIFY(menu->actions().at(0)->isEnabled());
    QVERIFY(!menu->actions().at(1)->isEnabled() && !menu->actions().at(2)->isEnabled());
    menu->hide();
    QString desktop;
    AnswerDialog<frmEditShortcut>([&](frmEditShortcut *Dialog) {
        desktop = Dialog->findChild<QLineEdit *>(QStringLiteral("DesktopName"))->text();
        Fill(Dialog, input);
        if (!refusal.isEmpty()) {
            MessageBox::PrepareAnswer(QMessageBox::Ok);
            Accept(Dialog);
            QVERIFY(Dialog->isVisible());
            Dialog->reject();
            return;
        }
        Accept(Dialog);
    });
    menu->actions().at(0)->trigger();
    QCOMPARE(desktop, QStringLiteral("Игры"));
    const auto boxes = MessageBox::TakeRecords();
    const auto records = m_db->All(QStringLiteral("Shortcuts"));
    if (!refusal.isEmpty()) {
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().Text, refusal);
        QCOMPARE(records->Count(), 0);
        QCOMPARE(modified.size(), 0);
        QVERIFY(!m_view->Changed());
        return;
    }
    QVERIFY(boxes.isEmpty());
    QCOMPARE(records->Count(), 1);
    const auto &record = *records->GetByIndex(1);
    QTEST(TextValue(record, QStringLiteral("Caption")), "caption");
    QTEST(TextValue(record, QStringLiteral("Path")), "path");
    QTEST(TextValue(record, QStringLiteral("ToolTipText")), "toolTip");
    const ShortcutControl *tile = m_view->Editor()->Tile(record.Code());
    QVERIFY(tile->isVisible() && tile->Enabled());
    QCOMPARE(tile->ToolTip(), QStringLiteral("Запуск"));
    QCOMPARE(modified.size(), 1);
    QVERIFY(m_view->Changed());
    QVERIFY(m_view->ValidateAndSave());
    QCOMPARE(Stored(record.Code()), QPoint(960, 960));
    QCOMPARE(Stamp(games), Clock::Now());
    QCOMPARE(changed.size(), 1);
    QVERIFY(!m_view->Changed());
}

void TestDesktopFrame::editAfterDragKeepsThePlace()
{
    const qint32 games = AddDesktop(QStringLiteral("Игры"));
    const qint32 game = AddShortcut(games, QStringLiteral("Игра"), QPoint(960, 960));
    Open(games);
    DesktopEdit *editor = m_view->Editor();
    DragTile(game, QPoint(GridPixels, 0));
    AnswerDialog<frmEditShortcut>([](frmEditShortcut *Dialog) {
        Fill(Dialog, {QStringLiteral("Новая игра"), QStringLiteral("C:\\Games\\game.exe"), QString()});
        Accept(Dialog);
    });
    QTest::mouseDClick(editor->Tile(game), Qt::LeftButton, {}, QPoint(editor->Tile(game)->width() / 2, 10));
    ShortcutControl *tile = editor->Tile(game);
    QCOMPARE(tile->Caption(), QStringLiteral("Новая игра"));
    QCOMPARE(editor->TilePlace(game) + QPoint(tile->CenterX(), tile->CenterY()), QPoint(1200, 960));
    QCOMPARE(Stored(game), QPoint(1200, 960));
    QVERIFY(m_view->Changed());
}

void TestDesktopFrame::editWithoutDragKeepsTheStoredCentre_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::newRow("caption") << QStringLiteral("ShortcutName") << QStringLiteral(" 2") << QStringLiteral("Caption")
                             << QStringLiteral("Игра 2");
    QTest::newRow("tool tip") << QStringLiteral("ShortcutTooltip") << QStringLiteral("Run")
                              << QStringLiteral("ToolTipText") << QStringLiteral("Run");
    QTest::newRow("path") << QStringLiteral("ShortcutPath") << QStringLiteral("x") << QStringLiteral("Path")
                          << QStringLiteral("C:\\Games\\Игра.exex");
}

// A tile pulled inside a narrow editor is only shown there: an edit that does not move it leaves
// its stored centre, which every client computer places it by.
void TestDesktopFrame::editWithoutDragKeepsTheStoredCentre()
{
    QFETCH(QString, input);
    QFETCH(QString, typed);
    QFETCH(QString, field);
    const qint32 games = AddDesktop(QStringLiteral("Игры"));
    const qint32 game = AddShortcut(games, QStringLiteral("Игра"), QPoint(9600, 960));
    m_view->resize(500, 500);
    Open(games);
    DesktopEdit *editor = m_view->Editor();
    ShortcutControl *tile = editor->Tile(game);
    QVERIFY(editor->TilePlace(game).x() + tile->CenterX() < 9600);
    Clock::SetNow(Clock::Now().addSecs(60));
    AnswerDialog<frmEditShortcut>([&input, &typed](frmEditShortcut *Dialog) {
        auto *box = Dialog->findChild<QWidget *>(input);
        auto *line = qobject_cast<QLineEdit *>(box);
        QTest::keyClicks(line != nullptr ? line : box->findChild<QLineEdit *>(QStringLiteral("TextBox")), typed);
        Accept(Dialog);
    });
    QTest::mouseDClick(tile, Qt::LeftButton, {}, QPoint(tile->width() / 2, 10));
    QVERIFY(MessageBox::TakeRecords().isEmpty());
    QTEST(TextValue(*m_db->Record(QStringLiteral("Shortcuts"), game), field), "value");
    QCOMPARE(Stored(game), QPoint(9600, 960));
    QVERIFY(m_view->Changed());
    QVERIFY(m_view->ValidateAndSave());
    QCOMPARE(Stored(game), QPoint(9600, 960));
    QCOMPARE(Stamp(games), Clock::Now());
    m_view->resize(1500, 500);
    QCOMPARE(editor->TilePlace(game) + QPoint(tile->CenterX(), tile->CenterY()), QPoint(9600, 960));
}

void TestDesktopFrame::deleteKeyRemovesTheShortcut()
{
    const qint32 games = AddDesktop(QStringLiteral("Игры"));
    const qint32 game = AddShortcut(games, QStringLiteral("Игра"), QPoint(960, 960));
    const qint32 kept = AddShortcut(games, QStringLiteral("Чат"), QPoint(1920, 960));
    Open(games);
    DesktopEdit *editor = m_view->Editor();
    QTest::mouseClick(editor->Tile(game), Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(editor->Tile(game)->Selected());
    QCOMPARE(editor->GetSelectedShortcut(), game);
    QTest::keyClick(editor, Qt::Key_Delete);
    QVERIFY(!editor->Tile(game));
    QVERIFY(!m_db->Record(QStringLiteral("Shortcuts"), game));
    QVERIFY(m_db->Record(QStringLiteral("Shortcuts"), kept));
    QVERIFY(MessageBox::TakeRecords().isEmpty());
    QVERIFY(m_view->Changed());
}

void TestDesktopFrame::viewProtocol()
{
    const qint32 games = AddDesktop(QStringLiteral("Игры"));
    AddShortcut(games, QStringLiteral("Игра"), QPoint(960, 960));
    m_view->LoadSettings();
    const auto tiles = m_view->findChildren<ShortcutControl *>().size();
    const auto nodes = m_view->Tree()->Tree()->topLevelItem(0)->childCount();
    m_view->LoadSettings();
    QCOMPARE(m_view->findChildren<ShortcutControl *>().size(), tiles);
    QCOMPARE(m_view->Tree()->Tree()->topLevelItem(0)->childCount(), nodes);
    QCOMPARE(tiles, 1);
    QSignalSpy changed(m_view.get(), &DesktopFrame::DesktopsChanged);
    QVERIFY(!m_view->Changed());
    QVERIFY(m_view->ValidateAndSave());
    QCOMPARE(changed.size(), 1);
    QVERIFY(!RegistrySerilize::GetContainerValue(QStringLiteral("DesktopSeparator")).isEmpty());
}

void TestDesktopFrame::deletedCurrentDesktopLeavesNothingChanged()
{
    const qint32 games = AddDesktop(QStringLiteral("Игры"));
    const qint32 game = AddShortcut(games, QStringLiteral("Игра"), QPoint(960, 960));
    Open(games);
    DragTile(game, QPoint(GridPixels, 0));
    QVERIFY(m_view->Editor()->Changed());
    QTest::keyClick(m_view->Tree()->Tree(), Qt::Key_Delete);
    QVERIFY(!m_db->Record(QStringLiteral("Desktops"), games));
    QVERIFY(!m_view->Editor()->Tile(game));
    QCOMPARE(m_view->Editor()->CurrentDesktop(), 0);
    QVERIFY(!m_view->Editor()->Changed());
    QVERIFY(m_view->ValidateAndSave());
    QVERIFY(!m_view->Changed());
}

void TestDesktopFrame::savedDesktopReachesTheClient()
{
    // One shortcut: the order and fields of a description are checked where it is built.
    const qint32 games = AddDesktop(QStringLiteral("Игры"));
    const qint32 game = AddShortcut(games,
                                    QStringLiteral("Игра"),
                                    QPoint(960, 960),
                                    QStringLiteral("C:\\Icons\\game.ico"),
                                    QStringLiteral("Запуск"));
    const qint32 computer = m_db->Add(QStringLiteral("Computers"),
                                      {{QStringLiteral("Num"), 1}, {QStringLiteral("IP"), TestNetwork::ClientIP(2)}});
    const qint32 rate = m_db->AddRate(QStringLiteral("День"), 0, 60);
    const qint32 seance =
        m_db->AddSeance(computer, games, rate, Clock::Now().addSecs(-600), Clock::Now().addSecs(3600));
    GetComputerCode(0, true);

    MainForm window;
    auto *view = new DesktopFrame;
    window.AddDesktopsView(view);
    window.Control()->SetAnswerTimeout(1);
    QVERIFY(window.Load(TestNetwork::FreeServerPort(), QHostAddress(QStringLiteral("127.0.0.1"))));
    // The tiles come once the window is on the screen.
    window.show();
    QTRY_VERIFY(window.Computers()->Panel()->ComputerControlExists(1));
    ClientSim client;
    QString err;
    QVERIFY2(client.Start(QHostAddress(TestNetwork::ClientIP(2)),
                          quint16(window.Control()->GetListenerPort()),
                          ClientSim::Mode::Control,
                          err),
             qPrintable(err));
    client.SetAnswer(1, ClientSim::Reply(QStringLiteral("-2")));
    client.SetAnswer(4, ClientSim::Reply(QStringLiteral(" ") + QString::number(seance)));
    // The client reports that it runs the seance: nothing is sent to it.
    QVERIFY2(client.SendRequest(QStringLiteral("127.0.0.1"), 30, QStringLiteral(" ") + QString::number(seance), err),
             qPrintable(err));
    QTRY_COMPARE(window.Computers()->UserState(1), seance);
    window.Computers()->Panel()->RefreshAll();
    client.ClearReceived();

    QVERIFY(window.ShowModeFrame(QStringLiteral("DesktopFrame")));
    QVERIFY(view->ValidateAndSave());
    window.Computers()->Panel()->RefreshAll();
    QTRY_VERIFY(!client.ReceivedMessages().isEmpty());
    const auto received = client.ReceivedMessages().first();
    QCOMPARE(received.Header, quint8(1));
    QCOMPARE(received.Message,
             QStringLiteral(" %1| 3600| 1|%2|Игра|C:\\Games\\Игра.exe|C:\\Icons\\game.ico|Запуск|960|960|")
                 .arg(seance)
                 .arg(game));
    window.ForceUnload();
}

void TestDesktopFrame::screenshot()
{
    QTemporaryDir icons;
    const QString colourIcon = icons.filePath(QStringLiteral("game.ico"));
    const QString otherIcon = icons.filePath(QStringLiteral("chat.ico"));
    const QString parentIcon = icons.filePath(QStringLiteral("web.ico"));
    QVERIFY(TestIcons::WriteFile(colourIcon, TestIcons::Ico({{32, QColor(0xE0, 0x40, 0x30), 32}})));
    QVERIFY(TestIcons::WriteFile(otherIcon, TestIcons::Ico({{48, QColor(0x40, 0xB0, 0x50), 0}})));
    QVERIFY(TestIcons::WriteFile(parentIcon, TestIcons::Ico({{32, QColor(0x30, 0x60, 0xE0), 32}})));
    const qint32 common = AddDesktop(QStringLiteral("Общий"));
    const qint32 games = AddDesktop(QStringLiteral("Игры"), common);
    AddDesktop(QStringLiteral("Офис"));
    AddShortcut(common, QStringLiteral("Браузер"), QPoint(480, 480), parentIcon);
    const qint32 game = AddShortcut(games, QStringLiteral("Игра"), QPoint(1440, 480), colourIcon);
    AddShortcut(games, QStringLiteral("Чат"), QPoint(2400, 480), otherIcon);
    AddShortcut(games, QStringLiteral("Пропавшая"), QPoint(480, 1440));
    Open(games);
    QTest::mouseClick(m_view->Editor()->Tile(game), Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(RenderControl(m_view.get(), QStringLiteral("desktopframe")));
}

QTEST_MAIN(TestDesktopFrame)
#include "tst_desktopframe.moc"
