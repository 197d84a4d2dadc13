#include "core/clientsinfopieces.h"

#include <QTest>

class TestClientsInfoPieces : public QObject
{
    Q_OBJECT

private slots:
    void pieceLengths_data();
    void pieceLengths();
    void joinsBack_data();
    void joinsBack();
    void noPieceBeginsOrEndsWithABlank();
};

void TestClientsInfoPieces::pieceLengths_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<qsizetype>>("lengths");
    QTest::newRow("500 characters") << QString(500, QLatin1Char('x')) << QList<qsizetype>{240, 240, 20, 0};
    QTest::newRow("exactly one piece") << QString(240, QLatin1Char('x')) << QList<qsizetype>{240, 0};
    QTest::newRow("short") << QStringLiteral("Добро пожаловать") << QList<qsizetype>{16, 0};
    QTest::newRow("empty") << QString() << QList<qsizetype>{0};
    QTest::newRow("blank at the cut moves it")
        << QString(239, QLatin1Char('x')) + QStringLiteral(" yz") << QList<qsizetype>{238, 4, 0};
}

void TestClientsInfoPieces::pieceLengths()
{
    QFETCH(QString, text);
    QFETCH(QList<qsizetype>, lengths);
    QList<qsizetype> actual;
    for (const QString &piece : SplitClientsInfo(text)) {
        actual.append(piece.size());
    }
    QCOMPARE(actual, lengths);
}

void TestClientsInfoPieces::joinsBack_data()
{
    QTest::addColumn<QString>("text");
    QString words;
    while (words.size() < 1000) {
        words += QStringLiteral("Клуб  работает\r\nкруглосуточно. ");
    }
    QTest::newRow("words and line breaks") << words.trimmed();
    QTest::newRow("blank at 240") << QString(240, QLatin1Char('a')) + QStringLiteral(" b");
    QTest::newRow("blank at 241") << QString(241, QLatin1Char('a')) + QStringLiteral(" b");
}

void TestClientsInfoPieces::joinsBack()
{
    QFETCH(QString, text);
    const QStringList pieces = SplitClientsInfo(text);
    QVERIFY(pieces.last().isEmpty());
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        QVERIFY(!pieces.at(i).isEmpty());
        QVERIFY(pieces.at(i).size() <= ClientsInfoPieceLength);
    }
    QCOMPARE(pieces.join(QString()), text);
}

void TestClientsInfoPieces::noPieceBeginsOrEndsWithABlank()
{
    QString text;
    for (int i = 0; i < 700; ++i) {
        text += (i % 7 == 6) ? QLatin1Char(' ') : QLatin1Char('a' + i % 26);
    }
    text = text.trimmed();
    for (const QString &piece : SplitClientsInfo(text)) {
        QCOMPARE(piece, piece.trimmed());
    }
}

QTEST_GUILESS_MAIN(TestClientsInfoPieces)
#include "tst_clientsinfopieces.moc"
