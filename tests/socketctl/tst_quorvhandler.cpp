// The control's listener and receive path: requests, probes and single messages that arrive,
// framing cut or joined at any point, malformed and hostile input.
#include "clock.h"
#include "datevalue.h"
#include "descriptorlimit.h"
#include "logger.h"
#include "packetframing.h"
#include "peerlimits.h"
#include "socketfixture.h"
#include "steadyclock.h"

#include <QRandomGenerator>
#include <QSettings>
#include <QSignalSpy>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>

using namespace Pelloxan;

namespace
{
struct Event
{
    QString FromIP;
    int Direction;
    int Code;
    int Header;
    QString Message;
};

QByteArray Frame(int Direction, int Code, int Header, const QString &Message)
{
    MessagePack pack;
    pack.SetPacketDirection(static_cast<enPacketDirection>(Direction));
    pack.SetCode(Code);
    pack.SetHeader(static_cast<quint8>(Header));
    pack.SetMessage(Message);
    return PacketFraming::ToPacketString(pack);
}

// A connection from 127.0.0.Host written to without running the event loop (the waits of a socket
// run none): the server has not accepted it yet when this returns.
bool OpenPending(QTcpSocket &Socket, int Host, quint16 Port, const QByteArray &Bytes)
{
    if (!Socket.bind(SocketFixture::ClientAddress(Host))) {
        return false;
    }
    Socket.connectToHost(QHostAddress(QStringLiteral("127.0.0.1")), Port);
    return Socket.waitForConnected() && Socket.write(Bytes) == Bytes.size() && Socket.waitForBytesWritten();
}

QStringList Lines(const QSignalSpy &Spy)
{
    QStringList lines;
    for (const QList<QVariant> &arguments : Spy) {
        lines.append(arguments.first().toString());
    }
    return lines;
}
} // namespace

class TestQuorvhandler : public QObject
{
    Q_OBJECT

    SocketFixture f;
    QList<Event> events;
    // Runs inside the host's handler, after the event is recorded.
    std::function<void(const MessagePackPtr &)> onRequest;
    // The admission's lines as the host was given them, and the log the host writes them to.
    QStringList notices;
    std::unique_ptr<Logger> noticeLog;

    std::unique_ptr<RawConnection> Connect(int Number = 2)
    {
        auto connection = std::make_unique<RawConnection>();
        if (!connection->Open(SocketFixture::ClientAddress(Number),
                              QHostAddress(QStringLiteral("127.0.0.1")),
                              f.Port)) {
            return nullptr;
        }
        return connection;
    }

    // A connected slot of the client 127.0.0.N is in the slot dump.
    bool OpenSlotOf(int Number) const
    {
        return f.DumpLines().join(QLatin1Char('\n')).contains(QStringLiteral("\t7\t127.0.0.%1").arg(Number));
    }

    QStringList Messages() const
    {
        QStringList messages;
        for (const Event &event : events) {
            messages.append(event.Message);
        }
        return messages;
    }

    // The connection from 127.0.0.7, accepted, reset at the row's point of the exchange.
    void ResetAfterAccept(const QByteArray &Sent, bool ResetInHandler, bool WaitInHandler, bool WaitForAnswer)
    {
        const auto connection = Connect(7);
        QVERIFY(connection);
        QTRY_COMPARE(f.Server->SlotCount(), 1);
        if (ResetInHandler) {
            RawConnection *raw = connection.get();
            onRequest = [this, raw, WaitInHandler](const MessagePackPtr &) {
                raw->Reset();
                // The host's nested wait sees the close, and the deferred deletion of the socket.
                if (WaitInHandler) {
                    QVERIFY(QTest::qWaitFor([this] { return !OpenSlotOf(7); }));
                }
            };
        }
        if (!Sent.isEmpty()) {
            QVERIFY(connection->Write(Sent));
        }
        if (WaitForAnswer) {
            QCOMPARE(connection->WaitForBytes(15), QByteArray(" 2| 1| 30| 2| 0"));
        }
        if (!ResetInHandler) {
            connection->Reset();
        }
        QTRY_VERIFY(!OpenSlotOf(7));
        // The handler has run; it must not reach the connection once it is gone.
        onRequest = nullptr;
    }

private slots:

