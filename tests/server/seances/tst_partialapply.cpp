#include "clientsim.h"
#include "controls/date.h"
#include "controls/duration.h"
#include "controls/numeric.h"
#include "controls/time.h"
#include "core/seancearithmetic.h"
#include "core/window/mainform.h"
#include "core/window/mainframe.h"
#include "dialogfixture.h"
#include "seances/computercommands.h"
#include "seances/computercontrol.h"
#include "seances/computersbuttons.h"
#include "seances/computersframe.h"
#include "seances/frmaddseance.h"
#include "seances/frmalterseance.h"
#include "seances/frmeditseanceprefs.h"
#include "seances/frmstartnightseance.h"
#include "seances/tiledecision.h"
#include "settings/lists/rateslist.h"
#include "testnetwork.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTimeEdit>

namespace
{
using Fixture = DialogFixture;
// A command of the computers panel, for computer 1.
using Command = std::function<void(ComputerCommands &)>;

void TypePrice(QWidget *Dialog, const QString &Money)
{
    QLineEdit *price = Fixture::Child<Numeric>(Dialog, QStringLiteral("Price"))->TextBox();
    price->setFocus();
    price->selectAll();
    QTest::keyClicks(price, Money);
}

// What the operator does in the dialog before OK, by the row's name.
void Enter(QWidget *Dialog, const QString &Row, qint32 Desktop, qint32 Rate)
{
    if (Row.startsWith(QStringLiteral("add"))) {
        Fixture::ChooseDesktop(Dialog, Desktop);
    }
    if (Row.endsWith(QStringLiteral("by minutes"))) {
        Fixture::Child<Duration>(Dialog, QStringLiteral("DurationTime"))->SetValue(30);
    } else if (Row == QStringLiteral("add by price")) {
        TypePrice(Dialog, QStringLiteral("140"));
    } else if (Row == QStringLiteral("alter by price")) {
        Fixture::Click(Dialog, QStringLiteral("ActiveSum"));
        TypePrice(Dialog, QStringLiteral("100"));
    } else if (Row == QStringLiteral("alter by end")) {
        Fixture::Click(Dialog, QStringLiteral("EndTimeMode"));
        // Through the picker, as the operator sets it: the difference shown follows.
        Fixture::Child<Time>(Dialog, QStringLiteral("TimeTo"))->Picker()->setTime(QTime(16, 0));
    } else if (Row == QStringLiteral("rate of the seances")) {
        Fixture::Click(Dialog, QStringLiteral("chRate"));
        QComboBox *rates = Fixture::Child<RatesList>(Dialog, QStringLiteral("RatesList"))->ComboBox();
        rates->setCurrentIndex(FindListIndexByData(rates, Rate));
    } else if (Row == QStringLiteral("night seances")) {
        Fixture::ChooseDesktop(Dialog, Desktop);
    } else if (Row == QStringLiteral("desktop of the seances")) {
        Fixture::Click(Dialog, QStringLiteral("chDesktop"));
        Fixture::ChooseDesktop(Dialog, Desktop);
    }
}

// The code and the seconds left of each seance the client was sent.
QStringList SeancesSent(const ClientSim &Client)
{
    QStringList sent;
    for (const ClientSim::Received &message : Client.ReceivedMessages()) {
        if (message.Header == 1) {
            sent.append(message.Message.section(QLatin1Char('|'), 0, 1));
        }
    }
    return sent;
}
} // namespace

Q_DECLARE_METATYPE(Command)

// OK pressed again after a failure part-way through a dialog's computers: the computers written are
// off the grid, and each computer is written once.
class TestPartialApply : public DialogFixture
{
    Q_OBJECT

private slots:

    void initTestCase()
    {
        // The main window's layout store.
        QStandardPaths::setTestModeEnabled(true);
    }

    void init()
    {
        DialogFixture::init();
        SetRatePrice(DayRate, 100);
    }

    void secondOkAppliesToTheRest_data()
    {
        QTest::addColumn<bool>("running");
        QTest::newRow("add by minutes") << false;
        QTest::newRow("add by price") << false;
        QTest::newRow("alter by minutes") << true;
        QTest::newRow("alter by price") << true;
        QTest::newRow("alter by end") << true;
        QTest::newRow("rate of the seances") << true;
        QTest::newRow("night seances") << false;
    }

