#include "settings/settingsframe.h"

#include "controls/smartcontrolscontainer.h"
#include "core/errorbox.h"
#include "core/settingsstore.h"
#include "core/widgets/twips.h"
#include "settings/cardssettingsframe.h"
#include "settings/clientssettingsframe.h"
#include "settings/computerssettingsframe.h"
#include "settings/nightsettingsframe.h"
#include "settings/proxysettingsframe.h"
#include "settings/ratesettingsframe.h"
#include "settings/serversettingsframe.h"
#include "settings/servicesettingsframe.h"
#include "settings/settingstreeimages.h"
#include "settings/staffsettingsframe.h"

#include <QHeaderView>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace
{
// The key of a node of the tree.
constexpr int NodeKeyRole = Qt::UserRole;
const QString ServerNode = QStringLiteral("ServerSettings");
// The container's size before it is laid out: the separator starts in its middle until the operator
// moves it, which leaves the tree this wide.
constexpr qint32 DesignWidthTwips = 5400;
constexpr qint32 DesignHeightTwips = 4500;

struct TreeNode
{
    QString Key;
    QString Caption;
    QString ImageKey;
    // A child of the server node; otherwise a root.
    bool UnderServer;
};

// The nodes in the tree's order. A node is shown once its page is there.
const QList<TreeNode> &TreeNodes()
{
    static const QList<TreeNode> nodes = {
        {ServerNode, QStringLiteral("Сервер"), ServerNode, false},
        {QStringLiteral("ComputersSettings"), QStringLiteral("Компьютеры"), QStringLiteral("ComputersSettings"), true},
        {QStringLiteral("NightSettings"), QStringLiteral("Ночь"), QStringLiteral("NightSettings"), true},
        {QStringLiteral("ProxySettings"), QStringLiteral("Интернет"), QStringLiteral("InternetSettings"), true},
        {QStringLiteral("CardsSettings"), QStringLiteral("Карточки оплаты"), QStringLiteral("CardsSettings"), true},
        {QStringLiteral("RateSettings"), QStringLiteral("Тарифы"), QStringLiteral("RateSettings"), true},
        {QStringLiteral("ServiceSettings"), QStringLiteral("Услуги"), QStringLiteral("ServiceSettings"), true},
        {QStringLiteral("ClientsSettings"), QStringLiteral("Клиенты"), QStringLiteral("ClientsSettings"), false},
    };
    return nodes;
}
} // namespace

SettingsFrame::SettingsFrame(QWidget *parent)
    : QWidget(parent)
    , m_container(new SmartControlsContainer(this))
    , m_tree(new QTreeWidget(m_container))
    , m_rightScroll(new QScrollArea(m_container))
    , m_rightFrame(new QStackedWidget)
{
    setObjectName(QStringLiteral("SettingsFrame"));
    m_container->setObjectName(QStringLiteral("SmartControlsContainer"));
    m_container->SetRegKeyName(QStringLiteral("SettingsSeparator"));
    m_tree->setObjectName(QStringLiteral("SettingsTree"));
    m_tree->setProperty("Tag", QStringLiteral("Position=Left;MinSize=1500;"));
    m_tree->header()->hide();
    m_rightFrame->setObjectName(QStringLiteral("RightFrame"));
    m_rightScroll->setObjectName(QStringLiteral("RightScroll"));
    m_rightScroll->setProperty("Tag", QStringLiteral("Position=Right;MinSize=2000;;"));
    m_rightScroll->setFrameShape(QFrame::NoFrame);
    m_rightScroll->setWidgetResizable(true);
    m_rightScroll->setWidget(m_rightFrame);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_container);

    // The order of every call: services, internet, cards, rates, night, staff, computers, server,
    // clients.
    AddPage(new ServiceSettingsFrame(m_rightFrame));
    auto *proxy = new ProxySettingsFrame(m_rightFrame);
    AddPage(proxy);
    AddPage(new CardsSettingsFrame(m_rightFrame));
    AddPage(new RateSettingsFrame(m_rightFrame));
    AddPage(new NightSettingsFrame(m_rightFrame));
    AddPage(new StaffSettingsFrame(m_rightFrame));
    auto *computers = new ComputersSettingsFrame(m_rightFrame);
    AddPage(computers);
    auto *server = new ServerSettingsFrame(m_rightFrame);
    AddPage(server);
    auto *clients = new ClientsSettingsFrame(m_rightFrame);
    AddPage(clients);
    connect(server, &ServerSettingsFrame::ServerSettingsChanged, this, &SettingsFrame::UpdateIntervals);
    connect(computers, &ComputersSettingsFrame::ComputersChanged, this, &SettingsFrame::UpdateComputersSettings);
    connect(clients, &ClientsSettingsFrame::ClientSettingsChanged, this, &SettingsFrame::UpdateComputersSettings);
    connect(proxy, &ProxySettingsFrame::InternetSettingsChanged, this, &SettingsFrame::UpdateInternet);

    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *Current) {
        if (Current != nullptr) {
            ShowSettingsPage(Current->data(0, NodeKeyRole).toString());
        }
    });
    // The tree always stays fully open.
    connect(m_tree, &QTreeWidget::itemCollapsed, m_tree, &QTreeWidget::expandItem);
    m_container->resize(Twips::ToPixels(DesignWidthTwips), Twips::ToPixels(DesignHeightTwips));
    m_container->Init();
    FillTree();
}