    void init()
    {
        QVERIFY(f.StartServer());
        events.clear();
        onRequest = nullptr;
        notices.clear();
        noticeLog = std::make_unique<Logger>();
        QVERIFY(noticeLog->Init(DataFolder::FilePath(QStringLiteral("notices.log"))));
        connect(f.Server.get(), &Quorvhandler::Notice, this, [this](const QString &Text, bool IsError, bool &Written) {
            notices.append(Text);
            noticeLog->Log(Text, IsError ? Logger::KindError : Logger::KindInformation);
            Written = noticeLog->LastError().isEmpty();
        });
        connect(f.Server.get(),
                &Quorvhandler::IncomingRequest,
                this,
                [this](const QString &ip, const MessagePackPtr &mes) {
                    events.append(Event{ip, mes->PacketDirection(), mes->GetCode(), mes->Header(), mes->Message()});
                    if (onRequest) {
                        onRequest(mes);
                    }
                });
    }

    void cleanup()
    {
        f.Stop();
        Clock::SetNow(QDateTime());
    }

    void requestIsRaisedAndAnsweredWithTheHandlersPack()
    {
        onRequest = [](const MessagePackPtr &mes) {
            mes->SetMessage(QStringLiteral("-2"));
        };
        const auto connection = Connect();
        QVERIFY(connection);
        QVERIFY(connection->Write(" 1| 5| 30| 1|7"));
        QCOMPARE(connection->WaitForBytes(15), QByteArray(" 2| 5| 30| 2|-2"));
        QCOMPARE(events.size(), 1);
        QCOMPARE(events[0].FromIP, QStringLiteral("127.0.0.2"));
        QCOMPARE(events[0].Header, 30);
        QCOMPARE(events[0].Message, QStringLiteral("7"));
    }

    void probeIsAnsweredWithoutEvent()
    {
        const auto connection = Connect();
        QVERIFY(connection);
        QVERIFY(connection->Write(" 1| 8| 0| 3|abc"));
        QCOMPARE(connection->WaitForBytes(15), QByteArray(" 2| 8| 0| 3|abc"));
        QVERIFY(events.isEmpty());
    }

    void singleMessageIsRaisedButNotAnswered()
    {
        const auto connection = Connect();
        QVERIFY(connection);
        // The probe after it shows that nothing came back for the single message.
        QVERIFY(connection->Write(" 3| 6| 31| 2|12 1| 7| 0| 0|"));
        QCOMPARE(connection->WaitForBytes(12), QByteArray(" 2| 7| 0| 0|"));
        QCOMPARE(events.size(), 1);
        QCOMPARE(events[0].Direction, int(pdSingle));
        QCOMPARE(events[0].Message, QStringLiteral("12"));
    }

    void cyrillicTravelsAsWindows1251()
    {
        onRequest = [](const MessagePackPtr &mes) {
            mes->SetMessage(QStringLiteral("Привет"));
        };
        const auto connection = Connect();
        QVERIFY(connection);
        QVERIFY(connection->Write(" 1| 5| 32| 4|\xcf\xe0\xf0\xee"));
        QCOMPARE(connection->WaitForBytes(19), QByteArray(" 2| 5| 32| 6|\xcf\xf0\xe8\xe2\xe5\xf2"));
        QCOMPARE(events[0].Message, QStringLiteral("Паро"));
    }