    void secondOkAppliesToTheRest()
    {
        QFETCH(bool, running);
        const QString row = QString::fromLatin1(QTest::currentDataTag());
        const qint32 evening = Db().AddRate(QStringLiteral("Вечерний"), 0, 70);
        if (row == QStringLiteral("night seances")) {
            const qint32 night = Db().AddRate(QStringLiteral("Ночной"), 1, 300);
            SetRatePrice(night, 300);
            Clock::SetNow(At(5, 23, 30));
        }
        for (qint32 num : {1, 2}) {
            if (running) {
                AddSeance(num, DayRate, Now.addSecs(-30 * Minute), 60, 100);
            }
        }
        // The database refuses every payment of computer 2's seances.
        QVERIFY(Db().AddRefusal(
            QStringLiteral("SeancePays"),
            QStringLiteral("INSERT"),
            QStringLiteral("(SELECT Computer FROM Seances WHERE Code = NEW.Seance) = %1").arg(Code(2))));
        const auto entries = Entries(AllComputers(), {1, 2});
        const auto steps = [&](QDialog *Dialog) {
            Enter(Dialog, row, Standard, evening);
            ApplyRefused(Dialog);
            QVERIFY(!entries->Item(1)->Selected());
            QVERIFY(!entries->Item(1)->Enabled());
            QVERIFY(entries->Item(2)->Selected());
            ApplyRefused(Dialog);
            QVERIFY(Db().Execute(TestDatabase::IsOdbc() ? QStringLiteral("DROP TRIGGER qm_refusal_1 ON SeancePays")
                                                        : QStringLiteral("DROP TRIGGER qm_refusal_1")));
            Click(Dialog, QStringLiteral("Apply"));
            QVERIFY(!Dialog->isVisible());
        };
        if (row.startsWith(QStringLiteral("add"))) {
            frmAddSeance dialog;
            WhenShown<QDialog>(&dialog, steps);
            QVERIFY(dialog.Start(entries, WrittenBack));
        } else if (row.startsWith(QStringLiteral("alter"))) {
            frmAlterSeance dialog;
            WhenShown<QDialog>(&dialog, steps);
            QVERIFY(dialog.Start(entries, WrittenBack));
        } else if (running) {
            frmEditSeancePrefs dialog;
            WhenShown<QDialog>(&dialog, steps);
            dialog.Start(entries, false, WrittenBack);
        } else {
            frmStartNightSeance dialog;
            WhenShown<QDialog>(&dialog, steps);
            QVERIFY(dialog.Start(entries, WrittenBack));
        }
        // Both computers written once, alike, and handed back; a new rate alone is told to no client.
        QCOMPARE(WrittenBack, (row == QStringLiteral("rate of the seances") ? QList<qint32>() : QList<qint32>{1, 2}));
        const auto first = SeancesOf(1);
        const auto second = SeancesOf(2);
        QCOMPARE(first.size(), 1);
        QCOMPARE(second.size(), 1);
        QCOMPARE(Pays(first.first()->Code()), Pays(second.first()->Code()));
        QCOMPARE(Pays(first.first()->Code()).size(), running ? 2 : 1);
        QCOMPARE(std::get<4>(Written(*first.first())), std::get<4>(Written(*second.first())));
        QCOMPARE(History(1).size(), 1);
        QCOMPARE(History(2).size(), 1);
    }

