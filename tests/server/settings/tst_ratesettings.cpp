#include "clock.h"
#include "controls/daysofweek.h"
#include "controls/duration.h"
#include "controls/numeric.h"
#include "controls/string.h"
#include "controls/time.h"
#include "core/computerlookups.h"
#include "core/night.h"
#include "core/settingsstore.h"
#include "datevalue.h"
#include "settings/lists/rateslist.h"
#include "settings/nightsettingsframe.h"
#include "settings/ratesettingsframe.h"
#include "settingsfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimeEdit>
#include <QToolButton>

namespace
{
// Under "TheseDays": no day ticked.
constexpr qint32 OptionAllDays = -1;
} // namespace

// The day-rates page and the night page as the operator drives them, and the rates they store.
class TestRateSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void editorStoresAndShows_data();
    void editorStoresAndShows();
    void refusedSwitchKeepsTheEdits();
    void addAndDelete();
    void unchangedEditorWritesNothing();
    void nightSaveWithFailingEditor();
    void nightMovedOverTonightsReserve_data();
    void nightMovedOverTonightsReserve();
    void nightRatesAreTheirOwnKind();

private:
    template <typename T>
    static T *Find(QWidget *Page, const QString &Name)
    {
        return SettingsFixture::Child<T>(Page, Name);
    }

    void Choose(QWidget *Page, qint32 Code);
    void Rename(QWidget *Page, const QString &Name);
    // The rate's stored name, weekdays and times of day.
    QString Stored(qint32 Code) const;
    qint32 Count() const;

    std::unique_ptr<SettingsFixture> m_fixture;
    std::unique_ptr<RateSettingsFrame> m_day;
    std::unique_ptr<NightSettingsFrame> m_night;
};

void TestRateSettings::init()
{
    m_fixture = std::make_unique<SettingsFixture>();
    QVERIFY(m_fixture->Start());
    m_day = std::make_unique<RateSettingsFrame>(nullptr);
    m_night = std::make_unique<NightSettingsFrame>(nullptr);
    m_day->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_day.get()));
}

void TestRateSettings::cleanup()
{
    m_day.reset();
    m_night.reset();
    m_fixture.reset();
    Clock::SetNow({});
}

void TestRateSettings::Choose(QWidget *Page, qint32 Code)
{
    QComboBox *combo = Find<RatesList>(Page, QStringLiteral("RatesList"))->ComboBox();
    combo->setCurrentIndex(combo->findData(Code));
}

void TestRateSettings::Rename(QWidget *Page, const QString &Name)
{
    // The operator's typing, in letters that QTest cannot type.
    Find<String>(Page, QStringLiteral("RateName"))->TextBox()->setText(Name);
}

QString TestRateSettings::Stored(qint32 Code) const
{
    const auto rate = m_fixture->Db().Record(QStringLiteral("Rates"), Code);
    if (!rate) {
        return QStringLiteral("none");
    }
    return QStringLiteral("%1 %2 %3-%4")
        .arg(TextValue(*rate, QStringLiteral("Name")))
        .arg(IntValue(*rate, QStringLiteral("DaysOfWeek")))
        .arg(DateValueOf(*rate, QStringLiteral("TimeFrom")).time().toString(QStringLiteral("HH:mm:ss")),
             DateValueOf(*rate, QStringLiteral("TimeTo")).time().toString(QStringLiteral("HH:mm:ss")));
}

qint32 TestRateSettings::Count() const
{
    return m_fixture->Db().All(QStringLiteral("Rates"))->Count();
}

