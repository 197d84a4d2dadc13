#include "chaosclub.h"

#include "clock.h"
#include "core/dbvalues.h"
#include "core/settingsstore.h"
#include "currency.h"
#include "datafolder.h"
#include "datevalue.h"
#include "entitylib.h"
#include "testnetwork.h"
#include "textdates.h"

namespace
{
// The program opens the data source "QuillmarshDB", which without an ODBC data source of that name
// is this file in its data folder.
const QString DatabaseName = QStringLiteral("QuillmarshDB.sqlite");
constexpr int FirstStrangerHost = 100;
constexpr int EveryDayOfWeek = 254;
constexpr double PriceForHour = 70;
constexpr qint64 SeanceStartedSeconds = -600;
constexpr qint64 SeanceLeftSeconds = 24 * 3600;
constexpr qint64 SecondsPerMinute = 60;
} // namespace

QString ChaosClub::DataFolder() const
{
    return m_folder.path();
}

QString ChaosClub::DatabaseFile() const
{
    return m_folder.filePath(DatabaseName);
}

ChaosScript::Club ChaosClub::Addresses(quint16 OriginPort) const
{
    ChaosScript::Club club;
    for (int number = 0; number < Computers; ++number) {
        club.Addresses.append(TestNetwork::ClientIP(FirstComputerHost + number));
    }
    for (int number = 0; number < Strangers; ++number) {
        club.Addresses.append(TestNetwork::ClientIP(FirstStrangerHost + number));
    }
    club.Computers = Computers;
    club.InternetComputer = 0;
    club.InternetSeance = m_seance;
    club.OriginPort = OriginPort;
    return club;
}

QList<qint32> ChaosClub::ComputerCodes() const
{
    return m_computerCodes;
}

bool ChaosClub::Prepare(quint16 RelayPort, quint16 OuterProxyPort, QString &ErrString, int InternetComputers)
{
    if (!m_folder.isValid()) {
        ErrString = QStringLiteral("no temporary folder");
        return false;
    }
    DataFolder::SetDataFolder(m_folder.path());
    const auto root = Rollstrake::Root::Create();
    const bool ok = root->Start(DatabaseFile(), QStringLiteral(QM_TEST_SCHEMA), ErrString, QString(), QString())
                    && Fill(RelayPort, OuterProxyPort, InternetComputers, ErrString);
    Rollstrake::Root::Shutdown();
    return ok;
}

qint32 ChaosClub::Add(const QString &Table, const QList<QPair<QString, QVariant>> &Values, QString &ErrString)
{
    const auto table = DBTable(Table, ErrString);
    if (!table) {
        return 0;
    }
    const auto record = table->GetNewRecord();
    for (const auto &[name, value] : Values) {
        SetFieldValue(*record, name, value);
    }
    return record->Update(ErrString) ? record->Code() : 0;
}

bool ChaosClub::Fill(quint16 RelayPort, quint16 OuterProxyPort, int InternetComputers, QString &ErrString)
{
    SetDefaultSettings();
    const ChaosScript::Club club = Addresses(0);
    for (int number = 0; number < Computers; ++number) {
        const qint32 code = Add(QStringLiteral("Computers"),
                                {{QStringLiteral("Num"), number + 1},
                                 {QStringLiteral("IP"), club.Addresses.at(number)},
                                 {QStringLiteral("Name"), QStringLiteral("Компьютер %1").arg(number + 1)}},
                                ErrString);
        if (code == 0) {
            return false;
        }
        m_computerCodes.append(code);
    }
    const qint32 desktop =
        Add(QStringLiteral("Desktops"),
            {{QStringLiteral("Name"), QStringLiteral("Интернет")}, {QStringLiteral("IsInternet"), 1}},
            ErrString);
    const QDate zero = DateValue::Zero().date();
    const qint32 rate =
        desktop == 0 ? 0
                     : Add(QStringLiteral("Rates"),
                           {{QStringLiteral("Name"), QStringLiteral("Дневной")},
                            {QStringLiteral("IsNight"), 0},
                            {QStringLiteral("DaysOfWeek"), EveryDayOfWeek},
                            {QStringLiteral("TimeFrom"), QDateTime(zero, QTime(0, 0), Qt::UTC)},
                            {QStringLiteral("TimeTo"), QDateTime(zero, QTime(23, 59, 59), Qt::UTC)},
                            {QStringLiteral("PriceForHour"), QVariant::fromValue(Currency::FromDouble(PriceForHour))}},
                           ErrString);
    const QDateTime now = Clock::Now();
    const QDateTime begin = now.addSecs(SeanceStartedSeconds);
    const QDateTime end = now.addSecs(SeanceLeftSeconds);
    for (int number = InternetComputers - 1; number >= 0; --number) {
        m_seance = rate == 0 ? 0
                             : Add(QStringLiteral("Seances"),
                                   {{QStringLiteral("Computer"), m_computerCodes.at(number)},
                                    {QStringLiteral("Desktop"), desktop},
                                    {QStringLiteral("Rate"), rate},
                                    {QStringLiteral("BeginDate"), begin},
                                    {QStringLiteral("EndDate"), end},
                                    {QStringLiteral("Duration"), begin.secsTo(end) / SecondsPerMinute}},
                                   ErrString);
        if (m_seance == 0) {
            return false;
        }
    }
    SetConfigValue(QStringLiteral("InternetAvailable"), QStringLiteral("1"));
    SetConfigValue(QStringLiteral("ProxyPort"), QString::number(RelayPort));
    SetConfigValue(QStringLiteral("OuterProxyIP"), QStringLiteral("127.0.0.1"));
    SetConfigValue(QStringLiteral("OuterProxyPort"), QString::number(OuterProxyPort));
    SetConfigValue(QStringLiteral("LastClientSettingsUpdate"), DateToString(now, true, QStringLiteral("/")));
    return true;
}
