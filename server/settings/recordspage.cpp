#include "settings/recordspage.h"

#include "core/dbvalues.h"
#include "core/errorbox.h"
#include "entitylib.h"
#include "settings/lists/recordscombo.h"
#include "settings/recordeditor.h"
#include "settings/removerecord.h"
#include "settings/settingsrecords.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QPainter>
#include <QPixmap>
#include <QScopedValueRollback>

namespace
{
// The pictures of the add and delete buttons, drawn on a 16 × 16 grid.
constexpr int Side = 16;
constexpr int Bar = 4;
constexpr int Margin = 2;

QIcon ButtonImage(bool Add)
{
    QPixmap picture(Side, Side);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Add ? QColor(0x2e, 0x9d, 0x3c) : QColor(0xc8, 0x32, 0x2d));
    painter.drawRect(Margin, (Side - Bar) / 2, Side - 2 * Margin, Bar);
    if (Add) {
        painter.drawRect((Side - Bar) / 2, Margin, Bar, Side - 2 * Margin);
    }
    return QIcon(picture);
}
} // namespace

RecordsPage::RecordsPage(const QString &Key, const QString &TableName, QWidget *parent)
    : SettingsPage(Key, parent)
    , m_tableName(TableName)
{
}

RecordsPage::~RecordsPage() = default;

void RecordsPage::Attach(RecordsCombo *List, RecordEditor *Editor, QAbstractButton *Add, QAbstractButton *Delete)
{
    m_list = List;
    m_editor = Editor;
    m_delete = Delete;
    Add->setIcon(ButtonImage(true));
    Delete->setIcon(ButtonImage(false));
    Delete->setEnabled(false);
    connect(List, &RecordsCombo::Click, this, &RecordsPage::ListClicked);
    connect(Editor, &RecordEditor::Edited, this, &RecordsPage::MarkEdited);
    connect(Add, &QAbstractButton::clicked, this, &RecordsPage::AddRecord);
    connect(Delete, &QAbstractButton::clicked, this, &RecordsPage::DeleteRecord);
}

void RecordsPage::LoadSettings()
{
    Fill(0);
    SetChanged(false);
}

bool RecordsPage::ValidateAndSave()
{
    if (!m_editor->ValidateAndSave()) {
        return false;
    }
    if (m_list->Value() >= 1) {
        Fill(m_list->Value());
    }
    SetChanged(false);
    return true;
}

void RecordsPage::AddRecord()
{
    if (!m_editor->ValidateAndSave()) {
        return;
    }
    QString err;
    const auto record = NewSettingsRecord(m_tableName, err);
    if (!record) {
        ShowError(err);
        return;
    }
    InitNewRecord(*record);
    if (!StoreSettingsRecord(*record, err)) {
        ShowError(err);
        return;
    }
    MarkEdited();
    Fill(record->Code());
}

void RecordsPage::DeleteRecord()
{
    const qint32 code = m_list->Value();
    if (code == 0) {
        return;
    }
    if (!RemoveRecord(m_tableName, code, false)) {
        return;
    }
    // Before the list binds the next record: no edit may be written to the record that is gone.
    Bind(0);
    MarkEdited();
    Fill(0);
}

void RecordsPage::ListClicked()
{
    if (m_switching) {
        return;
    }
    const QScopedValueRollback switching(m_switching, true);
    if (m_list->Value() != m_currentCode && !m_editor->ValidateAndSave()) {
        // Back to the record whose edits were refused, with its inputs as they are.
        m_list->SetValue(m_currentCode);
        UpdateDeleteButton();
        return;
    }
    // The names again; the record bound is the one listed (one deleted elsewhere is not).
    Refill(m_list->Value());
    Bind(m_list->Value());
    UpdateDeleteButton();
}

void RecordsPage::Fill(qint32 SelectCode)
{
    Refill(SelectCode);
    if (m_list->ComboBox()->count() == 0) {
        Bind(0);
    }
    UpdateDeleteButton();
}

void RecordsPage::Bind(qint32 Code)
{
    QString err;
    const auto record = RecordByCode(m_tableName, Code, err);
    LogDbError(QStringLiteral("Запись для редактирования"), err);
    m_editor->SetRecord(record);
    m_currentCode = Code;
}

void RecordsPage::UpdateDeleteButton()
{
    m_delete->setEnabled(m_list->Value() >= 1);
}
