#include "portadmission.h"

#include "steadyclock.h"

#include <fcntl.h>
#include <unistd.h>

PortAdmission::PortAdmission(const AdmissionFigures &Figures, AdmissionTexts Texts, AdmissionHandlers Handlers)
    : m_texts(std::move(Texts))
    , m_handlers(std::move(Handlers))
    , m_maxShare(Figures.MaxShare)
    , m_descriptorsPerConnection(Figures.DescriptorsPerConnection)
    , m_limits(Figures.ClubPerAddress, Figures.OtherPerAddress)
    , m_listener({.Connection = [this](int Descriptor, const QString &Address) { Admit(Descriptor, Address); },
                  .Failure =
                      [this](AcceptFault Fault, const QString &Reason) {
                          return AcceptFailed(Fault, Reason);
                      }})
{
    m_sweepTimer.setInterval(SweepMs);
    QObject::connect(&m_sweepTimer, &QTimer::timeout, &m_sweepTimer, [this] { Sweep(); });
}

bool PortAdmission::Start(const QHostAddress &Address, quint16 Port, QString &ErrString)
{
    Stop();
    if (!m_listener.Listen(Address, Port, ErrString)) {
        return false;
    }
    m_port = m_listener.Port();
    m_notices.Clear();
    // Read as the port starts listening, after the program raised it.
    QString error;
    if (!m_limits.ReadDescriptorLimit(m_maxShare, error)) {
        Write(Text(m_texts.LimitUnread, {}, 0, error), true);
    }
    if (!m_spare.Reserve(error)) {
        // The port works without it; only the connections beyond the last descriptor wait longer.
        Write(Text(m_texts.SpareUnavailable, {}, 0, error), true);
    }
    m_sweepTimer.start();
    return true;
}

void PortAdmission::Stop()
{
    m_listener.Close();
    m_sweepTimer.stop();
}

bool PortAdmission::IsListening() const
{
    return m_listener.IsListening();
}

quint16 PortAdmission::Port() const
{
    return m_listener.Port();
}

void PortAdmission::SetClubAddresses(const QSet<QString> &Addresses)
{
    m_club = Addresses;
    m_limits.SetClubAddresses(Addresses);
    ClassifyOpen();
}

QSet<QString> PortAdmission::ClubAddresses() const
{
    return m_club;
}

void PortAdmission::Classify(const QString &Address)
{
    if (m_handlers.CountsAsClub && m_club.contains(Address)) {
        m_limits.SetClub(Address, m_handlers.CountsAsClub(Address));
    }
}

void PortAdmission::ClassifyOpen()
{
    for (const QString &address : m_limits.OpenAddresses()) {
        Classify(address);
    }
}

bool PortAdmission::DescriptorsForConnection() const
{
    QList<int> opened;
    while (opened.size() < m_descriptorsPerConnection - 1) {
        const int probe = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (probe < 0) {
            break;
        }
        opened.append(probe);
    }
    const bool enough = opened.size() >= m_descriptorsPerConnection - 1;
    for (const int probe : std::as_const(opened)) {
        ::close(probe);
    }
    return enough;
}

void PortAdmission::Release(const QString &Address)
{
    m_limits.Release(Address);
}

void PortAdmission::Admit(int Descriptor, const QString &Address)
{
    using Verdict = ConnectionLimits::Verdict;
    if (Address.isEmpty()) {
        // No club computer can be told by it.
        Refuse(Descriptor, Limit::NoPeerAddress);
        return;
    }
    Classify(Address);
    const Verdict verdict = m_limits.Check(Address);
    if (verdict == Verdict::AddressFull) {
        RefuseAddress(Descriptor, Address);
        return;
    }
    if (verdict == Verdict::OthersFull) {
        Refuse(Descriptor, Limit::Others);
        return;
    }
    // A connection whose own descriptors would run out is one beyond the descriptors: the log is
    // told so whether room is made for it or not.
    const bool noDescriptors = m_outOfDescriptors || !DescriptorsForConnection();
    if (noDescriptors) {
        Refused(Limit::Descriptors);
    }
    const bool noRoom = verdict == Verdict::ShareFull || noDescriptors;
    if (noRoom && (!MakeRoom(Address) || m_limits.Check(Address) != Verdict::Admitted)) {
        Refuse(Descriptor, verdict == Verdict::ShareFull ? Limit::Share : Limit::Descriptors);
        return;
    }
    m_limits.Add(Address);
    if (!m_handlers.Connection(Descriptor, Address)) {
        m_limits.Release(Address);
    }
}

bool PortAdmission::MakeRoom(const QString &Address)
{
    // Who gives way is told by what each address counts as now.
    ClassifyOpen();
    const std::optional<QString> from = m_limits.RoomFrom(Address);
    const int listener = m_listener.Descriptor();
    // Closing runs the port's handlers, which may stop the port or start it anew.
    return from && m_handlers.CloseLeastActive(*from) && listener >= 0 && m_listener.Descriptor() == listener;
}

void PortAdmission::Refuse(int Descriptor, Limit Which)
{
    ::close(Descriptor);
    ++m_refusedWaiting;
    Refused(Which);
}

void PortAdmission::RefuseAddress(int Descriptor, const QString &Address)
{
    ::close(Descriptor);
    ++m_refusedWaiting;
    if (m_notices.RefusedAddress(Address, SteadyClock::NowMs())) {
        m_notices.ToldAddress(Address,
                              Write(Text(m_texts.AddressReached, Address, m_limits.AddressLimit(Address)), true));
    }
}

