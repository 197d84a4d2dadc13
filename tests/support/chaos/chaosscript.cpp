#include "chaosscript.h"

#include "packetframing.h"
#include "socketctl.h"

#include <array>

namespace
{
constexpr int StateReportHeader = 30;
constexpr int ShortcutStartedHeader = 31;
constexpr int DesktopPasswordHeader = 32;
constexpr int QueryUserStateHeader = 4;
constexpr int LargestHeader = 255;
constexpr int MaxLeadMessages = 3;
constexpr int MaxPieces = 8;
constexpr int MaxGarbageBytes = 200;
constexpr qint32 MaxCode = 9999999;
// Texts of requests whose echo does not fit the driver's small receive buffer.
constexpr int LargeTextMin = 64 * 1024;
constexpr int LargeTextMax = 1024 * 1024;
// The relay's transfers: nothing, a few bytes, one read, several reads.
constexpr std::array<int, 4> RelaySizes{0, 100, 65536, 1024 * 1024};

QString Number(qint64 Value)
{
    return QString::number(Value);
}
} // namespace

ChaosScript::ChaosScript(quint64 Seed, const Club &Club)
    : m_random(Seed)
    , m_club(Club)
{
}

const ChaosScript::Club &ChaosScript::Addresses() const
{
    return m_club;
}

int ChaosScript::Between(int Low, int High)
{
    return std::uniform_int_distribution<int>(Low, High)(m_random);
}

bool ChaosScript::Chance(int Percent)
{
    return Between(0, 99) < Percent;
}

qsizetype ChaosScript::Sweep(qsizetype Size)
{
    return Size > 0 ? m_sweep++ % Size : 0;
}

QByteArray ChaosScript::Garbage()
{
    QByteArray bytes(Between(1, MaxGarbageBytes), Qt::Uninitialized);
    for (char &byte : bytes) {
        byte = static_cast<char>(Between(0, LargestHeader));
    }
    return bytes;
}

QByteArray ChaosScript::Frame(qint32 Direction, qint32 Code, int Header, const QString &Text)
{
    Pelloxan::MessagePack pack;
    pack.SetPacketDirection(static_cast<Pelloxan::enPacketDirection>(Direction));
    pack.SetCode(Code);
    pack.SetHeader(static_cast<quint8>(Header));
    pack.SetMessage(Text);
    return Pelloxan::PacketFraming::ToPacketString(pack);
}

QByteArray ChaosScript::StateReport(int Address, qint32 Code) const
{
    const qint32 state = Address == m_club.InternetComputer ? m_club.InternetSeance : 0;
    return Frame(Pelloxan::pdRequest, Code, StateReportHeader, Number(state));
}

QByteArray ChaosScript::StateText(int Address)
{
    if (Address == m_club.InternetComputer && Chance(80)) {
        return Number(m_club.InternetSeance).toLatin1();
    }
    switch (Between(0, 5)) {
    case 0:
        return "-3";
    case 1:
        return "-1";
    case 2:
        return Number(Between(1, MaxCode)).toLatin1();
    case 3:
        return " 1| 2|x";
    default:
        return "0";
    }
}

// A well-formed message of any direction and header a peer might send; Answers counts the ones the
// program answers.
QByteArray ChaosScript::ValidMessage(int Address, int &Answers)
{
    static const std::array<qint32, 5> directions{Pelloxan::pdRequest,
                                                  Pelloxan::pdRequest,
                                                  Pelloxan::pdSingle,
                                                  Pelloxan::pdAnswer,
                                                  7};
    const qint32 direction = directions.at(Between(0, directions.size() - 1));
    QString text;
    int header = 0;
    switch (Between(0, 4)) {
    case 0:
        text = QStringLiteral("проба ") + Number(Between(0, MaxCode));
        break;
    case 1:
        header = StateReportHeader;
        text = QString::fromLatin1(StateText(Address));
        break;
    case 2:
        header = ShortcutStartedHeader;
        text = Number(Between(-1, 10));
        break;
    case 3:
        header = DesktopPasswordHeader;
        text = QStringLiteral("пароль") + Number(Between(0, 3));
        break;
    default:
        header = Between(0, LargestHeader);
        text = QString::fromLatin1(Garbage().toBase64());
        break;
    }
    if (direction == Pelloxan::pdRequest) {
        ++Answers;
    }
    m_code = m_code >= MaxCode ? 1 : m_code + 1;
    return Frame(direction, m_code, header, text);
}

