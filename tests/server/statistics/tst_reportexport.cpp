#include "datevalue.h"
#include "recordingwriter.h"
#include "statistics/exportfile.h"
#include "statistics/odtwriter.h"
#include "statistics/reportexport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

namespace
{
ReportFilter OneDay()
{
    ReportFilter filter;
    filter.DateFrom = DateValue::Make(2026, 12, 5);
    filter.DateTo = DateValue::Make(2026, 12, 5, 23, 59, 59);
    return filter;
}

QStringList SeanceRow(const QString &Begin, const QString &Computer, const QString &Sum)
{
    return {Begin,
            QStringLiteral("05/12/2026 11:00:00"),
            QStringLiteral("01:00"),
            Computer,
            QStringLiteral("Игры"),
            QStringLiteral("День"),
            Sum,
            QStringLiteral("0,00"),
            QStringLiteral("0,00")};
}

ReportTotals Sum(Currency Amount)
{
    ReportTotals totals;
    totals.Count = 1;
    totals.Sum = Amount;
    return totals;
}

// The commands of one cell.
QStringList Cell(const QString &Text, bool First = false)
{
    QStringList commands;
    if (!First) {
        commands << QStringLiteral("NextCell");
    }
    return commands << QStringLiteral("FontSize 10") << QStringLiteral("Insert ") + Text;
}

const QString OneThousandWords = QStringLiteral("( Одна тысяча двести тридцать четыре Руб ноль Коп  )");
} // namespace

Q_DECLARE_METATYPE(ReportKind)

// The export of a report list: the commands given to the document in their order, and the real
// OpenDocument file as LibreOffice reads it.
class TestReportExport : public QObject
{
    Q_OBJECT

private slots:
    void seancesOfOneDay();
    void layouts_data();
    void layouts();
    void documentFile();
    void failedWriteLeavesNoFile();
};

void TestReportExport::seancesOfOneDay()
{
    RecordingWriter writer;
    ExportReport(
        writer,
        {ReportKind::Seances,
         OneDay(),
         {SeanceRow(QStringLiteral("05/12/2026 10:00:00"), QStringLiteral("5"), QStringLiteral("1\u00A0234,00"))},
         Sum(1234)});
    QStringList expected = {QStringLiteral("FileNew"),
                            QStringLiteral("AppShow"),
                            QStringLiteral("AppMinimize"),
                            QStringLiteral("ScreenUpdating"),
                            QStringLiteral("CenterPara"),
                            QStringLiteral("Bold 1"),
                            QStringLiteral("Underline 0"),
                            QStringLiteral("FontSize 14"),
                            QStringLiteral("Insert Сеансы за 05/12/2026"),
                            QStringLiteral("Insert  по всем компьютерам"),
                            QStringLiteral("Insert , по всем видам оплат"),
                            QStringLiteral("Insert , по всем рабочим столам"),
                            QStringLiteral("InsertPara"),
                            QStringLiteral("TableInsertTable \"\", 9, 2, -, -, 0, 167"),
                            QStringLiteral("TableAutoFormat 1, \"37\", 37, 1, 1, 1, 0, 1, 1, 1, 0, 0"),
                            QStringLiteral("Bold 1")};
    const QStringList headers = {QStringLiteral("Время начала"),
                                 QStringLiteral("Время окончания"),
                                 QStringLiteral("Длительность"),
                                 QStringLiteral("Компьютер"),
                                 QStringLiteral("Рабочий стол"),
                                 QStringLiteral("Тариф"),
                                 QStringLiteral("Сумма"),
                                 QStringLiteral("Входящий трафик (Мб)"),
                                 QStringLiteral("Исходящий трафик (Мб)")};
    for (int i = 0; i < headers.size(); ++i) {
        expected << QStringLiteral("FontSize 10") << QStringLiteral("CenterPara")
                 << QStringLiteral("Insert ") + headers.at(i);
        if (i + 1 < headers.size()) {
            expected << QStringLiteral("NextCell");
        }
    }
    const QStringList row =
        SeanceRow(QStringLiteral("05/12/2026 10:00:00"), QStringLiteral("5"), QStringLiteral("1\u00A0234,00"));
    for (const QString &cell : row) {
        expected << Cell(cell);
    }
    expected << QStringLiteral("LineDown 1") << QStringLiteral("LeftPara")
             << QStringLiteral("Insert Итого: 1\u00A0234,00 руб. ") + OneThousandWords << QStringLiteral("InsertPara")
             << QStringLiteral("Insert Входящий трафик: 0,00 Мб. ") << QStringLiteral("InsertPara")
             << QStringLiteral("Insert Исходящий трафик: 0,00 Мб. ") << QStringLiteral("StartOfDocument")
             << QStringLiteral("AppMinimize()") << QStringLiteral("ScreenUpdating");
    QCOMPARE(writer.Commands, expected);
}