    void pieces_data()
    {
        QTest::addColumn<QList<QByteArray>>("pieces");
        QTest::addColumn<QStringList>("messages");

        QTest::newRow("two in one write") << QList<QByteArray>{" 3| 1| 30| 1|a 3| 2| 30| 1|b"}
                                          << QStringList{QStringLiteral("a"), QStringLiteral("b")};
        QTest::newRow("one in three writes")
            << QList<QByteArray>{" 3| 1| 3", "0| 3|ab", "c"} << QStringList{QStringLiteral("abc")};
        QTest::newRow("cut after the blank of the length")
            << QList<QByteArray>{" 3| 1| 30| ", "3|abc"} << QStringList{QStringLiteral("abc")};
        QTest::newRow("cut inside the length")
            << QList<QByteArray>{" 3| 1| 30| 1", "2|abcdefghijkl"} << QStringList{QStringLiteral("abcdefghijkl")};
        QTest::newRow("next one starts in the same write") << QList<QByteArray>{" 3| 1| 30| 1|a 3", "| 2| 30| 1|b"}
                                                           << QStringList{QStringLiteral("a"), QStringLiteral("b")};
        QTest::newRow("text holds separators") << QList<QByteArray>{" 3| 1| 30| 5|", "|a|b| 3| 2| 30| 0|"}
                                               << QStringList{QStringLiteral("|a|b|"), QStringLiteral("")};
    }

    void pieces()
    {
        QFETCH(QList<QByteArray>, pieces);
        QFETCH(QStringList, messages);
        const auto connection = Connect();
        QVERIFY(connection);
        for (const QByteArray &piece : pieces) {
            QVERIFY(connection->Write(piece));
            QTest::qWait(30);
        }
        QTRY_COMPARE(Messages(), messages);
    }

    // A remainder waits 5 seconds for the rest of its message; an older one is dropped, so the
    // next write starts a message of its own.
    void pauseResynchronises_data()
    {
        QTest::addColumn<int>("pause");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("5 seconds joins") << 5 << QStringList{QStringLiteral("z"), QStringLiteral("ab 3")};
        QTest::newRow("6 seconds drops") << 6 << QStringList{QStringLiteral("z"), QStringLiteral("x")};
    }

    void pauseResynchronises()
    {
        QFETCH(int, pause);
        QFETCH(QStringList, messages);
        const QDateTime start = DateValue::Make(2024, 5, 1, 10, 0, 0);
        Clock::SetNow(start);
        const auto connection = Connect();
        QVERIFY(connection);
        // The whole message ahead of the remainder shows when the remainder was read.
        QVERIFY(connection->Write(" 3| 4| 30| 1|z 3| 5| 30| 4|ab"));
        QTRY_COMPARE(Messages(), QStringList{QStringLiteral("z")});
        Clock::SetNow(start.addSecs(pause));
        QVERIFY(connection->Write(" 3| 6| 30| 1|x"));
        QTRY_COMPARE(Messages(), messages);
    }

    void malformedInput_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("closes");

