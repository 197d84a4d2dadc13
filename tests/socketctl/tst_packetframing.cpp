#include "clock.h"
#include "corpusreplay.h"
#include "datevalue.h"
#include "framingcheck.h"
#include "messagepacks.h"
#include "packetframing.h"
#include "requestcounter.h"
#include "socketstates.h"

#include <QDir>
#include <QTest>

using namespace Pelloxan;

using PacketFraming::ParseResult;

Q_DECLARE_METATYPE(PacketFraming::ParseResult)

namespace
{
MessagePackPtr MakePack(enPacketDirection Direction, qint32 Code, quint8 Header, const QString &Message)
{
    auto pack = std::make_shared<MessagePack>();
    pack->SetPacketDirection(Direction);
    pack->SetCode(Code);
    pack->SetHeader(Header);
    pack->SetMessage(Message);
    return pack;
}
} // namespace

class TestPacketFraming : public QObject
{
    Q_OBJECT

private slots:

    void writes_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("header");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("wire");

        QTest::newRow("empty request is 13 bytes") << 1 << 17 << 4 << QString() << QByteArray(" 1| 17| 4| 0|");
        QTest::newRow("its answer") << 2 << 17 << 4 << QStringLiteral("-2") << QByteArray(" 2| 17| 4| 2|-2");
        QTest::newRow("empty single is 12 bytes") << 3 << 5 << 2 << QString() << QByteArray(" 3| 5| 2| 0|");
        QTest::newRow("text with separator") << 1 << 9 << 1 << QStringLiteral("a|b") << QByteArray(" 1| 9| 1| 3|a|b");
        QTest::newRow("Cyrillic counts bytes")
            << 1 << 2 << 3 << QStringLiteral("Привет") << QByteArray(" 1| 2| 3| 6|\xCF\xF0\xE8\xE2\xE5\xF2");
        QTest::newRow("character the code page lacks")
            << 1 << 2 << 3 << QStringLiteral("a\u4e2d") << QByteArray(" 1| 2| 3| 2|a?");
        QTest::newRow("negative code has no blank") << 2 << -5 << 255 << QString() << QByteArray(" 2|-5| 255| 0|");
    }

    void writes()
    {
        QFETCH(int, direction);
        QFETCH(int, code);
        QFETCH(int, header);
        QFETCH(QString, message);
        QFETCH(QByteArray, wire);
        const MessagePackPtr pack =
            MakePack(static_cast<enPacketDirection>(direction), code, static_cast<quint8>(header), message);
        QCOMPARE(PacketFraming::ToPacketString(*pack), wire);

        MessagePack reread;
        qsizetype next = 0;
        QCOMPARE(PacketFraming::FromPacketString(wire, 0, reread, next), ParseResult::Complete);
        QCOMPARE(next, wire.size());
        QCOMPARE(reread.GetCode(), code);
        QCOMPARE(reread.Header(), header);
        QCOMPARE(int(reread.PacketDirection()), direction);
        QCOMPARE(reread.Message(), message.contains(QChar(0x4e2d)) ? QStringLiteral("a?") : message);
    }

    void reads_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<ParseResult>("result");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("next");

        const auto complete = ParseResult::Complete;
        const auto incomplete = ParseResult::Incomplete;
        const auto malformed = ParseResult::Malformed;
        QTest::newRow("without blanks") << QByteArray("1|5|4|0|") << complete << QString() << 8;
        QTest::newRow("with blanks") << QByteArray(" 1| 5| 4| 0|") << complete << QString() << 12;
        QTest::newRow("length field without its separator") << QByteArray("1|5|4|0") << incomplete << QString() << -1;
        QTest::newRow("cut after the blank of the length") << QByteArray(" 1| 5| 4| ") << incomplete << QString() << -1;
        QTest::newRow("no length field") << QByteArray("1|5|4|") << incomplete << QString() << -1;
        QTest::newRow("text cut short") << QByteArray("1|5|4|3|ab") << incomplete << QString() << -1;
        QTest::newRow("nothing") << QByteArray() << incomplete << QString() << -1;
        QTest::newRow("length not a number") << QByteArray("1|5|4|x|abc") << complete << QString() << 8;
        QTest::newRow("two messages") << QByteArray(" 1| 17| 4| 0| 2| 17| 4| 2|-2") << complete << QString() << 13;
        QTest::newRow("start of the next") << QByteArray(" 1| 17| 4| 0| 2") << complete << QString() << 13;
        QTest::newRow("header 255") << QByteArray("1|5|255|0|") << complete << QString() << 10;
        QTest::newRow("header 256") << QByteArray("1|5|256|0|") << malformed << QString() << -1;
        QTest::newRow("header 300") << QByteArray("1|5|300|0|") << malformed << QString() << -1;
        QTest::newRow("negative header") << QByteArray("1|5|-1|0|") << malformed << QString() << -1;
        QTest::newRow("negative length") << QByteArray("1|5|4|-1|") << malformed << QString() << -1;
        QTest::newRow("4 MiB is waited for") << QByteArray("1|5|4|4194304|") << incomplete << QString() << -1;
        QTest::newRow("above 4 MiB") << QByteArray("1|5|4|4194305|") << malformed << QString() << -1;
        QTest::newRow("code beyond 32 bits") << QByteArray("1|99999999999|4|0|") << malformed << QString() << -1;
        QTest::newRow("exponent beyond 32 bits") << QByteArray("1e10|5|4|0|") << malformed << QString() << -1;
        QTest::newRow("field of 64 bytes") << QByteArray(63, ' ') + "1|5|4|0|" << complete << QString() << 71;
        QTest::newRow("field of 65 bytes") << QByteArray(64, ' ') + "1|5|4|0|" << malformed << QString() << -1;
        QTest::newRow("endless first field") << QByteArray(1000, '7') << malformed << QString() << -1;
        QTest::newRow("empty fields") << QByteArray("||||") << complete << QString() << 4;
        QTest::newRow("text holds separators")
            << QByteArray("1|5|4|5|||||||") << complete << QStringLiteral("|||||") << 13;
    }

    void reads()
    {
        QFETCH(QByteArray, text);
        QFETCH(ParseResult, result);
        QFETCH(QString, message);
        QFETCH(int, next);

        MessagePack pack;
        pack.SetMessage(QStringLiteral("untouched"));
        qsizetype position = -1;
        QCOMPARE(PacketFraming::FromPacketString(text, 0, pack, position), result);
        QCOMPARE(position, qsizetype(next));
        QCOMPARE(pack.Message(), result == ParseResult::Complete ? message : QStringLiteral("untouched"));
    }

    void readsFromAnOffset()
    {
        const QByteArray text(" 1| 17| 4| 0| 2| 17| 4| 2|-2");
        MessagePack pack;
        qsizetype next = 0;
        QCOMPARE(PacketFraming::FromPacketString(text, 13, pack, next), ParseResult::Complete);
        QCOMPARE(pack.PacketDirection(), pdAnswer);
        QCOMPARE(pack.GetCode(), 17);
        QCOMPARE(pack.Message(), QStringLiteral("-2"));
        QCOMPARE(next, text.size());
    }

    void blanksReadAlike()
    {
        MessagePack plain;
        MessagePack blank;
        qsizetype next = 0;
        PacketFraming::FromPacketString("1|5|4|0|", 0, plain, next);
        PacketFraming::FromPacketString(" 1| 5| 4| 0|", 0, blank, next);
        QCOMPARE(plain, blank);
    }

    void requestNumbersWrap()
    {
        RequestCounter counter(RequestCounter::MaxCode - 1);
        QCOMPARE(counter.Next(), 9999999);
        QCOMPARE(counter.Next(), 1);
        QCOMPARE(RequestCounter().Next(), 1);
    }

    void answersExpireAfter180Seconds()
    {
        const QDateTime start = DateValue::Make(2024, 3, 1, 12, 0, 0);
        Clock::SetNow(start);
        MessagePacks answers;
        QVERIFY(answers.AddObject(MakePack(pdAnswer, 1, 4, QString())));
        Clock::SetNow(start.addSecs(1));
        QVERIFY(answers.AddObject(MakePack(pdAnswer, 2, 4, QString())));

        Clock::SetNow(start.addSecs(181));
        QVERIFY(answers.AddObject(MakePack(pdAnswer, 3, 4, QString())));
        QVERIFY(!answers.Item(1));
        QVERIFY(answers.Item(2));
        QCOMPARE(answers.Count(), 2);
        Clock::SetNow(QDateTime());
    }

    void duplicateAnswerIsDropped()
    {
        MessagePacks answers;
        QVERIFY(answers.AddObject(MakePack(pdAnswer, 7, 4, QStringLiteral("first"))));
        QVERIFY(!answers.AddObject(MakePack(pdAnswer, 7, 4, QStringLiteral("second"))));
        QCOMPARE(answers.Count(), 1);
        QCOMPARE(answers.Item(7)->Message(), QStringLiteral("first"));
    }

    void answersNobodyAskedForAreCapped()
    {
        MessagePacks answers;
        for (qint32 code = 1; code <= MessagePacks::MaxCount + 1; ++code) {
            QVERIFY(answers.AddObject(MakePack(pdAnswer, code, 4, QString())));
        }
        QCOMPARE(answers.Count(), MessagePacks::MaxCount);
        QVERIFY(!answers.Item(1));
        QVERIFY(answers.Item(MessagePacks::MaxCount + 1));
    }

    void popTakesOnce()
    {
        MessagePacks answers;
        answers.AddObject(MakePack(pdAnswer, 7, 4, QString()));
        QVERIFY(!answers.PopMessagePack(8));
        QCOMPARE(answers.Count(), 1);
        QVERIFY(answers.PopMessagePack(7));
        QVERIFY(!answers.PopMessagePack(7));
        QCOMPARE(answers.Count(), 0);
    }

    void slotNumbersAreReused()
    {
        SocketStates table;
        table.Add();
        table.Add();
        table.Add();
        table.Remove(2);
        QCOMPARE(table.Add()->Code, 2);
        QList<qint32> order;
        for (const SocketStatePtr &slot : table) {
            order.append(slot->Code);
        }
        QCOMPARE(order, QList<qint32>({1, 3, 2}));
    }

    // Inputs the fuzz target found, or that once broke the parser, are replayed here.
    void corpusReplays()
    {
        QString failure;
        QVERIFY2(ReplayCorpus(QStringLiteral(FRAMING_CORPUS_DIR), CheckFraming, failure), qPrintable(failure));
    }
};

QTEST_GUILESS_MAIN(TestPacketFraming)
#include "tst_packetframing.moc"
