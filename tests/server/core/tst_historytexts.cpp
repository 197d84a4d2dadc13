#include "core/historytexts.h"
#include "datevalue.h"

#include <QTest>

namespace
{
QDateTime March(int Day, int Hours, int Minutes, int Seconds = 0)
{
    return DateValue::Make(2026, 3, Day, Hours, Minutes, Seconds);
}

const QString NoBreakSpace(QChar(0x00A0));
} // namespace

Q_DECLARE_METATYPE(SeanceStartKind)

class TestHistoryTexts : public QObject
{
    Q_OBJECT

private slots:
    void seanceAdded_data();
    void seanceAdded();
    void nightReserved();
    void endChanged();
    void prefsChanged_data();
    void prefsChanged();
    void prefsOfRecordsWithOneName();
    void shortTexts();
};

void TestHistoryTexts::seanceAdded_data()
{
    QTest::addColumn<SeanceStartKind>("kind");
    QTest::addColumn<qint32>("sum");
    QTest::addColumn<qint32>("cardPart");
    QTest::addColumn<QString>("text");
    const QString middle = QStringLiteral("сеанс с '05/03/2026 10:00:30' по '05/03/2026 18:30:30' (08:30) с рабочим "
                                          "столом 'Игры' по тарифу 'Дневной' на сумму ");
    QTest::newRow("day, cash") << SeanceStartKind::DaySeance << 255 << 0
                               << QStringLiteral("Добавлен ") + middle
                                      + QStringLiteral("255,00 руб., оплачено наличными.");
    QTest::newRow("night, card") << SeanceStartKind::NightSeance << 1500 << 1500
                                 << QStringLiteral("Добавлен ночной ") + middle + QStringLiteral("1") + NoBreakSpace
                                        + QStringLiteral("500,00 руб., оплачено по карточке.");
    QTest::newRow("reserve, nothing paid")
        << SeanceStartKind::ReserveActivated << 0 << 0
        << QStringLiteral("Активирован резерв ночи с '05/03/2026 10:00:30' по '05/03/2026 18:30:30' (08:30) с "
                          "рабочим столом 'Игры' по тарифу 'Дневной' на сумму 0,00 руб.");
    QTest::newRow("day, 300 of 400 by card")
        << SeanceStartKind::DaySeance << 400 << 300
        << QStringLiteral("Добавлен ") + middle
               + QStringLiteral("400,00 руб., оплачено по карточке 300,00 руб. и наличными 100,00 руб.");
}

void TestHistoryTexts::seanceAdded()
{
    QFETCH(SeanceStartKind, kind);
    QFETCH(qint32, sum);
    QFETCH(qint32, cardPart);
    QTEST(SeanceAddedHistoryText(kind,
                                 March(5, 10, 0, 30),
                                 March(5, 18, 30, 30),
                                 510,
                                 QStringLiteral("Игры"),
                                 QStringLiteral("Дневной"),
                                 sum,
                                 cardPart),
          "text");
}

void TestHistoryTexts::nightReserved()
{
    QCOMPARE(NightReservedHistoryText(March(5, 0, 0), QStringLiteral("Игры"), QStringLiteral("Ночь"), 100, 0),
             QStringLiteral("Зарезервированна ночь на '05/03/2026' с рабочим столом 'Игры' по тарифу 'Ночь' на "
                            "сумму 100,00 руб., оплачено наличными."));
}

void TestHistoryTexts::endChanged()
{
    QCOMPARE(SeanceEndChangedHistoryText(March(5, 11, 0), March(5, 12, 15), 60, 135, 38, 38),
             QStringLiteral("Изменено время окончания сеанса с '05/03/2026 11:00:00' на '05/03/2026 12:15:00', "
                            "длительность - с 01:00 на 02:15, сумма изменилась на 38,00 руб., оплачено по карточке."));
    QCOMPARE(SeanceEndChangedHistoryText(March(5, 12, 15), March(5, 11, 0), 135, 60, -38, 0),
             QStringLiteral("Изменено время окончания сеанса с '05/03/2026 12:15:00' на '05/03/2026 11:00:00', "
                            "длительность - с 02:15 на 01:00, сумма изменилась на -38,00 руб., оплачено наличными."));
}

void TestHistoryTexts::prefsChanged_data()
{
    QTest::addColumn<QString>("newDesktop");
    QTest::addColumn<QString>("newRate");
    QTest::addColumn<qint32>("difference");
    QTest::addColumn<QString>("text");
    QTest::newRow("both, sum") << QStringLiteral("B") << QStringLiteral("y") << 5
                               << QStringLiteral("Изменены параметры сеанса:  рабочий стол - с 'A' на 'B', тариф - с "
                                                 "'x' на 'y', сумма изменилась на 5,00 руб., оплачено наличными.");
    QTest::newRow("desktop") << QStringLiteral("B") << QStringLiteral("x") << 0
                             << QStringLiteral("Изменены параметры сеанса:  рабочий стол - с 'A' на 'B'.");
    QTest::newRow("rate") << QStringLiteral("A") << QStringLiteral("y") << 0
                          << QStringLiteral("Изменены параметры сеанса:  тариф - с 'x' на 'y'.");
    QTest::newRow("only the sum") << QStringLiteral("A") << QStringLiteral("x") << -2
                                  << QStringLiteral("Изменены параметры сеанса: , сумма изменилась на -2,00 руб., "
                                                    "оплачено наличными.");
}

void TestHistoryTexts::prefsChanged()
{
    QFETCH(QString, newDesktop);
    QFETCH(QString, newRate);
    QFETCH(qint32, difference);
    const NameChange desktop{newDesktop != QStringLiteral("A"), QStringLiteral("A"), newDesktop};
    const NameChange rate{newRate != QStringLiteral("x"), QStringLiteral("x"), newRate};
    QTEST(SeancePrefsChangedHistoryText(desktop, rate, difference, 0), "text");
}

void TestHistoryTexts::prefsOfRecordsWithOneName()
{
    const NameChange desktop{true, QStringLiteral("Игры"), QStringLiteral("Игры")};
    QCOMPARE(SeancePrefsChangedHistoryText(desktop, NameChange{}, 0, 0),
             QStringLiteral("Изменены параметры сеанса:  рабочий стол - с 'Игры' на 'Игры'."));
    QCOMPARE(SeancePrefsChangedHistoryText(NameChange{}, NameChange{}, 70, 50),
             QStringLiteral("Изменены параметры сеанса: , сумма изменилась на 70,00 руб., оплачено по карточке 50,00 "
                            "руб. и наличными 20,00 руб."));
}

void TestHistoryTexts::shortTexts()
{
    QCOMPARE(SeanceEndedHistoryText(), QStringLiteral("Завершён сеанс."));
    QCOMPARE(SeanceCancelledHistoryText(), QStringLiteral("Отменён сеанс."));
    QCOMPARE(SeanceMovedHistoryText(12), QStringLiteral("Пересажен сеанс на компьютер №12."));
    QCOMPARE(NightReserveCancelledHistoryText(), QStringLiteral("Отменён резерв сегодняшней ночи."));
}

QTEST_GUILESS_MAIN(TestHistoryTexts)
#include "tst_historytexts.moc"