void TestRateSettings::editorStoresAndShows_data()
{
    QTest::addColumn<qint32>("days");
    QTest::addColumn<QTime>("from");
    QTest::addColumn<QTime>("to");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    const QTime none;
    QTest::newRow("every day, the whole day")
        << OptionAllDays << none << none << QString() << QStringLiteral("Дневной 254 00:00:00-23:59:59")
        << QStringLiteral("all days 0, all day 00:00-00:00");
    QTest::newRow("seven days ticked") << 254 << QTime(9, 0) << QTime(18, 30) << QString()
                                       << QStringLiteral("Дневной 254 09:00:00-18:30:00")
                                       << QStringLiteral("all days 0, 09:00-18:30");
    QTest::newRow("Monday to Saturday") << 126 << none << none << QString()
                                        << QStringLiteral("Дневной 126 00:00:00-23:59:59")
                                        << QStringLiteral("days 126, all day 00:00-00:00");
    QTest::newRow("the whole day by hand")
        << 2 << QTime(0, 0) << QTime(23, 59, 59) << QString() << QStringLiteral("Дневной 2 00:00:00-23:59:59")
        << QStringLiteral("days 2, all day 00:00-00:00");
    QTest::newRow("10:00 to 10:00") << OptionAllDays << QTime(10, 0) << QTime(10, 0) << QString()
                                    << QStringLiteral("Дневной 254 10:00:00-10:00:00")
                                    << QStringLiteral("all days 0, 10:00-10:00");
    QTest::newRow("over midnight") << OptionAllDays << QTime(22, 0) << QTime(6, 0)
                                   << QStringLiteral("Интервал времени задан неверно!")
                                   << QStringLiteral("Старый 128 08:00:00-20:00:00") << QString();
    QTest::newRow("no day") << 0 << none << none << QStringLiteral("Не выбран ни один день!")
                            << QStringLiteral("Старый 128 08:00:00-20:00:00") << QString();
}

