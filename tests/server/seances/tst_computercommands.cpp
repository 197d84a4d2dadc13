#include "core/databaselink.h"
#include "core/historytexts.h"
#include "dialogfixture.h"
#include "mainlogtext.h"
#include "memoryseancedata.h"
#include "seances/computercommands.h"
#include "seances/computercontrol.h"
#include "seances/computersbuttons.h"
#include "seances/computersframe.h"
#include "seances/dbseancedata.h"
#include "seances/frmaddseance.h"
#include "seances/frmmoveseance.h"
#include "seances/frmselectcomputers.h"
#include "seances/tiledecision.h"

#include <QElapsedTimer>
#include <QMenu>

namespace
{
QString IP(qint32 Num)
{
    return QStringLiteral("127.0.0.%1").arg(Num);
}

// A command of the panel run for the computer clicked.
using Command = std::function<void(ComputerCommands &, qint32)>;

// The entries of a selection grid: enabled and selected computer numbers.
struct Offered
{
    QString Title;
    QList<qint32> Enabled;
    QList<qint32> Selected;
};

// Runs the command and reads the dialog it shows, which is then closed; no title when it shows none.
Offered RunCommand(const std::function<void()> &Command)
{
    Offered offered;
    QObject guard;
    QTimer::singleShot(0, &guard, [&offered] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        offered.Title = dialog->windowTitle();
        const auto *grid = DialogFixture::Child<ComputersButtons>(dialog, QStringLiteral("ComputersButtons"));
        for (const auto &button : *grid->Buttons()) {
            if (button->Enabled()) {
                offered.Enabled.append(button->ComputerNum());
            }
            if (button->Selected()) {
                offered.Selected.append(button->ComputerNum());
            }
        }
        dialog->reject();
    });
    Command();
    return offered;
}

// Confirms the selection dialog that the command shows, after choosing Nums besides the clicked one.
void ConfirmSelection(const QList<qint32> &Nums)
{
    DialogFixture::WhenShown<frmSelectComputers>(nullptr, [Nums](frmSelectComputers *Dialog) {
        auto *grid = DialogFixture::Child<ComputersButtons>(Dialog, QStringLiteral("ComputersButtons"));
        for (qint32 num : Nums) {
            grid->SetButtonSelected(num, true);
        }
        DialogFixture::Click(Dialog, QStringLiteral("Apply"));
    });
}
} // namespace

Q_DECLARE_METATYPE(Command)

// The commands of the computers panel on the club's database, on both engines: computers 1 to 10,
// each with a tile whose client answers from 127.0.0.N (on line: the state the suite sets).
class TestComputerCommands : public DialogFixture
{
    Q_OBJECT

private slots:

    void init()
    {
        DialogFixture::init();
        m_nightRate = Db().AddRate(QStringLiteral("Ночной"), 1, 300);
        m_clientStates.clear();
        // The library's own box for a refused delete, as the program shows it.
        Rollstrake::Root::SetDeleteErrorHandler(
            [](const QString &Text, const QString &Title) { MessageBox::Critical(nullptr, Title, Text); });
    }

    void cleanup()
    {
        m_panel.reset();
        Rollstrake::Root::SetDeleteErrorHandler(nullptr);
        DialogFixture::cleanup();
    }

