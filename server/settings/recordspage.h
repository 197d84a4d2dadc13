#pragma once

#include "settings/settingspage.h"

#include <memory>

class QAbstractButton;
class RecordEditor;
class RecordsCombo;

namespace Rollstrake
{
class DBRecord;
}

// A settings page that lists the records of one table (rates, service types) and edits the chosen
// one in its editor. The editor is saved before another record is chosen, before a record is added
// and on the page's save; a choice whose save is refused goes back to the record with the edits.
class RecordsPage : public SettingsPage
{
    Q_OBJECT

public:
    ~RecordsPage() override;

    // Fills the list by its own rule (a rate list keeps the rate chosen, the service list chooses
    // the first type); its Click binds the editor. Changed is false afterwards.
    void LoadSettings() override;
    // The editor first: its refusal keeps the page changed. Then the list again, with the record
    // chosen, so that a new name shows.
    bool ValidateAndSave() override;

    // Saves the editor, then adds a record named as new and chooses it; nothing when the editor
    // refuses.
    void AddRecord();
    // Deletes the chosen record without a question and without the records that refer to it: the
    // library refuses while there are any. The editor lets go of the deleted record, unwritten.
    void DeleteRecord();

    // The code of the record bound to the editor, 0 for none.
    qint32 CurrentCode() const
    {
        return m_currentCode;
    }

protected:
    RecordsPage(const QString &Key, const QString &TableName, QWidget *parent);

    // The page's list, editor and picture buttons, once its form is set up.
    void Attach(RecordsCombo *List, RecordEditor *Editor, QAbstractButton *Add, QAbstractButton *Delete);

    // Refills the list choosing SelectCode (0: by the list's own rule); the list's Click follows.
    virtual void Refill(qint32 SelectCode) = 0;
    // The fields of a new record besides the defaults of the table: its name and its kind.
    virtual void InitNewRecord(Rollstrake::DBRecord &Record) const = 0;

private:
    void ListClicked();
    // Refill, after which an empty list leaves the editor without a record.
    void Fill(qint32 SelectCode);
    void Bind(qint32 Code);
    void UpdateDeleteButton();

    QString m_tableName;
    RecordsCombo *m_list = nullptr;
    RecordEditor *m_editor = nullptr;
    QAbstractButton *m_delete = nullptr;
    qint32 m_currentCode = 0;
    bool m_switching = false;
};
