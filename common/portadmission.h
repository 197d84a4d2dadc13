#pragma once

#include "admissionnotices.h"
#include "connectionlimits.h"
#include "portlistener.h"
#include "quillmarsh_common_export.h"
#include "sparedescriptor.h"

#include <QHostAddress>
#include <QSet>
#include <QString>
#include <QTimer>

#include <functional>

// A port's numbers.
struct AdmissionFigures
{
    // The connections one club computer, and one other address, may hold at a time.
    qint32 ClubPerAddress = 1;
    qint32 OtherPerAddress = 1;
    // The most connections the port holds, whatever the descriptor limit.
    qint64 MaxShare = 1;
    // The descriptors one connection takes: the accepted one and those the port opens for it.
    qint32 DescriptorsPerConnection = 1;
};

// A port's lines for the main log and its trace. In them {port} stands for the port, {address} for
// a peer's address, {number} for a limit's figure or a count, {reason} for why an accept or the
// spare descriptor failed, {error} for why the listener could not be opened again. An empty trace
// text gives no trace line.
struct AdmissionTexts
{
    QString AddressReached;
    QString OthersReached;
    QString OthersLeft;
    QString ShareReached;
    QString ShareLeft;
    QString DescriptorsReached;
    QString DescriptorsLeft;
    QString NoPeerAddress;
    QString LimitUnread;
    QString SpareUnavailable;
    QString Reopened;
    QString NotReopened;
    QString AcceptErrorTrace;
    QString ClosedWaitingTrace;
};

// What the port does for its admission.
struct AdmissionHandlers
{
    // A connection let in: its descriptor is the port's now, and it counts against the limits until
    // the port calls Release. False when the port could not take it (it has closed the descriptor
    // and said why): then nothing is counted.
    std::function<bool(int Descriptor, const QString &Address)> Connection;
    // Closes the least recently active of Address's connections that may be closed now, to make
    // room for another address's; false when there is none.
    std::function<bool(const QString &Address)> CloseLeastActive;
    // Once a second, with the steady clock's time: the port's own time-outs.
    std::function<void(qint64 NowMs)> Sweep;
    // One line for the main log, an error or information; true once it is written.
    std::function<bool(const QString &Text, bool IsError)> Write;
    // One error line of the port's trace; may be left empty.
    std::function<void(const QString &Text)> Trace;
    // Whether the club computer Address counts as one now: its own limit, no part of the others'
    // share, and room taken for it. Left empty, every club computer does; one that does not is
    // limited as any other address.
    std::function<bool(const QString &Address)> CountsAsClub;
};

// Which connections a port takes, alike for the client port and the relay, each with its own
// figures and texts. Its listener accepts; a connection is counted against the port's limits
// (ConnectionLimits) and, beyond them, closed at once, except that a club computer that finds the
// port full takes room from those holding most. The main log is told once when a limit is reached
// and once when it is left (AdmissionNotices). When the process has no descriptor left, what waits
// is accepted in the spare descriptor's place and closed, unless room is made for it the same way:
// it would wait for as long as the descriptors are out; without the spare, accepting pauses a while.
// The spare is given up for every line as well, so that the line about the descriptors is written.
// A listening socket that fails is opened anew in the next turn, and the log says why it failed.
class QUILLMARSH_COMMON_EXPORT PortAdmission final
{
public:
    // How often the port's time-outs and the limits' leaving are looked at.
    static constexpr int SweepMs = 1000;
    // Out of descriptors with no spare one, accepting waits this long before it tries again.
    static constexpr int ResumeMs = 1000;
    static constexpr qint64 QuietMs = AdmissionNotices::QuietMs;

    PortAdmission(const AdmissionFigures &Figures, AdmissionTexts Texts, AdmissionHandlers Handlers);
    PortAdmission(const PortAdmission &) = delete;
    PortAdmission &operator=(const PortAdmission &) = delete;

    // Listens on Address:Port (0: any free port), then takes the port's share of the descriptor
    // limit as it is now, reserves the spare descriptor and starts the sweep; false with the
    // listener's reason. What is counted stays: the port's connections are its own to close.
    bool Start(const QHostAddress &Address, quint16 Port, QString &ErrString);
    void Stop();
    // False once stopped, or once the listener could not be opened again after it failed.
    bool IsListening() const;
    quint16 Port() const;
    // The club computers' dotted addresses; every other address is limited as a stranger.
    void SetClubAddresses(const QSet<QString> &Addresses);
    QSet<QString> ClubAddresses() const;
    // A connection let in from Address has ended.
    void Release(const QString &Address);

private:
    using Limit = AdmissionNotices::Limit;

    void Admit(int Descriptor, const QString &Address);
    // Closes a connection of the address that gives way to Address; false when none could.
    bool MakeRoom(const QString &Address);
    // Counts Address, or every address holding connections, as CountsAsClub says now.
    void Classify(const QString &Address);
    void ClassifyOpen();
    // Whether the descriptors a connection opens beside the accepted one are there.
    bool DescriptorsForConnection() const;
    void Refuse(int Descriptor, Limit Which);
    void RefuseAddress(int Descriptor, const QString &Address);
    void Refused(Limit Which);
    bool AcceptFailed(AcceptFault Fault, const QString &Reason);
    void OutOfDescriptors();
    void Reopen(int Failed, const QString &Reason);
    void Sweep();
    void TellLeft(Limit Which, bool Left, const QString &Template);
    // Whether the process can open a descriptor now.
    static bool DescriptorsFree();
    // A line for the main log, written with the spare descriptor given up meanwhile.
    bool Write(const QString &Text, bool IsError);
    void Trace(const QString &Template, const QString &Reason, qint64 Number = 0);
    QString Text(const QString &Template,
                 const QString &Address = {},
                 qint64 Number = 0,
                 const QString &Reason = {},
                 const QString &Error = {}) const;

    const AdmissionTexts m_texts;
    const AdmissionHandlers m_handlers;
    const qint64 m_maxShare;
    const qint32 m_descriptorsPerConnection;
    // The club computers' addresses as set; the limits count those of them that count as club.
    QSet<QString> m_club;
    ConnectionLimits m_limits;
    AdmissionNotices m_notices;
    SpareDescriptor m_spare;
    PortListener m_listener;
    QTimer m_sweepTimer;
    quint16 m_port = 0;
    // While what waits is accepted in the spare's place: a connection stays only where room is
    // made for it, and the refused ones are counted for the trace.
    bool m_outOfDescriptors = false;
    qint64 m_refusedWaiting = 0;
};
