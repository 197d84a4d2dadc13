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

ReportTotals Sum(qint64 Roubles)
{
    ReportTotals totals;
    totals.Count = 1;
    totals.Sum = Roubles;
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
    void oneComputerLeavesItsColumnOut_data();
    void oneComputerLeavesItsColumnOut();
    void totalsOfZero();
    void reportsWithoutTotals_data();
    void reportsWithoutTotals();
    void historyLastHeaderKeepsItsAlignment();
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

void TestReportExport::oneComputerLeavesItsColumnOut_data()
{
    QTest::addColumn<ReportKind>("kind");
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QStringList>("cells");
    QTest::newRow("seances") << ReportKind::Seances
                             << SeanceRow(QStringLiteral("05/12/2026 10:00:00"),
                                          QStringLiteral("5"),
                                          QStringLiteral("60,00"))
                             << QStringLiteral("Insert  по компьютеру №5") << 8
                             << QStringList({QStringLiteral("05/12/2026 10:00:00"),
                                             QStringLiteral("05/12/2026 11:00:00"),
                                             QStringLiteral("01:00"),
                                             QStringLiteral("Игры"),
                                             QStringLiteral("День"),
                                             QStringLiteral("60,00"),
                                             QStringLiteral("0,00"),
                                             QStringLiteral("0,00")});
    const QStringList reserve = {QStringLiteral("05/12/2026 09:00:00"),
                                 QStringLiteral("14/02/2027 00:00:00"),
                                 QStringLiteral("5"),
                                 QStringLiteral("Гость"),
                                 QStringLiteral("Игры"),
                                 QStringLiteral("Ночь"),
                                 QStringLiteral("Р"),
                                 QStringLiteral("150,00")};
    QStringList reserveCells = reserve;
    reserveCells.removeAt(2);
    QTest::newRow("night reserves") << ReportKind::NightReserves << reserve
                                    << QStringLiteral("Insert  по компьютеру №5") << 7 << reserveCells;
    const QStringList access = {QStringLiteral("05/12/2026 10:00:00"),
                                QStringLiteral("5"),
                                QStringLiteral("http://a/")};
    QTest::newRow("internet") << ReportKind::Internet << access
                              << QStringLiteral("Insert Детализация доступа в интернет за 05/12/2026") << 2
                              << QStringList({access.at(0), access.at(2)});
}

void TestReportExport::oneComputerLeavesItsColumnOut()
{
    QFETCH(ReportKind, kind);
    QFETCH(QStringList, row);
    QFETCH(QString, title);
    QFETCH(int, columns);
    QFETCH(QStringList, cells);
    ReportFilter filter = OneDay();
    filter.Computer = 5;
    RecordingWriter writer;
    ExportReport(writer, {kind, filter, {row}, Sum(60)});

    QVERIFY(writer.Commands.contains(title));
    QVERIFY(writer.Commands.contains(QStringLiteral("TableInsertTable \"\", %1, 2, -, -, 0, 167").arg(columns)));
    QVERIFY(!writer.Commands.contains(QStringLiteral("Insert Компьютер")));
    // The header row, then the cells: as many of them as headers.
    const qsizetype firstCell = writer.Commands.lastIndexOf(QStringLiteral("Insert ") + cells.first());
    QStringList written;
    for (qsizetype i = firstCell; i < writer.Commands.size() && writer.Commands.at(i) != QStringLiteral("LineDown 1");
         ++i) {
        if (writer.Commands.at(i).startsWith(QStringLiteral("Insert "))) {
            written << writer.Commands.at(i).mid(QStringLiteral("Insert ").size());
        }
    }
    QCOMPARE(written, cells);
}

void TestReportExport::totalsOfZero()
{
    RecordingWriter writer;
    ExportReport(writer,
                 {ReportKind::CardPays,
                  OneDay(),
                  {{QStringLiteral("05/12/2026 09:00:00"),
                    QStringLiteral("1001"),
                    QStringLiteral("Лис"),
                    QString(),
                    QStringLiteral("0,00")}},
                  Sum(0)});
    QVERIFY(writer.Commands.contains(QStringLiteral("Insert Итого: 0,00 руб. ( Ноль Руб ноль Коп  )")));
    QVERIFY(writer.Commands.contains(QStringLiteral("Insert Пополнения балансов карточек за 05/12/2026")));
    // No filter texts: the title's paragraph ends at once.
    const qsizetype title =
        writer.Commands.indexOf(QStringLiteral("Insert Пополнения балансов карточек за 05/12/2026"));
    QCOMPARE(writer.Commands.at(title + 1), QStringLiteral("InsertPara"));
    QVERIFY(writer.Commands.contains(QStringLiteral("TableInsertTable \"\", 5, 2, -, -, 0, 167")));
}

void TestReportExport::reportsWithoutTotals_data()
{
    QTest::addColumn<ReportKind>("kind");
    QTest::addColumn<QString>("title");
    QTest::newRow("internet") << ReportKind::Internet
                              << QStringLiteral(
                                     "Insert Детализация доступа в интернет за период с 01/12/2026 по 05/12/2026");
    QTest::newRow("history") << ReportKind::History
                             << QStringLiteral("Insert История сеансов за период с 01/12/2026 по 05/12/2026");
}

void TestReportExport::reportsWithoutTotals()
{
    QFETCH(ReportKind, kind);
    QFETCH(QString, title);
    ReportFilter filter = OneDay();
    filter.DateFrom = DateValue::Make(2026, 12, 1);
    RecordingWriter writer;
    ExportReport(writer, {kind, filter, {{QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("b")}}, Sum(10)});
    QVERIFY(writer.Commands.contains(title));
    QVERIFY(!writer.Commands.contains(QStringLiteral("LineDown 1")));
    QCOMPARE(writer.Commands.mid(writer.Commands.size() - 6),
             QStringList({QStringLiteral("NextCell"),
                          QStringLiteral("FontSize 10"),
                          QStringLiteral("Insert b"),
                          QStringLiteral("StartOfDocument"),
                          QStringLiteral("AppMinimize()"),
                          QStringLiteral("ScreenUpdating")}));
}

void TestReportExport::historyLastHeaderKeepsItsAlignment()
{
    RecordingWriter writer;
    ExportReport(
        writer,
        {ReportKind::History, OneDay(), {{QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("b")}}, {}});
    const qsizetype last = writer.Commands.indexOf(QStringLiteral("Insert Информация"));
    QCOMPARE(
        writer.Commands.mid(last - 2, 3),
        QStringList({QStringLiteral("NextCell"), QStringLiteral("FontSize 10"), QStringLiteral("Insert Информация")}));
    const qsizetype second = writer.Commands.indexOf(QStringLiteral("Insert Компьютер"));
    QCOMPARE(writer.Commands.at(second - 1), QStringLiteral("CenterPara"));
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
