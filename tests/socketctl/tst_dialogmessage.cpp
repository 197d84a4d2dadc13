// The request/answer dialog against simulated client computers: every failure, connection reuse
// with its probe, nested dialogs, and long runs that must leave nothing behind.
#include "packetframing.h"
#include "peerlimits.h"
#include "socketfixture.h"

#include <QDir>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryFile>
#include <QTimer>

#include <algorithm>
#include <sys/socket.h>

using namespace Pelloxan;

namespace
{
QByteArray AnswerBytes(const MessagePack &Request, qint32 Code, const QString &Text)
{
    MessagePack answer = Request;
    answer.SetPacketDirection(pdAnswer);
    answer.SetCode(Code);
    answer.SetMessage(Text);
    return PacketFraming::ToPacketString(answer);
}

qsizetype OpenFileDescriptors()
{
    return QDir(QStringLiteral("/proc/self/fd"))
        .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)
        .size();
}

QList<int> Headers(const ClientSim &Sim)
{
    QList<int> headers;
    const QList<ClientSim::Received> received = Sim.ReceivedMessages();
    for (const ClientSim::Received &message : received) {
        headers.append(message.Header);
    }
    return headers;
}
} // namespace

class TestDialogMessage : public QObject
{
    Q_OBJECT

    SocketFixture f;

    MessagePackPtr Dialog(int Client, quint8 Header, QString &Error, const QString &Message = QString())
    {
        return f.Server->DialogMessage(SocketFixture::ClientIP(Client),
                                       f.Server->MakeMessagePacketFromParts(Header, Message),
                                       Error);
    }

private slots:

    void init()
    {
        QVERIFY(f.StartServer());
    }

    void cleanup()
    {
        f.Stop();
    }

    void answerComesBack_data()
    {
        QTest::addColumn<ClientSim::Mode>("mode");
        QTest::newRow("control") << ClientSim::Mode::Control;
        QTest::newRow("raw") << ClientSim::Mode::Raw;
    }

    void answerComesBack()
    {
        QFETCH(ClientSim::Mode, mode);
        ClientSim *sim = f.StartClient(2, mode);
        QVERIFY(sim);
        sim->SetAnswer(4, ClientSim::Reply(QStringLiteral("17")));
        QString error = QStringLiteral("untouched");
        const MessagePackPtr request = f.Server->MakeMessagePacketFromParts(4, QStringLiteral("Привет"));
        const MessagePackPtr answer = f.Server->DialogMessage(QStringLiteral("127.0.0.2"), request, error);
        QVERIFY2(answer, qPrintable(error));
        QCOMPARE(error, QStringLiteral("untouched"));
        QCOMPARE(answer->PacketDirection(), pdAnswer);
        QCOMPARE(answer->GetCode(), request->GetCode());
        QCOMPARE(answer->Header(), quint8(4));
        QCOMPARE(answer->Message(), QStringLiteral("17"));
        QCOMPARE(sim->ReceivedMessages().constLast().Message, QStringLiteral("Привет"));
        QCOMPARE(sim->ReceivedMessages().constLast().FromIP, QStringLiteral("127.0.0.1"));
        // The dump is rewritten when the slot table changes, last when the connection was made;
        // releasing the slot after the dialog is no such change.
        QCOMPARE(f.DumpLines(), QStringList({QStringLiteral("1\t0\tOUT\tBUSY\tNOT SENDING\t7\t127.0.0.2")}));
    }

    void secondDialogReusesTheConnectionAfterAProbe()
    {
        ClientSim *sim = f.StartClient(2, ClientSim::Mode::Raw);
        QVERIFY(sim);
        QString error;
        QVERIFY2(Dialog(2, 4, error), qPrintable(error));
        QVERIFY2(Dialog(2, 4, error), qPrintable(error));
        QCOMPARE(Headers(*sim), QList<int>({4, 0, 4}));
        QCOMPARE(sim->ReceivedMessages().at(1).Message, QString());
        QCOMPARE(sim->OpenRawConnections(), 1);
        QCOMPARE(f.Server->SlotCount(), 1);
    }

