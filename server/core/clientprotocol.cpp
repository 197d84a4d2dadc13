#include "core/clientprotocol.h"

#include "clock.h"
#include "core/backgrounderror.h"
#include "core/clientmessages.h"
#include "core/clientsettingtexts.h"
#include "core/computerlookups.h"
#include "core/computerstates.h"
#include "core/dbvalues.h"
#include "core/desktopdescription.h"
#include "core/errorbox.h"
#include "core/mainlog.h"
#include "core/settingsstore.h"
#include "datevalue.h"
#include "socketctl.h"
#include "textdates.h"

#include <QCursor>
#include <QGuiApplication>

namespace
{
QString NotFoundText(const QString &IP)
{
    return QStringLiteral("Компьютер с IP-адресом '") + IP + QStringLiteral("' не найден в базе!");
}

std::shared_ptr<Rollstrake::DBRecord> ComputerByIP(const QString &IP, QString &ErrString)
{
    const auto table = DBTable(QStringLiteral("Computers"), ErrString);
    return table ? table->GetRecordByFieldValue(QStringLiteral("IP"), IP, ErrString) : nullptr;
}
} // namespace

// Counts a dialog in progress and shows the hourglass for as long as it lives.
class ClientProtocol::DialogGuard
{
public:
    explicit DialogGuard(qint32 &Count)
        : m_count(Count)
    {
        ++m_count;
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }

    ~DialogGuard()
    {
        QGuiApplication::restoreOverrideCursor();
        --m_count;
    }

    DialogGuard(const DialogGuard &) = delete;
    DialogGuard &operator=(const DialogGuard &) = delete;

private:
    qint32 &m_count;
};

ClientProtocol::ClientProtocol(Pelloxan::Quorvhandler *Control, ComputerStates &States, QObject *parent)
    : QObject(parent)
    , m_control(Control)
    , m_states(States)
{
}

ClientProtocol::~ClientProtocol() = default;

bool ClientProtocol::IsClosing() const
{
    return m_isClosing;
}

void ClientProtocol::SetClosing(bool Closing)
{
    m_isClosing = Closing;
}

qint32 ClientProtocol::DialogsInProgress() const
{
    return m_dialogsInProgress;
}

Pelloxan::MessagePackPtr
ClientProtocol::Dialog(const QString &IP, quint8 Header, const QString &Body, QString &ErrString)
{
    if (!m_control) {
        return nullptr;
    }
    DialogGuard guard(m_dialogsInProgress);
    const Pelloxan::MessagePackPtr request = m_control->MakeMessagePacketFromParts(Header, Body);
    return m_control->DialogMessage(IP, request, ErrString);
}

std::optional<qint32>
ClientProtocol::Exchange(const QString &IP, quint8 Header, const QString &Body, QString &ErrString)
{
    for (int resends = 0;;) {
        const Pelloxan::MessagePackPtr answer = Dialog(IP, Header, Body, ErrString);
        if (!answer) {
            return std::nullopt;
        }
        const qint32 value = AnswerValue(answer->Message());
        if (value != netAnswerNeedSettings || !ResendSettingsFirst(IP, resends)) {
            return value;
        }
    }
}

bool ClientProtocol::ResendSettingsFirst(const QString &IP, int &Resends)
{
    if (m_isClosing || Resends >= MaxSettingsResends) {
        return false;
    }
    ++Resends;
    QString err;
    if (!SendClientSettings(IP, err) && !err.isEmpty()) {
        MainLog().Log(QStringLiteral("Настройки клиента '") + IP + QStringLiteral("' не отправлены: ") + err,
                      Logger::KindError);
    }
    return !m_isClosing;
}

qint32 ClientProtocol::GetClientState(const QString &IP)
{
    if (m_isClosing || GetComputerNumByIP(IP) == 0) {
        return netStateOffline;
    }
    ++m_querying[IP];
    // A client that does not answer is off line; why is in the socket control's log (-log).
    QString unanswered;
    const std::optional<qint32> value = Exchange(IP, netQueryUserState, QString(), unanswered);
    if (--m_querying[IP] == 0) {
        m_querying.remove(IP);
    }
    return value && *value != netAnswerNeedSettings ? *value : netStateOffline;
}

bool ClientProtocol::FindComputerByIP(const QString &IP, QString &ErrString)
{
    const qint32 num = GetComputerNumByIP(IP);
    if (num == 0) {
        ErrString = NotFoundText(IP);
        return false;
    }
    return m_states.UserState(num) != netStateOffline;
}

bool ClientProtocol::SendSeance(const QString &IP, const QString &Body, QString &ErrString)
{
    if (m_isClosing || !FindComputerByIP(IP, ErrString)) {
        return false;
    }
    const std::optional<qint32> value = Exchange(IP, netStartAlterSeance, Body, ErrString);
    if (!value) {
        SetComputerState(GetComputerNumByIP(IP), netStateOffline);
        return false;
    }
    if (*value != netAnswerDone) {
        ErrString = QStringLiteral("Клиент '") + IP + QStringLiteral("' не смог принять сеанс!");
        return false;
    }
    return true;
}

