#include "clientsim.h"
#include "clock.h"
#include "controls/executiblefile.h"
#include "controls/hashmodule.h"
#include "controls/ipaddress.h"
#include "controls/numeric.h"
#include "controls/password.h"
#include "controls/smartcontrolscontainer.h"
#include "core/clientsettingtexts.h"
#include "core/dbvalues.h"
#include "core/settingsstore.h"
#include "core/widgets/messagebox.h"
#include "core/widgets/registryserilize.h"
#include "core/window/mainform.h"
#include "core/window/mainframe.h"
#include "coredatabase.h"
#include "datevalue.h"
#include "proxy/proxy.h"
#include "seances/computersframe.h"
#include "settings/lists/recordscombo.h"
#include "settings/settingsframe.h"
#include "settings/settingspage.h"
#include "socketctl.h"
#include "testnetwork.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace
{
// A port that nothing listens on, within the page's limit of 9999.
quint16 FreePort(quint16 From)
{
    for (quint16 port = From; port < 10000; ++port) {
        QTcpServer probe;
        if (probe.listen(QHostAddress::LocalHost, port)) {
            return port;
        }
    }
    return 0;
}

// Whether the relay takes a connection on the port now.
bool Accepts(quint16 Port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, Port);
    return socket.waitForConnected(2000);
}

QString ClientIP()
{
    return TestNetwork::ClientIP(2);
}
} // namespace

// The settings view as the main window hosts it: its tab behind the password, and what its saves
// change at once in the running program.
class TestSettingsView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void tabBehindThePassword();
    void intervalsApplyAtOnce();
    void internetRestartsTheProxy();
    void clientSettingsReachTheClients();
    void servicesTab();
    void openingIsNoEdit_data();
    void openingIsNoEdit();
    void firstStartShowsEveryTab();
    void layoutComesBack_data();
    void layoutComesBack();
    void dialogTabOrder_data();
    void dialogTabOrder();
    void screenshots_data();
    void screenshots();

private:
    // The window unloaded and destroyed, as at the end of a run, and made and loaded again.
    void Restart();
    // F9 with the prompt answered: Typed applied, or the prompt closed when it is empty.
    void OpenSettings(const QString &Typed = QString());
    void Save();

    template <typename T>
    T *Find(const QString &Name) const
    {
        return m_window->findChild<T *>(Name);
    }

    QTemporaryDir m_layout;
    std::unique_ptr<CoreDatabase> m_db;
    std::unique_ptr<MainForm> m_window;
};

void TestSettingsView::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", m_layout.path().toUtf8());
}

