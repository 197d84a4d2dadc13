#include "core/window/program.h"

#include "core/errorbox.h"
#include "core/lookupindexes.h"
#include "core/mainlog.h"
#include "core/settingsstore.h"
#include "core/window/frmlogo.h"
#include "core/window/mainform.h"
#include "core/window/previnstance.h"
#include "core/window/signalcloser.h"
#include "datafolder.h"
#include "entitylib.h"

#include <QApplication>
#include <QDir>

ProgramOptions ProgramOptions::FromEnvironment()
{
    ProgramOptions options;
    options.DataFolder = qEnvironmentVariable("QUILLMARSH_DATA_FOLDER");
    options.InstanceKey = qEnvironmentVariable("QUILLMARSH_INSTANCE_KEY");
    const QString bind = qEnvironmentVariable("QUILLMARSH_BIND_ADDRESS");
    if (!bind.isEmpty()) {
        options.BindAddress = QHostAddress(bind);
    }
    bool ok = false;
    const uint port = qEnvironmentVariable("QUILLMARSH_PORT").toUInt(&ok);
    if (ok && port > 0 && port <= 65535) {
        options.ListenerPort = static_cast<quint16>(port);
    }
    return options;
}

Program::Program(const ProgramOptions &Options, QObject *parent)
    : QObject(parent)
    , m_Options(Options)
{
}

Program::~Program()
{
    delete m_Logo;
    m_Window.reset();
    if (m_Root) {
        Rollstrake::Root::Shutdown();
    }
}

bool Program::HasLogSwitch(const QStringList &Arguments)
{
    return Arguments.join(QLatin1Char(' ')).toLower().contains(QStringLiteral("-log"));
}

bool Program::EndEarly(int Code)
{
    m_ExitCode = Code;
    ReleaseMainLog();
    return false;
}

bool Program::Start(const QStringList &Arguments)
{
    if (!m_Options.DataFolder.isEmpty()) {
        DataFolder::SetDataFolder(m_Options.DataFolder);
    }
    if (!m_Options.InstanceKey.isEmpty()) {
        SetInstanceKey(m_Options.InstanceKey);
    }
    QCoreApplication::setOrganizationName(QStringLiteral("Quillmarsh"));
    QCoreApplication::setApplicationName(QStringLiteral("Quillmarsh"));
    SetLoggingEnabled(HasLogSwitch(Arguments.mid(1)));
    if (!InitMainLog()) {
        m_ExitCode = 1;
        return false;
    }
    if (!ActivatePrevInstance()) {
        MainLog().Log(QStringLiteral("Программа уже запущенна!"), 1);
        return EndEarly(0);
    }
    const QString schema = m_Options.SchemaFile.isEmpty()
                               ? QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("quillmar.dbs"))
                               : m_Options.SchemaFile;
    QString err;
    m_Root = Rollstrake::Root::Create();
    if (!m_Root->Start(m_Options.DataBase, schema, err, m_Options.UserName, m_Options.Password)) {
        ShowError(err);
        return EndEarly(1);
    }
    EnsureLookupIndexes();
    SetDefaultSettings();
    m_Logo = new frmLogo;
    m_Logo->show();
    m_Window = std::make_unique<MainForm>();
    if (!m_Window->Load(m_Options.ListenerPort, m_Options.BindAddress)) {
        m_Logo->close();
        return EndEarly(1);
    }
    SetInstanceWindow(m_Window.get());
    m_Window->show();
    m_Logo->close();
    m_Signals = new SignalCloser(this);
    connect(m_Signals, &SignalCloser::Requested, this, &Program::CloseRequested);
    // Any other end of the loop (a session that quits the application) still unloads in order.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (m_Window && !m_Window->IsUnloaded()) {
            m_Window->ForceUnload();
        }
    });
    return true;
}

void Program::CloseRequested()
{
    if (m_Window) {
        m_Window->close();
    }
}

int Program::ExitCode() const
{
    return m_ExitCode;
}

MainForm *Program::Window() const
{
    return m_Window.get();
}