void TestReportExport::layouts_data()
{
    QTest::addColumn<ReportKind>("kind");
    QTest::addColumn<qint32>("computer");
    QTest::addColumn<int>("firstDay");
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<Currency>("sum");
    QTest::addColumn<QStringList>("title");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QString>("totals");
    const QStringList allPays = {QStringLiteral(", по всем видам оплат"), QStringLiteral(", по всем рабочим столам")};
    const QStringList seance =
        SeanceRow(QStringLiteral("05/12/2026 10:00:00"), QStringLiteral("5"), QStringLiteral("60,00"));
    QStringList seanceCells = seance;
    seanceCells.removeAt(3);
    const QString sixty = QStringLiteral("Итого: 60,00 руб. ( Шестьдесят Руб ноль Коп  )");
    // One computer leaves its column out.
    QTest::newRow("seances of one computer")
        << ReportKind::Seances << 5 << 5 << seance << Currency(60)
        << QStringList{QStringLiteral("Сеансы за 05/12/2026"), QStringLiteral(" по компьютеру №5")} + allPays
        << seanceCells << sixty;
    const QStringList reserve = {QStringLiteral("05/12/2026 09:00:00"),
                                 QStringLiteral("14/02/2027 00:00:00"),
                                 QStringLiteral("5"),
                                 QStringLiteral("Гость"),
                                 QStringLiteral("Игры"),
                                 QStringLiteral("Ночь"),
                                 QStringLiteral("Р"),
                                 QStringLiteral("60,00")};
    QStringList reserveCells = reserve;
    reserveCells.removeAt(2);
    QTest::newRow("night reserves of one computer")
        << ReportKind::NightReserves << 5 << 5 << reserve << Currency(60)
        << QStringList{QStringLiteral("Резервы ночей за 05/12/2026"), QStringLiteral(" по компьютеру №5")} + allPays
        << reserveCells << sixty;
    const QStringList access = {QStringLiteral("05/12/2026 10:00:00"),
                                QStringLiteral("5"),
                                QStringLiteral("http://a/")};
    QTest::newRow("internet of one computer")
        << ReportKind::Internet << 5 << 5 << access << Currency(60)
        << QStringList{QStringLiteral("Детализация доступа в интернет за 05/12/2026")}
        << QStringList{access.at(0), access.at(2)} << QString();
    // No filter texts; a sum of zero in words.
    const QStringList topUp = {QStringLiteral("05/12/2026 09:00:00"),
                               QStringLiteral("1001"),
                               QStringLiteral("Лис"),
                               QString(),
                               QStringLiteral("0,00")};
    QTest::newRow("card top-ups of zero") << ReportKind::CardPays << 0 << 5 << topUp << Currency(0)
                                          << QStringList{QStringLiteral("Пополнения балансов карточек за 05/12/2026")}
                                          << topUp << QStringLiteral("Итого: 0,00 руб. ( Ноль Руб ноль Коп  )");
    // Kopecks in figures and in words; the comment is not exported.
    const QStringList sale = {QStringLiteral("05/12/2026 10:00:00"),
                              QStringLiteral("Чай"),
                              QStringLiteral("4691"),
                              QStringLiteral("2\u00A0345,50"),
                              QStringLiteral("у окна")};
    QTest::newRow("services with kopecks")
        << ReportKind::Services << 0 << 5 << sale << Currency::FromUnits(23455000)
        << QStringList{QStringLiteral("Оказанные услуги за 05/12/2026")} << sale.mid(0, 4)
        << QStringLiteral("Итого: 2\u00A0345,50 руб. ( Две тысячи триста сорок пять Руб пятьдесят Коп  )");
    const QStringList line = {QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("b")};
    QTest::newRow("history of a period") << ReportKind::History << 0 << 1 << line << Currency(10)
                                         << QStringList{QStringLiteral(
                                                "История сеансов за период с 01/12/2026 по 05/12/2026")}
                                         << line << QString();
}

// The title's texts, the table with a column for each cell of the row, and the totals where the
// report has them.
void TestReportExport::layouts()
{
    QFETCH(ReportKind, kind);
    QFETCH(qint32, computer);
    QFETCH(int, firstDay);
    QFETCH(QStringList, row);
    QFETCH(Currency, sum);
    QFETCH(QStringList, title);
    QFETCH(QStringList, cells);
    QFETCH(QString, totals);
    ReportFilter filter = OneDay();
    filter.DateFrom = DateValue::Make(2026, 12, firstDay);
    filter.Computer = computer;
    RecordingWriter writer;
    ExportReport(writer, {kind, filter, {row}, Sum(sum)});

    const QStringList &commands = writer.Commands;
    const qsizetype titleAt = commands.indexOf(QStringLiteral("FontSize 14")) + 1;
    QStringList titleTexts;
    for (const QString &command : commands.mid(titleAt, commands.indexOf(QStringLiteral("InsertPara")) - titleAt)) {
        titleTexts << command.mid(QStringLiteral("Insert ").size());
    }
    QCOMPARE(titleTexts, title);
    QVERIFY(commands.contains(QStringLiteral("TableInsertTable \"\", %1, 2, -, -, 0, 167").arg(cells.size())));
    // The headers, then the cells; the last header of the history keeps the paragraph's alignment.
    QStringList texts;
    qsizetype lastHeaderAt = 0;
    const qsizetype tableAt = commands.indexOf(QStringLiteral("Bold 1"), titleAt);
    for (qsizetype i = tableAt; i < commands.size() && commands.at(i) != QStringLiteral("LineDown 1"); ++i) {
        if (commands.at(i).startsWith(QStringLiteral("Insert "))) {
            texts << commands.at(i).mid(QStringLiteral("Insert ").size());
            lastHeaderAt = texts.size() == cells.size() ? i : lastHeaderAt;
        }
    }
    QCOMPARE(texts.size(), 2 * cells.size());
    QCOMPARE(texts.contains(QStringLiteral("Компьютер")),
             computer == 0 && kind != ReportKind::CardPays && kind != ReportKind::Services);
    QCOMPARE(texts.mid(cells.size()), cells);
    QCOMPARE(commands.at(lastHeaderAt - 1),
             kind == ReportKind::History ? QStringLiteral("FontSize 10") : QStringLiteral("CenterPara"));
    QCOMPARE(commands.contains(QStringLiteral("LineDown 1")), !totals.isEmpty());
    if (!totals.isEmpty()) {
        QVERIFY(commands.contains(QStringLiteral("Insert ") + totals));
    }
    QCOMPARE(
        commands.mid(commands.size() - 3),
        QStringList(
            {QStringLiteral("StartOfDocument"), QStringLiteral("AppMinimize()"), QStringLiteral("ScreenUpdating")}));
}