void TestSettingsView::init()
{
    m_db = std::make_unique<CoreDatabase>();
    QString err;
    QVERIFY2(m_db->StartAsProgram(err), qPrintable(err));
    m_window = std::make_unique<MainForm>();
    m_window->AddViews();
    QVERIFY(m_window->Load(TestNetwork::FreeServerPort(), QHostAddress(QStringLiteral("127.0.0.1"))));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestSettingsView::cleanup()
{
    m_window->ForceUnload();
    m_window.reset();
    MessageBox::TakeRecords();
    m_db.reset();
    Clock::SetNow({});
}

void TestSettingsView::Restart()
{
    m_window->ForceUnload();
    m_window.reset();
    m_window = std::make_unique<MainForm>();
    m_window->AddViews();
    QVERIFY(m_window->Load(TestNetwork::FreeServerPort(), QHostAddress(QStringLiteral("127.0.0.1"))));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestSettingsView::OpenSettings(const QString &Typed)
{
    QTimer::singleShot(0, m_window.get(), [Typed] {
        QWidget *prompt = QApplication::activeModalWidget();
        QVERIFY(prompt);
        QTest::keyClicks(prompt->findChild<Password *>()->TextBox(), Typed);
        prompt->findChild<QPushButton *>(Typed.isEmpty() ? QStringLiteral("Close") : QStringLiteral("Apply"))->click();
    });
    QTest::keyClick(m_window.get(), Qt::Key_F9);
    // The function keys reach the window again once the prompt is gone.
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestSettingsView::Save()
{
    QVERIFY(Find<QPushButton>(QStringLiteral("ApplyButton"))->isEnabled());
    QTest::keyClick(m_window.get(), Qt::Key_F10);
    QVERIFY(!Find<QPushButton>(QStringLiteral("ApplyButton"))->isEnabled());
}

void TestSettingsView::tabBehindThePassword()
{
    // The views in the order of their function keys, the settings last.
    const auto *tabs = Find<QTabBar>(QStringLiteral("MainTab"));
    QStringList captions;
    for (int i = 0; i < tabs->count(); ++i) {
        captions << tabs->tabText(i);
    }
    QCOMPARE(captions,
             (QStringList{QStringLiteral("F2: Главный "),
                          QStringLiteral("F3: Рабочие столы"),
                          QStringLiteral("F4: Услуги"),
                          QStringLiteral("F5: Статистика"),
                          QStringLiteral("F9: Настройки")}));
    QVERIFY(Find<QWidget>(QStringLiteral("NightFrame"))->isHidden());
    SetConfigValue(QStringLiteral("ConfigPassword"), HashModule::Md5Hex(QStringLiteral("secret")));
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    OpenSettings();
    QCOMPARE(m_window->CurrentKey(), QStringLiteral("SettingsFrame"));
    QCOMPARE(MessageBox::TakeRecords().value(0).Text,
             QStringLiteral("Введён неверный пароль! Доступ к настройкам закрыт!"));
    auto *tree = Find<QTreeWidget>(QStringLiteral("SettingsTree"));
    QVERIFY(!tree->isVisible());
    OpenSettings(QStringLiteral("secret"));
    QVERIFY(tree->isVisible());
    QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("Сервер"));
    QCOMPARE(tree->topLevelItem(1)->text(0), QStringLiteral("Клиенты"));
    QVERIFY(MessageBox::TakeRecords().isEmpty());
}

void TestSettingsView::intervalsApplyAtOnce()
{
    OpenSettings();
    Find<Numeric>(QStringLiteral("SeancesRefreshInterval"))->TextBox()->setText(QStringLiteral("7"));
    Save();
    QCOMPARE(m_window->Computers()->Panel()->RefreshInterval(), 7000);
}

void TestSettingsView::internetRestartsTheProxy()
{
    const quint16 first = FreePort(9100);
    const quint16 second = FreePort(first + 1);
    QVERIFY(first > 0 && second > 0);
    OpenSettings();
    Find<QCheckBox>(QStringLiteral("InternetAvailable"))->click();
    Find<Numeric>(QStringLiteral("ProxyPort"))->TextBox()->setText(QString::number(first));
    Find<Numeric>(QStringLiteral("ProxyConnectTimeout"))->TextBox()->setText(QStringLiteral("9"));
    Find<IPAddress>(QStringLiteral("OuterProxyIP"))->SetValue(QStringLiteral("10.1.2.3"));
    Find<Numeric>(QStringLiteral("OuterProxyPort"))->TextBox()->setText(QStringLiteral("3128"));
    Save();
    const Proxy *relay = m_window->Relay();
    QVERIFY(relay->IsActive());
    QCOMPARE(relay->Port(), first);
    QVERIFY(Accepts(first));
    QCOMPARE(relay->ConnectTimeout(), 9);
    QCOMPARE(relay->OuterProxyIP(), QStringLiteral("10.1.2.3"));
    QCOMPARE(relay->OuterProxyPort(), 3128);
    Find<Numeric>(QStringLiteral("ProxyPort"))->TextBox()->setText(QString::number(second));
    Save();
    QVERIFY(relay->IsActive());
    QCOMPARE(relay->Port(), second);
    QVERIFY(Accepts(second));
    QVERIFY(!Accepts(first));
    Find<QCheckBox>(QStringLiteral("InternetAvailable"))->click();
    Save();
    QVERIFY(!relay->IsActive());
    QVERIFY(!Accepts(second));
}

void TestSettingsView::clientSettingsReachTheClients()
{
    const qint32 computer = m_db->Add(QStringLiteral("Computers"),
                                      {{QStringLiteral("Num"), 1},
                                       {QStringLiteral("IP"), ClientIP()},
                                       {QStringLiteral("LastSettingsUpdate"), DateValue::Make(2026, 3, 1)}});
    Clock::SetNow(DateValue::Make(2026, 3, 5, 14, 7, 9));
    ClientSim client;
    QString err;
    QVERIFY2(client.Start(QHostAddress(ClientIP()),
                          static_cast<quint16>(m_window->Control()->GetListenerPort()),
                          ClientSim::Mode::Control,
                          err),
             qPrintable(err));
    OpenSettings();
    Find<QTreeWidget>(QStringLiteral("SettingsTree"))
        ->setCurrentItem(Find<QTreeWidget>(QStringLiteral("SettingsTree"))->topLevelItem(1));
    QTest::keyClicks(Find<ExecutibleFile>(QStringLiteral("ExecutibleFile"))->findChild<QLineEdit *>(),
                     QStringLiteral("C:\\admin.exe"));
    Save();
    QVERIFY(client.WaitForReceived(1));
    QCOMPARE(client.ReceivedMessages().first().Header, quint8(3));
    QCOMPARE(client.ReceivedMessages().first().Message, QStringLiteral("|C:\\admin.exe|| 0|"));
    QCOMPARE(DateValueOf(*m_db->Record(QStringLiteral("Computers"), computer), QStringLiteral("LastSettingsUpdate")),
             Clock::Now());
}

// The sales view is the operator's F4 tab; a sale is stored at once and lights no save button.
void TestSettingsView::servicesTab()
{
    const qint32 type = m_db->Add(QStringLiteral("ServiceTypes"), {{QStringLiteral("Name"), QStringLiteral("Кофе")}});
    QTest::keyClick(m_window.get(), Qt::Key_F4);
    QCOMPARE(m_window->CurrentKey(), QStringLiteral("ServicesFrame"));
    QVERIFY(Find<QWidget>(QStringLiteral("ServicesFrame"))->isVisible());
    QComboBox *types = Find<RecordsCombo>(QStringLiteral("ServicesList"))->ComboBox();
    types->setCurrentIndex(types->findData(type));
    Find<Numeric>(QStringLiteral("sAmount"))->TextBox()->setText(QStringLiteral("2"));
    MessageBox::PrepareAnswer(QMessageBox::Yes);
    Find<QPushButton>(QStringLiteral("btnAdd"))->click();
    QCOMPARE(m_db->All(QStringLiteral("Services"))->Count(), 1);
    QVERIFY(!Find<QPushButton>(QStringLiteral("ApplyButton"))->isEnabled());
    QTest::keyClick(m_window.get(), Qt::Key_F2);
    QCOMPARE(m_window->CurrentKey(), QStringLiteral("MainFrame"));
}

void TestSettingsView::openingIsNoEdit_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("F3 desktops") << int(Qt::Key_F3);
    QTest::newRow("F4 services") << int(Qt::Key_F4);
    QTest::newRow("F5 statistics") << int(Qt::Key_F5);
    QTest::newRow("F9 settings") << int(Qt::Key_F9);
}

// A view filled with what a club has, opened twice and left without an edit: nothing to save.
void TestSettingsView::openingIsNoEdit()
{
    QFETCH(int, key);
    SetClientsInfoString(QStringLiteral("Добро пожаловать!|Правила клуба"));
    m_db->AddComputer(1, QStringLiteral("Касса"));
    m_db->AddDesktop(QStringLiteral("Рабочий стол"));
    m_db->AddRate(QStringLiteral("Дневной"), 0, 70);
    for (int round = 0; round < 2; ++round) {
        if (key == Qt::Key_F9) {
            OpenSettings();
        } else {
            QTest::keyClick(m_window.get(), Qt::Key(key));
        }
        QVERIFY(m_window->CurrentKey() != QStringLiteral("MainFrame"));
        QVERIFY(!Find<QPushButton>(QStringLiteral("ApplyButton"))->isEnabled());
        if (key == Qt::Key_F9) {
            auto *settings = Find<SettingsFrame>(QStringLiteral("SettingsFrame"));
            for (const SettingsPage *page : settings->Pages()) {
                settings->ShowSettingsPage(page->Key());
                QVERIFY2(!Find<QPushButton>(QStringLiteral("ApplyButton"))->isEnabled(), qPrintable(page->Key()));
            }
        }
        QTest::keyClick(m_window.get(), Qt::Key_F2);
        QCOMPARE(m_window->CurrentKey(), QStringLiteral("MainFrame"));
    }
    QVERIFY(MessageBox::TakeRecords().isEmpty());
}

// Nothing stored: every tab is shown whole, within the screen.
void TestSettingsView::firstStartShowsEveryTab()
{
    RegistrySerilize::DeleteRegistryKeyTree(RegistrySerilize::GetCompanyName(),
                                            RegistrySerilize::GetControlKey(QStringLiteral("MainForm")));
    Restart();
    const auto *tabs = Find<QTabBar>(QStringLiteral("MainTab"));
    QVERIFY(!m_window->isMaximized());
    QVERIFY2(tabs->width() >= tabs->sizeHint().width(), qPrintable(QString::number(tabs->width())));
    QVERIFY(tabs->tabRect(tabs->count() - 1).right() < tabs->width());
    QVERIFY(m_window->screen()->availableGeometry().contains(m_window->frameGeometry()));
    // The next start keeps what the operator made of it.
    m_window->resize(m_window->width() + 37, m_window->height() + 21);
    const QSize chosen = m_window->size();
    Restart();
    QCOMPARE(m_window->size(), chosen);
}

void TestSettingsView::layoutComesBack_data()
{
    QTest::addColumn<QString>("view");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("list");
    QTest::newRow("desktops separator") << QStringLiteral("DesktopFrame") << QString() << QStringLiteral("Container")
                                        << QString();
    QTest::newRow("settings separator") << QStringLiteral("SettingsFrame") << QString()
                                        << QStringLiteral("SmartControlsContainer") << QString();
    QTest::newRow("clients separator") << QStringLiteral("SettingsFrame") << QStringLiteral("ClientsSettings")
                                       << QStringLiteral("SmartControlsContainer") << QString();
    QTest::newRow("computers columns") << QStringLiteral("SettingsFrame") << QStringLiteral("ComputersSettings")
                                       << QString() << QStringLiteral("ComputersList");
    QTest::newRow("statistics columns") << QStringLiteral("StatisticFrame") << QString() << QString() << QString();
}

// Move, close, create, compare: each layout the operator made comes back as it was, saved or not.
void TestSettingsView::layoutComesBack()
{
    QFETCH(QString, view);
    QFETCH(QString, page);
    QFETCH(QString, container);
    QFETCH(QString, list);
    const auto show = [&] {
        m_window->resize(1200, 700);
        if (view == QStringLiteral("SettingsFrame")) {
            OpenSettings();
        } else {
            QVERIFY(m_window->ShowModeFrame(view));
        }
        if (!page.isEmpty()) {
            Find<SettingsFrame>(QStringLiteral("SettingsFrame"))->ShowSettingsPage(page);
        }
    };
    const QString ownerName = page.isEmpty() ? view : page + QStringLiteral("Frame");
    const auto layout = [&] {
        QWidget *owner = Find<QWidget>(ownerName);
        QStringList parts;
        if (!container.isEmpty()) {
            const auto *bar = owner->findChild<SmartControlsContainer *>(container);
            parts << QString::number(bar->SeparatorPosition());
        }
        const QList<QTreeView *> lists = list.isEmpty() ? owner->findChildren<QTreeView *>()
                                                        : QList<QTreeView *>{owner->findChild<QTreeView *>(list)};
        for (const QTreeView *tree : lists) {
            const QHeaderView *header = tree->header();
            // The stretched last section follows the list's width.
            for (int i = 0; i < header->count() - 1; ++i) {
                parts << QStringLiteral("%1:%2@%3").arg(i).arg(header->sectionSize(i)).arg(header->visualIndex(i));
            }
        }
        return parts.join(QLatin1Char(' '));
    };
    show();
    QWidget *owner = Find<QWidget>(ownerName);
    QVERIFY(owner);
    if (!container.isEmpty()) {
        auto *bar = owner->findChild<SmartControlsContainer *>(container);
        bar->SetSeparatorPosition(5880);
        QCOMPARE(bar->SeparatorPosition(), 5880);
    }
    const QList<QTreeView *> lists =
        list.isEmpty() ? owner->findChildren<QTreeView *>() : QList<QTreeView *>{owner->findChild<QTreeView *>(list)};
    for (QTreeView *tree : lists) {
        QHeaderView *header = tree->header();
        for (int i = 0; i < header->count() - 1; ++i) {
            header->resizeSection(i, 40 + 13 * i);
        }
        if (header->count() > 2) {
            header->moveSection(0, header->count() - 2);
        }
    }
    const QString before = layout();
    QVERIFY(!before.isEmpty());
    // The close box, with no save before it.
    QVERIFY(m_window->close());
    Restart();
    show();
    QCOMPARE(layout(), before);
}

void TestSettingsView::dialogTabOrder_data()
{
    QTest::addColumn<QString>("page");
    // What may come out of reading order: the address's option button follows the address, which
    // the number leads to.
    QTest::addColumn<QStringList>("allowed");
    // The first inputs the walk must pass, in this order.
    QTest::addColumn<QStringList>("leads");
    QTest::newRow("computer") << QStringLiteral("ComputersSettings") << QStringList{QStringLiteral("opCompIP")}
                              << QStringList{QStringLiteral("ComputerID/TextBox"),
                                             QStringLiteral("IPNum0"),
                                             QStringLiteral("IPNum1"),
                                             QStringLiteral("IPNum2"),
                                             QStringLiteral("IPNum3"),
                                             QStringLiteral("opCompIP"),
                                             QStringLiteral("chName"),
                                             QStringLiteral("OK"),
                                             QStringLiteral("Cancel")};
    QTest::newRow("card") << QStringLiteral("CardsSettings") << QStringList() << QStringList{QStringLiteral("Text")};
}

// Tab walks a dialog's inputs in reading order: row by row, left to right, then back to the first.
void TestSettingsView::dialogTabOrder()
{
    QFETCH(QString, page);
    QFETCH(QStringList, allowed);
    QFETCH(QStringList, leads);
    OpenSettings();
    auto *settings = Find<SettingsFrame>(QStringLiteral("SettingsFrame"));
    settings->ShowSettingsPage(page);
    MessageBox::PrepareAnswer(QMessageBox::Yes);
    QStringList walked;
    QStringList outOfOrder;
    QTimer::singleShot(0, this, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        dialog->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), dialog);
        QPoint last(-1, -1);
        QList<QWidget *> seen;
        for (int step = 0; step < 40; ++step) {
            QWidget *focus = QApplication::focusWidget();
            if (seen.contains(focus)) {
                break;
            }
            seen << focus;
            // An input's inner box is named after the input ("ComputerID/TextBox").
            const QString name = focus->parentWidget() == dialog || focus->objectName() != QStringLiteral("TextBox")
                                     ? focus->objectName()
                                     : focus->parentWidget()->objectName() + QLatin1Char('/') + focus->objectName();
            walked << name;
            const QRect place(focus->mapTo(dialog, QPoint(0, 0)), focus->size());
            // One row: the centres lie within half a control's height of each other.
            const QPoint here(place.center().y(), place.left());
            const bool sameRow = qAbs(here.x() - last.x()) <= place.height() / 2;
            if (last.x() >= 0 && !(here.x() > last.x() && !sameRow) && !(sameRow && here.y() > last.y())
                && !allowed.contains(name)) {
                outOfOrder << name;
            }
            last = here;
            QTest::keyClick(focus, Qt::Key_Tab);
        }
        dialog->close();
    });
    Find<QWidget>(page + QStringLiteral("Frame"))->findChild<QPushButton *>(QStringLiteral("Add"))->click();
    MessageBox::TakeRecords();
    QVERIFY2(outOfOrder.isEmpty(), qPrintable(walked.join(u' ') + QStringLiteral(" / ") + outOfOrder.join(u' ')));
    QCOMPARE(walked.mid(0, leads.size()), leads);
}