    // A reused connection whose probe goes unanswered is given up for a new one, and why is kept.
    void unansweredProbeOpensANewConnection()
    {
        ClientSim *sim = f.StartClient(2, ClientSim::Mode::Raw);
        QVERIFY(sim);
        QString error;
        QSignalSpy reported(f.Server.get(), &Quorvhandler::Failure);
        QVERIFY2(Dialog(2, 4, error), qPrintable(error));
        QCOMPARE(reported.size(), 0);
        sim->SetAnswerOnce(0, ClientSim::Silence());
        const MessagePackPtr answer = Dialog(2, 4, error);
        QVERIFY2(answer, qPrintable(error));
        QCOMPARE(reported.size(), 1);
        QCOMPARE(reported.first().first().toString(),
                 QStringLiteral("Коннекция 1 с '127.0.0.2' не ответила на проверку: "
                                "Не получен ответ на запрос от удалённого компьютера!"));
        QCOMPARE(Headers(*sim), QList<int>({4, 0, 4}));
        QCOMPARE(f.Server->SlotCount(), 1);
    }

    // The host may stop the control when told of the failed probe: the dialog then opens nothing.
    void controlStoppedWhenTheProbeFails()
    {
        ClientSim *sim = f.StartClient(2, ClientSim::Mode::Raw);
        QVERIFY(sim);
        QString error;
        QVERIFY2(Dialog(2, 4, error), qPrintable(error));
        sim->SetAnswerOnce(0, ClientSim::Silence());
        connect(f.Server.get(), &Quorvhandler::Failure, this, [this] { f.Server->Stop_(); });
        QVERIFY(!Dialog(2, 4, error));
        QCOMPARE(error, QStringLiteral("Сетевая библиотека остановлена!"));
        QCOMPARE(f.Server->SlotCount(), 0);
        QCOMPARE(Headers(*sim), QList<int>({4, 0}));
    }

    // A slot dump that cannot be written stops no dialog, and why is kept.
    void unwritableDumpIsKept()
    {
        QTemporaryFile notAFolder;
        QVERIFY(notAFolder.open());
        DataFolder::SetDataFolder(notAFolder.fileName());
        ClientSim *sim = f.StartClient(2, ClientSim::Mode::Raw);
        QVERIFY(sim);
        QString error;
        QSignalSpy reported(f.Server.get(), &Quorvhandler::Failure);
        QVERIFY2(Dialog(2, 4, error), qPrintable(error));
        QVERIFY(!reported.isEmpty());
        QCOMPARE(reported.last().first().toString(),
                 QStringLiteral("Ошибка записи файла '") + notAFolder.fileName()
                     + QStringLiteral("/sckdump.txt': Часть пути не является папкой"));
    }

    void settingsFirstOnce()
    {
        ClientSim *sim = f.StartClient(2, ClientSim::Mode::Control);
        QVERIFY(sim);
        sim->SetAnswer(1, ClientSim::Reply(QStringLiteral("-2")));
        sim->SetAnswerOnce(1, ClientSim::Reply(QStringLiteral("-1")));
        QString error;
        QCOMPARE(Dialog(2, 1, error)->Message(), QStringLiteral("-1"));
        QCOMPARE(Dialog(2, 1, error)->Message(), QStringLiteral("-2"));
    }

    void singleMessageIsAnsweredByTheControlItself()
    {
        ClientSim *sim = f.StartClient(2, ClientSim::Mode::Control);
        QVERIFY(sim);
        const MessagePackPtr single = f.Server->MakeMessagePacketFromParts(2, QStringLiteral("1"), true);
        QCOMPARE(single->PacketDirection(), pdSingle);
        QString error;
        const MessagePackPtr answer = f.Server->DialogMessage(QStringLiteral("127.0.0.2"), single, error);
        QVERIFY2(answer, qPrintable(error));
        QCOMPARE(answer->PacketDirection(), pdAnswer);
        QCOMPARE(answer->GetCode(), single->GetCode());
        QCOMPARE(answer->Header(), quint8(2));
        QCOMPARE(answer->Message(), QString());
        QVERIFY(sim->WaitForReceived(1));
        QCOMPARE(sim->ReceivedMessages().constFirst().Direction, pdSingle);
    }