void TestRateSettings::editorStoresAndShows()
{
    QFETCH(qint32, days);
    QFETCH(QTime, from);
    QFETCH(QTime, to);
    QFETCH(QString, message);
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    const qint32 code = m_fixture->Db().AddRate(QStringLiteral("Старый"), 0, 30, 128, QTime(8, 0), QTime(20, 0));
    m_day->LoadSettings();
    QWidget *page = m_day.get();
    Rename(page, QStringLiteral(" Дневной "));
    if (days == OptionAllDays) {
        Find<QRadioButton>(page, QStringLiteral("AllDays"))->click();
    } else {
        Find<QRadioButton>(page, QStringLiteral("TheseDays"))->click();
        auto *input = Find<DaysOfWeek>(page, QStringLiteral("DaysOfWeek"));
        for (int day = 1; day <= 7; ++day) {
            input->DayCheck(day)->setChecked((days & (1 << day)) != 0);
        }
    }
    if (from.isValid()) {
        Find<QRadioButton>(page, QStringLiteral("TheseTime"))->click();
        Find<Time>(page, QStringLiteral("TimeFrom"))->Picker()->setTime(from);
        Find<Time>(page, QStringLiteral("TimeTo"))->Picker()->setTime(to);
    } else {
        Find<QRadioButton>(page, QStringLiteral("AllTime"))->click();
    }
    // The price shown, 30,00, erased and retyped with kopecks.
    SettingsFixture::Retype(Find<Numeric>(page, QStringLiteral("RatePriceForHour"))->TextBox(),
                            QStringLiteral("EBBBBB70,5"));
    QVERIFY(m_day->Changed());
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    QCOMPARE(m_day->ValidateAndSave(), message.isEmpty());
    QCOMPARE(SettingsFixture::BoxTexts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(Stored(code), stored);
    QCOMPARE(m_day->Changed(), !message.isEmpty());
    if (!message.isEmpty()) {
        return;
    }
    QCOMPARE(MoneyValue(*m_fixture->Db().Record(QStringLiteral("Rates"), code), QStringLiteral("PriceForHour")),
             Currency::FromDouble(70.5));
    // What the page shows of the stored rate when it is loaded again.
    m_day = std::make_unique<RateSettingsFrame>(nullptr);
    m_day->LoadSettings();
    page = m_day.get();
    const auto *input = Find<DaysOfWeek>(page, QStringLiteral("DaysOfWeek"));
    const bool allDays = Find<QRadioButton>(page, QStringLiteral("AllDays"))->isChecked();
    const bool allTime = Find<QRadioButton>(page, QStringLiteral("AllTime"))->isChecked();
    QCOMPARE((allDays ? QStringLiteral("all days ") : QStringLiteral("days ")) + QString::number(input->Value())
                 + (allTime ? QStringLiteral(", all day ") : QStringLiteral(", "))
                 + Find<Time>(page, QStringLiteral("TimeFrom"))->Picker()->text() + QLatin1Char('-')
                 + Find<Time>(page, QStringLiteral("TimeTo"))->Picker()->text(),
             shown);
    QCOMPARE(input->Enabled(), !allDays);
    QVERIFY(!m_day->Changed());
}

void TestRateSettings::refusedSwitchKeepsTheEdits()
{
    CoreDatabase &db = m_fixture->Db();
    const qint32 first = db.AddRate(QStringLiteral("Первый"), 0, 30);
    const qint32 second = db.AddRate(QStringLiteral("Второй"), 0, 40);
    m_day->LoadSettings();
    QWidget *page = m_day.get();
    QCOMPARE(m_day->CurrentCode(), first);
    // A valid edit is saved as the operator chooses another rate, which the editor then shows.
    Rename(page, QStringLiteral("Утро"));
    Choose(page, second);
    QCOMPARE(Stored(first), QStringLiteral("Утро 254 00:00:00-23:59:59"));
    QCOMPARE(Find<String>(page, QStringLiteral("RateName"))->Value(), QStringLiteral("Второй"));
    QCOMPARE(Find<RatesList>(page, QStringLiteral("RatesList"))->ComboBox()->itemText(0), QStringLiteral("Утро"));
    // A failing edit keeps its rate chosen, with the edits, and stops an add.
    Rename(page, QStringLiteral("Вечер"));
    Find<QRadioButton>(page, QStringLiteral("TheseDays"))->click();
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    Choose(page, first);
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    Find<QToolButton>(page, QStringLiteral("AddRate"))->click();
    QCOMPARE(SettingsFixture::BoxTexts(),
             (QStringList{QStringLiteral("Не выбран ни один день!"), QStringLiteral("Не выбран ни один день!")}));
    QCOMPARE(Find<RatesList>(page, QStringLiteral("RatesList"))->Value(), second);
    QCOMPARE(m_day->CurrentCode(), second);
    QCOMPARE(Find<String>(page, QStringLiteral("RateName"))->Value(), QStringLiteral("Вечер"));
    QVERIFY(Find<QRadioButton>(page, QStringLiteral("TheseDays"))->isChecked());
    QCOMPARE(Stored(second), QStringLiteral("Второй 254 00:00:00-23:59:59"));
    QCOMPARE(Count(), 2);
}

void TestRateSettings::addAndDelete()
{
    CoreDatabase &db = m_fixture->Db();
    m_day->LoadSettings();
    QWidget *page = m_day.get();
    auto *del = Find<QToolButton>(page, QStringLiteral("DelRate"));
    QVERIFY(!del->isEnabled());
    QVERIFY(!Find<QWidget>(page, QStringLiteral("RateEdit"))->isEnabled());
    // The first rate on an empty table, bound at once.
    Find<QToolButton>(page, QStringLiteral("AddRate"))->click();
    const qint32 added = m_day->CurrentCode();
    QCOMPARE(Stored(added), QStringLiteral("Новый тариф 1 0 00:00:00-00:00:00"));
    QCOMPARE(IntValue(*db.Record(QStringLiteral("Rates"), added), QStringLiteral("IsNight")), 0);
    QCOMPARE(Find<String>(page, QStringLiteral("RateName"))->Value(), QStringLiteral("Новый тариф 1"));
    QVERIFY(Find<QWidget>(page, QStringLiteral("RateEdit"))->isEnabled());
    QVERIFY(del->isEnabled());
    QVERIFY(m_day->Changed());
    QVERIFY(RenderControl(page, QStringLiteral("RateSettingsFrame")));

    // A rate that a seance uses stays, with the library's refusal.
    const qint32 used = db.AddRate(QStringLiteral("Занятый"), 0, 50);
    const QDateTime now = DateValue::Make(2026, 3, 5, 14);
    db.AddSeance(db.AddComputer(1), db.AddDesktop(QStringLiteral("Стол")), used, now, now.addSecs(3600));
    m_day->LoadSettings();
    Choose(page, used);
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    del->click();
    QCOMPARE(SettingsFixture::BoxTexts(),
             QStringList{QStringLiteral("В объекте 'Сеансы' есть запись, поле 'Тариф' которой ссылается на удаляемую "
                                        "запись в объекте 'Тарифы'! Удаление невозможно!")});
    QCOMPARE(Count(), 2);

    // Deleting a rate with unsaved edits writes nothing and binds the next rate.
    Choose(page, added);
    Rename(page, QStringLiteral("Правка"));
    del->click();
    QCOMPARE(Stored(added), QStringLiteral("none"));
    QCOMPARE(Stored(used), QStringLiteral("Занятый 254 00:00:00-23:59:59"));
    QCOMPARE(m_day->CurrentCode(), used);
    QCOMPARE(Find<String>(page, QStringLiteral("RateName"))->Value(), QStringLiteral("Занятый"));
    QVERIFY(m_day->ValidateAndSave());
    QCOMPARE(Stored(used), QStringLiteral("Занятый 254 00:00:00-23:59:59"));

    // The last rate gone: the editor without a record, disabled.
    db.Execute(QStringLiteral("DELETE FROM Seances"));
    Rename(page, QStringLiteral("Правка"));
    del->click();
    QCOMPARE(Count(), 0);
    QCOMPARE(m_day->CurrentCode(), 0);
    QVERIFY(!Find<QWidget>(page, QStringLiteral("RateEdit"))->isEnabled());
    QCOMPARE(Find<String>(page, QStringLiteral("RateName"))->Value(), QString());
    QVERIFY(!del->isEnabled());
    QVERIFY(m_day->ValidateAndSave());
}

void TestRateSettings::unchangedEditorWritesNothing()
{
    m_fixture->Db().AddRate(QStringLiteral("Дневной"), 0, 30);
    const qint32 evening = m_fixture->Db().AddRate(QStringLiteral("Вечерний"), 0, 40);
    m_day->LoadSettings();
    const auto rates = m_fixture->Db().Table(QStringLiteral("Rates"));
    const quint64 changes = rates->ChangeCount();
    QVERIFY(m_day->ValidateAndSave());
    Choose(m_day.get(), evening);
    m_day->LoadSettings();
    QCOMPARE(m_day->CurrentCode(), evening);
    QCOMPARE(rates->ChangeCount(), changes);
    QVERIFY(!m_day->Changed());
}

void TestRateSettings::nightSaveWithFailingEditor()
{
    Clock::SetNow(DateValue::Make(2026, 3, 5, 14, 7, 9));
    m_fixture->Db().AddRate(QStringLiteral("Ночь"), 1, 300);
    m_night->LoadSettings();
    QWidget *page = m_night.get();
    const auto *expiry = Find<Duration>(page, QStringLiteral("NightReserveExpirationPeriod"));
    QVERIFY(!expiry->Enabled());
    QCOMPARE(expiry->Value(), 30);
    Find<Time>(page, QStringLiteral("NightBeginTime"))->Picker()->setTime(QTime(22, 30));
    QVERIFY(m_night->Changed());
    Find<QRadioButton>(page, QStringLiteral("TheseDays"))->click();
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    QVERIFY(!m_night->ValidateAndSave());
    QCOMPARE(SettingsFixture::BoxTexts(), QStringList{QStringLiteral("Не выбран ни один день!")});
    QVERIFY(m_night->Changed());
    QCOMPARE(GetConfigValue(QStringLiteral("NightBeginTime")), QStringLiteral("30/12/1899 22:30:00"));
    QCOMPARE(GetConfigValue(QStringLiteral("NightEndTime")), QStringLiteral("30/12/1899 08:00:00"));
    QCOMPARE(GetConfigValue(QStringLiteral("NightReserveExpirationPeriod")), QStringLiteral("30"));
    QCOMPARE(GetConfigValue(QStringLiteral("LastServerSettingsUpdate")), QStringLiteral("05/03/2026 14:07:09"));
    // The night logic reads the new begin at once.
    QVERIFY(IsNightTime(DateValue::Make(2026, 3, 5, 22, 30)));
    QVERIFY(!IsNightTime(DateValue::Make(2026, 3, 5, 22, 29, 59)));
}

void TestRateSettings::nightMovedOverTonightsReserve_data()
{
    QTest::addColumn<bool>("fullPay");
    // The answer to the question asked before the move; NoButton when none is to be asked.
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<qint32>("state");
    QTest::newRow("prepaid, kept") << false << QMessageBox::No << qint32(nsReservedPrepay);
    QTest::newRow("prepaid, let lapse") << false << QMessageBox::Yes << qint32(nsReserveUsed);
    QTest::newRow("paid in full") << true << QMessageBox::NoButton << qint32(nsReservedFull);
}

void TestRateSettings::nightMovedOverTonightsReserve()
{
    QFETCH(bool, fullPay);
    QFETCH(QMessageBox::StandardButton, answer);
    // Tonight's reserve of computer 5 at 23:10; the night that began at 23:00 is moved to 22:00.
    Clock::SetNow(DateValue::Make(2026, 3, 5, 23, 10));
    CoreDatabase &db = m_fixture->Db();
    const qint32 rate = db.AddRate(QStringLiteral("Ночь"), 1, 300);
    db.AddReserve(db.AddComputer(5), db.AddDesktop(QStringLiteral("Игры")), rate, DateValue::Make(2026, 3, 5), fullPay);
    GetComputerCode(0, true);
    m_night->LoadSettings();
    Find<Time>(m_night.get(), QStringLiteral("NightBeginTime"))->Picker()->setTime(QTime(22, 0));
    MessageBox::PrepareAnswer(answer);
    QCOMPARE(m_night->ValidateAndSave(), answer != QMessageBox::No);
    QStringList asked;
    for (const MessageBox::Record &box : MessageBox::TakeRecords()) {
        QCOMPARE(box.Icon, QMessageBox::Question);
        asked.append(box.Title + QStringLiteral(" ") + box.Text);
    }
    QCOMPARE(asked.join(QString()),
             answer == QMessageBox::NoButton ? QString()
                                             : QStringLiteral("Внимание! При новом ночном времени резерв сегодняшней "
                                                              "ночи нельзя будет активировать на компьютерах: №5. "
                                                              "Сохранить?"));
    QCOMPARE(IsNightTime(DateValue::Make(2026, 3, 5, 22, 30)), answer != QMessageBox::No);
    std::shared_ptr<Rollstrake::DBRecord> reserve;
    QTEST(GetNightState(5, QDateTime(), reserve), "state");
}

void TestRateSettings::nightRatesAreTheirOwnKind()
{
    const qint32 day = m_fixture->Db().AddRate(QStringLiteral("Дневной"), 0, 30);
    m_night->LoadSettings();
    QWidget *page = m_night.get();
    Find<QToolButton>(page, QStringLiteral("AddRate"))->click();
    const qint32 night = m_night->CurrentCode();
    QCOMPARE(Find<String>(page, QStringLiteral("RateName"))->Value(), QStringLiteral("Новый тариф 1"));
    // A new rate has no day until the operator gives it some.
    QVERIFY(Find<QRadioButton>(page, QStringLiteral("TheseDays"))->isChecked());
    Find<QRadioButton>(page, QStringLiteral("AllDays"))->click();
    SettingsFixture::Retype(Find<Numeric>(page, QStringLiteral("RatePriceForHour"))->TextBox(), QStringLiteral("300"));
    SettingsFixture::Retype(Find<Numeric>(page, QStringLiteral("RatePrepaySum"))->TextBox(), QStringLiteral("150"));
    QVERIFY(m_night->ValidateAndSave());
    const auto rate = m_fixture->Db().Record(QStringLiteral("Rates"), night);
    QCOMPARE(IntValue(*rate, QStringLiteral("IsNight")), 1);
    QCOMPARE(IntValue(*rate, QStringLiteral("DaysOfWeek")), 254);
    QCOMPARE(MoneyValue(*rate, QStringLiteral("PriceForHour")), Currency(300));
    QCOMPARE(IntValue(*rate, QStringLiteral("PrepaySum")), 150);
    // The time of day stays that of a new record: the night rate covers the night window.
    QCOMPARE(Stored(night), QStringLiteral("Новый тариф 1 254 00:00:00-00:00:00"));
    // The day page lists the day rate alone.
    m_day->LoadSettings();
    QCOMPARE(m_day->CurrentCode(), day);
    QCOMPARE(Find<RatesList>(m_day.get(), QStringLiteral("RatesList"))->ComboBox()->count(), 1);
    QVERIFY(RenderControl(page, QStringLiteral("NightSettingsFrame")));
}

QTEST_MAIN(TestRateSettings)
#include "tst_ratesettings.moc"
