#include "settings/recordeditor.h"

#include "core/errorbox.h"
#include "settings/settingsrecords.h"

#include <QScopedValueRollback>
#include <QSignalBlocker>

#include <vector>

RecordEditor::RecordEditor(QWidget *Parent)
    : QWidget(Parent)
{
    // Disabled until a record is bound.
    setEnabled(false);
}

RecordEditor::~RecordEditor() = default;

void RecordEditor::SetRecord(const std::shared_ptr<Rollstrake::DBRecord> &Record)
{
    if (Record == m_record) {
        return;
    }
    m_record = Record;
    FillControls();
}

bool RecordEditor::Enabled() const
{
    return isEnabled();
}

void RecordEditor::SetEnabled(bool Value)
{
    setEnabled(Value);
}

bool RecordEditor::ValidateAndSave()
{
    // Without a record there is nothing to write: never a record that was just deleted.
    if (!m_changed || !m_record) {
        return true;
    }
    if (!CheckInput()) {
        return false;
    }
    WriteRecord(*m_record);
    QString err;
    if (!StoreSettingsRecord(*m_record, err)) {
        ShowError(err);
        return false;
    }
    return true;
}

void RecordEditor::InputEdited()
{
    if (m_loading) {
        return;
    }
    emit Edited();
    m_changed = true;
}

bool RecordEditor::CheckInput() const
{
    return true;
}

void RecordEditor::FillControls()
{
    const QScopedValueRollback loading(m_loading, true);
    {
        std::vector<QSignalBlocker> blockers;
        for (QObject *input : Inputs()) {
            blockers.emplace_back(input);
        }
        SetEnabled(m_record != nullptr);
        ShowRecord(m_record.get());
    }
    m_changed = false;
}