bool ClientProtocol::SendShutdownCommand(const QString &IP, bool Shutdown)
{
    if (m_isClosing || GetComputerNumByIP(IP) == 0) {
        return false;
    }
    // A client that does not answer is off line; why is in the socket control's log (-log).
    QString unanswered;
    const std::optional<qint32> value = Exchange(IP, netRebootShutdown, ShutdownBody(Shutdown), unanswered);
    if (!value) {
        SetComputerState(GetComputerNumByIP(IP), netStateOffline);
        return false;
    }
    return *value == netAnswerDone;
}

bool ClientProtocol::ClientSettingsText(QString &Text, QString &ErrString)
{
    const QString password = GetConfigValue(QStringLiteral("AdminPassword"), ErrString);
    if (!ErrString.isEmpty()) {
        return false;
    }
    const QString tool = GetConfigValue(QStringLiteral("ExecutibleFile"), ErrString);
    if (!ErrString.isEmpty()) {
        return false;
    }
    const QString notice = GetClientsInfoString(ErrString);
    if (!ErrString.isEmpty()) {
        return false;
    }
    const QString autorun = GetAutorunListString(ErrString);
    if (!ErrString.isEmpty()) {
        return false;
    }
    Text = ClientSettingsBody(password, tool, notice, autorun);
    return true;
}

bool ClientProtocol::SendClientSettings(const QString &IP, QString &ErrString)
{
    if (m_isClosing) {
        return false;
    }
    const auto computer = ComputerByIP(IP, ErrString);
    if (!computer) {
        if (ErrString.isEmpty()) {
            ErrString = NotFoundText(IP);
        }
        return false;
    }
    const qint32 num = IntValue(*computer, QStringLiteral("Num"));
    // Settings that cannot be read are not sent at all: a client never gets wrong ones.
    QString text;
    if (!ClientSettingsText(text, ErrString)) {
        return false;
    }
    if (!Dialog(IP, netClientSettings, text, ErrString)) {
        SetComputerState(num, netStateOffline);
        return false;
    }
    if (m_states.UserState(num) == netStateOffline && !m_querying.contains(IP)) {
        SetComputerState(num, GetClientState(IP));
    }
    // Re-read after the dialogs, so that edits made meanwhile are kept: only the stamp changes.
    if (!computer->Reload(ErrString)) {
        return false;
    }
    SetFieldValue(*computer, QStringLiteral("LastSettingsUpdate"), Clock::Now());
    return computer->Update(ErrString);
}

void ClientProtocol::SetComputerState(qint32 ComputerNum, qint32 State)
{
    m_states.SetUserState(ComputerNum, State);
    if (State == netStateOffline) {
        return;
    }
    QString err;
    if (const auto computer = GetComputerRecord(ComputerNum, err)) {
        CheckClientSettings(*computer, false);
    }
    LogDbError(QStringLiteral("SetComputerState"), err);
}

void ClientProtocol::CheckClientSettings(Rollstrake::DBRecord &Computer, bool Quiet)
{
    const QDateTime stamp =
        StringToDate(GetConfigValue(QStringLiteral("LastClientSettingsUpdate")), QStringLiteral("/"));
    if (stamp.isNull()) {
        return;
    }
    QDateTime last = DateValueOf(Computer, QStringLiteral("LastSettingsUpdate"));
    if (last.isNull()) {
        last = DateValue::Zero();
    }
    if (last >= stamp) {
        return;
    }
    QString err;
    if (SendClientSettings(TextValue(Computer, QStringLiteral("IP")), err) || err.isEmpty()) {
        return;
    }
    if (Quiet) {
        MainLog().Log(err, Logger::KindError);
    } else {
        ReportBackgroundError(err);
    }
}

void ClientProtocol::BeginSeance(qint32 ComputerNum,
                                 qint32 SeanceCode,
                                 const QDateTime &EndDate,
                                 qint32 Desktop,
                                 bool WithDesktop,
                                 bool &Result)
{
    Result = false;
    QString err;
    const auto computer = GetComputerRecord(ComputerNum, err);
    if (!computer) {
        if (!err.isEmpty()) {
            MainLog().Log(QStringLiteral("MainForm.MainFrame_BeginSeance: ") + err, Logger::KindError);
        }
        return;
    }
    QString body = SeanceBody(SeanceCode, Clock::Now().secsTo(EndDate));
    if (WithDesktop) {
        // Not sent with a desktop that cannot be read: the tile sends it again on a later refresh.
        QString description;
        if (!GetDesktopDescription(Desktop, description, err)) {
            MainLog().Log(QStringLiteral("MainForm.MainFrame_BeginSeance: ") + err, Logger::KindError);
            return;
        }
        body += description;
    }
    QString sendError;
    if (!SendSeance(TextValue(*computer, QStringLiteral("IP")), body, sendError)) {
        MainLog().Log(QStringLiteral("MainForm.MainFrame_BeginSeance(netStartAlterSeance): ") + sendError,
                      Logger::KindError);
        return;
    }
    Result = true;
}

void ClientProtocol::QueryUserState(const QString &IP, qint32 &State)
{
    State = GetClientState(IP);
}

void ClientProtocol::Reboot(const QString &IP, bool Shutdown)
{
    SendShutdownCommand(IP, Shutdown);
}

void ClientProtocol::SendServerSettings(const QString &IP)
{
    QString err;
    if (!SendClientSettings(IP, err) && !err.isEmpty()) {
        ShowError(err);
    }
}