        QTest::newRow("header 256") << QByteArray(" 1| 5| 256| 0|") << true;
        QTest::newRow("negative length") << QByteArray(" 1| 5| 30|-1|") << true;
        QTest::newRow("length above 4 MiB") << QByteArray(" 1| 5| 30| 4194305|") << true;
        QTest::newRow("code beyond 32 bits") << QByteArray(" 1| 99999999999| 30| 0|") << true;
        QTest::newRow("endless field") << QByteArray(100, 'z') << true;
        QTest::newRow("long garbage field") << QByteArray(80, 'z') + "|1|2|3|" << true;
        QTest::newRow("non-numeric fields are zeros") << QByteArray("a|b|c|d|") << false;
        QTest::newRow("unknown direction") << QByteArray(" 7| 5| 30| 0|") << false;
        QTest::newRow("stray answer") << QByteArray(" 2| 5| 30| 2|-2") << false;
    }

    void malformedInput()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, closes);
        const auto connection = Connect();
        QVERIFY(connection);
        QVERIFY(connection->Write(bytes));
        if (closes) {
            QVERIFY(connection->WaitForClose());
            QTRY_COMPARE(f.Server->SlotCount(), 0);
        } else {
            QVERIFY(connection->Write(" 1| 9| 0| 0|"));
            QCOMPARE(connection->WaitForBytes(12), QByteArray(" 2| 9| 0| 0|"));
        }
        QVERIFY(events.isEmpty());

        const auto next = Connect(3);
        QVERIFY(next);
        QVERIFY(next->Write(" 1| 1| 30| 1|5"));
        QCOMPARE(next->WaitForBytes(14), QByteArray(" 2| 1| 30| 1|5"));
    }

    void randomGarbageNeverBreaksTheControl()
    {
        QRandomGenerator random(20240501);
        for (int round = 0; round < 20; ++round) {
            const auto connection = Connect(2 + round % 5);
            QVERIFY(connection);
            QByteArray bytes(1 + random.bounded(20000), Qt::Uninitialized);
            for (char &byte : bytes) {
                // Mostly digits, blanks and separators, so that some of it parses.
                static const char alphabet[] = " 0123456789|-|123 ";
                byte = random.bounded(4) == 0 ? char(random.bounded(256)) : alphabet[random.bounded(18)];
            }
            connection->Write(bytes);
        }
        const auto connection = Connect();
        QVERIFY(connection);
        QVERIFY(connection->Write(" 1| 9| 0| 0|"));
        QCOMPARE(connection->WaitForBytes(12), QByteArray(" 2| 9| 0| 0|"));
    }

    // Cutting is a loop over one buffer: a flood of small messages is handled whole and in order.
    void floodOfSmallMessages()
    {
        constexpr int count = 100000;
        QByteArray flood;
        for (int i = 1; i <= count; ++i) {
            flood += Frame(pdSingle, i, 31, QString::number(i));
        }
        const auto connection = Connect();
        QVERIFY(connection);
        QVERIFY(connection->Write(flood));
        QTRY_COMPARE_WITH_TIMEOUT(events.size(), count, 60000);
        QCOMPARE(events.constFirst().Code, 1);
        QCOMPARE(events.constLast().Message, QString::number(count));
    }

    // Data that arrives while the handler waits in a dialog of its own is cut after the handler
    // returns, in order, and every request is answered in turn.
    void arrivalDuringHandlerKeepsOrder()
    {
        ClientSim *sim = f.StartClient(3, ClientSim::Mode::Raw);
        QVERIFY(sim);
        sim->SetAnswer(4, ClientSim::Late(QStringLiteral("nested"), 300));
        f.Server->SetAnswerTimeout(5);
        onRequest = [this](const MessagePackPtr &mes) {
            if (mes->Header() == 40) {
                QString error;
                const MessagePackPtr answer =
                    f.Server->DialogMessage(SocketFixture::ClientIP(3), f.Server->MakeMessagePacketFromParts(4), error);
                mes->SetMessage(answer ? answer->Message() : error);
            }
        };
        const auto connection = Connect();
        QVERIFY(connection);
        RawConnection *raw = connection.get();
        QTimer::singleShot(50, this, [raw] { raw->Write(" 1| 2| 41| 1|b 1| 3| 4"); });
        QTimer::singleShot(120, this, [raw] { raw->Write("2| 1|c"); });
        QVERIFY(connection->Write(" 1| 1| 40| 1|a"));

        const QByteArray expected = " 2| 1| 40| 6|nested 2| 2| 41| 1|b 2| 3| 42| 1|c";
        QCOMPARE(connection->WaitForBytes(expected.size(), 5000), expected);
        QCOMPARE(Messages(), QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    }

    // A connection's messages are handled in batches, one batch a turn of the event loop: every
    // request is still answered in the order it came, and another connection's message that
    // arrives meanwhile does not wait for the whole flood.
    void messagesKeepTheirOrderAcrossBatches()
    {
        constexpr int count = 10000;
        QByteArray flood;
        QByteArray expected;
        for (int i = 1; i <= count; ++i) {
            flood += Frame(pdRequest, i, 30, QString::number(i));
            expected += Frame(pdAnswer, i, 30, QString::number(i));
        }
        const auto flooding = Connect(2);
        const auto other = Connect(3);
        QVERIFY(flooding && other);
        QVERIFY(flooding->Write(flood));
        QVERIFY(other->Write(Frame(pdSingle, 1, 31, QStringLiteral("other"))));
        QCOMPARE(flooding->WaitForBytes(expected.size(), 60000), expected);
        QTRY_COMPARE(events.size(), count + 1);
        qsizetype otherAt = -1;
        QStringList flooded;
        for (qsizetype i = 0; i < events.size(); ++i) {
            if (events[i].FromIP == QStringLiteral("127.0.0.3")) {
                otherAt = i;
            } else {
                flooded.append(events[i].Message);
            }
        }
        QStringList inOrder;
        for (int i = 1; i <= count; ++i) {
            inOrder.append(QString::number(i));
        }
        QCOMPARE(flooded, inOrder);
        QVERIFY2(otherAt >= 0 && otherAt < count / 2, qPrintable(QString::number(otherAt)));
    }

    // What a peer sends right before it closes is handled in full and in order, also beyond the
    // first batch; the closed slot then stays in the table, and in its dump, as closed.
    void messagesBeforeTheCloseAreHandled()
    {
        constexpr int count = 200;
        QByteArray singles;
        for (int i = 1; i <= count; ++i) {
            singles += Frame(pdSingle, i, 31, QString::number(i));
        }
        const auto connection = Connect();
        QVERIFY(connection);
        QVERIFY(connection->Write(singles));
        connection->Close();
        QTRY_COMPARE(events.size(), count);
        QCOMPARE(events.constFirst().Message, QStringLiteral("1"));
        QCOMPARE(events.constLast().Message, QString::number(count));
        QCOMPARE(f.Server->SlotCount(), 1);
        QTRY_COMPARE(f.DumpLines(), QStringList({QStringLiteral("1\t0\tIN\tFREE\tNOT SENDING\t0\t127.0.0.2")}));
    }

    // A peer may reset its connection at any point of an exchange, from any address. Reset right
    // after its state report, the answer's send met the reset and the control crashed.
    void peerResetsAtEveryPoint_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<bool>("resetInHandler");
        QTest::addColumn<bool>("waitInHandler");
        QTest::addColumn<bool>("waitForAnswer");
        QTest::addColumn<int>("raised");
        QTest::addColumn<bool>("beforeAccept");

        const QByteArray report(" 1| 1| 30| 2| 0");
        QTest::newRow("before the request") << QByteArray() << false << false << false << 0 << false;
        QTest::newRow("in the middle of the request") << report.left(11) << false << false << false << 0 << false;
        QTest::newRow("after the request, before the answer") << report << true << false << false << 1 << false;
        QTest::newRow("while the host waits") << report << true << true << false << 1 << false;
        QTest::newRow("right after the request") << report << false << false << false << 1 << false;
        QTest::newRow("after the answer") << report << false << false << true << 1 << false;
        // The address was read after the accept, which a reset peer no longer has: the line about
        // the answer that could not go named the peer ''.
        QTest::newRow("after the request, before its accept") << report << false << false << false << 1 << true;
    }

    void peerResetsAtEveryPoint()
    {
        QFETCH(QByteArray, sent);
        QFETCH(bool, resetInHandler);
        QFETCH(bool, waitInHandler);
        QFETCH(bool, waitForAnswer);
        QFETCH(int, raised);
        QFETCH(bool, beforeAccept);
        QSignalSpy failures(f.Server.get(), &Quorvhandler::Failure);
        if (beforeAccept) {
            QTcpSocket pending;
            QVERIFY(OpenPending(pending, 7, f.Port, sent));
            const linger reset{1, 0};
            ::setsockopt(int(pending.socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
            pending.abort();
            QTRY_VERIFY(Lines(failures)
                            .join(QLatin1Char('\n'))
                            .contains(QStringLiteral("Ответ на запрос с кодом 1 от '127.0.0.7' не отправлен: ")));
        } else {
            ResetAfterAccept(sent, resetInHandler, waitInHandler, waitForAnswer);
            if (QTest::currentTestFailed()) {
                return;
            }
        }
        QTRY_COMPARE(events.size(), raised);
        QTRY_VERIFY(!OpenSlotOf(7));
        QVERIFY2(!Lines(failures).join(QLatin1Char('\n')).contains(QStringLiteral("''")),
                 qPrintable(Lines(failures).join(QLatin1Char('\n'))));

        const auto next = Connect(3);
        QVERIFY(next);
        QVERIFY(next->Write(" 1| 2| 30| 2| 0"));
        QCOMPARE(next->WaitForBytes(15), QByteArray(" 2| 2| 30| 2| 0"));
    }

    // Accepted connections that bring no whole message, or hold part of one, go after the time-out;
    // one that has brought a whole message stays for the club computer's next requests.
    void idleConnections_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<int>("messages");
        QTest::addColumn<bool>("closed");
        const QByteArray whole = Frame(pdSingle, 5, 31, QStringLiteral("a"));
        QTest::newRow("nothing sent") << QByteArray() << 0 << true;
        QTest::newRow("part of a message") << whole.left(9) << 0 << true;
        QTest::newRow("a whole message") << whole << 1 << false;
        QTest::newRow("a whole message, then part of one") << whole + whole.left(9) << 1 << true;
    }

    void idleConnections()
    {
        QFETCH(QByteArray, sent);
        QFETCH(int, messages);
        QFETCH(bool, closed);
        // It sends nothing, so it goes at the time-out: once it has gone, a sweep has looked.
        const auto witness = Connect(3);
        const auto connection = Connect(2);
        QVERIFY(witness && connection);
        if (!sent.isEmpty()) {
            QVERIFY(connection->Write(sent));
        }
        QTRY_COMPARE(f.Server->SlotCount(), 2);
        QTRY_COMPARE(events.size(), messages);
        SteadyClock::Advance(PeerLimits::IdleMs);
        QVERIFY(witness->WaitForClose());
        QCOMPARE(f.Server->SlotCount(), closed ? 0 : 1);
        QCOMPARE(connection->WaitForClose(closed ? RawConnection::DefaultTimeoutMs : 0), closed);
    }

    // Connections past the listener's share are closed at once and the limit is logged once,
    // however many it closes; a club computer that finds it full takes room from the computer
    // holding most. (Each address's own limit: the program's flood suite.)
    void shareLimit_data()
    {
        QTest::addColumn<QList<int>>("hosts");
        // The connections closed, by their place in hosts.
        QTest::addColumn<QList<int>>("closed");
        QTest::addColumn<QStringList>("logged");
        const QString full = QStringLiteral("Порт %1: открыто предельное число входящих соединений (16), новые "
                                            "соединения закрываются");
        QTest::newRow("beyond the share")
            << QList<int>(8, 2) + QList<int>(8, 3) + QList<int>{2, 3} << QList<int>{16, 17} << QStringList{full};
        QTest::newRow("room from the computer holding most")
            << QList<int>(16, 2) + QList<int>{3, 3} << QList<int>{0, 1} << QStringList{};
    }

    void shareLimit()
    {
        QFETCH(QList<int>, hosts);
        QFETCH(QList<int>, closed);
        QFETCH(QStringList, logged);
        {
            // With 64 descriptors the control's share is 16 connections, taken as the listener starts.
            DescriptorLimit lowered(64);
            QString error;
            QVERIFY2(f.Server->Start(f.Port, error), qPrintable(error));
        }
        notices.clear();
        std::vector<std::unique_ptr<RawConnection>> connections;
        for (const int host : std::as_const(hosts)) {
            connections.push_back(Connect(host));
            QVERIFY(connections.back());
            QTRY_COMPARE(f.Server->SlotCount(), std::min<qsizetype>(connections.size(), 16));
        }
        for (qsizetype i = 0; i < hosts.size(); ++i) {
            if (closed.contains(i)) {
                QVERIFY(connections[i]->WaitForClose());
            } else {
                QVERIFY(connections[i]->Write(" 1| 9| 0| 0|"));
                QCOMPARE(connections[i]->WaitForBytes(12), QByteArray(" 2| 9| 0| 0|"));
            }
        }
        QCOMPARE(f.Server->SlotCount(), 16);
        for (QString &line : logged) {
            line = line.arg(f.Port);
        }
        QCOMPARE(notices, logged);
    }

    // With no descriptor left, what waits is accepted in the spare descriptor's place and closed,
    // there being no room to make for it, instead of waiting for as long as the descriptors are
    // out; the line about it is written with the spare's descriptor, and once descriptors are back
    // and the limit has been quiet, that too is told.
    void descriptorLimitClosesWhatWaits()
    {
        QTcpSocket pending;
        const QString port = QStringLiteral("Порт %1: ").arg(f.Port);
        const QString out =
            port + QStringLiteral("исчерпан предел открытых файлов процесса, новые соединения закрываются");
        {
            // Low enough to be filled at once, above what the suite holds.
            QVERIFY(OpenPending(pending, 2, f.Port, Frame(pdRequest, 1, 30, QStringLiteral("0"))));
            DescriptorLimit lowered(256);
            lowered.Fill();
            QTRY_COMPARE(pending.state(), QAbstractSocket::UnconnectedState);
        }
        QCOMPARE(notices, QStringList{out});
        QFile log(noticeLog->FileName());
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(log.readAll()).contains(QStringLiteral("! ") + out));
        const auto later = Connect();
        QVERIFY(later && later->Write(" 1| 9| 0| 0|"));
        QCOMPARE(later->WaitForBytes(12), QByteArray(" 2| 9| 0| 0|"));
        SteadyClock::Advance(PortAdmission::QuietMs);
        QTRY_COMPARE(notices.size(), 2);
        QCOMPARE(notices.last(),
                 port + QStringLiteral("открытых файлов снова меньше предела процесса, соединения принимаются"));
    }

    void startOnPortInUseFails()
    {
        Quorvhandler second;
        second.SetBindAddress(QHostAddress(QStringLiteral("127.0.0.1")));
        QString error = QStringLiteral("untouched");
        QVERIFY(!second.Start(f.Port, error));
        QVERIFY2(error.startsWith(QStringLiteral("Не удалось запустить прослушиватель: ")), qPrintable(error));
        QVERIFY(error.size() > QStringLiteral("Не удалось запустить прослушиватель: ").size());
        QCOMPARE(second.GetListenerPort(), 0);
    }

    void stopClosesEverything()
    {
        const auto connection = Connect();
        QVERIFY(connection);
        QTRY_COMPARE(f.Server->SlotCount(), 1);
        f.Server->Stop_();
        QCOMPARE(f.Server->GetListenerPort(), 0);
        QCOMPARE(f.Server->SlotCount(), 0);
        QVERIFY(connection->WaitForClose());
        QCOMPARE(f.DumpLines(), QStringList());

        QString error;
        QVERIFY(!f.Server->DialogMessage(QStringLiteral("127.0.0.2"), f.Server->MakeMessagePacketFromParts(4), error));
        QCOMPARE(error, QStringLiteral("Сетевая библиотека остановлена!"));
    }

    void dumpMirrorsTheSlots()
    {
        const auto connection = Connect();
        QVERIFY(connection);
        QTRY_COMPARE(f.DumpLines(), QStringList({QStringLiteral("1\t0\tIN\tFREE\tNOT SENDING\t7\t127.0.0.2")}));
    }

    void propertiesKeepOnlyChangedValues()
    {
        QTemporaryDir dir;
        QSettings settings(dir.filePath(QStringLiteral("props.ini")), QSettings::IniFormat);
        Quorvhandler control;
        control.SetConnectTimeout(3);
        control.WriteProperties(settings);
        QCOMPARE(settings.value(QStringLiteral("ConnectTimeout")).toInt(), 3);
        QVERIFY(!settings.contains(QStringLiteral("AnswerTimeout")));

        control.SetConnectTimeout(Quorvhandler::DefaultConnectTimeout);
        control.SetAnswerTimeout(7);
        control.WriteProperties(settings);
        QVERIFY(!settings.contains(QStringLiteral("ConnectTimeout")));

        Quorvhandler reread;
        reread.ReadProperties(settings);
        QCOMPARE(reread.ConnectTimeout(), 5);
        QCOMPARE(reread.AnswerTimeout(), 7);
    }
};

QTEST_GUILESS_MAIN(TestQuorvhandler)
#include "tst_quorvhandler.moc"