    void writtenComputersAreTold_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<Command>("command");
        QTest::addColumn<QString>("ending");
        using namespace std::placeholders;
        const std::pair<const char *, Command> dialogs[] = {
            {"add by minutes", std::bind(&ComputerCommands::AddSeance, _1, 1)},
            {"alter by minutes", std::bind(&ComputerCommands::AlterSeance, _1, 1)},
            {"desktop of the seances", std::bind(&ComputerCommands::EditSeancePrefs, _1, 1)},
            {"night seances", std::bind(&ComputerCommands::StartReservedSeance, _1, 1)}};
        for (const auto &[dialog, command] : dialogs) {
            for (const char *ending : {"retried", "cancelled", "closed"}) {
                QTest::addRow("%s, %s", dialog, ending) << dialog << command << ending;
            }
        }
        QTest::newRow("end, stopped") << "end" << Command(std::bind(&ComputerCommands::BreakStopSeance, _1, 1, false))
                                      << "stopped";
    }

    // The dialog writes computer 1 and fails at computer 2; however it ends, the client of each
    // computer written is sent its seance once, and its tile shows it.
    void writtenComputersAreTold()
    {
        QFETCH(QString, dialog);
        QFETCH(Command, command);
        QFETCH(QString, ending);
        const bool running = dialog != QStringLiteral("add by minutes") && dialog != QStringLiteral("night seances");
        if (dialog == QStringLiteral("night seances")) {
            SetRatePrice(Db().AddRate(QStringLiteral("Ночной"), 1, 300), 300);
            Clock::SetNow(At(5, 23, 30));
        }
        // No refresh of the timer's tells a client meanwhile.
        SetConfigValue(QStringLiteral("SeancesRefreshInterval"), QStringLiteral("3600"));
        MainForm window;
        QVERIFY(window.Load(TestNetwork::FreeServerPort(), QHostAddress(QHostAddress::LocalHost)));
        ClientSim clients[2];
        for (qint32 num : {1, 2}) {
            const qint32 seance = running ? AddSeance(num, DayRate, Clock::Now().addSecs(-30 * Minute), 60, 100) : 0;
            QVERIFY(Db().Execute(QStringLiteral("UPDATE Computers SET IP = '%1' WHERE Num = %2")
                                     .arg(TestNetwork::ClientIP(num))
                                     .arg(num)));
            QString err;
            QVERIFY2(clients[num - 1].Start(QHostAddress(TestNetwork::ClientIP(num)),
                                            quint16(window.Control()->GetListenerPort()),
                                            ClientSim::Mode::Control,
                                            err),
                     qPrintable(err));
            clients[num - 1].SetAnswer(4, ClientSim::Reply(QStringLiteral(" %1").arg(seance)));
            clients[num - 1].SetAnswer(1, ClientSim::Reply(QStringLiteral("-2")));
        }
        window.show();
        ComputersFrame *panel = window.Computers()->Panel();
        QTRY_VERIFY(panel->UserState(1) >= 0 && panel->UserState(2) >= 0);
        QVERIFY(Db().AddRefusal(QStringLiteral("History"),
                                QStringLiteral("INSERT"),
                                QStringLiteral("NEW.ComputerNum = 2")));
        WhenShown<QDialog>(nullptr, [&](QDialog *Dialog) {
            QTest::mouseClick(Child<ComputersButtons>(Dialog, QStringLiteral("ComputersButtons"))->Button(2),
                              Qt::LeftButton);
            if (ending == QStringLiteral("stopped")) {
                AnswerBoxes();
                Click(Dialog, QStringLiteral("Apply"));
                return;
            }
            Enter(Dialog, dialog, Games, DayRate);
            ApplyRefused(Dialog);
            if (ending == QStringLiteral("retried")) {
                QVERIFY(Db().Execute(TestDatabase::IsOdbc() ? QStringLiteral("DROP TRIGGER qm_refusal_1 ON History")
                                                            : QStringLiteral("DROP TRIGGER qm_refusal_1")));
                Click(Dialog, QStringLiteral("Apply"));
            } else if (ending == QStringLiteral("cancelled")) {
                Click(Dialog, QStringLiteral("Cancel"));
            } else {
                Dialog->close();
            }
        });
        command(panel->Commands());
        const auto seance = SeancesOf(1).last();
        const QDateTime end = DateValueOf(*seance, QStringLiteral("EndDate"));
        QTRY_COMPARE(SeancesSent(clients[0]),
                     QStringList{QStringLiteral(" %1| %2").arg(seance->Code()).arg(Clock::Now().secsTo(end))});
        QCOMPARE(SeancesSent(clients[1]).size(), ending == QStringLiteral("retried") ? 1 : 0);
        const ComputerTile &tile = panel->Control(1)->Tile();
        QCOMPARE(tile.State(), seance->Code());
        QCOMPARE(tile.RemainingMinutes().value_or(-1), MinutesBetween(Clock::Now(), end));
        QCOMPARE(tile.Mark(), smNone);
    }
};

QTEST_MAIN(TestPartialApply)
#include "tst_partialapply.moc"