    void failures_data()
    {
        QTest::addColumn<ClientSim::Answer>("script");
        QTest::addColumn<QString>("error");

        const QString noAnswer = QStringLiteral("Не получен ответ на запрос от удалённого компьютера!");
        QTest::newRow("silence") << ClientSim::Silence() << noAnswer;
        QTest::newRow("late answer") << ClientSim::Late(QStringLiteral("-2"), 1500) << noAnswer;
        QTest::newRow("closed while waiting") << ClientSim::Close() << noAnswer;
        QTest::newRow("answer with an unknown code") << ClientSim::Bytes([](const MessagePack &request) {
            return AnswerBytes(request, 9999, QStringLiteral("-2"));
        }) << noAnswer;
        QTest::newRow("malformed answer")
            << ClientSim::Bytes([](const MessagePack &) { return QByteArray(" 2| 1| 999| 0|"); }) << noAnswer;
        QTest::newRow("wrong header") << ClientSim::WrongHeader(5, QStringLiteral("-2"))
                                      << QStringLiteral("От удалённого компьютера получен ответ неожиданного типа!");
    }

    void failures()
    {
        QFETCH(ClientSim::Answer, script);
        QFETCH(QString, error);
        ClientSim *sim = f.StartClient(2, ClientSim::Mode::Raw);
        QVERIFY(sim);
        sim->SetAnswer(4, script);
        QString actual;
        QVERIFY(!Dialog(2, 4, actual));
        QCOMPARE(actual, error);
        // Every failure closes the connection and forgets its slot.
        QCOMPARE(f.Server->SlotCount(), 0);
        QTRY_COMPARE(sim->OpenRawConnections(), 0);
        // The dump follows within one turn of the event loop.
        QTRY_COMPARE(f.DumpLines(), QStringList());

        // What arrives later finds no slot; the next dialog connects anew.
        sim->SetAnswer(4, ClientSim::Reply(QStringLiteral("ok")));
        QString next;
        const MessagePackPtr answer = Dialog(2, 4, next);
        QVERIFY2(answer, qPrintable(next));
        QCOMPARE(answer->Message(), QStringLiteral("ok"));
    }

    void closeWhileWaitingFailsAtOnce()
    {
        ClientSim *sim = f.StartClient(2, ClientSim::Mode::Raw);
        QVERIFY(sim);
        sim->SetAnswer(4, ClientSim::Close());
        // Longer than the suite may run: a dialog that waited for its time-out would fail the suite.
        f.Server->SetAnswerTimeout(3600);
        QString error;
        QVERIFY(!Dialog(2, 4, error));
        QCOMPARE(error, QStringLiteral("Не получен ответ на запрос от удалённого компьютера!"));
    }

    void duplicateAnswerKeepsTheFirst()
    {
        ClientSim *sim = f.StartClient(2, ClientSim::Mode::Raw);
        QVERIFY(sim);
        ClientSim::Answer script = ClientSim::Reply(QStringLiteral("second"));
        script.Prefix = [](const MessagePack &request) {
            return AnswerBytes(request, request.GetCode(), QStringLiteral("first"));
        };
        sim->SetAnswer(4, script);
        QString error;
        const MessagePackPtr answer = Dialog(2, 4, error);
        QVERIFY2(answer, qPrintable(error));
        QCOMPARE(answer->Message(), QStringLiteral("first"));
    }

    void nobodyListens()
    {
        QString error;
        QVERIFY(!Dialog(9, 4, error));
        QCOMPARE(error, QStringLiteral("Ошибка соединения с удалённым компьютером '127.0.0.9:%1' !").arg(f.Port));
        QCOMPARE(f.Server->SlotCount(), 0);
        QTRY_COMPARE(f.DumpLines(), QStringList());
    }

    void connectionThatCannotStart()
    {
        QString error;
        QVERIFY(!f.Server->DialogMessage(QStringLiteral("::1"), f.Server->MakeMessagePacketFromParts(4), error));
        QCOMPARE(error, QStringLiteral("Ошибка открытия коннекции с '::1': соединение с этим адресом невозможно"));
        QCOMPARE(f.Server->SlotCount(), 0);
    }

    // A handler that turns the request into a single message sends no answer.
    void handlerCanWithholdTheAnswer()
    {
        ClientSim *sim = f.StartClient(2, ClientSim::Mode::Control);
        QVERIFY(sim);
        sim->SetAnswer(4, ClientSim::Silence());
        QString error;
        QVERIFY(!Dialog(2, 4, error));
        QCOMPARE(error, QStringLiteral("Не получен ответ на запрос от удалённого компьютера!"));
        QCOMPARE(Headers(*sim), QList<int>({4}));
    }

