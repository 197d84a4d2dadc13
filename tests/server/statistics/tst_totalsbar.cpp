#include "rendercheck.h"
#include "statistics/totalsbar.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(ReportKind)

namespace
{
QString Text(const TotalsBar &Bar, const QString &Label)
{
    const auto *label = Bar.findChild<QLabel *>(Label);
    return label ? label->text() : QStringLiteral("<none>");
}

Currency Money(const char *Text)
{
    Currency value;
    Currency::FromText(QString::fromLatin1(Text), value);
    return value;
}
} // namespace

// The totals footers: the sentence each shows for the numbers it is given, the numbers it gives
// back, and its buttons.
class TestTotalsBar : public QObject
{
    Q_OBJECT

private slots:
    void seancesSentence_data();
    void seancesSentence();
    void sentences_data();
    void sentences();
    void buttonsRaiseTheirOwnEvent();
};

void TestTotalsBar::seancesSentence_data()
{
    QTest::addColumn<qint64>("minutes");
    QTest::addColumn<QString>("duration");
    QTest::addColumn<Currency>("download");
    QTest::addColumn<Currency>("upload");
    QTest::addColumn<QString>("traffic");
    QTest::addColumn<Currency>("sum");
    QTest::addColumn<QString>("sumText");
    QTest::newRow("two hours") << qint64(125) << QStringLiteral("02:05") << Money("1.5") << Money("0")
                               << QStringLiteral("1,50/0,00") << Currency(1234) << QStringLiteral("1\u00A0234,00");
    QTest::newRow("hundred hours") << qint64(6000) << QStringLiteral("100:00") << Money("0.9537") << Money("2048")
                                   << QStringLiteral("0,95/2\u00A0048,00") << Currency(0) << QStringLiteral("0,00");
    QTest::newRow("nothing") << qint64(0) << QStringLiteral("00:00") << Money("0") << Money("0")
                             << QStringLiteral("0,00/0,00") << Currency(59) << QStringLiteral("59,00");
}

void TestTotalsBar::seancesSentence()
{
    QFETCH(qint64, minutes);
    QFETCH(QString, duration);
    QFETCH(Currency, download);
    QFETCH(Currency, upload);
    QFETCH(QString, traffic);
    QFETCH(Currency, sum);
    QFETCH(QString, sumText);
    TotalsBar bar(ReportKind::Seances);
    bar.SetCount(3);
    bar.SetDuration(minutes);
    bar.SetDownload(download);
    bar.SetUpload(upload);
    bar.SetSum(sum);
    QCOMPARE(Text(bar, QStringLiteral("SeancesNum")), QStringLiteral("3"));
    QCOMPARE(Text(bar, QStringLiteral("Duration")), duration);
    QCOMPARE(Text(bar, QStringLiteral("Traffic")), traffic);
    QCOMPARE(Text(bar, QStringLiteral("Sum")), sumText);
    // The export writes what the footer was given.
    ReportTotals given;
    given.Count = 3;
    given.Sum = sum;
    given.Duration = minutes;
    given.Download = download;
    given.Upload = upload;
    QCOMPARE(bar.Totals(), given);
}

void TestTotalsBar::sentences_data()
{
    QTest::addColumn<ReportKind>("kind");
    QTest::addColumn<QString>("countLabel");
    QTest::addColumn<QString>("sum");
    QTest::newRow("night reserves") << ReportKind::NightReserves << QStringLiteral("NightReservesNum")
                                    << QStringLiteral("2\u00A0345,50");
    QTest::newRow("card top-ups") << ReportKind::CardPays << QStringLiteral("CardPaysNum")
                                  << QStringLiteral("2\u00A0345,50");
    QTest::newRow("services") << ReportKind::Services << QStringLiteral("ServicesNum")
                              << QStringLiteral("2\u00A0345,50");
    QTest::newRow("internet") << ReportKind::Internet << QStringLiteral("URLsNum") << QStringLiteral("<none>");
    QTest::newRow("history") << ReportKind::History << QStringLiteral("HistoryNum") << QStringLiteral("<none>");
}

void TestTotalsBar::sentences()
{
    QFETCH(ReportKind, kind);
    QFETCH(QString, countLabel);
    QFETCH(QString, sum);
    TotalsBar bar(kind);
    ReportTotals totals;
    totals.Count = 2;
    // Kopecks are shown and given back as they are.
    totals.Sum = Money("2345.5");
    bar.SetTotals(totals);
    QCOMPARE(bar.Sum(), totals.Sum);
    QCOMPARE(Text(bar, countLabel), QStringLiteral("2"));
    QCOMPARE(Text(bar, QStringLiteral("Sum")), sum);
    QCOMPARE(bar.findChild<QPushButton *>(QStringLiteral("DeleteBtn")) != nullptr, kind == ReportKind::NightReserves);
    bar.resize(900, bar.height());
    QVERIFY(
        RenderControl(&bar,
                      QStringLiteral("totalsbar-") + QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-')));
}

void TestTotalsBar::buttonsRaiseTheirOwnEvent()
{
    TotalsBar bar(ReportKind::NightReserves);
    QSignalSpy exports(&bar, &TotalsBar::ExportClick);
    QSignalSpy deletes(&bar, &TotalsBar::DeleteClick);
    QTest::mouseClick(bar.findChild<QPushButton *>(QStringLiteral("DeleteBtn")), Qt::LeftButton);
    QCOMPARE(deletes.count(), 1);
    QCOMPARE(exports.count(), 0);
    QTest::mouseClick(bar.findChild<QPushButton *>(QStringLiteral("ExportWordBtn")), Qt::LeftButton);
    QCOMPARE(deletes.count(), 1);
    QCOMPARE(exports.count(), 1);
    // While the report loads the list is not complete: nothing to export or delete.
    bar.SetActionsEnabled(false);
    QTest::mouseClick(bar.findChild<QPushButton *>(QStringLiteral("ExportWordBtn")), Qt::LeftButton);
    QCOMPARE(exports.count(), 1);
}

QTEST_MAIN(TestTotalsBar)
#include "tst_totalsbar.moc"