void TestReportExport::documentFile()
{
    QTemporaryDir folder;
    OdtWriter writer;
    ExportReport(
        writer,
        {ReportKind::Seances,
         OneDay(),
         {SeanceRow(QStringLiteral("05/12/2026 10:00:00"), QStringLiteral("1"), QStringLiteral("1\u00A0000,00")),
          SeanceRow(QStringLiteral("05/12/2026 12:00:00"), QStringLiteral("2"), QStringLiteral("234,00"))},
         Sum(1234)});
    const QDateTime moment = DateValue::Make(2026, 12, 5, 14, 3, 27);
    QString path;
    QString err;
    QVERIFY2(SaveExport(writer, folder.path(), ExportTitle(ReportKind::Seances), moment, path, err), qPrintable(err));
    QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("Сеансы 2026-12-05 14-03-27.odt"));
    QVERIFY2(SaveExport(writer, folder.path(), ExportTitle(ReportKind::Seances), moment, path, err), qPrintable(err));
    QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("Сеансы 2026-12-05 14-03-27 (2).odt"));
    const QString plain = writer.Document()->toPlainText();
    QVERIFY(plain.contains(
        QStringLiteral("Сеансы за 05/12/2026 по всем компьютерам, по всем видам оплат, по всем рабочим столам")));

    // LibreOffice reads the file back as text.
    const QString office = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (office.isEmpty()) {
        QSKIP("LibreOffice (libreoffice-writer-nogui) is not installed");
    }
    QTemporaryDir profile;
    QProcess convert;
    convert.setWorkingDirectory(folder.path());
    convert.start(office,
                  {QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile.path()).toString(),
                   QStringLiteral("--headless"),
                   QStringLiteral("--convert-to"),
                   QStringLiteral("txt:Text (encoded):UTF8"),
                   QStringLiteral("--outdir"),
                   folder.path(),
                   path});
    constexpr int ConversionMs = 120000;
    QVERIFY(convert.waitForFinished(ConversionMs));
    QCOMPARE(convert.exitCode(), 0);
    QFile text(QDir(folder.path()).filePath(QStringLiteral("Сеансы 2026-12-05 14-03-27 (2).txt")));
    QVERIFY2(text.open(QIODevice::ReadOnly), convert.readAllStandardError().constData());
    const QString read = QString::fromUtf8(text.readAll());
    QVERIFY(read.contains(
        QStringLiteral("Сеансы за 05/12/2026 по всем компьютерам, по всем видам оплат, по всем рабочим столам")));
    QVERIFY(read.contains(QStringLiteral("05/12/2026 10:00:00")));
    QVERIFY(read.contains(QStringLiteral("05/12/2026 12:00:00")));
    QVERIFY(read.contains(QStringLiteral("Итого: 1\u00A0234,00 руб. ") + OneThousandWords));
}

void TestReportExport::failedWriteLeavesNoFile()
{
    QTemporaryDir folder;
    OdtWriter writer;
    ExportReport(
        writer,
        {ReportKind::History, OneDay(), {{QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("b")}}, {}});
    // A folder where a file stands cannot be made.
    const QString blocked = QDir(folder.path()).filePath(QStringLiteral("файл"));
    QFile blocker(blocked);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QString path;
    QString err;
    QVERIFY(!SaveExport(writer,
                        QDir(blocked).filePath(QStringLiteral("папка")),
                        ExportTitle(ReportKind::History),
                        DateValue::Make(2026, 12, 5),
                        path,
                        err));
    QVERIFY(err.startsWith(QStringLiteral("не удалось создать папку")));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList({QStringLiteral("файл")}));
}

QTEST_MAIN(TestReportExport)
#include "tst_reportexport.moc"