    void rawClientSendsItsOwnMessages()
    {
        QList<int> headers;
        connect(f.Server.get(),
                &Quorvhandler::IncomingRequest,
                this,
                [&](const QString &ip, const MessagePackPtr &mes) {
                    headers.append(mes->Header());
                    mes->SetMessage(ip == QStringLiteral("127.0.0.4") ? QStringLiteral("-2") : ip);
                });
        ClientSim *sim = f.StartClient(4, ClientSim::Mode::Raw);
        QVERIFY(sim);
        QString error;
        const MessagePackPtr answer = sim->SendRequest(QStringLiteral("127.0.0.1"), 32, QStringLiteral("abc"), error);
        QVERIFY2(answer, qPrintable(error));
        QCOMPARE(answer->Message(), QStringLiteral("-2"));
        QVERIFY2(sim->SendSingle(QStringLiteral("127.0.0.1"), 31, QStringLiteral("7"), error), qPrintable(error));
        QTRY_COMPARE(headers, QList<int>({32, 31}));
    }

    void closedIncomingSlotIsPurgedByTheNextDialog()
    {
        ClientSim *sim = f.StartClient(2, ClientSim::Mode::Raw);
        QVERIFY(sim);
        std::unique_ptr<RawConnection> incoming = sim->OpenRaw(QStringLiteral("127.0.0.1"));
        QVERIFY(incoming);
        QTRY_COMPARE(f.Server->SlotCount(), 1);
        incoming->Close();
        QTRY_COMPARE(f.DumpLines(), QStringList({QStringLiteral("1\t0\tIN\tFREE\tNOT SENDING\t0\t127.0.0.2")}));
        // The peer's close leaves the slot in the table, closed and idle, until a purge.
        QCOMPARE(f.Server->SlotCount(), 1);
        QString error;
        QVERIFY2(Dialog(2, 4, error), qPrintable(error));
        QCOMPARE(f.Server->SlotCount(), 1);
        QCOMPARE(f.DumpLines(), QStringList({QStringLiteral("1\t0\tOUT\tBUSY\tNOT SENDING\t7\t127.0.0.2")}));
    }

    void stoppedControlRefusesAtOnce()
    {
        f.Server->Stop_();
        QString error;
        QVERIFY(!Dialog(2, 4, error));
        QCOMPARE(error, QStringLiteral("Сетевая библиотека остановлена!"));
    }

    // A peer that never reads: the send cannot complete and fails after AnswerTimeout.
    void sendThatNeverCompletes()
    {
        QTcpServer deaf;
        QVERIFY(deaf.listen(SocketFixture::ClientAddress(2), f.Port));
        // The connection waits in the backlog with a tiny receive buffer, so the kernel soon
        // takes no more.
        deaf.pauseAccepting();
        const int receiveBuffer = 4096;
        QCOMPARE(
            ::setsockopt(int(deaf.socketDescriptor()), SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer),
            0);
        QString error;
        const QString big(PacketFraming::MaxMessageBytes, QLatin1Char('x'));
        QVERIFY(!f.Server->DialogMessage(QStringLiteral("127.0.0.2"),
                                         f.Server->MakeMessagePacketFromParts(9, big, true),
                                         error));
        QCOMPARE(error, QStringLiteral("Ошибка отправки сообщения на удалённый компьютер!"));
        QCOMPARE(f.Server->SlotCount(), 0);
    }

    // A dialog nested in another to the same computer opens its own connection; the next dialog's
    // purge frees the surplus idle one and reuses the first.
    void nestedDialogToTheSameComputer()
    {
        ClientSim *sim = f.StartClient(2, ClientSim::Mode::Raw);
        QVERIFY(sim);
        f.Server->SetAnswerTimeout(5);
        sim->SetAnswer(4, ClientSim::Late(QStringLiteral("outer"), 400));
        sim->SetAnswer(6, ClientSim::Reply(QStringLiteral("inner")));
        // The sim answers something unrelated at once on the outer connection, so the receive path
        // runs on the slot while the outer dialog holds it: the slot must stay held.
        ClientSim::Answer outer = ClientSim::Late(QStringLiteral("outer"), 400);
        outer.Prefix = [](const MessagePack &request) {
            return AnswerBytes(request, 424242, QString());
        };
        sim->SetAnswer(4, outer);

        QString innerError;
        MessagePackPtr inner;
        QTimer::singleShot(150, this, [&] { inner = Dialog(2, 6, innerError); });
        QString outerError;
        const MessagePackPtr answer = Dialog(2, 4, outerError);
        QVERIFY2(answer, qPrintable(outerError));
        QCOMPARE(answer->Message(), QStringLiteral("outer"));
        QTRY_VERIFY2(inner, qPrintable(innerError));
        QCOMPARE(inner->Message(), QStringLiteral("inner"));
        QCOMPARE(Headers(*sim), QList<int>({4, 6}));
        QCOMPARE(f.Server->SlotCount(), 2);

        QString error;
        QVERIFY2(Dialog(2, 4, error), qPrintable(error));
        QCOMPARE(f.Server->SlotCount(), 1);
        QCOMPARE(Headers(*sim), QList<int>({4, 6, 0, 4}));
        QTRY_COMPARE(sim->OpenRawConnections(), 1);
    }