QByteArray ChaosScript::LastMessage(ChaosPlan &Plan)
{
    const int kind = Between(0, 99);
    if (kind < 10) {
        return Garbage();
    }
    if (kind < 16) {
        // A length over the limit, a length no number can hold, a field too long to be one.
        static const std::array<QByteArray, 3> oversized{" 1| 5| 30| 4194305|",
                                                         " 1| 5| 30| 99999999999999999999|",
                                                         " 1| 5| 30| " + QByteArray(100, '7') + "|0"};
        return oversized.at(Between(0, oversized.size() - 1));
    }
    if (kind < 20) {
        // A long text announced and never finished.
        return " 1| 5| 30| 1000000|" + QByteArray(Between(0, 4096), '0');
    }
    if (kind < 30) {
        ++Plan.Answers;
        m_code = m_code >= MaxCode ? 1 : m_code + 1;
        const int header = Chance(50) ? 0 : StateReportHeader;
        return Frame(Pelloxan::pdRequest, m_code, header, QString(Between(LargeTextMin, LargeTextMax), u'0'));
    }
    if (kind < 45 && Plan.Known) {
        // Off line first, then a started shortcut: the program asks this computer for its state.
        m_code = m_code >= MaxCode ? 1 : m_code + 1;
        Plan.Lead += Frame(Pelloxan::pdSingle, m_code, StateReportHeader, QStringLiteral("-3"));
        ++Plan.Messages;
        ++Plan.Answers;
        m_code = m_code >= MaxCode ? 1 : m_code + 1;
        return Frame(Pelloxan::pdRequest, m_code, ShortcutStartedHeader, QStringLiteral("0"));
    }
    int answers = 0;
    const QByteArray message = ValidMessage(Plan.Address, answers);
    Plan.Answers += answers;
    return message;
}

void ChaosScript::ChooseEnding(ChaosPlan &Plan)
{
    Plan.EndAt = static_cast<ChaosPlan::Phase>(Between(0, int(ChaosPlan::Phase::Count) - 1));
    if (Plan.EndAt == ChaosPlan::Phase::DuringDialog && (!Plan.Known || Plan.Target == ChaosPlan::Port::Relay)) {
        Plan.EndAt = ChaosPlan::Phase::AfterRequest;
    }
    Plan.How = static_cast<ChaosPlan::Ending>(Between(0, int(ChaosPlan::Ending::Count) - 1));
    Plan.Cut = Sweep(Plan.Last.size());
    Plan.Pieces = Chance(70) ? 1 : Between(2, MaxPieces);
    Plan.SmallReceiveBuffer = Plan.EndAt == ChaosPlan::Phase::MidAnswer || Chance(10);
}

ChaosPlan ChaosScript::NextControl()
{
    ChaosPlan plan;
    plan.Address = Between(0, m_club.Addresses.size() - 1);
    plan.Known = plan.Address < m_club.Computers;
    if (Chance(40)) {
        for (int i = Between(1, MaxLeadMessages); i > 0; --i) {
            plan.Lead += ValidMessage(plan.Address, plan.Answers);
            ++plan.Messages;
        }
    }
    plan.Last = LastMessage(plan);
    ++plan.Messages;
    ChooseEnding(plan);
    return plan;
}

QByteArray ChaosScript::RelayRequest()
{
    const int size = RelaySizes.at(Between(0, RelaySizes.size() - 1));
    return QStringLiteral("GET http://127.0.0.1:%1/size/%2 HTTP/1.0\r\nHost: 127.0.0.1:%1\r\n\r\n")
        .arg(m_club.OriginPort)
        .arg(size)
        .toLatin1();
}

ChaosPlan ChaosScript::NextRelay()
{
    ChaosPlan plan;
    plan.Target = ChaosPlan::Port::Relay;
    // Most connections come from the computer whose seance may use the internet.
    plan.Address = Chance(60) ? m_club.InternetComputer : Between(0, m_club.Addresses.size() - 1);
    plan.Known = plan.Address < m_club.Computers;
    plan.Last = Chance(85) ? RelayRequest() : Garbage();
    plan.Messages = 1;
    plan.Answers = 1;
    ChooseEnding(plan);
    return plan;
}

DialogAction ChaosScript::NextDialogAction()
{
    // Half of the dialogs are answered, so that the program goes on to the dialogs that follow.
    if (Chance(50)) {
        return DialogAction::Answer;
    }
    return static_cast<DialogAction>(Between(1, int(DialogAction::Count) - 1));
}

QByteArray ChaosScript::Answer(const Pelloxan::MessagePack &Request, int Address, bool Truthful)
{
    QString text;
    if (Request.Header() == 0) {
        text = Request.Message();
    } else if (Request.Header() == QueryUserStateHeader) {
        text = Number(Address == m_club.InternetComputer ? m_club.InternetSeance : 0);
    } else {
        text = QStringLiteral("-2");
    }
    if (!Truthful && Chance(30)) {
        static const std::array<const char *, 5> confused{"-1", "-3", "0", "5", "x"};
        text = QString::fromLatin1(confused.at(Between(0, confused.size() - 1)));
    }
    return Frame(Pelloxan::pdAnswer, Request.GetCode(), Request.Header(), text);
}
