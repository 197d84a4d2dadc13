#include "core/computerlookups.h"

#include "core/dbvalues.h"
#include "core/errorbox.h"
#include "core/mainlog.h"
#include "core/seancearithmetic.h"

#include <QHash>
#include <QHostAddress>

namespace
{
const QString ComputersTable = QStringLiteral("Computers");
const QString SeancesTable = QStringLiteral("Seances");

// Keyed by the number itself: the key "C" and the number (MakeItemKey) names the same entry, and
// every refresh of every tile looks it up. The numbers by address are kept beside them: every chunk
// of a client's internet traffic asks for its computer.
struct ComputerCodeCache
{
    bool Filled = false;
    QHash<qint32, qint32> Codes;
    QHash<QString, qint32> NumsByIP;
};

ComputerCodeCache &Cache()
{
    static ComputerCodeCache cache;
    return cache;
}

// Left unfilled on a failure, with its text in ErrString, so the next lookup reads again.
void RebuildCache(QString &ErrString)
{
    ComputerCodeCache &cache = Cache();
    cache = ComputerCodeCache();
    const auto records = AllRecords(ComputersTable, ErrString);
    if (!records) {
        return;
    }
    for (const auto &record : *records) {
        // The first record of a number, and of an address, wins.
        const qint32 num = IntValue(*record, QStringLiteral("Num"));
        if (!cache.Codes.contains(num)) {
            cache.Codes.insert(num, record->Code());
        }
        const QString ip = TextValue(*record, QStringLiteral("IP"));
        if (!cache.NumsByIP.contains(ip)) {
            cache.NumsByIP.insert(ip, num);
        }
    }
    cache.Filled = true;
}
} // namespace

qint32 GetComputerCode(qint32 Num, bool Rebuild)
{
    if (!Cache().Filled || Rebuild) {
        QString err;
        RebuildCache(err);
        LogDbError(QStringLiteral("Список компьютеров"), err);
    }
    return Cache().Codes.value(Num, 0);
}

std::shared_ptr<Rollstrake::DBRecord> GetComputerRecord(qint32 Num, QString &ErrString)
{
    const qint32 code = GetComputerCode(Num, false);
    if (code <= 0) {
        return nullptr;
    }
    const auto table = DBTable(ComputersTable, ErrString);
    return table ? table->GetDBRecordByCode(code, ErrString) : nullptr;
}

qint32 GetFreeComputerNum()
{
    QString err;
    qint32 num = 1;
    while (GetComputerRecord(num, err)) {
        ++num;
    }
    if (!err.isEmpty()) {
        MainLog().Log(err, Logger::KindError);
    }
    return num;
}

qint32 GetComputerNumByIP(const QString &IP)
{
    QString err;
    // An address not in the cache is read again, so a computer added meanwhile is found: only an
    // unknown address costs a read.
    if (!Cache().Filled || !Cache().NumsByIP.contains(IP)) {
        RebuildCache(err);
    }
    if (!err.isEmpty()) {
        ShowWarning(QStringLiteral("GetComputerNumByIP: Ошибка поиска компьютера по IP-адресу '") + IP
                        + QStringLiteral("': ") + err,
                    Logger::KindError,
                    false);
    }
    return Cache().NumsByIP.value(IP, 0);
}

QString GetComputerIPByNum(qint32 Num)
{
    QString err;
    const auto record = GetComputerRecord(Num, err);
    if (record) {
        return TextValue(*record, QStringLiteral("IP"));
    }
    if (!err.isEmpty()) {
        ShowWarning(QStringLiteral("GetComputerIPByNum: Ошибка поиска компьютера по номеру '") + QString::number(Num)
                        + QStringLiteral("': ") + err,
                    Logger::KindError,
                    false);
    }
    return {};
}

QString GetComputerName(qint32 Num)
{
    QString err;
    const auto record = GetComputerRecord(Num, err);
    if (!record) {
        // The library gives no text for a code that finds nothing; the box still says what is wrong.
        ShowError(err.isEmpty() ? QStringLiteral("Компьютер №") + QString::number(Num) + QStringLiteral(" не найден!")
                                : err);
        return {};
    }
    const QString name = TextValue(*record, QStringLiteral("Name"));
    const QString number = QString::number(Num);
    return name.isEmpty() ? number : number + QStringLiteral(": ") + name;
}

std::optional<QSet<QString>> GetComputerIPs()
{
    QString err;
    const auto records = AllRecords(ComputersTable, err);
    if (!records) {
        LogDbError(QStringLiteral("GetComputerIPs"), err);
        return std::nullopt;
    }
    QSet<QString> addresses;
    for (const auto &record : *records) {
        const QString text = TextValue(*record, QStringLiteral("IP")).trimmed();
        // In the form a peer's address takes at its accept, whatever spacing was stored.
        const QHostAddress address(text);
        addresses.insert(address.protocol() == QAbstractSocket::IPv4Protocol ? address.toString() : text);
    }
    return addresses;
}

std::shared_ptr<CompButtons> GetComputers()
{
    auto buttons = std::make_shared<CompButtons>();
    QString err;
    const auto records = AllRecords(ComputersTable, err);
    if (!records) {
        LogDbError(QStringLiteral("GetComputers"), err);
        return buttons;
    }
    for (const auto &record : *records) {
        buttons->Add(IntValue(*record, QStringLiteral("Num")), true, false);
    }
    return buttons;
}

std::shared_ptr<Rollstrake::DBRecord> GetSeanceAt(qint32 Num, const QDateTime &Moment)
{
    QString err;
    const auto seance = GetSeanceAt(Num, Moment, err);
    LogDbError(QStringLiteral("GetSeanceAt"), err);
    return seance;
}

std::shared_ptr<Rollstrake::DBRecord> GetSeanceAt(qint32 Num, const QDateTime &Moment, QString &ErrString)
{
    ErrString.clear();
    // Without this test an empty condition would drop out of the filter and find any computer's seance.
    const qint32 computer = GetComputerCode(Num, false);
    if (computer <= 0) {
        return nullptr;
    }
    const QDateTime t = MomentOrNow(Moment);
    const auto table = DBTable(SeancesTable, ErrString);
    if (!table) {
        return nullptr;
    }
    const auto filter = table->GetNewFilter();
    filter->Item(QStringLiteral("Computer"))->SetValue(computer);
    const auto begin = filter->Item(QStringLiteral("BeginDate"));
    begin->SetCondition(Rollstrake::cLessOrEqual);
    begin->SetValue(t);
    const auto end = filter->Item(QStringLiteral("EndDate"));
    end->SetCondition(Rollstrake::cMoreOrEqual);
    end->SetValue(t);
    const auto records = table->GetDBRecords(filter, ErrString);
    return records ? records->GetByIndex(1) : nullptr;
}

qint32 GetSeanceCodeAt(qint32 Num, const QDateTime &Moment)
{
    const auto seance = GetSeanceAt(Num, Moment);
    return seance ? seance->Code() : 0;
}

void ShowWarning(const QString &Text, qint32 Kind, bool Show)
{
    MainLog().Log(Text, Logger::KindError);
    if (!Show) {
        return;
    }
    ShowBox(Kind == Logger::KindError ? BoxIcon::Critical : BoxIcon::Information, QStringLiteral("Внимание!"), Text);
}
