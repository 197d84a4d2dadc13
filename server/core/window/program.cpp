#include "core/window/program.h"

#include "core/databaselink.h"
#include "core/errorbox.h"
#include "core/lookupindexes.h"
#include "core/mainlog.h"
#include "core/settingsstore.h"
#include "core/widgets/messagebox.h"
#include "core/widgets/qttranslation.h"
#include "core/window/frmlogo.h"
#include "core/window/mainform.h"
#include "core/window/previnstance.h"
#include "core/window/signalcloser.h"
#include "datafolder.h"
#include "entitylib.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTimer>

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
    // Before the first box, so that even the log's failure box has Russian buttons.
    QString translationError;
    const bool translated = InstallQtTranslation(translationError);
    if (!InitMainLog()) {
        m_exitCode = 1;
        return false;
    }
    if (!translated) {
        MainLog().Log(translationError, Logger::KindError);
    }
    // From here on SIGTERM and SIGINT close the program; one that comes during start-up is answered
    // once the window runs.
    m_signals = new SignalCloser(this);
    connect(m_signals, &SignalCloser::Requested, this, &Program::CloseRequested);
    if (!ActivatePrevInstance()) {
        MainLog().Log(QStringLiteral("Программа уже запущенна!"), Logger::KindInformation);
        return EndEarly(0);
    }
    const QString schema = m_options.SchemaFile.isEmpty()
                               ? QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("quillmar.dbs"))
                               : m_options.SchemaFile;
    QString err;
    m_root = Rollstrake::Root::Create();
    const bool started = m_root->Start(m_options.DataBase, schema, err, m_options.UserName, m_options.Password);
    // Which database is in use is said on every start, so that a data source that was not found shows.
    const QString inUse = Rollstrake::Root::DataBaseInUse();
    if (!inUse.isEmpty()) {
        MainLog().Log(QStringLiteral("База данных: ") + inUse, Logger::KindInformation);
    }
    // A data source of the operator's own that was not found is shown before the club works on an
    // empty database; the start goes on, on the embedded file.
    if (started && Rollstrake::Root::DataSourceMisnamed()) {
        ShowBox(BoxIcon::Critical, QStringLiteral("Ошибка!"), QStringLiteral("База данных: ") + inUse);
    }
    if (!started) {
        // Logged too: with no one at the screen the box would say it to no one.
        MainLog().Log(err, Logger::KindError);
        ShowError(err);
        return EndEarly(1);
    }
    DatabaseLink::Watch();
    // A delete that the database refuses is shown in the library's own box.
    Rollstrake::Root::SetDeleteErrorHandler([](const QString &Text, const QString &Title) {
        MessageBox::Critical(QApplication::activeWindow(), Title, Text);
    });
    EnsureLookupIndexes();
    SetDefaultSettings();
    m_logo = new frmLogo;
    m_logo->show();
    m_window = std::make_unique<MainForm>();
    m_window->AddViews();
    if (!m_window->Load(m_options.ListenerPort, m_options.BindAddress)) {
        m_logo->close();
        return EndEarly(1);
    }
    SetInstanceWindow(m_window.get());
    m_window->show();
    m_logo->close();
    // Any other end of the loop (a session that quits the application) still unloads in order.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (m_window && !m_window->IsUnloaded()) {
            m_window->ForceUnload();
        }
    });
    // The run ends with the window's unload, whatever other top-level windows there are.
    connect(m_window.get(), &MainForm::Unloaded, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    m_running = true;
    if (m_closeRequested) {
        QTimer::singleShot(0, this, &Program::CloseRequested);
    }
    return true;
}

void Program::CloseRequested()
{
    // A box or dialog waits in a loop of its own and would hold the close back: it is dismissed as
    // cancelled, and the close goes on once its loop has returned.
    if (!m_running) {
        m_closeRequested = true;
    }
    if (DismissModalWindows()) {
        if (m_running) {
            QTimer::singleShot(0, this, &Program::CloseRequested);
        }
        return;
    }
    if (m_running) {
        m_window->close();
    }
}

bool Program::DismissModalWindows()
{
    bool dismissed = false;
    while (QWidget *modal = QApplication::activeModalWidget()) {
        if (auto *dialog = qobject_cast<QDialog *>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
        if (QApplication::activeModalWidget() == modal) {
            MainLog().Log(QStringLiteral("Окно \"%1\" не закрылось по сигналу").arg(modal->windowTitle()),
                          Logger::KindError);
            break;
        }
        dismissed = true;
    }
    return dismissed;
}

int Program::ExitCode() const
{
    return m_exitCode;
}

MainForm *Program::Window() const
{
    return m_window.get();
}