SettingsFrame::~SettingsFrame() = default;

bool SettingsFrame::Changed()
{
    return std::any_of(m_pages.cbegin(), m_pages.cend(), [](SettingsPage *Page) { return Page->Changed(); });
}

void SettingsFrame::LoadSettings()
{
    if (m_loading) {
        return;
    }
    const QScopedValueRollback loading(m_loading, true);
    // Valid edits are kept; a page that refuses is shown, and the reload after a right password
    // discards what it held.
    ValidateAndSave();
    if (!CheckConfigPassword()) {
        return;
    }
    for (SettingsPage *page : std::as_const(m_pages)) {
        page->LoadSettings();
    }
}

bool SettingsFrame::ValidateAndSave()
{
    for (SettingsPage *page : std::as_const(m_pages)) {
        if (page->Changed() && !page->ValidateAndSave()) {
            ShowSettingsPage(page->Key());
            return false;
        }
    }
    m_container->StoreWidth();
    return true;
}

void SettingsFrame::StoreLayout()
{
    m_container->StoreWidth();
    for (SettingsPage *page : std::as_const(m_pages)) {
        page->StoreLayout();
    }
}

QWidget *SettingsFrame::Widget()
{
    return this;
}

void SettingsFrame::ShowSettingsPage(const QString &Key)
{
    QTreeWidgetItem *node = NodeOf(Key);
    if (node == nullptr) {
        return;
    }
    {
        const QSignalBlocker blocker(m_tree);
        m_tree->setCurrentItem(node);
    }
    m_rightFrame->setCurrentWidget(PageOf(Key));
}

const QList<SettingsPage *> &SettingsFrame::Pages() const
{
    return m_pages;
}

void SettingsFrame::AddPage(SettingsPage *Page)
{
    m_rightFrame->addWidget(Page);
    m_pages.append(Page);
    connect(Page, &SettingsPage::Edited, this, &SettingsFrame::Edited);
}

SettingsPage *SettingsFrame::PageOf(const QString &Key) const
{
    const auto found =
        std::find_if(m_pages.cbegin(), m_pages.cend(), [&Key](SettingsPage *Page) { return Page->Key() == Key; });
    return found == m_pages.cend() ? nullptr : *found;
}

QTreeWidgetItem *SettingsFrame::NodeOf(const QString &Key) const
{
    for (QTreeWidgetItemIterator it(m_tree); *it != nullptr; ++it) {
        if ((*it)->data(0, NodeKeyRole).toString() == Key) {
            return *it;
        }
    }
    return nullptr;
}

void SettingsFrame::FillTree()
{
    m_tree->clear();
    QTreeWidgetItem *server = nullptr;
    for (const TreeNode &node : TreeNodes()) {
        if (PageOf(node.Key) == nullptr || (node.UnderServer && server == nullptr)) {
            continue;
        }
        auto *item = node.UnderServer ? new QTreeWidgetItem(server) : new QTreeWidgetItem(m_tree);
        item->setText(0, node.Caption);
        item->setIcon(0, SettingsTreeImage(node.ImageKey));
        item->setData(0, NodeKeyRole, node.Key);
        if (node.Key == ServerNode) {
            server = item;
        }
    }
    m_tree->expandAll();
    ShowSettingsPage(ServerNode);
}

bool SettingsFrame::CheckConfigPassword()
{
    m_container->hide();
    QString err;
    const QString stored = GetConfigValue(QStringLiteral("ConfigPassword"), err);
    // A password that cannot be read opens nothing.
    if (!err.isEmpty()) {
        ShowError(err);
        return false;
    }
    QString digest;
    emit QueryConfigPassword(digest);
    // A digest set by hand may be in upper case.
    if (digest.compare(stored, Qt::CaseInsensitive) != 0) {
        ShowError(QStringLiteral("Введён неверный пароль! Доступ к настройкам закрыт!"));
        return false;
    }
    m_container->show();
    return true;
}