    // Stop during a dialog frees its slot after a bounded wait; the slot number is taken again at
    // once, and the dialog, when it resumes, fails without touching the new slot.
    void slotFreedUnderAWaitingDialog()
    {
        ClientSim *silent = f.StartClient(2, ClientSim::Mode::Raw);
        ClientSim *other = f.StartClient(3, ClientSim::Mode::Raw);
        QVERIFY(silent && other);
        silent->SetAnswer(4, ClientSim::Silence());
        QString otherError = QStringLiteral("not run");
        QTimer::singleShot(100, this, [&] {
            f.Server->Stop_();
            QString startError;
            QVERIFY2(f.Server->Start(f.Port, startError), qPrintable(startError));
            if (Dialog(3, 4, otherError)) {
                otherError.clear();
            }
        });
        QString error;
        QVERIFY(!Dialog(2, 4, error));
        QCOMPARE(error, QStringLiteral("Не получен ответ на запрос от удалённого компьютера!"));
        QCOMPARE(otherError, QString());
        QCOMPARE(f.DumpLines(), QStringList({QStringLiteral("1\t0\tOUT\tBUSY\tNOT SENDING\t7\t127.0.0.3")}));
        QVERIFY2(Dialog(3, 4, error), qPrintable(error));
        QCOMPARE(Headers(*other), QList<int>({4, 0, 4}));
    }

    // The client computer asks the server something, and the server's handler asks the client
    // back before it answers: the client answers while it waits.
    void serverAsksBackWhileTheClientWaits()
    {
        ClientSim *sim = f.StartClient(2, ClientSim::Mode::Control);
        QVERIFY(sim);
        sim->Control()->SetAnswerTimeout(5);
        f.Server->SetAnswerTimeout(5);
        sim->SetAnswer(4, ClientSim::Reply(QStringLiteral("3")));
        QString backError;
        connect(f.Server.get(),
                &Quorvhandler::IncomingRequest,
                this,
                [&](const QString &ip, const MessagePackPtr &mes) {
                    const MessagePackPtr state =
                        f.Server->DialogMessage(ip, f.Server->MakeMessagePacketFromParts(4), backError);
                    mes->SetMessage(state ? QStringLiteral("state ") + state->Message() : backError);
                });
        QString error;
        const MessagePackPtr answer = sim->SendRequest(QStringLiteral("127.0.0.1"), 31, QStringLiteral("12"), error);
        QVERIFY2(answer, qPrintable(error));
        QCOMPARE(answer->Message(), QStringLiteral("state 3"));
        QCOMPARE(Headers(*sim), QList<int>({4}));
    }