    // The database server stopped under the panel and started again: OK of a dialog that was open,
    // the tile's menu and a command each say in one box that the database is away, with the driver's
    // text, and the log has them and the loss once; the refresh keeps the tiles; once the server is
    // back, a refresh opens the connection again and the command opens its dialog.
    void databaseAwayIsSaid()
    {
        if (!TestDatabase::IsOdbc()) {
            QSKIP("an embedded database file is never away");
        }
        DatabaseLink::Watch();
        StartPanel({1});
        ComputerControl *control = m_panel->Control(1);
        QStringList told;
        connect(&DatabaseLink::Instance(), &DatabaseLink::Changed, m_panel.get(), [&told](bool Away, const QString &) {
            told.append(Away ? QStringLiteral("away") : QStringLiteral("back"));
        });
        TestDatabase::ServerRestart restart;
        QString err;
        WhenShown<frmAddSeance>(nullptr, [&](frmAddSeance *Dialog) {
            QVERIFY2(TestDatabase::StopServer(QStringLiteral("fast"), err), qPrintable(err));
            restart.Stopped = true;
            AnswerBoxes();
            Click(Dialog, QStringLiteral("Apply"));
            QVERIFY(Dialog->isVisible());
        });
        emit control->QueryToAddSeance();
        // Neither a menu nor a dialog opens while the database is away.
        QTimer popupGuard;
        connect(&popupGuard, &QTimer::timeout, [] {
            if (QWidget *popup = QApplication::activePopupWidget()) {
                popup->close();
                QFAIL("the menu opened");
            }
        });
        popupGuard.start(100);
        AnswerBoxes(2);
        control->ShowComputerMenu(control->mapToGlobal(QPoint(1, 1)));
        emit control->QueryToAddSeance();
        m_panel->RefreshAll();
        const QString away = DatabaseLink::AwayText(QString());
        const QStringList boxes = Boxes();
        QCOMPARE(boxes.size(), 3);
        for (const QString &box : boxes) {
            QVERIFY2(box.startsWith(away) && box.size() > away.size(), qPrintable(box));
        }
        const QStringList log = MainLogEntries();
        QCOMPARE(log.filter(QStringLiteral("! Потеряно соединение с базой данных: ")).size(), 1);
        // The driver's text follows on the box's second line.
        QCOMPARE(log.filter(QStringLiteral("! ") + away.trimmed()).size(), 3);
        QCOMPARE(told, QStringList{QStringLiteral("away")});

        QVERIFY2(TestDatabase::StartServer(err), qPrintable(err));
        restart.Stopped = false;
        QElapsedTimer back;
        back.start();
        QVERIFY(QTest::qWaitFor(
            [&] {
                m_panel->RefreshAll();
                return !Rollstrake::Root::IsConnectionLost();
            },
            60000));
        qInfo("the refresh had the database back %lld ms after the server's start", back.elapsed());
        QCOMPARE(told, (QStringList{QStringLiteral("away"), QStringLiteral("back")}));
        QVERIFY(MainLogEntries().contains(QStringLiteral("i Соединение с базой данных восстановлено")));
        bool opened = false;
        WhenShown<frmAddSeance>(nullptr, [&opened](frmAddSeance *) { opened = true; });
        emit control->QueryToAddSeance();
        QVERIFY(opened);
        QCOMPARE(Boxes(), QStringList());
    }

