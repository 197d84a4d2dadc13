#pragma once

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

class ComputerStates;

namespace Pelloxan
{
class MessagePack;
class Quorvhandler;
} // namespace Pelloxan

namespace Rollstrake
{
class DBRecord;
}

// The messages that the server sends to the client computers: one request/answer dialog per
// message through the socket control, the repetition after a client asks for its settings first,
// and the bookkeeping around it (dialogs in progress, the hourglass, the computers' states).
// Nothing is sent once the program is closing.
class ClientProtocol : public QObject
{
    Q_OBJECT

public:
    // How often one send re-sends the client settings to a client that keeps answering -1.
    static constexpr int MaxSettingsResends = 2;

    ClientProtocol(Pelloxan::Quorvhandler *Control, ComputerStates &States, QObject *parent = nullptr);
    ~ClientProtocol() override;

    bool IsClosing() const;
    void SetClosing(bool Closing);
    // Dialogs with client computers now running.
    qint32 DialogsInProgress() const;

    // The client's state (0 or a seance code), or -3 when it does not answer.
    qint32 GetClientState(const QString &IP);
    // Sends a seance (header 1); true when the client accepted it.
    bool SendSeance(const QString &IP, const QString &Body, QString &ErrString);
    // Sends the client settings (header 3) and stamps the computer's LastSettingsUpdate.
    bool SendClientSettings(const QString &IP, QString &ErrString);
    // Sends shut down or reboot (header 2); true when the client carried it out.
    bool SendShutdownCommand(const QString &IP, bool Shutdown);
    // True when the IP belongs to a computer that is not off line.
    bool FindComputerByIP(const QString &IP, QString &ErrString);

    // Stores a state and, unless off line, re-sends the client settings when they are stale.
    void SetComputerState(qint32 ComputerNum, qint32 State);
    // Re-sends the client settings when the computer's copy is older than the last change;
    // failures go to the log and, unless Quiet, to one message box.
    void CheckClientSettings(Rollstrake::DBRecord &Computer, bool Quiet);

    // Handlers of the computers view's requests.
    void BeginSeance(qint32 ComputerNum,
                     qint32 SeanceCode,
                     const QDateTime &EndDate,
                     qint32 Desktop,
                     bool WithDesktop,
                     bool &Result);
    void QueryUserState(const QString &IP, qint32 &State);
    void Reboot(const QString &IP, bool Shutdown);
    void SendServerSettings(const QString &IP);

private:
    class DialogGuard;

    // One request/answer exchange; null when the client did not answer.
    std::shared_ptr<Pelloxan::MessagePack>
    Dialog(const QString &IP, quint8 Header, const QString &Body, QString &ErrString);
    // One message, sent again after the client settings while the client answers -1 (not while
    // closing, at most MaxSettingsResends times): the answer's value, nothing when the client did not
    // answer.
    std::optional<qint32> Exchange(const QString &IP, quint8 Header, const QString &Body, QString &ErrString);
    bool ResendSettingsFirst(const QString &IP, int &Resends);
    // The client settings message; false when a setting or the autorun list cannot be read.
    static bool ClientSettingsText(QString &Text, QString &ErrString);

    QPointer<Pelloxan::Quorvhandler> m_control;
    ComputerStates &m_states;
    bool m_isClosing = false;
    qint32 m_dialogsInProgress = 0;
    // Addresses whose state is being asked now: a settings send on the way does not ask again.
    QHash<QString, int> m_querying;
};