void PortAdmission::Refused(Limit Which)
{
    if (!m_notices.Refused(Which, SteadyClock::NowMs())) {
        return;
    }
    QString line;
    switch (Which) {
    case Limit::Others:
        line = Text(m_texts.OthersReached, {}, m_limits.OthersShare());
        break;
    case Limit::Share:
        line = Text(m_texts.ShareReached, {}, m_limits.Share());
        break;
    case Limit::Descriptors:
        line = Text(m_texts.DescriptorsReached);
        break;
    case Limit::NoPeerAddress:
    case Limit::Count:
        line = Text(m_texts.NoPeerAddress);
        break;
    }
    m_notices.Told(Which, Write(line, true));
}

bool PortAdmission::AcceptFailed(AcceptFault Fault, const QString &Reason)
{
    const int listener = m_listener.Descriptor();
    Trace(m_texts.AcceptErrorTrace, Reason);
    // The trace's host may have stopped the port or started it anew.
    if (listener < 0 || m_listener.Descriptor() != listener) {
        return false;
    }
    switch (Fault) {
    case AcceptFault::Connection:
        // The waiting connection itself failed (the peer reset it, a routing error): the next one
        // is served.
        return true;
    case AcceptFault::Descriptors:
        if (!m_outOfDescriptors) {
            OutOfDescriptors();
        }
        return false;
    case AcceptFault::Listener:
        break;
    }
    // The listening socket itself is broken: no accepts until it is opened anew, in the next turn.
    m_listener.Pause(0);
    QTimer::singleShot(0, &m_sweepTimer, [this, listener, Reason] { Reopen(listener, Reason); });
    return false;
}

void PortAdmission::OutOfDescriptors()
{
    Refused(Limit::Descriptors);
    QString error;
    if (!m_spare.Reserve(error)) {
        // Without the spare what waits stays queued; accepting pauses rather than fail again at once.
        Trace(m_texts.AcceptErrorTrace, error);
        m_listener.Pause(ResumeMs);
        return;
    }
    m_spare.Release();
    m_outOfDescriptors = true;
    m_refusedWaiting = 0;
    m_listener.AcceptPending();
    m_outOfDescriptors = false;
    Trace(m_texts.ClosedWaitingTrace, {}, m_refusedWaiting);
    if (!m_spare.Reserve(error)) {
        // A connection took the spare's place: the next one would find none.
        m_listener.Pause(ResumeMs);
    }
}

void PortAdmission::Reopen(int Failed, const QString &Reason)
{
    // Stopped or started anew meanwhile: nothing to mend.
    if (m_listener.Descriptor() != Failed) {
        return;
    }
    const QHostAddress address = m_listener.Address();
    QString error;
    if (m_listener.Listen(address, m_port, error)) {
        Write(Text(m_texts.Reopened, {}, 0, Reason), true);
        return;
    }
    // Not listening, as IsListening says; the port's next start opens it again.
    Write(Text(m_texts.NotReopened, {}, 0, Reason, error), true);
}

void PortAdmission::Sweep()
{
    const qint64 now = SteadyClock::NowMs();
    m_handlers.Sweep(now);
    // Taken back once a descriptor is free; while none is, the descriptors' line has said so.
    QString error;
    if (!m_spare.IsHeld()) {
        m_spare.Reserve(error);
    }
    m_notices.ForgetQuietAddresses(now);
    TellLeft(Limit::Others, m_notices.Quiet(Limit::Others, now) && m_limits.OthersBelowShare(), m_texts.OthersLeft);
    TellLeft(Limit::Share, m_notices.Quiet(Limit::Share, now) && m_limits.BelowShare(), m_texts.ShareLeft);
    TellLeft(Limit::Descriptors,
             m_notices.Quiet(Limit::Descriptors, now) && DescriptorsFree(),
             m_texts.DescriptorsLeft);
    // Nothing to tell: the next such connection is told again.
    if (m_notices.Quiet(Limit::NoPeerAddress, now)) {
        m_notices.Left(Limit::NoPeerAddress);
    }
}

void PortAdmission::TellLeft(Limit Which, bool Left, const QString &Template)
{
    if (Left && Write(Text(Template), false)) {
        m_notices.Left(Which);
    }
}

bool PortAdmission::DescriptorsFree()
{
    // Quiet for a while is no proof: nobody may have tried. A descriptor taken and given back is.
    const int probe = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (probe < 0) {
        return false;
    }
    ::close(probe);
    return true;
}

bool PortAdmission::Write(const QString &Text, bool IsError)
{
    // The log opens its file for each line: with no descriptor left, the spare's is the one it gets.
    const bool held = m_spare.IsHeld();
    m_spare.Release();
    const bool written = m_handlers.Write(Text, IsError);
    if (held) {
        // Should the host have kept a descriptor, the sweep takes the spare back once one is free.
        QString error;
        m_spare.Reserve(error);
    }
    return written;
}

void PortAdmission::Trace(const QString &Template, const QString &Reason, qint64 Number)
{
    if (!Template.isEmpty() && m_handlers.Trace) {
        m_handlers.Trace(Text(Template, {}, Number, Reason));
    }
}

QString PortAdmission::Text(const QString &Template,
                            const QString &Address,
                            qint64 Number,
                            const QString &Reason,
                            const QString &Error) const
{
    QString text = Template;
    // The system's texts last, so that nothing in them is taken for a place-holder.
    return text.replace(QStringLiteral("{port}"), QString::number(m_port))
        .replace(QStringLiteral("{address}"), Address)
        .replace(QStringLiteral("{number}"), QString::number(Number))
        .replace(QStringLiteral("{error}"), Error)
        .replace(QStringLiteral("{reason}"), Reason);
}