    // Requests from many connections at once, each of whose handlers asks a silent computer back:
    // every handler's wait nests inside the one before, so without a bound the stack ran out (a
    // hostile peer's crash). Past the bound a dialog fails at once; every request is still answered.
    void floodOfAskingBackNestsNoDeeperThanTheBound()
    {
        constexpr int connections = Quorvhandler::MaxNestedWaits + 16;
        ClientSim *silent = f.StartClient(2, ClientSim::Mode::Raw);
        QVERIFY(silent);
        silent->SetAnswer(4, ClientSim::Silence());
        int inDialog = 0;
        int deepest = 0;
        QStringList refusals;
        connect(f.Server.get(), &Quorvhandler::IncomingRequest, this, [&](const QString &, const MessagePackPtr &mes) {
            deepest = std::max(deepest, inDialog++);
            QString error;
            if (!Dialog(2, 4, error)
                && error != QStringLiteral("Не получен ответ на запрос от удалённого компьютера!")) {
                refusals.append(error);
            }
            --inDialog;
            mes->SetMessage(QStringLiteral("answered"));
        });
        // All connections are open and every request is in the kernel before the server reads one;
        // they come from several club computers, each within its limit of connections.
        std::vector<std::unique_ptr<QTcpSocket>> sockets;
        for (int i = 0; i < connections; ++i) {
            auto socket = std::make_unique<QTcpSocket>();
            QVERIFY(socket->bind(SocketFixture::ClientAddress(3 + i / PeerLimits::ClubPerAddress)));
            socket->connectToHost(QHostAddress(QStringLiteral("127.0.0.1")), f.Port);
            QVERIFY(socket->waitForConnected(5000));
            QTRY_COMPARE(f.Server->SlotCount(), i + 1);
            sockets.push_back(std::move(socket));
        }
        MessagePack request;
        request.SetPacketDirection(pdRequest);
        request.SetHeader(31);
        const QByteArray answer = AnswerBytes(request, 0, QStringLiteral("answered"));
        for (const auto &socket : sockets) {
            socket->write(PacketFraming::ToPacketString(request));
            QVERIFY(socket->flush());
        }
        const auto answered = [&] {
            return std::all_of(sockets.begin(), sockets.end(), [&](const auto &socket) {
                return socket->bytesAvailable() >= answer.size();
            });
        };
        QTRY_VERIFY_WITH_TIMEOUT(answered(), 30000);
        QCOMPARE(deepest, int(Quorvhandler::MaxNestedWaits));
        QCOMPARE(refusals.size(), connections - Quorvhandler::MaxNestedWaits);
        QCOMPARE(refusals.constFirst(),
                 QStringLiteral("Слишком много незавершённых диалогов с компьютерами: запрос не отправлен!"));
        QCOMPARE(inDialog, 0);
    }

    void thousandDialogsLeaveNothingBehind()
    {
        ClientSim *sim = f.StartClient(2, ClientSim::Mode::Raw);
        QVERIFY(sim);
        sim->SetAnswer(4, ClientSim::Reply(QStringLiteral("-2")));
        sim->SetAnswer(5, ClientSim::Close());
        const qsizetype descriptors = OpenFileDescriptors();
        int answered = 0;
        for (int i = 0; i < 1000; ++i) {
            QString error;
            // Every third dialog loses its connection, so slots come and go all the time.
            const bool closes = i % 3 == 2;
            if (Dialog(2, closes ? 5 : 4, error)) {
                ++answered;
            } else {
                QVERIFY2(closes, qPrintable(error));
            }
        }
        QCOMPARE(answered, 667);
        QVERIFY(f.Server->SlotCount() <= 1);
        f.Server->Stop_();
        sim->Stop();
        QCOMPARE(f.Server->SlotCount(), 0);
        QTRY_VERIFY(OpenFileDescriptors() <= descriptors);
    }

    void fiftyClientsAtOnce()
    {
        constexpr int clients = 50;
        f.Server->SetAnswerTimeout(20);
        connect(f.Server.get(), &Quorvhandler::IncomingRequest, this, [](const QString &ip, const MessagePackPtr &mes) {
            mes->SetMessage(ip + QLatin1Char('/') + mes->Message());
        });
        QList<ClientSim *> sims;
        for (int n = 2; n < 2 + clients; ++n) {
            ClientSim *sim = f.StartClient(n, ClientSim::Mode::Control);
            QVERIFY(sim);
            sim->Control()->SetAnswerTimeout(20);
            sims.append(sim);
        }
        QStringList answers;
        QStringList errors;
        for (ClientSim *sim : sims) {
            QTimer::singleShot(0, sim, [&, sim] {
                QString error;
                const MessagePackPtr answer =
                    sim->SendRequest(QStringLiteral("127.0.0.1"), 30, QStringLiteral("0"), error);
                (answer ? answers : errors).append(answer ? answer->Message() : error);
            });
        }
        QTRY_COMPARE_WITH_TIMEOUT(answers.size() + errors.size(), clients, 30000);
        QCOMPARE(errors, QStringList());
        answers.sort();
        QCOMPARE(answers.constFirst(), QStringLiteral("127.0.0.10/0"));
        QCOMPARE(answers.size(), clients);
    }
};

QTEST_GUILESS_MAIN(TestDialogMessage)
#include "tst_dialogmessage.moc"