void TestSettingsView::screenshots_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("1366x768") << QSize(1366, 768);
    QTest::newRow("1024x768") << QSize(1024, 768);
    QTest::newRow("minimum") << QSize(600, 322);
}

// Every view and settings page at the sizes a club's screens give, into the folder QM_SCREENSHOTS
// names, to be looked at.
void TestSettingsView::screenshots()
{
    QFETCH(QSize, size);
    const QString folder = qEnvironmentVariable("QM_SCREENSHOTS");
    if (folder.isEmpty()) {
        QSKIP("QM_SCREENSHOTS names no folder");
    }
    for (int num = 1; num <= 3; ++num) {
        m_db->AddComputer(num, num == 1 ? QStringLiteral("Касса") : QStringLiteral("Зал %1").arg(num));
    }
    m_db->AddDesktop(QStringLiteral("Рабочий стол"));
    m_db->AddDesktop(QStringLiteral("Интернет и игры"));
    m_db->AddRate(QStringLiteral("Дневной"), 0, 70);
    Restart();
    m_window->resize(size);
    const auto grab = [&](const QString &Name) {
        // The layouts the switch asked for are done first, as the running program's loop does.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QVERIFY(m_window->grab().save(
            QStringLiteral("%1/%2-%3x%4.png").arg(folder, Name).arg(m_window->width()).arg(m_window->height())));
    };
    for (const char *view : {"MainFrame", "DesktopFrame", "ServicesFrame", "StatisticFrame"}) {
        QVERIFY(m_window->ShowModeFrame(QString::fromLatin1(view)));
        grab(QString::fromLatin1(view));
    }
    OpenSettings();
    auto *settings = Find<SettingsFrame>(QStringLiteral("SettingsFrame"));
    for (const SettingsPage *page : settings->Pages()) {
        settings->ShowSettingsPage(page->Key());
        grab(page->Key());
    }
    // The dialogs keep their own size; the card dialog asks first whether to add one.
    MessageBox::PrepareAnswer(QMessageBox::Yes);
    for (const char *page : {"ComputersSettings", "CardsSettings"}) {
        settings->ShowSettingsPage(QString::fromLatin1(page));
        QTimer::singleShot(0, this, [folder, page] {
            QWidget *dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            QVERIFY(dialog->grab().save(QStringLiteral("%1/%2-dialog.png").arg(folder, QString::fromLatin1(page))));
            dialog->close();
        });
        Find<QWidget>(QString::fromLatin1(page) + QStringLiteral("Frame"))
            ->findChild<QPushButton *>(QStringLiteral("Add"))
            ->click();
    }
    MessageBox::TakeRecords();
}

// On the offscreen platform the screen is that of a club's usual monitor, 1366 × 768, so that the
// first start's size is measured against it.
int main(int argc, char *argv[])
{
    QTemporaryDir screens;
    const QString config = screens.filePath(QStringLiteral("screens.json"));
    if (qEnvironmentVariable("QT_QPA_PLATFORM") == QStringLiteral("offscreen")) {
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly)
            || file.write(R"({"screens":[{"name":"club","x":0,"y":0,"width":1366,"height":768,)"
                          R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})")
                   < 0) {
            qWarning("%s", qPrintable(file.errorString()));
            return 1;
        }
        file.close();
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen:configfile=") + config.toUtf8());
    }
    QApplication app(argc, argv);
    TestSettingsView test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settingsview.moc"