    void offersWhatEachCommandAllows_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<qint32>("clicked");
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QList<qint32>>("enabled");
        QTest::addColumn<QList<qint32>>("selected");
        const QDateTime day = At(5, 14, 20);
        const QDateTime night = At(5, 23, 30);
        const QList<qint32> idle{4, 5, 6, 7, 8, 9, 10};
        using namespace std::placeholders;
        QTest::newRow("end") << Command(std::bind(&ComputerCommands::BreakStopSeance, _1, _2, false)) << 1 << day
                             << QStringLiteral("Завершение сеансов") << QList<qint32>{1, 2} << QList<qint32>{1};
        QTest::newRow("cancel, clicked without a seance")
            << Command(std::bind(&ComputerCommands::BreakStopSeance, _1, _2, true)) << 4 << day
            << QStringLiteral("Отмена сеансов") << QList<qint32>{1, 2} << QList<qint32>();
        QTest::newRow("cancel reserves") << Command(&ComputerCommands::BreakReserveNight) << 3 << day
                                         << QStringLiteral("Отмена резерва ночи") << QList<qint32>{3}
                                         << QList<qint32>{3};
        QTest::newRow("reboot") << Command(std::bind(&ComputerCommands::RebootShutdown, _1, _2, false)) << 2 << day
                                << QStringLiteral("Перегрузить компьютеры") << QList<qint32>{1, 2, 3}
                                << QList<qint32>{2};
        QTest::newRow("shut down, clicked off line")
            << Command(std::bind(&ComputerCommands::RebootShutdown, _1, _2, true)) << 5 << day
            << QStringLiteral("Выключить компьютеры") << QList<qint32>{1, 2, 3} << QList<qint32>();
        QTest::newRow("add, clicked with a seance")
            << Command(&ComputerCommands::AddSeance) << 1 << day << QStringLiteral("Новый сеанс")
            << (QList<qint32>{3} + idle) << QList<qint32>();
        QTest::newRow("alter") << Command(&ComputerCommands::AlterSeance) << 1 << day
                               << QStringLiteral("Длительность сеанса") << QList<qint32>{1} << QList<qint32>{1};
        QTest::newRow("edit from a night seance")
            << Command(&ComputerCommands::EditSeancePrefs) << 2 << day << QStringLiteral("Параметры сеанса")
            << QList<qint32>{2} << QList<qint32>{2};
        QTest::newRow("reserve, clicked reserved")
            << Command(&ComputerCommands::ReserveNight) << 3 << day << QStringLiteral("Резервирование ночи")
            << (QList<qint32>{1} + idle) << QList<qint32>();
        QTest::newRow("night seances at night") << Command(&ComputerCommands::StartReservedSeance) << 4 << night
                                                << QStringLiteral("Запуск ночного сеанса") << idle << QList<qint32>{4};
        QTest::newRow("activate at night")
            << Command(&ComputerCommands::StartReservedNight) << 3 << night << QStringLiteral("Активация резерва ночи")
            << QList<qint32>{3} << QList<qint32>{3};
        QTest::newRow("night seances in the day") << Command(&ComputerCommands::StartReservedSeance) << 4 << day
                                                  << QString() << QList<qint32>() << QList<qint32>();
        QTest::newRow("activate in the day") << Command(&ComputerCommands::StartReservedNight) << 3 << day << QString()
                                             << QList<qint32>() << QList<qint32>();
    }

    void offersWhatEachCommandAllows()
    {
        QFETCH(Command, command);
        QFETCH(qint32, clicked);
        QFETCH(QDateTime, moment);
        QFETCH(QString, title);
        QFETCH(QList<qint32>, enabled);
        QFETCH(QList<qint32>, selected);
        // 1 runs a day seance and 2 a night seance past the next morning; 3 is reserved tonight; 1 to 3
        // are on line.
        AddSeance(1, DayRate, At(5, 14, 0), 20 * 60, 600);
        AddSeance(2, m_nightRate, At(5, 14, 0), 20 * 60, 300);
        Db().AddReserve(Code(3), Standard, m_nightRate, At(5, 0, 0), true);
        StartPanel({1, 2, 3});
        Clock::SetNow(moment);
        const Offered offered = RunCommand([&] { command(m_panel->Commands(), clicked); });
        QCOMPARE(offered.Title, title);
        QCOMPARE(offered.Enabled, enabled);
        QCOMPARE(offered.Selected, selected);
        // A dialog cancelled changes nothing.
        QCOMPARE(Count(QStringLiteral("Seances")), 2);
        QCOMPARE(Count(QStringLiteral("NightReserves")), 1);
        QCOMPARE(Count(QStringLiteral("History")), 0);
    }

    void endsSeancesNow_data()
    {
        QTest::addColumn<QDateTime>("end");
        QTest::addColumn<QDateTime>("confirmed");
        QTest::addColumn<QDateTime>("newEnd");
        QTest::addColumn<qint32>("minutes");
        QTest::addColumn<bool>("running");
        QTest::newRow("at the moment confirmed")
            << At(5, 11, 0) << At(5, 10, 37, 20) << At(5, 10, 37, 20) << 37 << true;
        QTest::newRow("ended while the confirmation was open")
            << At(5, 10, 40) << At(5, 10, 41) << At(5, 10, 40) << 40 << false;
    }

    void endsSeancesNow()
    {
        QFETCH(QDateTime, end);
        QFETCH(QDateTime, confirmed);
        QFETCH(QDateTime, newEnd);
        QFETCH(qint32, minutes);
        QFETCH(bool, running);
        const QDateTime begin = At(5, 10, 0);
        const qint32 seance = Db().AddSeance(Code(1), Standard, DayRate, begin, end);
        // The client runs the seance: the changed end is sent to it at the refresh.
        m_clientStates.insert(IP(1), seance);
        Clock::SetNow(At(5, 10, 37, 20));
        StartPanel({});
        QList<qint32> sent;
        connect(m_panel.get(),
                &ComputersFrame::BeginSeance,
                m_panel.get(),
                [&sent](qint32 &Num, SeanceData::Seance &, bool &, bool &) { sent.append(Num); });
        QStringList reboots;
        connect(m_panel.get(), &ComputersFrame::Reboot, m_panel.get(), [&reboots](QString &Ip, bool &) {
            reboots.append(Ip);
        });
        WhenShown<frmSelectComputers>(nullptr, [&](frmSelectComputers *Dialog) {
            Clock::SetNow(confirmed);
            Click(Dialog, QStringLiteral("Apply"));
        });
        // Through the tile's menu.
        m_panel->Control(1)->Menu()->findChild<QAction *>(QStringLiteral("mnuComputerStopSeance"))->trigger();
        QCOMPARE(SeanceValue(seance, QStringLiteral("Duration")), minutes);
        QCOMPARE(SeanceEnd(seance), newEnd);
        QCOMPARE(History(1), QStringList{QStringLiteral("Завершён сеанс.")});
        // The tile refreshes: the client gets the new end, or, the seance being over, is rebooted.
        QCOMPARE(sent, running ? QList<qint32>{1} : QList<qint32>());
        QCOMPARE(reboots, running ? QStringList() : QStringList{IP(1)});
        // Marked changed: the mark goes once the client has the seance again.
        QCOMPARE(m_panel->Control(1)->Tile().Mark(), running ? smNone : smTimes);
    }

    void cancelStopsAtARefusedDelete_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("line");
        QTest::newRow("seances") << QStringLiteral("Seances") << QStringLiteral("Отменён сеанс.");
        QTest::newRow("tonight's reserves")
            << QStringLiteral("NightReserves") << QStringLiteral("Отменён резерв сегодняшней ночи.");
    }

    void cancelStopsAtARefusedDelete()
    {
        QFETCH(QString, table);
        QFETCH(QString, line);
        const bool seances = table == QStringLiteral("Seances");
        QList<qint32> codes;
        for (qint32 num : {1, 2, 3}) {
            if (seances) {
                codes.append(AddSeance(num, DayRate, At(5, 14, 0), 60, 30));
            } else {
                codes.append(Db().AddReserve(Code(num), Standard, m_nightRate, At(5, 0, 0), true));
                QString err;
                QVERIFY2(PaySeance(0, codes.last(), At(5, 12, 0), 0, 300, err), qPrintable(err));
            }
        }
        QVERIFY(Db().AddRefusal(table, QStringLiteral("DELETE"), QStringLiteral("OLD.Computer = %1").arg(Code(2))));
        StartPanel({});
        ConfirmSelection({2, 3});
        AnswerBoxes();
        if (seances) {
            m_panel->Commands().BreakStopSeance(1, true);
        } else {
            m_panel->Commands().BreakReserveNight(1);
        }
        const auto boxes = MessageBox::TakeRecords();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(!boxes.first().Text.isEmpty());
        QVERIFY(!Db().Record(table, codes[0]));
        QVERIFY(Db().Record(table, codes[1]));
        QVERIFY(Db().Record(table, codes[2]));
        QCOMPARE(History(1), QStringList{line});
        QVERIFY(History(2).isEmpty());
        QVERIFY(History(3).isEmpty());
        // The payments went with the first one only.
        QCOMPARE(Count(QStringLiteral("SeancePays")), 2);
    }

    void moveKeepsTheTraffic()
    {
        const auto desktop = Db().Record(QStringLiteral("Desktops"), Standard);
        SetFieldValue(*desktop, QStringLiteral("IsInternet"), 1);
        QString err;
        QVERIFY2(desktop->Update(err), qPrintable(err));
        const qint32 seance = AddSeance(3, DayRate, Now.addSecs(-600), 60, 30);
        m_clientStates.insert(IP(3), seance);
        StartPanel({});
        QVERIFY(m_panel->IncreaseCurSeanceTraffic(3, 700, 70));
        WhenShown<frmMoveSeance>(nullptr, [](frmMoveSeance *Dialog) {
            Child<ComputersButtons>(Dialog, QStringLiteral("ComputersButtons"))->SetButtonSelected(7, true);
            Click(Dialog, QStringLiteral("Apply"));
        });
        m_panel->Control(3)->Menu()->findChild<QAction *>(QStringLiteral("mnuComputerMoveSeance"))->trigger();
        QCOMPARE(History(3), QStringList{QStringLiteral("Пересажен сеанс на компьютер №7.")});
        QVERIFY(History(7).isEmpty());
        const ComputerTile &target = m_panel->Control(7)->Tile();
        QCOMPARE(target.Traffic().SeanceCode(), seance);
        QCOMPARE(target.Traffic().Downloaded(), Currency(700));
        QVERIFY(target.RemainingMinutes().has_value());
        QVERIFY(!m_panel->Control(3)->Tile().RemainingMinutes().has_value());
    }

    void rebootsAndShutsDownOnLineComputers()
    {
        StartPanel({1, 2, 4});
        QList<QPair<QString, bool>> sent;
        connect(m_panel.get(), &ComputersFrame::Reboot, m_panel.get(), [&sent](QString &Ip, bool &Shutdown) {
            sent.append({Ip, Shutdown});
        });
        // A right click on the background opens the panel's menu.
        m_panel->resize(800, 600);
        m_panel->show();
        QWidget *popup = nullptr;
        QTimer::singleShot(0, m_panel.get(), [&] {
            popup = QApplication::activePopupWidget();
            if (popup) {
                popup->close();
            }
        });
        QTest::mouseClick(m_panel.get(), Qt::RightButton, {}, QPoint(790, 590));
        QCOMPARE(popup, m_panel->Menu());
        QAction *shutdownAll = m_panel->Menu()->findChild<QAction *>(QStringLiteral("mnuComputersShutdown"));
        MessageBox::PrepareAnswer(QMessageBox::No);
        shutdownAll->trigger();
        QVERIFY(sent.isEmpty());
        MessageBox::PrepareAnswer(QMessageBox::Yes);
        shutdownAll->trigger();
        const auto boxes = MessageBox::TakeRecords();
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes.first().Icon, QMessageBox::Question);
        QCOMPARE(boxes.first().Title, QStringLiteral("Внимание!"));
        QCOMPARE(boxes.first().Text, QStringLiteral("Выключить все компьютеры?"));
        ConfirmSelection({4});
        m_panel->Commands().RebootShutdown(1, false);
        QCOMPARE(
            sent,
            (QList<QPair<QString, bool>>{{IP(1), true}, {IP(2), true}, {IP(4), true}, {IP(1), false}, {IP(4), false}}));
    }

private:
    // The panel with a tile for every computer; the clients of Online answer with their state.
    void StartPanel(const QList<qint32> &Online)
    {
        for (qint32 num : Online) {
            if (!m_clientStates.contains(IP(num))) {
                m_clientStates.insert(IP(num), 0);
            }
        }
        m_panel = std::make_unique<ComputersFrame>(m_data, m_feedback);
        connect(m_panel.get(), &ComputersFrame::QueryUserState, m_panel.get(), [this](QString &Ip, qint32 &State) {
            State = m_clientStates.value(Ip, ComputerTile::netStateOffline);
        });
        connect(m_panel.get(),
                &ComputersFrame::BeginSeance,
                m_panel.get(),
                [](qint32 &, SeanceData::Seance &, bool &, bool &Result) { Result = true; });
        m_panel->LoadSettings();
    }

    DbSeanceData m_data;
    RecordingFeedback m_feedback;
    std::unique_ptr<ComputersFrame> m_panel;
    QHash<QString, qint32> m_clientStates;
    qint32 m_nightRate = 0;
};

QTEST_MAIN(TestComputerCommands)
#include "tst_computercommands.moc"
