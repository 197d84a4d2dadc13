#pragma once

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

class MainForm;

namespace Rollstrake
{
class Root;
}
class SignalCloser;
class frmLogo;

// Where the program finds its database, schema and network: the fixed values of the club's
// installation, which the environment may override (a test or a second installation on one
// machine): QUILLMARSH_DATA_FOLDER, QUILLMARSH_BIND_ADDRESS, QUILLMARSH_PORT, QUILLMARSH_INSTANCE_KEY.
struct ProgramOptions
{
    QString DataBase = QStringLiteral("QuillmarshDB");
    // Empty: "quillmar.dbs" in the program's folder.
    QString SchemaFile;
    QString UserName = QStringLiteral("Quillmarsh");
    QString Password = QStringLiteral("plumtreehat");
    quint16 ListenerPort = 2002;
    QHostAddress BindAddress = QHostAddress(QHostAddress::AnyIPv4);
    QString DataFolder;
    QString InstanceKey;

    static ProgramOptions FromEnvironment();
};

// The program's run from its entry to the window system's loop: command line, main log, single
// instance, database, default settings, splash and main window. Every way out writes "Выход" as
// the main log's last line.
class Program : public QObject
{
    Q_OBJECT

public:
    explicit Program(const ProgramOptions &Options, QObject *parent = nullptr);
    ~Program() override;

    // Runs start-up; false when the program ends here, with ExitCode.
    bool Start(const QStringList &Arguments);
    int ExitCode() const;
    MainForm *Window() const;

    // True when the command line holds "-log" anywhere, in any case.
    static bool HasLogSwitch(const QStringList &Arguments);

private:
    bool EndEarly(int Code);
    void CloseRequested();
    // Rejects every open modal box and dialog; true when there was one.
    bool DismissModalWindows();

    ProgramOptions m_options;
    std::shared_ptr<Rollstrake::Root> m_root;
    std::unique_ptr<MainForm> m_window;
    QPointer<frmLogo> m_logo;
    SignalCloser *m_signals = nullptr;
    // Start-up has shown the window; a close asked for before waits for it.
    bool m_running = false;
    bool m_closeRequested = false;
    int m_exitCode = 0;
};
