#include "settings/computerssettingsframe.h"

#include "ui_computerssettingsframe.h"

#include "core/computerlookups.h"
#include "core/dbvalues.h"
#include "core/errorbox.h"
#include "core/widgets/guihelpers.h"
#include "core/widgets/messagebox.h"
#include "core/widgets/registryserilize.h"
#include "generalhelpers.h"
#include "settings/computerrecords.h"
#include "settings/frmeditcomputer.h"
#include "settings/removerecord.h"

#include <QKeyEvent>

namespace
{
const QString ComputersTable = QStringLiteral("Computers");

enum Column
{
    NumColumn,
    IPColumn,
    NameColumn,
};

// The columns' widths until the operator sets them.
constexpr int NumColumnWidth = 50;
constexpr int IPColumnWidth = 120;
} // namespace

ComputersSettingsFrame::ComputersSettingsFrame(QWidget *parent)
    : SettingsPage(QStringLiteral("ComputersSettings"), parent)
    , m_ui(std::make_unique<Ui::ComputersSettingsFrame>())
{
    m_ui->setupUi(this);
    m_ui->ComputersList->setColumnWidth(NumColumn, NumColumnWidth);
    m_ui->ComputersList->setColumnWidth(IPColumn, IPColumnWidth);
    RegistrySerilize::LoadListViewLayout(m_ui->ComputersList, QString());
    connect(m_ui->Add, &QPushButton::clicked, this, &ComputersSettingsFrame::AddComputer);
    connect(m_ui->Edit, &QPushButton::clicked, this, &ComputersSettingsFrame::EditComputer);
    connect(m_ui->Delete, &QPushButton::clicked, this, &ComputersSettingsFrame::DeleteComputer);
    connect(m_ui->ComputersList, &QTreeWidget::itemDoubleClicked, this, &ComputersSettingsFrame::EditComputer);
}

ComputersSettingsFrame::~ComputersSettingsFrame() = default;

void ComputersSettingsFrame::StoreLayout()
{
    RegistrySerilize::SaveListViewLayout(m_ui->ComputersList, QString());
}

void ComputersSettingsFrame::LoadSettings()
{
    LoadSettings(0);
}

void ComputersSettingsFrame::LoadSettings(qint32 SelectCode)
{
    // The free number that Add proposes is looked up through the program's number cache.
    GetComputerCode(0, true);
    QTreeWidget *list = m_ui->ComputersList;
    list->clear();
    QString err;
    const auto computers = AllRecords(ComputersTable, err);
    LogDbError(QStringLiteral("Список компьютеров на странице настроек"), err);
    if (computers) {
        for (const auto &computer : *computers) {
            auto *item = new QTreeWidgetItem(list);
            item->setText(NumColumn, QString::number(IntValue(*computer, QStringLiteral("Num"))));
            item->setText(IPColumn, TextValue(*computer, QStringLiteral("IP")));
            item->setText(NameColumn, TextValue(*computer, QStringLiteral("Name")));
            item->setData(NumColumn, ItemKeyRole, MakeItemKey(computer->Code()));
        }
    }
    SelectListViewItem(list, MakeItemKey(SelectCode));
    SetChanged(false);
}

bool ComputersSettingsFrame::ValidateAndSave()
{
    if (Changed()) {
        emit ComputersChanged();
    }
    SetChanged(false);
    return true;
}

void ComputersSettingsFrame::keyPressEvent(QKeyEvent *Event)
{
    // The keys that no control of the page takes.
    if (Event->key() == Qt::Key_Insert) {
        AddComputer();
    } else if (Event->key() == Qt::Key_Delete) {
        DeleteComputer();
    } else {
        SettingsPage::keyPressEvent(Event);
    }
}

qint32 ComputersSettingsFrame::SelectedCode() const
{
    const QTreeWidgetItem *item = m_ui->ComputersList->currentItem();
    return item && item->isSelected() ? GetKeyNum(item->data(NumColumn, ItemKeyRole).toString()) : 0;
}

void ComputersSettingsFrame::AddComputer()
{
    QString err;
    const auto computer = NewComputerRecord(err);
    if (!computer) {
        ShowError(err);
        return;
    }
    frmEditComputer dialog(this);
    if (dialog.Start(*computer, frmEditComputer::NewComputer)) {
        StoreComputer(*computer);
    }
}

void ComputersSettingsFrame::EditComputer()
{
    const qint32 code = SelectedCode();
    if (code <= 0) {
        return;
    }
    QString err;
    const auto computer = RecordByCode(ComputersTable, code, err);
    if (!computer) {
        // A computer deleted meanwhile is simply no longer there to edit.
        LogDbError(QStringLiteral("Изменение компьютера"), err);
        return;
    }
    frmEditComputer dialog(this);
    if (dialog.Start(*computer, frmEditComputer::ExistingComputer)) {
        StoreComputer(*computer);
    }
}

void ComputersSettingsFrame::DeleteComputer()
{
    const qint32 code = SelectedCode();
    if (code <= 0) {
        return;
    }
    if (MessageBox::Question(this,
                             QStringLiteral("Внимание!"),
                             QStringLiteral("Удалить компьютер? Его сеансы, оплаты, резервы ночей и трафик будут "
                                            "также удалены!"),
                             QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::No)
        != QMessageBox::Yes) {
        return;
    }
    if (RemoveRecord(ComputersTable, code, true)) {
        ComputersEdited(0);
    }
}

void ComputersSettingsFrame::StoreComputer(Rollstrake::DBRecord &Record)
{
    QString err;
    if (!StoreComputerRecord(Record, err)) {
        ShowError(err);
        return;
    }
    ComputersEdited(Record.Code());
}

void ComputersSettingsFrame::ComputersEdited(qint32 SelectCode)
{
    LoadSettings(SelectCode);
    MarkEdited();
}
