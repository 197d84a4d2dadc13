#include "codepage.h"
#include "proxy/requesturl.h"

#include <QRandomGenerator>
#include <QTest>

class TestRequestURL : public QObject
{
    Q_OBJECT

private slots:
    void requestURL_data();
    void requestURL();
    void randomChunks();
};

void TestRequestURL::requestURL_data()
{
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<QString>("url");
    const QByteArray longUrl = "GET /" + QByteArray(300, 'x') + " HTTP/1.1\r\n";
    QTest::newRow("method in lower case") << QByteArray("get /a/b HTTP/1.0") << QStringLiteral("/a/b");
    QTest::newRow("absolute url") << QByteArray("GET http://example.org/a?b=1 HTTP/1.1\r\nHost: example.org\r\n\r\n")
                                  << QStringLiteral("http://example.org/a?b=1");
    QTest::newRow("post") << QByteArray("POST /form HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc")
                          << QStringLiteral("/form");
    QTest::newRow("connect") << QByteArray("CONNECT h:443 HTTP/1.1\r\nHost: h:443\r\n\r\n") << QString();
    QTest::newRow("other method") << QByteArray("HEAD /a HTTP/1.1\r\n") << QString();
    QTest::newRow("body bytes") << QByteArray("\x16\x03\x01\x02\x00\x01 GET /a", 13) << QString();
    QTest::newRow("cut at byte 151") << longUrl << QStringLiteral("/") + QString(146, QLatin1Char('x'));
    QTest::newRow("no version, headers follow") << QByteArray("GET /a\r\nHost: h") << QStringLiteral("/a");
    QTest::newRow("no version, lf only") << QByteArray("GET /a\nHost: h") << QStringLiteral("/a");
    QTest::newRow("blanks around the url") << QByteArray("GET  /a  HTTP/1.0") << QStringLiteral("/a");
    QTest::newRow("blank before the method") << QByteArray(" GET /a HTTP/1.0") << QString();
    QTest::newRow("method only") << QByteArray("GET ") << QString();
    QTest::newRow("no blank") << QByteArray("GET") << QString();
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("windows-1251 bytes") << QByteArray("GET /\xEF\xF0\xE8\xE2\xE5\xF2 HTTP/1.0")
                                        << QStringLiteral("/привет");
}

void TestRequestURL::requestURL()
{
    QFETCH(QByteArray, chunk);
    QFETCH(QString, url);
    const QString text = BytesToString(chunk, 150);
    QVERIFY(text.size() <= 151);
    QCOMPARE(GetRequestURL(text), url);
}

// Whatever a client computer sends, the URL is a piece of the first 151 bytes without blanks or
// line ends, and only a GET or POST line has one.
void TestRequestURL::randomChunks()
{
    QRandomGenerator random(20260305);
    const QByteArrayList starts = {"GET ", "get ", "POST ", "CONNECT ", " GET", "GET\r\n", ""};
    static constexpr char Pieces[] = "GETPOSTget/ \r\n\t:.?=\x00\xFF\xC0";
    const QByteArray alphabet(Pieces, sizeof Pieces - 1);
    for (int round = 0; round < 20000; ++round) {
        QByteArray chunk = starts.at(random.bounded(starts.size()));
        const int length = random.bounded(300);
        for (int i = 0; i < length; ++i) {
            chunk += random.bounded(4) == 0 ? alphabet.at(random.bounded(alphabet.size()))
                                            : static_cast<char>(random.bounded(256));
        }
        const QString text = BytesToString(chunk, 150);
        const QString url = GetRequestURL(text);
        QVERIFY(text.size() == qMin<qsizetype>(chunk.size(), 151));
        QVERIFY(url.size() <= 150);
        QVERIFY(!url.contains(QLatin1Char(' ')) && !url.contains(QLatin1Char('\r'))
                && !url.contains(QLatin1Char('\n')));
        if (!url.isEmpty()) {
            const QString method = text.left(text.indexOf(QLatin1Char(' '))).trimmed().toUpper();
            QVERIFY2(method == QLatin1String("GET") || method == QLatin1String("POST"), qPrintable(text));
            QVERIFY(text.contains(url));
        }
    }
}

QTEST_APPLESS_MAIN(TestRequestURL)
#include "tst_requesturl.moc"
