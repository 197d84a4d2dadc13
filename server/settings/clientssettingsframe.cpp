#include "settings/clientssettingsframe.h"

#include "ui_clientssettingsframe.h"

#include "clock.h"
#include "core/clientmessages.h"
#include "core/clientsettingtexts.h"
#include "core/dbvalues.h"
#include "core/errorbox.h"
#include "core/settingsstore.h"
#include "core/widgets/twips.h"
#include "settings/autorunlist.h"
#include "textdates.h"

#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QSignalBlocker>

namespace
{
const QString NewProgram = QStringLiteral("Новая программа");
// The item's last accepted text, to which a refused rename goes back.
constexpr int AcceptedTextRole = Qt::UserRole;
// The notice keeps the line ends of the client computers' text boxes.
const QString StoredLineEnd = QStringLiteral("\r\n");
const QString ShownLineEnd = QStringLiteral("\n");
// The panes' size before the page is laid out: until the operator moves the separator, it starts in
// the middle of what the container has when the page loads.
constexpr qint32 DesignWidthTwips = 6000;
constexpr qint32 DesignHeightTwips = 4800;
} // namespace

ClientsSettingsFrame::ClientsSettingsFrame(QWidget *parent)
    : SettingsPage(QStringLiteral("ClientsSettings"), parent)
    , m_ui(std::make_unique<Ui::ClientsSettingsFrame>())
{
    m_ui->setupUi(this);
    // The inputs' own names; their members cannot carry their classes' names.
    m_ui->AdminUtility->setObjectName(QStringLiteral("ExecutibleFile"));
    m_ui->AutorunClientsInfo->setObjectName(QStringLiteral("SmartControlsContainer"));
    m_ui->AutorunClientsInfo->SetRegKeyName(QStringLiteral("AutorunClientsInfo"));
    m_ui->AutorunClientsInfo->resize(Twips::ToPixels(DesignWidthTwips), Twips::ToPixels(DesignHeightTwips));
    m_settings.Bind(QStringLiteral("ExecutibleFile"), m_ui->AdminUtility);
    m_settings.Bind(QStringLiteral("AdminPassword"), m_ui->AdminPassword0);
    m_settings.Bind(QStringLiteral("AdminPassword"), m_ui->AdminPassword1);
    connect(m_ui->AdminPassword0, &Password::Changed, this, &ClientsSettingsFrame::MarkEdited);
    connect(m_ui->AdminPassword1, &Password::Changed, this, &ClientsSettingsFrame::MarkEdited);
    connect(m_ui->AdminUtility, &ExecutibleFile::Changed, this, &ClientsSettingsFrame::MarkEdited);
    connect(m_ui->ClientsInfo, &QPlainTextEdit::textChanged, this, &ClientsSettingsFrame::MarkEdited);
    connect(m_ui->chInfo, &QCheckBox::toggled, this, &ClientsSettingsFrame::ApplyInfoCheck);
    connect(m_ui->AutorunList, &QTreeWidget::itemChanged, this, &ClientsSettingsFrame::ProgramRenamed);
    m_ui->AutorunList->installEventFilter(this);
}

ClientsSettingsFrame::~ClientsSettingsFrame() = default;

void ClientsSettingsFrame::LoadSettings()
{
    m_settings.Load();
    QString notice = GetClientsInfoString();
    {
        // Filling the notice is no edit of the operator's.
        const QSignalBlocker blocker(m_ui->ClientsInfo);
        m_ui->ClientsInfo->setPlainText(notice.replace(StoredLineEnd, ShownLineEnd));
    }
    {
        const QScopedValueRollback loading(m_loading, true);
        const QSignalBlocker blocker(m_ui->chInfo);
        m_ui->chInfo->setChecked(!notice.isEmpty());
        ApplyInfoCheck();
    }
    m_ui->AutorunList->clear();
    QString err;
    const auto programs = AllRecords(QStringLiteral("AutorunList"), err);
    LogDbError(QStringLiteral("Список автозапуска на странице настроек"), err);
    if (programs) {
        for (const auto &program : *programs) {
            AddProgramItem(TextValue(*program, QStringLiteral("ProgramName")));
        }
    }
    m_ui->AutorunClientsInfo->Init();
    SetChanged(false);
}

bool ClientsSettingsFrame::ValidateAndSave()
{
    if (m_ui->AdminPassword0->Value() != m_ui->AdminPassword1->Value()) {
        ShowError(QStringLiteral("Пароли доступа к режиму администрирования не совпадают!"));
        return false;
    }
    QString err;
    if (!RewriteAutorunList(Programs(), err)) {
        if (!err.isEmpty()) {
            ShowError(err);
        }
        return false;
    }
    m_settings.Save(&RemoveSeparators);
    QString notice = m_ui->ClientsInfo->toPlainText();
    SetClientsInfoString(RemoveSeparators(notice.replace(ShownLineEnd, StoredLineEnd)));
    SetConfigValue(QStringLiteral("LastClientSettingsUpdate"), DateToString(Clock::Now(), true, QStringLiteral("/")));
    m_ui->AutorunClientsInfo->StoreWidth();
    if (Changed()) {
        emit ClientSettingsChanged();
    }
    SetChanged(false);
    return true;
}

void ClientsSettingsFrame::StoreLayout()
{
    m_ui->AutorunClientsInfo->StoreWidth();
}

void ClientsSettingsFrame::AddProgram()
{
    m_ui->AutorunList->setCurrentItem(AddProgramItem(NewProgram));
    MarkEdited();
}

void ClientsSettingsFrame::RemoveProgram()
{
    QTreeWidgetItem *item = m_ui->AutorunList->currentItem();
    if (item == nullptr || !item->isSelected()) {
        return;
    }
    delete item;
    MarkEdited();
}

bool ClientsSettingsFrame::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == m_ui->AutorunList && Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(Event)->key();
        if (key == Qt::Key_Insert) {
            AddProgram();
            return true;
        }
        if (key == Qt::Key_Delete) {
            RemoveProgram();
            return true;
        }
    }
    return SettingsPage::eventFilter(Watched, Event);
}

void ClientsSettingsFrame::ApplyInfoCheck()
{
    const bool checked = m_ui->chInfo->isChecked();
    m_ui->ClientsInfo->setEnabled(checked);
    if (!checked) {
        // Emptying the notice is the check box's edit, not one of its own (and none on a load).
        const QSignalBlocker blocker(m_ui->ClientsInfo);
        m_ui->ClientsInfo->clear();
    }
    if (!m_loading) {
        MarkEdited();
    }
}

QTreeWidgetItem *ClientsSettingsFrame::AddProgramItem(const QString &Text)
{
    const QSignalBlocker blocker(m_ui->AutorunList);
    auto *item = new QTreeWidgetItem(m_ui->AutorunList, {Text});
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    item->setData(0, AcceptedTextRole, Text);
    return item;
}

void ClientsSettingsFrame::ProgramRenamed(QTreeWidgetItem *Item)
{
    const QString text = Item->text(0);
    const QSignalBlocker blocker(m_ui->AutorunList);
    if (RemoveSeparators(text).trimmed().isEmpty()) {
        Item->setText(0, Item->data(0, AcceptedTextRole).toString());
        return;
    }
    Item->setData(0, AcceptedTextRole, text);
    MarkEdited();
}

QStringList ClientsSettingsFrame::Programs() const
{
    QStringList programs;
    for (int i = 0; i < m_ui->AutorunList->topLevelItemCount(); ++i) {
        programs.append(RemoveSeparators(m_ui->AutorunList->topLevelItem(i)->text(0)));
    }
    return programs;
}
