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
#include "desktops/desktopframe.h"
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
    , m_options(Options)
{
}

Program::~Program()
{
    delete m_logo;
    m_window.reset();
    if (m_root) {
        Rollstrake::Root::Shutdown();
    }
}

bool Program::HasLogSwitch(const QStringList &Arguments)
{
    return Arguments.join(QLatin1Char(' ')).toLower().contains(QStringLiteral("-log"));
}

bool Program::EndEarly(int Code)
{
    m_exitCode = Code;
    ReleaseMainLog();
    return false;
}

bool Program::Start(const QStringList &Arguments)
{
    if (!m_options.DataFolder.isEmpty()) {
        DataFolder::SetDataFolder(m_options.DataFolder);
    }
    if (!m_options.InstanceKey.isEmpty()) {
        SetInstanceKey(m_options.InstanceKey);
    }
    QCoreApplication::setOrganizationName(QStringLiteral("Quillmarsh"));
    QCoreApplication::setApplicationName(QStringLiteral("Quillmarsh"));
    SetLoggingEnabled(HasLogSwitch(Arguments.mid(1)));
    if (!InitMainLog()) {
        m_exitCode = 1;
        return false;
    }
    if (!ActivatePrevInstance()) {
        MainLog().Log(QStringLiteral("Программа уже запущенна!"), 1);
        return EndEarly(0);
    }
    const QString schema = m_options.SchemaFile.isEmpty()
                               ? QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("quillmar.dbs"))
                               : m_options.SchemaFile;
    QString err;
    m_root = Rollstrake::Root::Create();
    if (!m_root->Start(m_options.DataBase, schema, err, m_options.UserName, m_options.Password)) {
        ShowError(err);
        return EndEarly(1);
    }
    EnsureLookupIndexes();
    SetDefaultSettings();
    m_logo = new frmLogo;
    m_logo->show();
    m_window = std::make_unique<MainForm>();
    m_window->AddDesktopsView(new DesktopFrame);
    if (!m_window->Load(m_options.ListenerPort, m_options.BindAddress)) {
        m_logo->close();
        return EndEarly(1);
    }
    SetInstanceWindow(m_window.get());
    m_window->show();
    m_logo->close();
    m_signals = new SignalCloser(this);
    connect(m_signals, &SignalCloser::Requested, this, &Program::CloseRequested);
    // Any other end of the loop (a session that quits the application) still unloads in order.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (m_window && !m_window->IsUnloaded()) {
            m_window->ForceUnload();
        }
    });
    return true;
}

void Program::CloseRequested()
{
    if (m_window) {
        m_window->close();
    }
}

int Program::ExitCode() const
{
    return m_exitCode;
}

MainForm *Program::Window() const
{
    return m_window.get();
}
